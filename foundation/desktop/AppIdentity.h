#pragma once
// CAppIdentity: the strings that name the running program (company, product,
// version and a few addresses) and the two places derived from them where
// the program keeps its state:
// - the data folder, $XDG_DATA_HOME (default ~/.local/share) + "/<company>/
//   <product>", where every store file lives; it is created with mode 0700
//   (missing folders above it too) whenever it is derived or asked for;
// - the registry path "Software\<company>\<product>" in the registry store
//   (platform/core/Registry.h), whose names stay '\'-separated.
//
// One process-wide instance (GetAppIdentity) serves the whole run; the
// application fills it at start-up before any store is loaded. Every access
// holds the identity's own lock for its whole duration, so two threads that
// ask for a path at once derive it once.

#include <string>
#include <string_view>

#include "platform/core/CriticalSection.h"

class CAppIdentity
{
public:
    // Indexes of the identity strings.
    enum StringIndex
    {
        kCompany = 0,      // "Noname company" until set
        kProduct = 1,      // "Noname product" until set
        kVersion = 2,      // "1.0" until set
        kSection = 3,      // "Common"
        kSection2 = 4,     // "Common"
        kDataFolder = 5,   // derived on first use
        kRegistryPath = 6, // derived on first use
        kWebSite = 7,      // the maker's web site address
        kEmail = 8,        // the maker's e-mail address
        kWebPage1 = 9,
        kWebPage2 = 10,
        kStringCount = 11,
    };

    CAppIdentity();
    CAppIdentity(const CAppIdentity&) = delete;
    CAppIdentity& operator=(const CAppIdentity&) = delete;

    // An index outside 0 to 10 is ignored. Setting the company or the product
    // forgets the derived data folder and registry path, so both are derived
    // again on their next use.
    void SetString(int index, std::string_view text);

    // out is emptied first. False for an index outside 0 to 10, and when the
    // data folder or the registry path cannot be derived: the company or the
    // product is empty, or (data folder) no base data folder is known.
    // Otherwise true, also for an empty string of another index.
    bool GetStringInto(int index, std::string& out);
    std::string GetString(int index);

    // The data folder, then "/" and the version when withVersion is set and
    // the version is not empty, then "/" and sub when sub is not empty after
    // removing '/' and '\' at both its ends. Empty when the data folder cannot
    // be derived. The data folder itself is created (0700) when missing; sub
    // folders are not.
    std::string GetDataFolderPath(std::string_view sub = {}, bool withVersion = false);

    // The same with the registry path, '\' as the separator and only '\'
    // trimmed from sub ('/' is an ordinary character of a key name).
    std::string GetRegistryPath(std::string_view sub = {}, bool withVersion = false);

private:
    // Fetches string 5 or 6, deriving it when empty; call with the lock held.
    bool GetDerivedLocked(int index, std::string& out);
    std::string JoinLocked(int index, std::string_view sub, bool withVersion, char separator,
                           std::string_view trimChars);

    CCriticalSection m_lock;
    std::string m_strings[kStringCount];
};

// The process-wide identity.
CAppIdentity& GetAppIdentity();

// The user's base data folder ($XDG_DATA_HOME, default ~/.local/share)
// without a trailing '/'. False (out empty) when none is known.
bool GetAppDataFolder(std::string& out);
