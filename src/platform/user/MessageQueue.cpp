// MessageQueue.cpp: the one message queue of the process's one thread: posted messages, the quit
// flag, WM_PAINT and WM_TIMER generated when nothing is posted, and the wait for the backend's next
// event. GetMessageW / PeekMessageW / PostMessageW / SendMessageW / DispatchMessageW live here.
// Queued messages are copied in and out; the queue owns nothing that outlives a message.
#include "platform/user/Window.h"

#include "platform/backend/Backend.h"

#include <chrono>
#include <deque>
#include <thread>

namespace {

struct Queue {
    std::deque<MSG> Posted;
    bool QuitPending = false;
    int QuitCode = 0;
    MSG Last{};
};

Queue& TheQueue() {
    static Queue* queue = new Queue();
    return *queue;
}

bool InRange(UINT message, UINT min, UINT max) {
    return (min == 0 && max == 0) || (message >= min && message <= max);
}

bool ForWindow(HWND target, HWND filter) {
    return filter == nullptr || target == filter || IsChild(filter, target);
}

bool TakePosted(MSG* msg, HWND filter, UINT min, UINT max, bool remove) {
    auto& posted = TheQueue().Posted;
    for (auto it = posted.begin(); it != posted.end(); ++it) {
        if (!InRange(it->message, min, max) || !ForWindow(it->hwnd, filter)) continue;
        *msg = *it;
        if (remove) posted.erase(it);
        return true;
    }
    return false;
}

// Posted messages, then the quit flag, then paint, then timers: as Win32 orders them.
bool TakeReady(MSG* msg, HWND filter, UINT min, UINT max, bool remove) {
    Queue& q = TheQueue();
    if (TakePosted(msg, filter, min, max, remove)) return true;
    if (q.QuitPending && InRange(WM_QUIT, min, max)) {
        *msg = MSG{nullptr, WM_QUIT, WPARAM(q.QuitCode), 0, QueueTime(), POINT{0, 0}};
        if (remove) q.QuitPending = false;
        return true;
    }
    if (InRange(WM_PAINT, min, max)) {
        if (HWND window = PaintNextWindow(filter)) {
            *msg = MSG{window, WM_PAINT, 0, 0, QueueTime(), POINT{0, 0}};
            return true;
        }
    }
    return InRange(WM_TIMER, min, max) && TimerNextDue(filter, msg);
}

} // namespace

DWORD QueueTime() {
    return GetTickCount();
}

void QueuePost(const MSG& msg) {
    TheQueue().Posted.push_back(msg);
}

void QueuePostFront(const MSG& msg) {
    TheQueue().Posted.push_front(msg);
}

void QueueDropWindow(HWND window) {
    std::erase_if(TheQueue().Posted, [window](const MSG& m) { return m.hwnd == window; });
}

bool QueueNext(MSG* msg, HWND filter, UINT min, UINT max, bool remove, bool wait) {
    const Backend& b = PlatformBackend();
    for (;;) {
        if (TakeReady(msg, filter, min, max, remove)) {
            if (remove) TheQueue().Last = *msg;
            return true;
        }
        PaintPresentAll();
        int timeout = RemoteServe(wait ? TimerMsUntilNext(filter) : 0);
        if (b.WaitEvent == nullptr) {
            // No backend: nothing will ever arrive but timers; an idle loop with none ends as if
            // the program had been asked to quit, so a loop run without a backend cannot hang.
            if (!wait) return false;
            if (timeout < 0) {
                *msg = MSG{nullptr, WM_QUIT, 0, 0, QueueTime(), POINT{0, 0}};
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(timeout));
            continue;
        }
        BackendEvent event{};
        if (b.WaitEvent(&event, timeout))
            InputHandleEvent(event);
        else if (!wait)
            return false;
    }
}

BOOL GetMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr || (window != nullptr && !IsWindow(window))) return -1;
    QueueNext(msg, window, filterMin, filterMax, true, true);
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
    if (msg == nullptr) return FALSE;
    return QueueNext(msg, window, filterMin, filterMax, (remove & PM_REMOVE) != 0, false) ? TRUE : FALSE;
}

BOOL WaitMessage() {
    MSG msg;
    return QueueNext(&msg, nullptr, 0, 0, false, true) ? TRUE : FALSE;
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr && !IsWindow(window)) return FALSE;
    QueuePost(MSG{window, message, wParam, lParam, QueueTime(), POINT{0, 0}});
    return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowCall(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    TheQueue().QuitPending = true;
    TheQueue().QuitCode = exitCode;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(window, message, wParam, lParam) : 0;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (msg == nullptr) return 0;
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (msg->hwnd == nullptr || !IsWindow(msg->hwnd)) return 0;
    RECT before{};
    if (msg->message == WM_PAINT) GetUpdateRect(msg->hwnd, &before, FALSE);
    LRESULT result = WindowCall(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    // Not Win32: a procedure that answers WM_PAINT without painting would be sent it for ever;
    // an update area left exactly as it was is taken as painted.
    RECT after{};
    if (msg->message == WM_PAINT && GetUpdateRect(msg->hwnd, &after, FALSE) && after.left == before.left &&
        after.top == before.top && after.right == before.right && after.bottom == before.bottom)
        ValidateRect(msg->hwnd, nullptr);
    PaintPresentAll();
    return result;
}

DWORD GetMessagePos() {
    const MSG& m = TheQueue().Last;
    return DWORD(MAKELONG(WORD(m.pt.x), WORD(m.pt.y)));
}

LONG GetMessageTime() {
    return LONG(TheQueue().Last.time);
}
