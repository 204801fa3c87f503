#pragma once
// What the program asks of the desktop, as small interfaces: the clipboard,
// opening a document or address with the user's preferred program, the file
// and folder pickers, the tree and texts of the program's windows, and
// auto-completion in edit boxes. The application installs Qt implementations
// at start-up (platform/ui/QtDesktopServices.h); tests install the recording
// fakes of RecordingDesktop.h, so that no test starts a program or opens a
// window it does not own.
//
// Each Install function puts an implementation in place (null removes it)
// and returns the one it replaced; the caller keeps the object alive while it
// is installed. Install at start-up, before other threads use the service,
// and remove only after they have stopped. Until something is installed the
// Get functions return null and the callers report failure.

#include "platform/core/WindowHandle.h"

#include <string>
#include <string_view>
#include <vector>

// Plain text on the clipboard, UTF-8. UI thread only.
class IClipboard
{
public:
    virtual ~IClipboard() = default;
    // Whether the clipboard holds text (and not only, say, an image).
    virtual bool HasText() = 0;
    // Copies the clipboard's text into text; false (text emptied) when the
    // clipboard holds none.
    virtual bool GetText(std::string& text) = 0;
    // Replaces the clipboard's content with the text; false when it failed.
    virtual bool SetText(std::string_view text) = 0;
};

IClipboard* InstallClipboard(IClipboard* clipboard);
IClipboard* GetClipboard();

// Results of opening a document, in the numbers the program has always
// logged: above 32 the document was handed to a program; the others name
// the failure.
inline constexpr int kOpenOutOfResources = 0;
inline constexpr int kOpenFileNotFound = 2;
inline constexpr int kOpenPathNotFound = 3;
inline constexpr int kOpenAccessDenied = 5;
inline constexpr int kOpenNoAssociation = 31;
inline constexpr int kOpenStarted = 33;

// Hands a document or address to the user's preferred program. Any thread.
class IDocumentLauncher
{
public:
    virtual ~IDocumentLauncher() = default;
    // target is an address ("https://...", "mailto:...") or an absolute
    // file-system path. Returns kOpenStarted or one of the failures above;
    // whether the program then managed to show it is not known.
    virtual int Open(const std::string& target) = 0;
};

IDocumentLauncher* InstallDocumentLauncher(IDocumentLauncher* launcher);
IDocumentLauncher* GetDocumentLauncher();

// Checks an absolute file-system path before it is handed to a program, so
// that a missing document gets its own failure instead of an error dialog of
// whatever program would have been started: 0 when the path exists and can
// be read, kOpenPathNotFound when its folder is missing, kOpenFileNotFound
// when only the last part is, kOpenAccessDenied when it cannot be read.
int CheckLocalDocument(const std::string& path);

// One file dialog: open, or save when m_save is set.
struct FileDialogRequest
{
    WindowHandle m_owner = nullptr;
    bool m_save = false;
    std::string m_folder;   // where the dialog starts; empty: anywhere
    std::string m_fileName; // the name offered at first; may be empty
    // The filter in the program's text form: pairs of description and
    // patterns, each ended by '|', the patterns of one pair separated by
    // ';', the whole ended by another '|':
    // "Project files (*.vbb)|*.vbb|All files (*.*)|*.*||". Empty: all files.
    std::string m_filter;
    bool m_confirmOverwrite = true; // a save dialog asks before replacing
    std::string m_title;            // the dialog's title; empty: the picker's own
    int m_filterIndex = 0;          // the filter pair shown first, from 1; 0: the first
    std::string m_defaultExtension; // added to a typed name without one ("vbb")
};

// The file and folder pickers; UI thread only.
class IFilePicker
{
public:
    virtual ~IFilePicker() = default;
    // The chosen file's full path; empty when the user cancelled.
    virtual std::string PickFile(const FileDialogRequest& request) = 0;
    // A folder browser that offers only file-system folders and lets the
    // user type a path, starting in startFolder. The chosen folder's path;
    // empty when the user cancelled.
    virtual std::string PickFolder(const std::string& startFolder, const std::string& title,
                                   WindowHandle owner) = 0;
};

IFilePicker* InstallFilePicker(IFilePicker* picker);
IFilePicker* GetFilePicker();

// The program's windows as a tree, and their texts. UI thread only.
class IWindowTree
{
public:
    virtual ~IWindowTree() = default;
    // Every window below parent: its children, their children and so on.
    virtual std::vector<WindowHandle> GetDescendants(WindowHandle parent) = 0;
    // The top-level windows that belong to the calling thread (none for a
    // thread that owns no windows).
    virtual std::vector<WindowHandle> GetThreadTopLevelWindows() = 0;
    // The window's owner, else its parent; null when it has neither.
    virtual WindowHandle GetOwnerOrParent(WindowHandle window) = 0;
    // The text of a window: an edit box's content, a frame's title. False
    // for a window that is not known.
    virtual bool GetText(WindowHandle window, std::string& text) = 0;
    virtual bool SetText(WindowHandle window, std::string_view text) = 0;
};

IWindowTree* InstallWindowTree(IWindowTree* tree);
IWindowTree* GetWindowTree();

// What an edit box completes, as the program has always named the choices;
// 0 is "the file system and every kind of address".
inline constexpr unsigned kAutoCompleteDefault = 0x00;
inline constexpr unsigned kAutoCompleteFileSystem = 0x01;
inline constexpr unsigned kAutoCompleteUrlHistory = 0x02;
inline constexpr unsigned kAutoCompleteUrlMru = 0x04;
inline constexpr unsigned kAutoCompleteUseTab = 0x08;
inline constexpr unsigned kAutoCompleteFileSysOnly = 0x10;
inline constexpr unsigned kAutoCompleteFileSysDirs = 0x20;

// Auto-completion in an edit box; UI thread only.
class IAutoComplete
{
public:
    virtual ~IAutoComplete() = default;
    // Turns completion on in the edit box: of file-system paths and/or of the
    // given addresses, as flags ask. False when the window is not an edit
    // box that can complete.
    virtual bool Enable(WindowHandle edit, unsigned flags, const std::vector<std::string>& addresses) = 0;
};

IAutoComplete* InstallAutoComplete(IAutoComplete* autoComplete);
IAutoComplete* GetAutoComplete();
