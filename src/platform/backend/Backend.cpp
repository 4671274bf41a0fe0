// Backend.cpp: the registered backends and the one in use. Tables are owned by their backend
// libraries (static, for the run); this file keeps pointers only.
#include "platform/backend/Backend.h"

#include "platform/Win32Windows.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct BackendTable {
    std::vector<const Backend*> Registered;
    const Backend* Current = nullptr;
};

BackendTable& Backends() {
    static BackendTable* table = new BackendTable();
    return *table;
}

bool OpenBackend(const Backend* b) {
    if (b == nullptr || (b->Open && !b->Open())) return false;
    Backends().Current = b;
    if (b->ScreenSize) {
        int width = 0, height = 0;
        b->ScreenSize(&width, &height);
        PlatformSetScreenSize(width, height);
    }
    return true;
}

} // namespace

const Backend& PlatformBackend() {
    static const Backend none{};
    return Backends().Current ? *Backends().Current : none;
}

void PlatformRegisterBackend(const Backend* backend) {
    if (backend == nullptr || backend->Name == nullptr || PlatformFindBackend(backend->Name)) return;
    Backends().Registered.push_back(backend);
}

void PlatformUseBackend(const Backend* backend) {
    Backends().Current = nullptr;
    if (backend) OpenBackend(backend);
}

const Backend* PlatformFindBackend(const char* name) {
    for (const Backend* b : Backends().Registered)
        if (std::strcmp(b->Name, name) == 0) return b;
    return nullptr;
}

const char* PlatformSelectBackend(bool headless) {
    BackendTable& t = Backends();
    if (t.Current) return t.Current->Name;
    if (!headless) {
        const Backend* sdl = PlatformFindBackend("sdl");
        if (sdl && OpenBackend(sdl)) return sdl->Name;
        std::fprintf(stderr, "kestrova: %s; running headless\n",
                     sdl ? "no display could be opened" : "this build has no display backend");
    }
    const Backend* none = PlatformFindBackend("headless");
    if (none && OpenBackend(none)) return none->Name;
    return nullptr;
}
