#pragma once
// A whole running copy of the program in a test's temporary home, as a user
// starts it: the Qt application, every per-user folder below the test's
// folder, the registry on its real file there, no settings loaded and the
// company name set (the application sets its product name as it starts).
// StorePreviousRunSettings writes what an earlier run left behind;
// LeaveProgramHome puts the in-memory registry back, so that later tests
// never write below a real home.

#include "foundation/desktop/AppIdentity.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/Settings.h"
#include "platform/core/MemoryRegistryBackend.h"
#include "platform/core/Registry.h"
#include "tests/support/QtApplication.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemporaryDataFolder.h"

#include <functional>
#include <memory>

inline void EnterProgramHome(ScopedEnvironment& env, const CTempFolder& temp)
{
    TestApplication();
    UseTemporaryUserFolders(env, temp);
    GetRegistry().SetBackend(nullptr);
    GetSettings().Clear();
    GetAppIdentity().SetString(CAppIdentity::kCompany, "Quorvat Software");
}

// The registry as a previous run left it: every setting at its default but
// those change sets. The settings in memory are empty again afterwards, for
// the application to load. False when they could not be saved.
inline bool StorePreviousRunSettings(const std::function<void(CPropertySet& settings)>& change)
{
    GetAppIdentity().SetString(CAppIdentity::kProduct, "Tanglewarden");
    RegisterSettings();
    LoadSettings();
    change(GetSettings());
    const bool saved = SaveAllSettings();
    GetSettings().Clear();
    return saved;
}

inline void LeaveProgramHome()
{
    GetRegistry().SetBackend(std::make_unique<CMemoryRegistryBackend>());
    GetAppIdentity().SetString(CAppIdentity::kCompany, "Quorvat Software");
    GetSettings().Clear();
}
