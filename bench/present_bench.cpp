// present_bench.cpp: what a present costs on the desktop backend: a whole 480 x 800 frame and one
// 240 x 20 line of it, copied into the window and put on the X server. Quoted beside a memcpy of
// the whole frame in the same run. Needs a display (run it under scripts/xvfb-run-tests.sh);
// without one every figure is skipped.
#include "platform/backend/sdl/SdlBackend.h"
#include "platform/gdi/Surface.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int FrameWidth = 480;
constexpr int FrameHeight = 800;

struct Frame {
    std::vector<uint32_t> Pixels = std::vector<uint32_t>(size_t(FrameWidth * FrameHeight));
    Surface Wrapped;
    Frame() {
        for (size_t i = 0; i < Pixels.size(); ++i)
            Pixels[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
        SurfaceWrap(&Wrapped, Pixels.data(), FrameWidth, FrameHeight, FrameWidth);
    }
};

// The backend with one shown window, opened once for the run; null without a display.
HWND Window() {
    static HWND window = [] {
        const Backend* b = SdlBackend();
        if (getenv("DISPLAY") == nullptr || !b->Open()) return HWND(nullptr);
        auto handle = reinterpret_cast<HWND>(uintptr_t(1));
        b->CreateTopLevel(handle, RECT{0, 0, FrameWidth, FrameHeight}, u"present bench");
        b->ShowTopLevel(handle, true);
        BackendEvent event;
        while (b->WaitEvent(&event, 200)) {}
        return handle;
    }();
    return window;
}

void Present(benchmark::State& state, RECT area) {
    HWND window = Window();
    if (window == nullptr) {
        state.SkipWithError("no display");
        return;
    }
    Frame frame;
    for (auto _ : state)
        SdlBackend()->Present(window, frame.Wrapped, area);
    state.SetBytesProcessed(state.iterations() * (area.right - area.left) * (area.bottom - area.top) * 4);
}

void BM_PresentWholeFrame(benchmark::State& state) {
    Present(state, RECT{0, 0, FrameWidth, FrameHeight});
}
BENCHMARK(BM_PresentWholeFrame);

void BM_PresentOneLine(benchmark::State& state) {
    Present(state, RECT{120, 400, 360, 420});
}
BENCHMARK(BM_PresentOneLine);

void BM_BaselineMemcpyWholeFrame(benchmark::State& state) {
    Frame from, to;
    for (auto _ : state) {
        memcpy(to.Pixels.data(), from.Pixels.data(), from.Pixels.size() * 4);
        benchmark::DoNotOptimize(to.Pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * FrameWidth * FrameHeight * 4);
}
BENCHMARK(BM_BaselineMemcpyWholeFrame);

} // namespace

BENCHMARK_MAIN();
