// AcceleratorTable.h: the bounded reader of RT_ACCELERATOR resources. The binary form is a run of
// 8-byte entries (flags, key, command, padding; little-endian words); the entry whose flags carry
// AcceleratorLastEntry ends the table. The reader fills plain ACCEL records; it owns nothing.
#pragma once

#include "platform/Win32Windows.h"

#include <cstddef>
#include <vector>

constexpr BYTE AcceleratorLastEntry = 0x80;
constexpr size_t AcceleratorEntrySize = 8;

// Reads the entries of data[0..size) into *entries. False when the bytes hold no whole entry, or a
// flag outside those Win32 defines is set; bytes after the last entry are ignored, and a table
// without a last-entry mark ends with its last whole entry.
bool AcceleratorTableRead(const BYTE* data, size_t size, std::vector<ACCEL>* entries);
