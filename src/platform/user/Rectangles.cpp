// Rectangles.cpp: the rectangle helpers. Coordinates are clamped so that no sum overflows.
#include "platform/Win32Windows.h"

#include "platform/base/Clamp.h"

#include <algorithm>

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
    if (rect == nullptr) return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(RECT* rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL IsRectEmpty(const RECT* rect) {
    return rect == nullptr || rect->left >= rect->right || rect->top >= rect->bottom;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL PtInRect(const RECT* rect, POINT p) {
    return rect && p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom;
}

BOOL OffsetRect(RECT* rect, int dx, int dy) {
    if (rect == nullptr) return FALSE;
    *rect = RECT{ClampCoord(int64_t(rect->left) + dx), ClampCoord(int64_t(rect->top) + dy),
                 ClampCoord(int64_t(rect->right) + dx), ClampCoord(int64_t(rect->bottom) + dy)};
    return TRUE;
}

BOOL InflateRect(RECT* rect, int dx, int dy) {
    if (rect == nullptr) return FALSE;
    *rect = RECT{ClampCoord(int64_t(rect->left) - dx), ClampCoord(int64_t(rect->top) - dy),
                 ClampCoord(int64_t(rect->right) + dx), ClampCoord(int64_t(rect->bottom) + dy)};
    return TRUE;
}

BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b) {
    if (out == nullptr || a == nullptr || b == nullptr) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        SetRectEmpty(out);
        return FALSE;
    }
    *out = r;
    return TRUE;
}

BOOL UnionRect(RECT* out, const RECT* a, const RECT* b) {
    if (out == nullptr || a == nullptr || b == nullptr) return FALSE;
    if (IsRectEmpty(a))
        *out = IsRectEmpty(b) ? RECT{0, 0, 0, 0} : *b;
    else if (IsRectEmpty(b))
        *out = *a;
    else
        *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                    std::max(a->bottom, b->bottom)};
    return !IsRectEmpty(out);
}
