#include "foundation/desktop/ShellHelpers.h"

#include "foundation/files/PathUtils.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/core/DesktopServices.h"
#include "platform/core/LocalPath.h"
#include "platform/core/Text.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace
{
void Log(IShellLog* log, int level, const std::string& text)
{
    if (log)
        log->WriteLine(level, text);
}
} // namespace

bool IsWindowsVersionAtLeast(int major, int minor)
{
    return major < 5 || (major == 5 && minor <= 1);
}

bool IsWindowsXPOrLater()
{
    // -1 until asked.
    static std::atomic<int> cached{-1};
    int answer = cached.load();
    if (answer < 0)
    {
        answer = IsWindowsVersionAtLeast(5, 1) ? 1 : 0;
        cached.store(answer);
    }
    return answer == 1;
}

bool ClipboardHasText()
{
    IClipboard* clipboard = GetClipboard();
    return clipboard && clipboard->HasText();
}

bool GetClipboardText(std::string& text, WindowHandle)
{
    text.clear();
    IClipboard* clipboard = GetClipboard();
    return clipboard && clipboard->GetText(text);
}

bool SetClipboardText(std::string_view text, size_t length, WindowHandle)
{
    IClipboard* clipboard = GetClipboard();
    return clipboard && clipboard->SetText(text.substr(0, std::min(length, text.size())));
}

int PostMessageToAllWindows(WindowHandle parent, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    IWindowTree* tree = GetWindowTree();
    if (!tree)
        return 0;
    const std::vector<WindowHandle> windows =
        parent ? tree->GetDescendants(parent) : tree->GetThreadTopLevelWindows();
    int posted = 0;
    for (WindowHandle window : windows)
    {
        if (PostMessage(window, message, wParam, lParam))
            ++posted;
    }
    return posted;
}

std::string ShellOpenFailureText(int result)
{
    switch (result)
    {
    case 0:
        return "The operating system is out of memory or resources.\r\n";
    case 2:
        return "The specified file was not found.\r\n";
    case 3:
        return "The specified path was not found.\r\n";
    case 5:
        return "The operating system denied access to the specified file.\r\n";
    case 8:
        return "There was not enough memory to complete the operation.\r\n";
    case 11:
        return "The .exe file is invalid (non-Win32\xC2\xAE .exe or error in .exe image).\r\n";
    case 26:
        return "A sharing violation occurred.\r\n";
    case 27:
        return "The file name association is incomplete or invalid.\r\n";
    case 31:
        return "There is no application associated with the given file name extension.\r\n";
    case 32:
        return "The specified dynamic-link library was not found.\r\n";
    default:
        return Format("ShellExecute failed, error code: %d.\r\n", result);
    }
}

bool ShellOpen(const std::string& target, IShellLog* log)
{
    static const char kVerb[] = "open";
    if (target.empty())
    {
        Log(log, 1, "Empty parameter(s) for shell execute command.\r\n");
        return false;
    }
    Log(log, 0, Format("ShellExecute %sing: \"%s\".\r\n", kVerb, target.c_str()));

    // Other programs know nothing of "~/" or of our "file:" forms.
    std::string document = target;
    std::string path;
    if (IsLocalPath(target) && ToFileSystemPath(target, path))
        document = path;
    IDocumentLauncher* launcher = GetDocumentLauncher();
    const int result = launcher ? launcher->Open(document) : kOpenNoAssociation;
    if (result > 32)
    {
        Log(log, 0, Format("ShellExecute %s: \"%s\" OK.\r\n", kVerb, target.c_str()));
        return true;
    }
    Log(log, 1, ShellOpenFailureText(result));
    return false;
}

bool EnableAutoComplete(WindowHandle edit, unsigned flags)
{
    IAutoComplete* autoComplete = GetAutoComplete();
    if (!autoComplete)
        return false;
    std::vector<std::string> addresses;
    if (flags == kAutoCompleteDefault || (flags & (kAutoCompleteUrlHistory | kAutoCompleteUrlMru)) != 0)
        addresses = GetHistoryList();
    return autoComplete->Enable(edit, flags, addresses);
}
