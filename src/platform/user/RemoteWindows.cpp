// RemoteWindows.cpp: the windows of another running copy of the program, through the instance link.
// A top-level window of the program's own class (registered with an instance), without an owner
// and with a name listens as it is created, so a second copy started at the same moment cannot
// make the same window. FindWindowW that finds no window of its own process asks the other copy and
// answers a stand-in record (Remote): SendMessageW to it is a round trip that waits for the answer,
// SetForegroundWindow raises the other copy, and GetForegroundWindow asks it what is in front.
// The link layer owns its sockets; this file owns the stand-in records for the run.
#include "platform/user/Window.h"

#include "platform/Win32Registry.h"
#include "platform/Win32Text.h"
#include "platform/backend/Backend.h"
#include "platform/base/HandleTable.h"
#include "platform/user/InstanceLink.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

// The link's name for a class: copies share one only when they also share the settings file, so a
// second profile (another file) is a program of its own, and parallel test runs do not meet.
std::u16string LinkClass(const std::u16string& cls) {
    return cls + u'|' + PlatformUtf8ToUtf16(PlatformRegistryFilePath());
}

// The longest the queue waits for input while a window listens, so a request is served promptly.
constexpr int ServeIntervalMs = 100;

struct RemoteState {
    std::map<HWND, InstanceLinkServer*> Servers;
    std::vector<WindowRecord*> Proxies; // stand-ins; an owned one stands for the other copy's dialogs
};

RemoteState& Remote() {
    static auto* state = new RemoteState();
    return *state;
}

WindowRecord* NewProxy(const std::u16string& cls, const std::u16string& name, HWND owner) {
    auto* w = new WindowRecord{};
    w->Remote = true;
    w->RemoteClass = cls;
    w->Text = name;
    w->Owner = owner;
    w->Style = owner ? WS_POPUP : 0;
    w->Handle = static_cast<HWND>(HandleAdd(HandleKind::Window, w));
    if (w->Handle == nullptr) {
        delete w;
        return nullptr;
    }
    Remote().Proxies.push_back(w);
    return w;
}

WindowRecord* FindProxy(const std::u16string& cls, const std::u16string& name, HWND owner) {
    for (WindowRecord* w : Remote().Proxies)
        if (w->Owner == owner && wcsicmp16(w->RemoteClass.c_str(), cls.c_str()) == 0 &&
            wcsicmp16(w->Text.c_str(), name.c_str()) == 0)
            return w;
    return NewProxy(cls, name, owner);
}

// The stand-in for the other copy's main window that w stands for or belongs to.
WindowRecord* MainProxy(WindowRecord* w) {
    return w->Owner ? WindowFind(w->Owner) : w;
}

// A wait on the other copy ends when this copy is asked to end: the quit then reaches its loop.
bool QuitRequested() {
    return PlatformBackend().QuitRequested && PlatformBackend().QuitRequested();
}

bool Call(WindowRecord* w, InstanceLinkKind kind, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
          int timeoutMs) {
    WindowRecord* main = MainProxy(w);
    if (main == nullptr) return false;
    InstanceLinkRequest request{uint32_t(kind), message, wParam, lParam};
    return InstanceLinkCall(LinkClass(main->RemoteClass).c_str(), main->Text.c_str(), request, result,
                            timeoutMs, QuitRequested);
}

// What this copy answers the other: its window's messages, raising it, and what is in front.
LRESULT Answer(const InstanceLinkRequest& request, void* context) {
    HWND window = static_cast<HWND>(context);
    switch (request.Kind) {
    case InstanceLinkSendMessage:
        return SendMessageW(window, request.Message, request.WParam, request.LParam);
    case InstanceLinkSetForeground:
        return SetForegroundWindow(window);
    case InstanceLinkForegroundState: {
        HWND active = GetActiveWindow();
        if (active == window) return InstanceLinkWindowInFront;
        for (HWND owner = active; owner; owner = GetParent(owner))
            if (owner == window) return InstanceLinkOwnedInFront;
        return InstanceLinkNotInFront;
    }
    default:
        return 0;
    }
}

bool Listens(const WindowRecord* w) {
    return w->Parent == nullptr && w->Owner == nullptr && !w->Text.empty() && w->Class &&
           w->Class->Info.hInstance != nullptr;
}

} // namespace

bool RemoteListen(WindowRecord* w) {
    if (!Listens(w)) return true;
    bool busy = false;
    InstanceLinkServer* server =
        InstanceLinkListen(LinkClass(w->Class->Name).c_str(), w->Text.c_str(), &busy);
    if (server) Remote().Servers[w->Handle] = server;
    return !busy;
}

void RemoteClose(HWND window) {
    auto found = Remote().Servers.find(window);
    if (found == Remote().Servers.end()) return;
    InstanceLinkClose(found->second);
    Remote().Servers.erase(found);
}

int RemoteServe(int timeoutMs) {
    if (Remote().Servers.empty()) return timeoutMs;
    std::map<HWND, InstanceLinkServer*> servers = Remote().Servers; // a handler may close one
    for (auto& [window, server] : servers)
        if (Remote().Servers.count(window)) InstanceLinkServe(server, Answer, window);
    return timeoutMs < 0 ? ServeIntervalMs : std::min(timeoutMs, ServeIntervalMs);
}

HWND RemoteFindWindow(LPCWSTR className, LPCWSTR windowName) {
    if (className == nullptr || windowName == nullptr) return nullptr;
    LRESULT result = 0;
    InstanceLinkRequest ping{InstanceLinkPing, 0, 0, 0};
    if (!InstanceLinkCall(LinkClass(className).c_str(), windowName, ping, &result,
                          InstanceLinkShortTimeoutMs))
        return nullptr;
    WindowRecord* w = FindProxy(className, windowName, nullptr);
    return w ? w->Handle : nullptr;
}

LRESULT RemoteSend(WindowRecord* w, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    return Call(w, InstanceLinkSendMessage, message, wParam, lParam, &result, InstanceLinkWaitForever)
               ? result
               : 0;
}

BOOL RemoteSetForeground(WindowRecord* w) {
    LRESULT result = 0;
    return Call(w, InstanceLinkSetForeground, 0, 0, 0, &result, InstanceLinkShortTimeoutMs) && result ? TRUE
                                                                                                      : FALSE;
}

HWND RemoteForeground() {
    std::vector<WindowRecord*> proxies = Remote().Proxies;
    for (WindowRecord* w : proxies) {
        LRESULT state = InstanceLinkNotInFront;
        if (w->Owner || !Call(w, InstanceLinkForegroundState, 0, 0, 0, &state, InstanceLinkShortTimeoutMs))
            continue;
        if (state == InstanceLinkWindowInFront) return w->Handle;
        if (state == InstanceLinkOwnedInFront) {
            WindowRecord* owned = FindProxy(w->RemoteClass, w->Text, w->Handle);
            return owned ? owned->Handle : nullptr;
        }
    }
    return nullptr;
}
