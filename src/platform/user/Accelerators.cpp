// Accelerators.cpp: accelerator tables (HACCEL) and TranslateAcceleratorW. A table is a copy of its
// entries owned by the handle table's record until DestroyAcceleratorTable (tables loaded from
// resources live for the run, as in Win32 where they are freed with the module).
#include "platform/user/Window.h"

#include "platform/Win32Resources.h"
#include "platform/base/HandleTable.h"
#include "platform/resources/AcceleratorTable.h"

#include <new>

namespace {

struct AcceleratorRecord {
    std::vector<ACCEL> Entries;
};

HACCEL NewTable(std::vector<ACCEL> entries) {
    auto* record = new (std::nothrow) AcceleratorRecord{std::move(entries)};
    if (record == nullptr) return nullptr;
    auto handle = static_cast<HACCEL>(HandleAdd(HandleKind::Accelerator, record));
    if (handle == nullptr) delete record;
    return handle;
}

bool ModifiersMatch(BYTE flags) {
    bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0,
         alt = GetKeyState(VK_MENU) < 0;
    return shift == ((flags & FSHIFT) != 0) && ctrl == ((flags & FCONTROL) != 0) &&
           alt == ((flags & FALT) != 0);
}

bool Matches(const ACCEL& a, const MSG& msg) {
    bool keyDown = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    bool character = msg.message == WM_CHAR || msg.message == WM_SYSCHAR;
    if (a.fVirt & FVIRTKEY) return keyDown && msg.wParam == a.key && ModifiersMatch(a.fVirt);
    // A character entry: the character itself, Alt as the message says.
    return character && msg.wParam == a.key && ((a.fVirt & FALT) != 0) == (msg.message == WM_SYSCHAR);
}

} // namespace

HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name) {
    HRSRC found = FindResourceW(instance, name, RT_ACCELERATOR);
    if (found == nullptr) return nullptr;
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
    std::vector<ACCEL> entries;
    if (!AcceleratorTableRead(bytes, SizeofResource(instance, found), &entries)) return nullptr;
    return NewTable(std::move(entries));
}

HACCEL CreateAcceleratorTableW(const ACCEL* entries, int count) {
    if (entries == nullptr || count <= 0) return nullptr;
    return NewTable(std::vector<ACCEL>(entries, entries + count));
}

BOOL DestroyAcceleratorTable(HACCEL table) {
    auto* record = static_cast<AcceleratorRecord*>(HandleLookup(HandleKind::Accelerator, table));
    if (record == nullptr) return FALSE;
    HandleRemove(HandleKind::Accelerator, table);
    delete record;
    return TRUE;
}

int TranslateAcceleratorW(HWND window, HACCEL table, LPMSG msg) {
    auto* record = static_cast<AcceleratorRecord*>(HandleLookup(HandleKind::Accelerator, table));
    if (record == nullptr || msg == nullptr || !IsWindow(window)) return 0;
    for (const ACCEL& a : record->Entries) {
        if (!Matches(a, *msg)) continue;
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}
