#pragma once
// What a test's task window runs with: its engine over the given transport
// and settings, the window's settings, password store and log registry.
// Callers add the callbacks their test watches.

#include "shell/LinkTreeView.h"

inline CLinkTreeViewServices TaskWindowServices(ICrawlTransport& transport, CPropertySet& settings,
                                                CPasswordStore* passwords, CLogRegistry* logs)
{
    CLinkTreeViewServices services;
    services.m_engine.m_transport = &transport;
    services.m_engine.m_settings = &settings;
    services.m_settings = &settings;
    services.m_passwords = passwords;
    services.m_logs = logs;
    return services;
}
