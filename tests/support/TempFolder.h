#pragma once
// A temporary folder for one test, removed with everything in it (links
// removed, never followed) when the object goes.

#include <cstdlib>
#include <ftw.h>
#include <stdio.h>
#include <string>

class CTempFolder
{
public:
    CTempFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && base[0] ? base : "/tmp") + "/tw-test-XXXXXX";
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~CTempFolder()
    {
        if (!m_path.empty())
            ::nftw(m_path.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    static int RemoveOne(const char* path, const struct stat*, int, struct FTW*)
    {
        ::remove(path);
        return 0;
    }

    std::string m_path;
};
