#pragma once
// The registry: a hierarchical store of typed values (RegistryNode.h) under
// the Windows key paths the program has always used ("Software\Quorvat
// Software\Tanglewarden\Settings"), kept by a backend: a text file for the
// program (RegistryFileBackend.h), memory for tests. One process-wide store
// (GetRegistry) serves every thread; each call takes the store's lock.
//
// Keys are reached through CRegistryHandle objects, the way Windows code
// used key handles: open or create a key below an open one, query, set and
// delete values, enumerate subkeys and values by index, delete keys.
//
// Other running copies: before every call the store asks its backend whether
// the stored tree changed and, if so, reads it again, so a value another
// copy saved is seen at once. Changes made here are recorded and, when the
// store saves, replayed on top of the latest stored tree under the backend's
// update lock, so two copies writing different values both keep theirs (and
// for the same value the later save wins).
//
// When changes are saved: writing through an open key that was opened or
// created writable (not the root) only records the change; the save happens
// when the last such open key of the store closes, so an operation that
// writes a hundred values through one key writes the file once. A change
// made while no such key is open is saved at once. A change whose save
// failed stays in effect in this process and is saved again with the next
// save; SaveFailed reports the failure to the caller that triggered it.

#include "platform/core/CriticalSection.h"
#include "platform/core/RegistryBackend.h"
#include "platform/core/RegistryNode.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class RegResult
{
    Ok,
    NotFound,        // the key or value does not exist (a deleted key too)
    NoMoreItems,     // an enumeration index past the last item
    AccessDenied,    // a write through a key opened read-only
    InvalidArgument, // a closed handle, a handle of another store, a bad path or value
    HasSubkeys,      // a key with subkeys deleted without withSubkeys
    SaveFailed,      // the change holds here but could not be stored
};

struct RegistryKeyInfo
{
    size_t m_subkeyCount = 0;
    size_t m_maxSubkeyNameLength = 0;
    size_t m_valueCount = 0;
    size_t m_maxValueNameLength = 0;
    size_t m_maxValueDataLength = 0;
};

class CRegistry;

// An open key of a store, or none. A key is addressed by its path, so a
// handle stays usable while the stored tree is read again; calls through a
// handle whose key was deleted fail with NotFound. A copy is a second open
// key. Closing (or destroying) the last writable non-root handle of a store
// saves its pending changes. A handle must not outlive its store.
class CRegistryHandle
{
public:
    CRegistryHandle() = default;
    ~CRegistryHandle() { Close(); }
    CRegistryHandle(const CRegistryHandle& other);
    CRegistryHandle& operator=(const CRegistryHandle& other);
    CRegistryHandle(CRegistryHandle&& other) noexcept;
    CRegistryHandle& operator=(CRegistryHandle&& other) noexcept;

    bool IsOpen() const { return m_store != nullptr; }
    bool IsWritable() const { return m_writable; }
    bool IsRoot() const { return m_store != nullptr && m_path.empty(); }
    const RegistryPath& GetPath() const { return m_path; }

    // Closes the key. Ok, or the result of the save that closing the last
    // writable key started.
    RegResult Close();

private:
    friend class CRegistry;
    CRegistry* m_store = nullptr;
    RegistryPath m_path;
    bool m_writable = false;
    bool m_counted = false; // writable and not the root: holds saves back
};

class CRegistry
{
public:
    // A null backend means the default file (GetDefaultRegistryFilePath),
    // chosen at the first call that needs it.
    explicit CRegistry(std::unique_ptr<IRegistryBackend> backend = nullptr);
    // Saves pending changes.
    ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // The top of the tree (the current user's keys): writable, never closed
    // in effect, and writes through it are saved at once.
    CRegistryHandle GetRootKey();

    // Opens parent\subKey; NotFound when missing. An empty subKey opens the
    // parent's key again. Names are separated by '\' only.
    RegResult OpenKey(const CRegistryHandle& parent, std::string_view subKey, bool writable, CRegistryHandle& key);
    // Opens parent\subKey writable, creating it and the keys on the way when
    // missing; created (when given) tells whether the key was new.
    RegResult CreateKey(const CRegistryHandle& parent, std::string_view subKey, CRegistryHandle& key,
                        bool* created = nullptr);

    // An empty name is the key's default value.
    RegResult QueryValue(const CRegistryHandle& key, std::string_view name, RegistryValue& value);
    // A Dword value must hold exactly 4 bytes.
    RegResult SetValue(const CRegistryHandle& key, std::string_view name, const RegistryValue& value);
    RegResult DeleteValue(const CRegistryHandle& key, std::string_view name);

    // The index-th subkey or value in name order; NoMoreItems past the end.
    RegResult EnumKey(const CRegistryHandle& key, size_t index, std::string& name);
    RegResult EnumValue(const CRegistryHandle& key, size_t index, std::string& name, RegistryValue& value);
    RegResult QueryInfo(const CRegistryHandle& key, RegistryKeyInfo& info);

    // Deletes parent\subKey (subKey not empty). Without withSubkeys a key
    // that has subkeys is kept and HasSubkeys returned.
    RegResult DeleteKey(const CRegistryHandle& parent, std::string_view subKey, bool withSubkeys);

    // Saves pending changes now; Ok when there are none.
    RegResult Flush();

    // Saves pending changes through the old backend, then works on the new
    // one (null: the default file), reading it at the next call.
    void SetBackend(std::unique_ptr<IRegistryBackend> backend);

private:
    friend class CRegistryHandle;

    struct Change
    {
        enum Kind
        {
            CreateKey,
            SetValue,
            DeleteValue,
            DeleteKey,
        };
        Kind m_kind;
        RegistryPath m_path;
        std::string m_name;
        RegistryValue m_value;
        bool m_withSubkeys = false;
    };

    static void Apply(CRegistryNode& root, const Change& change);
    void Refresh();
    RegResult Record(Change change);
    RegResult FlushLocked();
    // The key of an open handle of this store, after a refresh; null with
    // result set when there is none.
    CRegistryNode* Resolve(const CRegistryHandle& key, RegResult& result);
    CRegistryHandle MakeHandle(RegistryPath path, bool writable);
    void Retain();
    RegResult Release();

    CCriticalSection m_lock;
    std::unique_ptr<IRegistryBackend> m_backend;
    CRegistryNode m_root;
    std::vector<Change> m_pending;
    bool m_loadFailed = false;
    int m_openWritable = 0;
};

// The process-wide store, created on first use over the default file.
CRegistry& GetRegistry();
