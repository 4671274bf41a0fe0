// RegistryFormat.h: the .reg text format ("Windows Registry Editor Version 5.00") read into a
// registry tree and written back. Reading takes UTF-8 (with or without a byte-order mark) or UTF-16LE
// with its mark; writing gives UTF-8 with CR LF line ends, keys and values in name order. Every tree
// the reader builds is written so that reading it again gives the same tree: a string that the quoted
// form cannot carry exactly (no terminator, a line break, an unpaired surrogate) is written as
// hex(1):, a number of another size than 4 bytes as hex(4):.
#pragma once

#include "platform/registry/RegistryTree.h"

#include <string>

// Larger files are refused when read and never written.
constexpr size_t RegMaxFileBytes = 64 * 1024 * 1024;

struct RegParseError {
    size_t Line = 0; // 1-based; 0 for the file as a whole (encoding, size)
    const char* Reason = "";
};

// Adds the keys and values of the file's bytes to root (one sub-key per hive). False, with the first
// fault, when the bytes are not a well-formed file; root is then partly filled.
bool RegParseFile(const BYTE* data, size_t size, RegKey* root, RegParseError* error);
// The file for root; false when it would exceed RegMaxFileBytes.
bool RegWriteFile(const RegKey& root, std::string* out);
