// Win32Text.h: UTF-16 helpers the program uses where Win32 has the C library's wide functions.
#pragma once

#include "platform/Win32Types.h"

#include <string>

size_t wcslen16(const WCHAR* s);
int wcsicmp16(const WCHAR* a, const WCHAR* b); // ASCII letters compared without case
// Not Win32: conversions for printing and tools. Invalid input becomes U+FFFD.
std::string PlatformUtf16ToUtf8(const std::u16string& s);
std::u16string PlatformUtf8ToUtf16(const std::string& s);
