// ClosingSteps.cpp: the next step of ending a program from outside (see ClosingSteps.h). The
// caller owns the ClosingSteps record.
#include "platform/user/ClosingSteps.h"

#include "platform/Win32Windows.h"
#include "platform/user/Window.h"

ClosingStep ClosingNextStep(ClosingSteps* steps, BackendEvent* event) {
    const std::vector<HWND>& tops = WindowTopLevels();
    if (tops.empty()) {
        *event = BackendEvent{};
        event->Kind = BackendEventKind::Quit;
        return ClosingStep::Quit;
    }
    if (tops.size() != steps->WindowsAtLast) steps->Requests = 0;
    steps->WindowsAtLast = tops.size();
    if (++steps->Requests > ClosingMostRequests) return ClosingStep::Stuck;
    HWND target = tops.front();
    for (HWND top : tops)
        if (IsWindowVisible(top) && IsWindowEnabled(top)) {
            target = top;
            break;
        }
    *event = BackendEvent{};
    event->Kind = BackendEventKind::CloseRequest;
    event->Window = target;
    return ClosingStep::Close;
}
