// ClipboardCopy.cpp: "Copy" and "Append to ClipBoard": the acting pane's article as wide text, then
// on the clipboard as plain Unicode text (letter bases up to 256) or as a right-to-left Hebrew RTF
// document (the Unicode base), replacing what is there or joined to it. The clipboard is opened
// without an owner, once to read and once to write. A block handed to the clipboard is the
// clipboard's; every other buffer here is freed before the command returns. Nothing half-made
// reaches the clipboard: its contents are replaced only once the new block is complete.
#include "export/ClipboardCopy.h"

#include "export/ClipboardExport.h"
#include "shell/ReaderState.h"
#include "shell/Settings.h"
#include "text/TextPane.h"

#include <cstdlib>
#include <cstring>

namespace {

inline constexpr const WCHAR* RichTextFormatName = u"Rich Text Format";

// A filled block for the clipboard, or null (then nothing is changed).
HLOCAL MakeBlock(size_t size) {
    return LocalAlloc(LMEM_MOVEABLE, size);
}

// Replaces the clipboard's contents with the block (which the clipboard then owns).
void Place(UINT format, HLOCAL block) {
    if (!OpenClipboard(nullptr)) {
        LocalFree(block);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(format, block)) LocalFree(block);
    CloseClipboard();
}

} // namespace

void* ReadClipboardText(UINT format, size_t* bytes) {
    *bytes = 0;
    if (!OpenClipboard(nullptr)) return nullptr;
    void* copy = nullptr;
    HANDLE data = GetClipboardData(format);
    const auto* source = data ? static_cast<const uint8_t*>(LocalLock(data)) : nullptr;
    if (source) {
        size_t size = LocalSize(data), length = 0;
        if (format == CF_UNICODETEXT) {
            while (length + 1 < size && (source[length] | source[length + 1]) != 0)
                length += 2;
        } else {
            while (length < size && source[length] != 0)
                ++length;
        }
        copy = length ? AllocOrQuit(length) : nullptr;
        if (copy) {
            std::memcpy(copy, source, length);
            *bytes = length;
        }
        LocalUnlock(data);
    }
    CloseClipboard();
    return copy;
}

void PutUnicodeText(const WCHAR* text, size_t length, int append) {
    size_t oldBytes = 0;
    void* old = append ? ReadClipboardText(CF_UNICODETEXT, &oldBytes) : nullptr;
    HLOCAL block = MakeBlock(UnicodeBlockSize(oldBytes, length));
    void* bytes = block ? LocalLock(block) : nullptr;
    if (bytes) {
        WriteUnicodeDocument(static_cast<uint8_t*>(bytes), static_cast<const uint8_t*>(old), oldBytes, text,
                             length);
        LocalUnlock(block);
        Place(CF_UNICODETEXT, block);
    } else if (block) {
        LocalFree(block);
    }
    std::free(old);
}

void PutRichText(const WCHAR* text, int append) {
    UINT format = RegisterClipboardFormatW(RichTextFormatName);
    size_t oldBytes = 0;
    char* old = append ? static_cast<char*>(ReadClipboardText(format, &oldBytes)) : nullptr;
    size_t bodyLength = 0;
    char* body = RtfBody(text, &bodyLength);
    HLOCAL block = body ? MakeBlock(RtfBlockSize(old, oldBytes, bodyLength)) : nullptr;
    char* bytes = block ? static_cast<char*>(LocalLock(block)) : nullptr;
    if (bytes) {
        WriteRtfDocument(bytes, old, oldBytes, body, bodyLength);
        LocalUnlock(block);
        Place(format, block);
    } else if (block) {
        LocalFree(block);
    }
    std::free(body);
    std::free(old);
}

void CopyArticle(TextPane* pane, int append) {
    if (pane == nullptr || pane->Text == nullptr) return;
    int length = 0;
    WCHAR* text = ArticleWideText(pane->Text, &length);
    if (text == nullptr) return;
    if (ReaderState.FontSpec.FontAsciiBase <= ExportUnicodeBaseAbove)
        PutUnicodeText(text, size_t(length), append);
    else
        PutRichText(text, append);
    std::free(text);
}
