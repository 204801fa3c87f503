#pragma once
// What the task dialogs (New Task, the wizard, Select New Action, Link
// properties, the task General page) need of the program, handed in by the
// application: the live settings they read and remember choices in, how to
// save every setting, and how to open the Settings dialog.
//
// UI thread only.

#include <functional>

class CPropertySet;

struct CTaskDialogContext
{
    CPropertySet* m_settings = nullptr;
    std::function<bool()> m_saveSettings;
    std::function<void()> m_showSettings;
};
