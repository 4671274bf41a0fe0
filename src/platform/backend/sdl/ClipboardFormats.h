// ClipboardFormats.h: how our clipboard formats meet other programs' selection targets, with no
// display involved: which target names a format is offered and asked for under, and the byte
// conversions both ways (UTF-16 text <-> UTF-8 or Latin-1, RTF bytes as they are). Everything
// returned is a value the caller owns; ClipboardBlockFromTarget's block is malloc'd.
#pragma once

#include "platform/Win32Types.h"

#include <cstddef>
#include <string>
#include <vector>

constexpr UINT ClipboardUnicodeText = 13; // CF_UNICODETEXT
// The registered format whose bytes other programs know as text/rtf.
constexpr char16_t ClipboardRtfName[] = u"Rich Text Format";

// One target we answer for: its name and the bytes we send.
struct ClipboardOffer {
    std::string Target;
    std::string Bytes;
};

// The offers for one published block: text under UTF8_STRING, text/plain;charset=utf-8, TEXT and
// STRING (Latin-1, '?' for what Latin-1 lacks); RTF under text/rtf, text/richtext and its own name;
// any other registered format under its name. Text stops at its first zero unit and its CR LF line
// ends become LF; RTF stops at its first zero. Unnamed formats other than text give nothing.
void ClipboardOffersFor(UINT format, const WCHAR* name, const void* block, size_t size,
                        std::vector<ClipboardOffer>* offers);

// The targets to ask another program for, best first.
std::vector<std::string> ClipboardTargetsToRead(UINT format, const WCHAR* name);

// Whether a reply of this type (the type the owner gave its property) holds the format: text as
// UTF-8, Latin-1 (STRING) or plain text; other formats only under one of their own target names.
// Some owners answer every request with whatever they hold, so the type decides, not the request.
bool ClipboardTypeFits(UINT format, const WCHAR* name, const std::string& type);

// Our block for bytes received with this type: text as UTF-16 up to its first zero, each line ending
// in CR LF (malformed UTF-8 becomes U+FFFD; STRING is Latin-1), other formats as the bytes. Size counts the
// content only; a zero unit (text) or byte (others) follows it in the block all the same. Null only when
// memory runs out.
void* ClipboardBlockFromTarget(UINT format, const std::string& type, const std::string& bytes, size_t* size);

// UTF-8 as Latin-1, '?' for characters Latin-1 lacks.
std::string ClipboardLatin1FromUtf8(const std::string& utf8);
