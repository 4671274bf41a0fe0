// RegistryStorage.h: where the registry file lives, loading it (a damaged file is renamed aside,
// never deleted or overwritten) and saving it atomically (temporary file in the same folder, fsync,
// rename over, fsync of the folder). A link is followed to the file it names, which is the one read,
// replaced or moved aside; anything that is not a regular file is refused. Saves of several
// processes are serialised by an advisory lock on the file's folder, and each save merges: the
// values this process changed win, every other value is taken from the file as it is then. Between
// saves, a file another process has saved is merged in the same way when it is next looked at.
// Results are Win32 error codes; refusals the user can act on print one line on stderr.
#pragma once

#include "platform/registry/RegistryTree.h"

#include <string>

// Which version of the file this process last read or wrote (a save of another process replaces the
// file, so the inode or the change time differs).
struct RegFileStamp {
    bool Known = false;
    unsigned long long Device = 0, Inode = 0, Size = 0;
    long long ChangedNs = 0;
};

// $KESTROVA_REGISTRY, else $XDG_CONFIG_HOME/kestrova/registry.reg (an absolute XDG_CONFIG_HOME only),
// else $HOME/.config/kestrova/registry.reg; empty when none of them is set.
std::string RegDefaultFilePath();
// Fills root from the file. A missing file gives an empty root; so does a damaged one once it is
// renamed to <file>.damaged-<n>. Any other result (a file that can be neither read nor moved aside,
// a folder, a FIFO, a link loop) leaves root empty and means the file must not be written over.
LONG RegLoadFile(const std::string& path, RegKey* root, RegFileStamp* stamp);
// When the file is no longer the version in *stamp, merges it into root as a save would (the values
// this process changed stay, every other value takes the file's). Quiet: a file that cannot be read
// now is left for the next save to report.
void RegRefreshFile(const std::string& path, RegKey* root, RegFileStamp* stamp);
// Takes the save lock of the file's folder for a key opened for writing, so that what the process
// reads, changes and saves through it is not changed by another process in between; the descriptor
// holding it, or -1 (no folder yet, no locks on this file system, or another process kept it for
// ten seconds). RegUnlockFile(-1) does nothing.
int RegLockFile(const std::string& path);
void RegUnlockFile(int lock);
// Merges the file as it now is into root (see RegMergeUnchanged) and writes root there, creating the
// folder when missing; on success the change marks are forgotten. Temporary files left in the folder
// by a save that was killed are removed first. The old file stays whole on any failure; a file
// without write permission (made read-only by its user) is refused with ERROR_ACCESS_DENIED. The
// replaced file keeps its mode and, where permitted, its owner. lock is RegLockFile's descriptor when
// this process holds it (-1 otherwise); without it the save takes the lock itself, waiting at most
// ten seconds when patient and not at all otherwise (RegLockFile has just waited in vain). *stamp
// becomes the version written.
LONG RegSaveFile(const std::string& path, RegKey* root, RegFileStamp* stamp, int lock, bool patient);
