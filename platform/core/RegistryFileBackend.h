#pragma once
// The registry kept as one text file (format in RegistryText.h), by default
// $XDG_CONFIG_HOME/Quorvat Software/Tanglewarden/registry.txt. Saves replace
// the file atomically (mode 0600; missing folders are created 0700). The
// file counts as changed by another running copy when its device, inode,
// size or modification time differ from those of the copy this backend last
// read or wrote; every save makes a new inode, so even a save within the
// same clock tick is seen. Saves are serialised between copies by an
// advisory lock on a companion file, path + ".lock".

#include "platform/core/RegistryBackend.h"

#include <cstdint>
#include <string>

class CRegistryFileBackend : public IRegistryBackend
{
public:
    explicit CRegistryFileBackend(std::string path);
    ~CRegistryFileBackend() override;
    CRegistryFileBackend(const CRegistryFileBackend&) = delete;
    CRegistryFileBackend& operator=(const CRegistryFileBackend&) = delete;

    bool HasChanged() override;
    bool Load(CRegistryNode& root) override;
    bool Save(const CRegistryNode& root) override;
    void BeginUpdate() override;
    void EndUpdate() override;

    const std::string& GetPath() const { return m_path; }

private:
    struct Stamp
    {
        bool m_exists = false;
        uint64_t m_device = 0;
        uint64_t m_inode = 0;
        int64_t m_size = 0;
        int64_t m_modifiedSeconds = 0;
        int64_t m_modifiedNanoseconds = 0;
        bool operator==(const Stamp&) const = default;
    };
    // False when the path cannot be examined for another reason than absence.
    bool ReadStamp(Stamp& stamp) const;

    std::string m_path;
    bool m_known = false; // m_stamp describes what was last read or written
    Stamp m_stamp;
    int m_lockFd = -1;
};

// The default registry file for the current environment.
std::string GetDefaultRegistryFilePath();
