#pragma once
// Fakes of the desktop services (DesktopServices.h) for tests. Each one is
// installed while it lives and puts back what it replaced when it goes, so a
// test only declares the fakes it needs. They record what the program asked
// and answer from what the test set up. Use them on one thread.

#include "platform/core/DesktopServices.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

class CRecordingClipboard : public IClipboard
{
public:
    CRecordingClipboard() : m_previous(InstallClipboard(this)) {}
    ~CRecordingClipboard() override { InstallClipboard(m_previous); }
    CRecordingClipboard(const CRecordingClipboard&) = delete;
    CRecordingClipboard& operator=(const CRecordingClipboard&) = delete;

    bool HasText() override { return m_text.has_value(); }
    bool GetText(std::string& text) override
    {
        text = m_text.value_or(std::string());
        return m_text.has_value();
    }
    bool SetText(std::string_view text) override
    {
        if (m_refuseSet)
            return false;
        m_text = std::string(text);
        return true;
    }

    // The text on the clipboard; none when it holds something else or
    // nothing.
    std::optional<std::string> m_text;
    // Makes SetText fail, as a clipboard another program holds open.
    bool m_refuseSet = false;

private:
    IClipboard* m_previous;
};

class CRecordingLauncher : public IDocumentLauncher
{
public:
    CRecordingLauncher() : m_previous(InstallDocumentLauncher(this)) {}
    ~CRecordingLauncher() override { InstallDocumentLauncher(m_previous); }
    CRecordingLauncher(const CRecordingLauncher&) = delete;
    CRecordingLauncher& operator=(const CRecordingLauncher&) = delete;

    int Open(const std::string& target) override
    {
        m_opened.push_back(target);
        return m_result;
    }

    std::vector<std::string> m_opened;
    int m_result = kOpenStarted; // what every Open answers

private:
    IDocumentLauncher* m_previous;
};

// Answers each dialog with the next scripted answer (an empty text is a
// cancel; with no answer left, every dialog is cancelled).
class CScriptedFilePicker : public IFilePicker
{
public:
    CScriptedFilePicker() : m_previous(InstallFilePicker(this)) {}
    ~CScriptedFilePicker() override { InstallFilePicker(m_previous); }
    CScriptedFilePicker(const CScriptedFilePicker&) = delete;
    CScriptedFilePicker& operator=(const CScriptedFilePicker&) = delete;

    struct FolderRequest
    {
        std::string m_startFolder;
        std::string m_title;
        WindowHandle m_owner = nullptr;
    };

    std::string PickFile(const FileDialogRequest& request) override
    {
        m_fileRequests.push_back(request);
        return NextAnswer();
    }
    std::string PickFolder(const std::string& startFolder, const std::string& title,
                           WindowHandle owner) override
    {
        m_folderRequests.push_back({startFolder, title, owner});
        return NextAnswer();
    }

    std::deque<std::string> m_answers;
    std::vector<FileDialogRequest> m_fileRequests;
    std::vector<FolderRequest> m_folderRequests;

private:
    std::string NextAnswer()
    {
        if (m_answers.empty())
            return {};
        std::string answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    IFilePicker* m_previous;
};

// A window tree the test builds: windows with a parent or owner and a text.
class CFakeWindowTree : public IWindowTree
{
public:
    CFakeWindowTree() : m_previous(InstallWindowTree(this)) {}
    ~CFakeWindowTree() override { InstallWindowTree(m_previous); }
    CFakeWindowTree(const CFakeWindowTree&) = delete;
    CFakeWindowTree& operator=(const CFakeWindowTree&) = delete;

    // Adds a window below parent (null: a top-level window of the test's
    // thread); owner, when given, is reported before the parent.
    void Add(WindowHandle window, WindowHandle parent, WindowHandle owner = nullptr)
    {
        m_windows[window] = {parent, owner, {}};
        m_order.push_back(window);
    }

    std::vector<WindowHandle> GetDescendants(WindowHandle parent) override
    {
        std::vector<WindowHandle> found;
        for (WindowHandle window : m_order)
        {
            for (WindowHandle above = ParentOf(window); above; above = ParentOf(above))
            {
                if (above == parent)
                {
                    found.push_back(window);
                    break;
                }
            }
        }
        return found;
    }
    std::vector<WindowHandle> GetThreadTopLevelWindows() override
    {
        std::vector<WindowHandle> found;
        for (WindowHandle window : m_order)
        {
            if (!ParentOf(window))
                found.push_back(window);
        }
        return found;
    }
    WindowHandle GetOwnerOrParent(WindowHandle window) override
    {
        auto found = m_windows.find(window);
        if (found == m_windows.end())
            return nullptr;
        return found->second.m_owner ? found->second.m_owner : found->second.m_parent;
    }
    bool GetText(WindowHandle window, std::string& text) override
    {
        text.clear();
        auto found = m_windows.find(window);
        if (found == m_windows.end())
            return false;
        text = found->second.m_text;
        return true;
    }
    bool SetText(WindowHandle window, std::string_view text) override
    {
        auto found = m_windows.find(window);
        if (found == m_windows.end())
            return false;
        found->second.m_text = std::string(text);
        return true;
    }

private:
    WindowHandle ParentOf(WindowHandle window) const
    {
        auto found = m_windows.find(window);
        return found == m_windows.end() ? nullptr : found->second.m_parent;
    }

    struct Node
    {
        WindowHandle m_parent = nullptr;
        WindowHandle m_owner = nullptr;
        std::string m_text;
    };
    std::map<WindowHandle, Node> m_windows;
    std::vector<WindowHandle> m_order;
    IWindowTree* m_previous;
};

class CRecordingAutoComplete : public IAutoComplete
{
public:
    CRecordingAutoComplete() : m_previous(InstallAutoComplete(this)) {}
    ~CRecordingAutoComplete() override { InstallAutoComplete(m_previous); }
    CRecordingAutoComplete(const CRecordingAutoComplete&) = delete;
    CRecordingAutoComplete& operator=(const CRecordingAutoComplete&) = delete;

    struct Request
    {
        WindowHandle m_edit = nullptr;
        unsigned m_flags = 0;
        std::vector<std::string> m_addresses;
    };

    bool Enable(WindowHandle edit, unsigned flags, const std::vector<std::string>& addresses) override
    {
        m_requests.push_back({edit, flags, addresses});
        return m_result;
    }

    std::vector<Request> m_requests;
    bool m_result = true;

private:
    IAutoComplete* m_previous;
};
