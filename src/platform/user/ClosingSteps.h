// ClosingSteps.h: how a program is ended from outside in order, whether its script has run out
// (headless) or the desktop asked it to end (SIGTERM, SIGINT, the session closing): WM_CLOSE to the
// topmost shown and enabled top-level window (a dialog or message box first, then its owner), again
// while windows remain, then the end of the loop when none is left. So the program's own closing
// runs (the reader keeps its place) instead of the loop being cut off with windows still open.
#pragma once

#include "platform/backend/Backend.h"

#include <cstddef>

struct ClosingSteps {
    int Requests = 0;         // close requests since the number of top-level windows last changed
    size_t WindowsAtLast = 0; // top-level windows at the last request
};

// The most close requests while the number of top-level windows stays the same: a program that
// refuses them all is stuck.
constexpr int ClosingMostRequests = 64;

enum class ClosingStep { Close, Quit, Stuck };

// The next step: Close fills *event with a CloseRequest, Quit with a Quit event (no top-level
// window is left), Stuck leaves it alone (ClosingMostRequests went unheeded).
ClosingStep ClosingNextStep(ClosingSteps* steps, BackendEvent* event);
