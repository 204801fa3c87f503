#pragma once
// Sets (or, with a null value, removes) environment variables for one test
// and puts the old values back afterwards, in reverse order.

#include <cstdlib>
#include <string>
#include <vector>

class ScopedEnvironment
{
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
        {
            if (it->m_had)
                ::setenv(it->m_name.c_str(), it->m_value.c_str(), 1);
            else
                ::unsetenv(it->m_name.c_str());
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const char* name, const char* value)
    {
        Saved saved{name, {}, false};
        if (const char* old = std::getenv(name))
        {
            saved.m_value = old;
            saved.m_had = true;
        }
        m_saved.push_back(saved);
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    void Set(const char* name, const std::string& value) { Set(name, value.c_str()); }

private:
    struct Saved
    {
        std::string m_name;
        std::string m_value;
        bool m_had;
    };
    std::vector<Saved> m_saved;
};
