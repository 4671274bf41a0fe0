// Utf.h: the platform's one UTF-8 / UTF-16 codec. Every layer that reads or writes UTF-8 (the
// registry file, printing, script input, the clipboard) goes through these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Decodes one UTF-8 sequence at p[0..n). On success stores the code point and its length in bytes
// and returns true; a malformed, cut, overlong or surrogate sequence returns false.
bool Utf8DecodeOne(const uint8_t* p, size_t n, char32_t* cp, size_t* length);
// Appends cp as UTF-8 / as one or two UTF-16 units.
void Utf8Append(std::string* out, char32_t cp);
void Utf16Append(std::u16string* out, char32_t cp);
