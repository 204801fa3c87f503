#pragma once
// CRegistryKey: one open key of the registry store (platform/core/Registry.h)
// used as an IKeyValueStore, so a key table saves the settings to the
// registry. A wrapper lives on the stack of the operation that uses it and is
// not shared between threads; it closes its key when it goes.
//
// Key paths are the Windows ones, '\'-separated:
// "Software\Quorvat Software\Tanglewarden\Settings".
//
// Value names may carry a group: the name is split at its last '/' or '\';
// the part before it is a subkey below this key (either separator may
// separate its levels), opened for the one operation and closed again
// (read-only for getters; created when missing for setters), and the part
// after it is the value name. "Connections/Max Connects" is the value "Max
// Connects" in the subkey "Connections". Without a separator, or with the
// separator first, the value lives in this key; an empty value name is the
// key's unnamed value.
//
// Value types: integers are Dword values (GetInt reads only a Dword of 4
// bytes), 64-bit integers are Binary values of 8 bytes, low byte first
// (GetInt64 reads only a Binary of exactly 8 bytes), texts are String values
// (a text ends at its first NUL byte), byte blocks are Binary values. A value
// of another type counts as missing. Every operation fails while no key is
// open; setters also fail through a key opened read-only.
//
// Saving: the store saves the changes made through a writable key when the
// last writable key closes (see CRegistry); Close reports whether that save
// succeeded.

#include "foundation/text/AbstractVisitor.h"
#include "foundation/properties/KeyValueStore.h"
#include "platform/core/Registry.h"

#include <string>
#include <string_view>

class CRegistryKey : public IKeyValueStore
{
public:
    // A wrapper with no key open, working on registry (by default the
    // process-wide store).
    explicit CRegistryKey(CRegistry& registry = GetRegistry());
    ~CRegistryKey() override = default;
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // What Open did: failed (a missing key opened read-only, a parent of
    // another store or not open), created the key, or opened an existing one.
    // The numbers are the ones the registry layer has always used.
    enum class OpenResult : int
    {
        kFailed = 0,
        kCreated = 1,
        kExisting = 2,
    };

    // Closes the current key, then opens parent\subKey: read-only, or
    // writable, creating it (and the keys on the way) when missing. A key
    // created here is readable too.
    [[nodiscard]] OpenResult Open(std::string_view subKey, bool readOnly, const CRegistryHandle& parent);
    // Open below the top of the store (the current user's keys).
    [[nodiscard]] OpenResult Open(std::string_view subKey, bool readOnly);
    // Open below the other wrapper's key, in that wrapper's store.
    [[nodiscard]] OpenResult OpenChild(std::string_view subKey, bool readOnly, const CRegistryKey& parentKey);

    // Closes the key. False when the save that closing started failed (the
    // changes then stay in this process and go with the next save).
    bool Close();

    bool IsOpen() const { return m_key.IsOpen(); }
    const CRegistryHandle& GetHandle() const { return m_key; }
    CRegistry& GetStore() const { return *m_registry; }

    bool GetString(std::string_view name, std::string& out) override;
    bool SetString(std::string_view name, std::string_view text) override;
    bool GetInt(std::string_view name, int& out) override;
    bool SetInt(std::string_view name, int value) override;
    bool GetInt64(std::string_view name, int64_t& out) override;
    bool SetInt64(std::string_view name, int64_t value) override;
    bool SetBytes(std::string_view name, const uint8_t* bytes, int length) override;
    // Copies at most length bytes (a negative room counts as 0).
    bool GetBytes(std::string_view name, uint8_t* buffer, int& length) override;
    bool GetBytesSize(std::string_view name, unsigned& size) override;
    // Deletes the subkey name ('/' or '\' between levels) with everything
    // below it.
    bool DeleteKey(std::string_view name) override;

    // The name of subkey index, in the store's name order. On the first call
    // of a walk pass maxLength 0 or less: it becomes the length of the
    // longest subkey name (200 when the key has none); a name is never cut.
    bool EnumSubkeyName(int index, std::string& name, int& maxLength);
    bool QueryKeyInfo(RegistryKeyInfo& info);

private:
    bool ReadValue(std::string_view name, RegistryValue& value);
    bool WriteValue(std::string_view name, const RegistryValue& value);

    CRegistry* m_registry;
    CRegistryHandle m_key;
};

// Deletes parent\subKey with everything below it. False when parent is not
// open, subKey is empty or the key does not exist.
bool DeleteKeyTree(CRegistry& registry, const CRegistryHandle& parent, std::string_view subKey);

// Opens parent\path read-only (false when that fails) and, for each of its
// subkeys in order, hands the String value valueName, when the subkey has
// one, to collector.Add; a false answer from Add ends the walk early. A
// subkey that cannot be opened ends the walk with false; true otherwise.
bool ForEachSubkeyValue(CAbstractVisitor& collector, CRegistry& registry, const CRegistryHandle& parent,
                        std::string_view path, std::string_view valueName);
