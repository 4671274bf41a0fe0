// WindowClasses.cpp: the registered window classes. Class records live for the run (a window
// points at its class); UnregisterClassW refuses while a window of the class exists. Names compare
// without case; an integer name (MAKEINTRESOURCEW of the atom) finds the class by its atom.
#include "platform/user/Window.h"

#include "platform/Win32Text.h"
#include "platform/base/HandleTable.h"

#include <memory>
#include <utility>

namespace {

struct ClassTable {
    std::vector<std::unique_ptr<ClassRecord>> Classes;
    WORD NextAtom = 0xC000; // registered atoms start here in Win32 too
};

ClassTable& Classes() {
    static ClassTable* table = new ClassTable();
    return *table;
}

bool InUse(ClassRecord* c) {
    std::pair<ClassRecord*, bool> search{c, false};
    HandleForEach(
        HandleKind::Window,
        [](void*, void* record, void* context) {
            auto* s = static_cast<std::pair<ClassRecord*, bool>*>(context);
            if (static_cast<WindowRecord*>(record)->Class == s->first) s->second = true;
        },
        &search);
    return search.second;
}

} // namespace

ClassRecord* ClassFind(LPCWSTR name) {
    if (name == nullptr) return nullptr;
    for (auto& c : Classes().Classes) {
        if (IS_INTRESOURCE(name) ? c->Atom == WORD(reinterpret_cast<ULONG_PTR>(name))
                                 : wcsicmp16(c->Name.c_str(), name) == 0)
            return c.get();
    }
    return nullptr;
}

WORD RegisterClassW(const WNDCLASSW* wc) {
    if (wc == nullptr || wc->lpfnWndProc == nullptr || wc->lpszClassName == nullptr ||
        IS_INTRESOURCE(wc->lpszClassName) || wc->lpszClassName[0] == 0 || wc->cbWndExtra < 0 ||
        wc->cbWndExtra > 4096 || ClassFind(wc->lpszClassName) != nullptr)
        return 0;
    ClassTable& t = Classes();
    auto record = std::make_unique<ClassRecord>();
    record->Info = *wc;
    record->Name = wc->lpszClassName;
    record->Info.lpszClassName = record->Name.c_str();
    record->Info.lpszMenuName = nullptr;
    record->Atom = t.NextAtom++;
    t.Classes.push_back(std::move(record));
    return t.Classes.back()->Atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    ClassRecord* c = ClassFind(className);
    if (c == nullptr || InUse(c)) return FALSE;
    auto& list = Classes().Classes;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == c) {
            list.erase(list.begin() + long(i));
            break;
        }
    return TRUE;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR className, WNDCLASSW* windowClass) {
    ClassRecord* c = ClassFind(className);
    if (c == nullptr || windowClass == nullptr) return FALSE;
    *windowClass = c->Info;
    return TRUE;
}

int GetClassNameW(HWND window, LPWSTR name, int count) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || name == nullptr || count <= 0) return 0;
    int n = int(w->Class->Name.size()) < count - 1 ? int(w->Class->Name.size()) : count - 1;
    for (int i = 0; i < n; ++i)
        name[i] = w->Class->Name[size_t(i)];
    name[n] = 0;
    return n;
}
