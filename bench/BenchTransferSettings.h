#pragma once

// The transfer settings both benchmarks that drive the transfer manager run
// with: HTTP/1.1 keep-alive, `connections` in all and per site, short logs,
// so that their figures compare the same engine setup.

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"

inline void SetBenchTransferSettings(CPropertySet& settings, int connections)
{
    settings.SetInt(SETTING_HTTP_VERSION, 1);
    settings.SetInt(SETTING_HTTP_ENABLE_CONNECTION, 1);
    settings.SetInt(SETTING_HTTP_CONNECTION, 0);
    settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 2000);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, connections);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, connections);
    settings.SetInt(SETTING_CONNECTIONS_SESSION_IDLE_TIME, 60);
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 30);
    settings.SetInt(SETTING_TRANSFER_MANAGER_TIMEOUT_THREADING, 1000);
}
