// ResourceCursor.h: the bounded little-endian reader the template readers share. A cursor walks
// bytes it does not own; every read checks the end first and, past it, marks the cursor failed and
// returns zero, so a reader can read a whole record and check Failed once.
#pragma once

#include "platform/resources/ResourceTemplates.h"

struct ResCursor {
    const BYTE* Data;
    size_t Size;
    size_t Pos;
    bool Failed;
};

inline ResCursor MakeResCursor(const void* bytes, size_t size) {
    return ResCursor{static_cast<const BYTE*>(bytes), bytes ? size : 0, 0, false};
}

inline bool ResHas(const ResCursor* c, size_t count) {
    return !c->Failed && c->Pos <= c->Size && count <= c->Size - c->Pos;
}

inline WORD ResReadU16(ResCursor* c) {
    if (!ResHas(c, 2)) {
        c->Failed = true;
        return 0;
    }
    const BYTE* p = c->Data + c->Pos;
    c->Pos += 2;
    return WORD(p[0] | p[1] << 8);
}

inline DWORD ResReadU32(ResCursor* c) {
    DWORD low = ResReadU16(c);
    return low | DWORD(ResReadU16(c)) << 16;
}

inline BYTE ResReadU8(ResCursor* c) {
    if (!ResHas(c, 1)) {
        c->Failed = true;
        return 0;
    }
    return c->Data[c->Pos++];
}

// Moves to the next multiple of 2 or 4 from the start of the template; the padding must exist.
inline void ResAlign(ResCursor* c, size_t to) {
    size_t aligned = (c->Pos + to - 1) & ~(to - 1);
    if (aligned > c->Size) {
        c->Failed = true;
        return;
    }
    c->Pos = aligned;
}

// A zero-terminated UTF-16 string; the terminator must lie inside the bytes.
inline std::u16string ResReadString(ResCursor* c) {
    std::u16string text;
    for (;;) {
        WORD unit = ResReadU16(c);
        if (c->Failed || unit == 0) return text;
        text.push_back(char16_t(unit));
    }
}

// 0xFFFF and an ordinal, or a zero-terminated string (an empty one when the first unit is 0).
inline ResNameOrOrdinal ResReadNameOrOrdinal(ResCursor* c) {
    ResNameOrOrdinal name{};
    if (ResHas(c, 2) && c->Data[c->Pos] == 0xFF && c->Data[c->Pos + 1] == 0xFF) {
        c->Pos += 2;
        name.IsOrdinal = true;
        name.Ordinal = ResReadU16(c);
        return name;
    }
    name.Text = ResReadString(c);
    return name;
}
