#pragma once
// A backend that stores nothing, for tests: the tree lives only in the
// store. It counts saves, and can be told to fail them.

#include "platform/core/RegistryBackend.h"

class CMemoryRegistryBackend : public IRegistryBackend
{
public:
    bool HasChanged() override { return !m_loaded; }

    bool Load(CRegistryNode&) override
    {
        m_loaded = true;
        return true;
    }

    bool Save(const CRegistryNode&) override
    {
        if (m_failSaves)
            return false;
        ++m_saveCount;
        return true;
    }

    int GetSaveCount() const { return m_saveCount; }
    void SetFailSaves(bool fail) { m_failSaves = fail; }

private:
    bool m_loaded = false;
    bool m_failSaves = false;
    int m_saveCount = 0;
};
