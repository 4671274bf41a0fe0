// MessageBox.cpp: MessageBoxW's record of calls, its answers given in advance, and the choice
// between showing the box (MessageBoxDialog.cpp) and answering at once when nothing could show it.
#include "platform/Win32Dialogs.h"

#include "platform/Win32Text.h"
#include "platform/backend/Backend.h"
#include "platform/user/Window.h"

#include <cstdio>

namespace {

struct MessageBoxRecord {
    std::vector<PlatformMessageBoxCall> Calls;
    int Answer = 0;     // every box, until reset to 0
    int NextAnswer = 0; // the next box only
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
    PlatformMessageBoxCall call{
        owner, TextOrEmpty(text), caption ? caption : MessageBoxDefaultCaption, caption != nullptr, type, 0};
    if (boxes.Echo)
        std::fprintf(stderr, "[%s] %s\n", PlatformUtf16ToUtf8(call.Caption).c_str(),
                     PlatformUtf16ToUtf8(call.Text).c_str());
    size_t index = boxes.Calls.size();
    boxes.Calls.push_back(call);
    int answer;
    if (boxes.NextAnswer != 0) {
        answer = boxes.NextAnswer;
        boxes.NextAnswer = 0;
    } else if (boxes.Answer != 0) {
        answer = boxes.Answer;
    } else if (PlatformBackend().WaitEvent == nullptr) {
        answer = IDOK;
    } else {
        answer = MessageBoxShow(owner, call.Text, call.Caption, type);
    }
    if (index < Boxes().Calls.size()) Boxes().Calls[index].Answer = answer;
    return answer;
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
void PlatformAnswerNextMessageBox(int answer) {
    Boxes().NextAnswer = answer;
}
void PlatformSetMessageBoxEcho(BOOL echo) {
    Boxes().Echo = echo;
}
