// Controls.cpp: the control state table and the registration of the control classes. The table
// maps a control's window to its state record; it holds pointers only, each control owns its own.
#include "platform/controls/Controls.h"

#include "platform/Win32.h"

#include <unordered_map>

namespace {

std::unordered_map<HWND, void*>& States() {
    static auto* states = new std::unordered_map<HWND, void*>();
    return *states;
}

} // namespace

bool ControlAttach(HWND window, void* state) {
    if (state == nullptr) return false;
    States()[window] = state;
    return true;
}

void* ControlState(HWND window) {
    auto found = States().find(window);
    return found == States().end() ? nullptr : found->second;
}

void* ControlDetach(HWND window) {
    auto found = States().find(window);
    if (found == States().end()) return nullptr;
    void* state = found->second;
    States().erase(found);
    return state;
}

void PlatformRegisterControlClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    RegisterScrollBarClass();
    RegisterButtonClass();
    RegisterStaticClass();
    RegisterEditClass();
    RegisterListBoxClass();
}
