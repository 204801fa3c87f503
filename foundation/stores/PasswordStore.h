#pragma once
// CPasswordStore: the passwords the user saved for resources (sites and
// logins), a map from the lower-cased resource name to its password. The
// protocol clients look a password up before asking the user; the Passwords
// dialog fills a working copy (Enumerate into another store) and writes it
// back. One lock guards the map and the stamps for the whole of every
// operation, file work included, so pool threads and the UI thread may call
// at any time.
//
// Stamps: every change renews the change stamp (NextChangeStamp), also a
// Remove of a name that is not there. Save sets the saved stamp to the
// change stamp. A load renews the change stamp; one that succeeds leaves the
// saved stamp alone (so the store counts as modified), one that fails sets
// it to the change stamp, so the empty store is not saved over a file that
// could not be read. Another running copy is told of
// a save with the change stamp, and reloads when its own stamp is older.
//
// "Passwords.bf" holds nothing but Blowfish ciphertext (ECB, 8-byte blocks,
// no header, no length) of this text:
//     OK \r\n
//     TIME = "<local time as %m/%d/%Y %H:%M:%S>" \r\n
//     rs="<resource>" ps="<scrambled password>"\r\n      one line an entry
//     blanks up to a multiple of 8 bytes
// The key is the built-in 119-byte base key; with a master password M of
// length L, key byte j is base[j] XOR (M[j mod L] rotated left within 8 bits
// by (j div L) mod 8). The program passes an empty master password.
//
// The reader decodes XML entities in the values, so a resource name that
// holds a double quote, or text that decoding would change, is written with
// its characters entity-escaped; any other name is written exactly as it is.
// A resource name with a line feed cannot be written on one line, and is left
// out of the file rather than split into lines that a later load could take
// for other entries.
//
// A save of the process-wide store through SavePasswordStore is announced to
// the other running copies, which reload when their stamp is older.
//
// Files are replaced atomically (a failed save keeps the old file) and
// created with mode 0600.

#include "platform/core/CriticalSection.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class CPasswordStore
{
public:
    CPasswordStore();
    virtual ~CPasswordStore();
    CPasswordStore(const CPasswordStore&) = delete;
    CPasswordStore& operator=(const CPasswordStore&) = delete;

    // Stores or replaces the password of resource. False (nothing changed)
    // for an empty resource or one holding a line feed, which no line of the
    // file could carry.
    virtual bool Set(std::string_view resource, std::string_view password);
    // True with the password copied out when one is stored; false with
    // password emptied when none is; false with password untouched for an
    // empty resource.
    virtual bool Get(std::string_view resource, std::string& password);
    // Whether an entry was removed; renews the change stamp either way
    // (except for an empty resource, which returns false at once).
    virtual bool Remove(std::string_view resource);
    // Empties the store; renews the change stamp only when it held entries.
    virtual void RemoveAll();
    // Hands a copy of every entry, in resource order, to visitor.Set.
    virtual void Enumerate(CPasswordStore& visitor);

    // Empties the store, then reads path. True on success; false when the
    // file is missing, empty, not a whole number of 8-byte blocks, unreadable, or
    // does not decipher to this format; in the last case *badPassword (when
    // given) becomes true, else false. A failed load leaves the store empty
    // and not modified.
    // Lines that are not entries are skipped; a password whose scrambled
    // form is damaged reads as empty.
    [[nodiscard]] virtual bool Load(const std::string& path, std::string_view masterPassword, bool* badPassword = nullptr);
    // Writes every entry to path; false (old file intact, saved stamp
    // unchanged) when the file could not be written.
    [[nodiscard]] virtual bool Save(const std::string& path, std::string_view masterPassword);

    virtual uint32_t GetStamp() const;
    // Whether the saved stamp is below the change stamp.
    virtual bool IsModified() const;

private:
    void RenewStampLocked();
    // Load's reading of the file into the (empty) map, under the lock.
    bool ReadFileLocked(const std::string& path, std::string_view masterPassword, bool* badPassword);

    std::map<std::string, std::string> m_map;
    mutable CCriticalSection m_lock;
    uint32_t m_changeStamp = 0;
    uint32_t m_savedStamp = 0;
};

inline constexpr const char* kPasswordFileName = "Passwords.bf";

// The process-wide store, created on first use.
CPasswordStore& GetPasswordStore();

// Loads the process-wide store from kPasswordFileName in the data folder
// (with the empty master password the program uses). The shell installs it
// (SetLoadPasswordsHook) for start-up and for saves by other running copies.
bool LoadPasswordStore();

// Saves the process-wide store to kPasswordFileName in the data folder and,
// when that worked, tells the other running copies (kBroadcastPasswordsSaved
// with the change stamp), as a cookie save does.
[[nodiscard]] bool SavePasswordStore();

// The store's own scrambling of a password before it is enciphered with the
// file: the result holds only letters, digits, '=' and '\'. Descrambling
// gives back any password without a zero byte (the empty one included); a
// text that ends inside an escape gives the empty text.
std::string ScrambleValue(std::string_view password);
std::string DescrambleValue(std::string_view stored);
