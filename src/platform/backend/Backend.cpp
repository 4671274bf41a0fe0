// Backend.cpp: the minimal backend registry until the window layer brings its own: a table of nulls
// (every operation takes its documented default, the clipboard stays in memory) unless a registered
// backend is selected. Nothing here is freed; backends are static tables of their libraries.
#include "platform/backend/Backend.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t MostBackends = 4;

struct BackendChoice {
    const Backend* Registered[MostBackends] = {};
    size_t Count = 0;
    const Backend* Chosen = nullptr;
};

BackendChoice& Choice() {
    static BackendChoice choice;
    return choice;
}

const Backend NullBackend = {};

const Backend* FindRegistered(const char* name) {
    BackendChoice& c = Choice();
    for (size_t i = 0; i < c.Count; ++i)
        if (c.Registered[i]->Name && std::strcmp(c.Registered[i]->Name, name) == 0) return c.Registered[i];
    return nullptr;
}

} // namespace

const Backend& PlatformBackend() {
    const Backend* chosen = Choice().Chosen;
    return chosen ? *chosen : NullBackend;
}

const char* PlatformSelectBackend(bool headless) {
    const Backend* sdl = headless ? nullptr : FindRegistered("sdl");
    if (sdl != nullptr && (sdl->Open == nullptr || sdl->Open())) {
        Choice().Chosen = sdl;
        return "sdl";
    }
    if (!headless) std::fprintf(stderr, "kestrova: no display; running headless\n");
    const Backend* quiet = FindRegistered("headless");
    if (quiet != nullptr && quiet->Open != nullptr) quiet->Open();
    Choice().Chosen = quiet;
    return "headless";
}

void PlatformRegisterBackend(const Backend* backend) {
    BackendChoice& c = Choice();
    if (backend != nullptr && c.Count < MostBackends) c.Registered[c.Count++] = backend;
}
