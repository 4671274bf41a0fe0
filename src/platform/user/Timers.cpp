// Timers.cpp: SetTimer / KillTimer and the WM_TIMER messages the queue generates when nothing else
// is waiting, on the backend's clock (GetTickCount). Headless runs a virtual clock that moves only
// when a script waits, so timers there fire in a fixed order at fixed times.
#include "platform/user/Window.h"

#include "platform/backend/Backend.h"

#include <chrono>
#include <vector>

namespace {

// Win32's shortest period (USER_TIMER_MINIMUM); shorter requests get it.
constexpr UINT ShortestPeriodMs = 10;
// Ids SetTimer gives timers without a window, counting down from the top so they never meet the
// small ids programs choose.
constexpr UINT_PTR FirstFreeTimerId = 0x7FFF;

struct TimerRecord {
    HWND Window;
    UINT_PTR Id;
    UINT Period;
    TIMERPROC Proc;
    DWORD Due;
};

struct TimerTable {
    std::vector<TimerRecord> Timers;
    UINT_PTR NextFreeId = FirstFreeTimerId;
};

TimerTable& Timers() {
    static TimerTable* table = new TimerTable();
    return *table;
}

// Signed distance from now to due, right across the 49-day wrap of the tick count.
int32_t Until(DWORD due, DWORD now) {
    return int32_t(due - now);
}

} // namespace

DWORD GetTickCount() {
    if (PlatformBackend().Ticks) return PlatformBackend().Ticks();
    static const auto start = std::chrono::steady_clock::now();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return DWORD(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (window != nullptr && !IsWindow(window)) return 0;
    TimerTable& t = Timers();
    if (window == nullptr) id = t.NextFreeId--;
    UINT period = elapseMs < ShortestPeriodMs ? ShortestPeriodMs : elapseMs;
    DWORD due = GetTickCount() + period;
    for (TimerRecord& r : t.Timers)
        if (r.Window == window && r.Id == id) {
            r = TimerRecord{window, id, period, proc, due};
            return window ? 1 : id;
        }
    t.Timers.push_back(TimerRecord{window, id, period, proc, due});
    return window ? 1 : id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    auto& timers = Timers().Timers;
    size_t before = timers.size();
    std::erase_if(timers, [&](const TimerRecord& r) { return r.Window == window && r.Id == id; });
    return timers.size() != before ? TRUE : FALSE;
}

bool TimerNextDue(HWND filter, MSG* msg) {
    DWORD now = GetTickCount();
    TimerRecord* best = nullptr;
    for (TimerRecord& r : Timers().Timers) {
        if (filter && r.Window != filter && !IsChild(filter, r.Window)) continue;
        if (Until(r.Due, now) > 0) continue;
        if (best == nullptr || Until(r.Due, best->Due) < 0) best = &r;
    }
    if (best == nullptr) return false;
    best->Due = now + best->Period;
    *msg = MSG{best->Window, WM_TIMER, best->Id, reinterpret_cast<LPARAM>(best->Proc), now, POINT{0, 0}};
    return true;
}

int TimerMsUntilNext(HWND filter) {
    DWORD now = GetTickCount();
    int best = -1;
    for (const TimerRecord& r : Timers().Timers) {
        if (filter && r.Window != filter && !IsChild(filter, r.Window)) continue;
        int wait = Until(r.Due, now) < 0 ? 0 : Until(r.Due, now);
        if (best < 0 || wait < best) best = wait;
    }
    return best;
}

void TimerDropWindow(HWND window) {
    std::erase_if(Timers().Timers, [window](const TimerRecord& r) { return r.Window == window; });
}
