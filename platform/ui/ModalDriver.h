#pragma once
// Everything that stops the program to ask the user goes through one
// installable driver: message boxes, modal dialog runs and help. The Qt
// driver shows them; tests install a recording driver that answers from a
// script and keeps the texts, so no test blocks on a window it cannot see.
// The file and folder pickers and opening with the desktop have their own
// installable services (platform/core/DesktopServices.h), answered in tests
// by the recorders of platform/core/RecordingDesktop.h.
//
// UI thread only.

#include <string>

class QDialog;
class QWidget;

using UINT = unsigned int;

// Buttons and icons of a message box, in the program's numbers.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_RETRYCANCEL = 0x5;
inline constexpr UINT MB_TYPEMASK = 0xF;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_ICONMASK = 0xF0;

// Results of message boxes and dialogs.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDRETRY = 4;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class IModalDriver
{
public:
    virtual ~IModalDriver() = default;
    // Shows text with the buttons and icon of type; the button pressed.
    virtual int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT type) = 0;
    // Runs a dialog modally until it ends; its result code.
    virtual int RunDialog(QDialog& dialog) = 0;
    // Help for a context (a dialog's resource id; 0 the contents).
    virtual void ShowHelp(UINT context) = 0;
};

// Puts a driver in place (null: the Qt driver again) and returns the one it
// replaced; the caller keeps the driver alive while it is installed.
IModalDriver* InstallModalDriver(IModalDriver* driver);
IModalDriver& GetModalDriver();

// The caption of message boxes without one of their own (the program's
// name); set once by the application.
void SetMessageBoxCaption(const std::string& caption);

// A message box captioned with the program's name, owned by the active
// window.
int AfxMessageBox(const std::string& text, UINT type = MB_OK);
