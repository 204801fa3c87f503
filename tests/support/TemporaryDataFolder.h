#pragma once
// Points an application identity's data folder into a test's temporary
// folder: HOME and XDG_DATA_HOME go below it (through env, which puts them
// back), and setting the program's own names makes the identity derive its
// folders afresh. The data folder is then temp/data/Quorvat
// Software/Tanglewarden.

#include "foundation/desktop/AppIdentity.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

inline void UseTemporaryDataFolder(ScopedEnvironment& env, const CTempFolder& temp, CAppIdentity& identity)
{
    env.Set("HOME", temp / "home");
    env.Set("XDG_DATA_HOME", temp / "data");
    identity.SetString(CAppIdentity::kCompany, "Quorvat Software");
    identity.SetString(CAppIdentity::kProduct, "Tanglewarden");
}

// Every per-user folder a whole running copy reads or writes (home, settings,
// data, the instance channel's runtime folder) below the test's folder.
inline void UseTemporaryUserFolders(ScopedEnvironment& env, const CTempFolder& temp)
{
    env.Set("HOME", temp / "home");
    env.Set("XDG_CONFIG_HOME", temp / "config");
    env.Set("XDG_DATA_HOME", temp / "data");
    env.Set("XDG_RUNTIME_DIR", temp / "run");
}
