// RegistryFaults.h: what the registry fault check's driver and its helper processes share: the
// settings they write (a generation number and values that all carry it, so a file mixing two saves
// is seen at once), how a file is checked whole, and the helper modes the driver starts.
#pragma once

#include "platform/Win32.h"

#include <string>

namespace faults {

// Exit status of a helper whose check could not run here (no mount permission): not a failure.
constexpr int Skipped = 77;

// The DWORD both counting helpers add one to each time.
constexpr const char16_t* SharedCount = u"Shared";

// Opens the settings key for writing and sets generation g in it; the caller closes or flushes.
LONG WriteGeneration(DWORD g, HKEY* key);
// The generation the file holds when it parses whole and every value agrees with it; -1 otherwise,
// with *why saying what is wrong.
long long FileGeneration(const std::string& file, std::string* why);
// The generation the registry in memory holds, -1 when it holds none.
long long MemoryGeneration();
// The DWORD value name of the settings key in the file, -1 when it is missing or damaged.
long long FileDword(const std::string& file, const char16_t* name);
std::string ReadBytes(const std::string& file);
// Entries of folder named <file's name>.tmp-*.
int CountTemps(const std::string& file);

// Helper modes, run in a process of their own; each returns the process's exit status.
int SaveLoop(const std::string& file);                                 // saves until killed
int Count(const std::string& file, const std::u16string& name, int n); // n increments, a save each
int Hold(const std::string& file);                                     // a key open for writing until killed
int Inject(const std::string& file);                                   // every call of a save failing in turn
int FullDisk(const std::string& folder);                               // tmpfs filled, then a read-only bind

} // namespace faults
