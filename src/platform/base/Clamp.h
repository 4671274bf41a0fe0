// Clamp.h: the coordinate range every drawing and window operation keeps to. Win32 keeps
// coordinates within 27 bits; clamping there keeps every sum of two coordinates free of overflow.
#pragma once

#include <cstdint>

constexpr int CoordLimit = 1 << 27;

constexpr int32_t ClampCoord(int64_t v) {
    return int32_t(v < -CoordLimit ? -CoordLimit : (v > CoordLimit ? CoordLimit : v));
}
