// MessageBox.cpp: message boxes before the window layer exists: each call is recorded, echoed to
// stderr and answered with the configured answer (IDOK unless a test sets another).
#include "platform/Win32Dialogs.h"
#include "platform/Win32Text.h"

#include <cstdio>

namespace {

struct MessageBoxRecord {
    std::vector<PlatformMessageBoxCall> Calls;
    int Answer = IDOK;
    BOOL Echo = TRUE;
};

MessageBoxRecord& Boxes() {
    static MessageBoxRecord record;
    return record;
}

std::u16string TextOrEmpty(LPCWSTR s) {
    return s ? std::u16string(s) : std::u16string();
}

} // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    MessageBoxRecord& boxes = Boxes();
    PlatformMessageBoxCall call{owner, TextOrEmpty(text), caption ? caption : MessageBoxDefaultCaption,
                                caption != nullptr, type};
    if (boxes.Echo)
        std::fprintf(stderr, "[%s] %s\n", PlatformUtf16ToUtf8(call.Caption).c_str(),
                     PlatformUtf16ToUtf8(call.Text).c_str());
    boxes.Calls.push_back(std::move(call));
    return boxes.Answer;
}

const std::vector<PlatformMessageBoxCall>& PlatformMessageBoxLog() {
    return Boxes().Calls;
}
void PlatformClearMessageBoxLog() {
    Boxes().Calls.clear();
}
void PlatformSetMessageBoxAnswer(int answer) {
    Boxes().Answer = answer;
}
void PlatformSetMessageBoxEcho(BOOL echo) {
    Boxes().Echo = echo;
}
