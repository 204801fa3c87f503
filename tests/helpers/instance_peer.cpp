// A running copy of the program, reduced to its instance broadcast, for the
// tests that need two or more real processes. The test sets HOME and the XDG
// folders in the environment, then drives the copy through stdin, one
// command per line, and reads what happened on stdout, one event per line.
//
// Commands:
//   save-settings <n>   set "Connections/Max Connects" to n, SaveSettings
//   add-history <url>   AddToHistory        -> "stamp <history stamp>"
//   save-history        SaveHistory         -> "saved-history <1|0>"
//   broadcast <c> <a>   PostInstanceBroadcast(c, a) -> "sent"
//   count               -> "count <running copies>"
//   quit (or the end of stdin)
// Events:
//   "ready <pid> <1 when in the channel>" once at the start
//   "received <code> <argument>" when a broadcast arrives, then what
//   OnInstanceBroadcast did ("settings-changed <max connects>" for each
//   window told, "loaded-history <count> <first url>", "loaded-passwords",
//   "loaded-cookies"), then "handled <code>".
//
// The main thread plays the UI thread: commands and broadcasts reach it
// through one queue, in the order they arrive.

#include "foundation/desktop/AppIdentity.h"
#include "foundation/desktop/InitInstanceBroadcast.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/core/RecordingDesktop.h"

#include <condition_variable>
#include <deque>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace
{
void Say(const std::string& line)
{
    std::cout << line << std::endl;
}

struct Event
{
    bool m_isCommand = false;
    std::string m_command;
    WindowMessage m_message;
};

class CEventQueue
{
public:
    void Push(Event event)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back(std::move(event));
        }
        m_ready.notify_one();
    }
    Event Pop()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_events.empty(); });
        Event event = std::move(m_events.front());
        m_events.pop_front();
        return event;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<Event> m_events;
};

// The window that receives the broadcasts: queues them for the main thread.
class CQueueWindow : public IWindowTarget
{
public:
    explicit CQueueWindow(CEventQueue& queue) : m_queue(queue), m_handle(RegisterWindow(this)) {}
    ~CQueueWindow() override { UnregisterWindow(m_handle); }
    WindowHandle Handle() const { return m_handle; }
    void DeliverPostedMessage(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam) override
    {
        Event event;
        event.m_message = {window, message, wParam, lParam};
        m_queue.Push(std::move(event));
    }

private:
    CEventQueue& m_queue;
    const WindowHandle m_handle;
};

// A window of the main frame: says when it is told that settings changed.
// Only the main thread posts to it.
class CSettingsWindow : public IWindowTarget
{
public:
    CSettingsWindow() : m_handle(RegisterWindow(this)) {}
    ~CSettingsWindow() override { UnregisterWindow(m_handle); }
    WindowHandle Handle() const { return m_handle; }
    void DeliverPostedMessage(WindowHandle, uint32_t message, WPARAM, LPARAM) override
    {
        if (message == kSettingsChangedMessage)
            Say("settings-changed " + GetSettings().GetStringValue(SETTING_CONNECTIONS_MAX_CONNECTS));
    }

private:
    const WindowHandle m_handle;
};

void SayLoadedPasswords()
{
    Say("loaded-passwords");
}

void SayLoadedCookies()
{
    Say("loaded-cookies");
}

void RunCommand(const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "save-settings")
    {
        int value = 0;
        in >> value;
        GetSettings().SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, value);
        SaveSettings();
        Say("saved-settings");
    }
    else if (verb == "add-history")
    {
        std::string url;
        in >> url;
        AddToHistory(url);
        Say("stamp " + std::to_string(GetHistoryStamp()));
    }
    else if (verb == "save-history")
    {
        Say(std::string("saved-history ") + (SaveHistory() ? "1" : "0"));
    }
    else if (verb == "broadcast")
    {
        unsigned code = 0;
        long long argument = 0;
        in >> code >> argument;
        PostInstanceBroadcast(code, argument);
        Say("sent");
    }
    else if (verb == "count")
    {
        Say("count " + std::to_string(GetInstanceCount()));
    }
    else
    {
        Say("unknown " + line);
    }
}

void HandleBroadcast(const WindowMessage& message, WindowHandle mainWindow)
{
    Say("received " + std::to_string(message.m_wParam) + " " + std::to_string(message.m_lParam));
    const uint32_t stamp = GetHistoryStamp();
    OnInstanceBroadcast(message, mainWindow);
    if (GetHistoryStamp() != stamp)
    {
        const std::vector<std::string>& history = GetHistoryList();
        Say("loaded-history " + std::to_string(history.size()) + " " +
            (history.empty() ? "-" : history.front()));
    }
    Say("handled " + std::to_string(message.m_wParam));
}
} // namespace

int main()
{
    CAppIdentity& identity = GetAppIdentity();
    identity.SetString(CAppIdentity::kCompany, "Quorvat Software");
    identity.SetString(CAppIdentity::kProduct, "Tanglewarden");
    RegisterSettings();
    LoadSettingsAtStartup();
    LoadHistory();
    SetLoadPasswordsHook(SayLoadedPasswords);
    SetLoadCookiesHook(SayLoadedCookies);

    CEventQueue queue;
    CQueueWindow receiver(queue);
    CSettingsWindow mainWindow;
    CSettingsWindow childWindow;
    CSettingsWindow grandchildWindow;
    CFakeWindowTree tree;
    tree.Add(mainWindow.Handle(), nullptr);
    tree.Add(childWindow.Handle(), mainWindow.Handle());
    tree.Add(grandchildWindow.Handle(), childWindow.Handle());

    {
        InitInstanceBroadcast broadcast;
        broadcast.SetReceiverWindow(receiver.Handle());
        Say("ready " + std::to_string(::getpid()) + " " + (broadcast.IsConnected() ? "1" : "0"));

        std::thread reader(
            [&queue]
            {
                std::string line;
                while (std::getline(std::cin, line) && line != "quit")
                {
                    Event event;
                    event.m_isCommand = true;
                    event.m_command = line;
                    queue.Push(std::move(event));
                }
                Event quit;
                quit.m_isCommand = true;
                quit.m_command = "quit";
                queue.Push(std::move(quit));
            });

        for (;;)
        {
            Event event = queue.Pop();
            if (!event.m_isCommand)
                HandleBroadcast(event.m_message, mainWindow.Handle());
            else if (event.m_command == "quit")
                break;
            else
                RunCommand(event.m_command);
        }
        reader.join();
        broadcast.SetReceiverWindow(nullptr);
    }
    return 0;
}
