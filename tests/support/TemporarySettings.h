#pragma once
// The program's settings, fresh for one test: the per-user folders below the
// test's temporary folder (through env, which puts them back), an empty
// in-memory registry, the program's own names, and every setting registered
// and loaded from that empty store, so each test starts from the defaults.

#include "foundation/desktop/AppIdentity.h"
#include "foundation/stores/Settings.h"
#include "platform/core/MemoryRegistryBackend.h"
#include "platform/core/Registry.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemporaryDataFolder.h"

#include <memory>

inline void UseTemporarySettings(ScopedEnvironment& env, const CTempFolder& temp)
{
    UseTemporaryDataFolder(env, temp, GetAppIdentity());
    env.Set("XDG_CONFIG_HOME", temp / "config");
    GetRegistry().SetBackend(std::make_unique<CMemoryRegistryBackend>());
    GetAppIdentity().SetString(CAppIdentity::kVersion, "1.4.0");
    RegisterSettings();
    GetSettings().Clear();
    LoadSettings();
}
