// RegistryStorage.h: where the registry file lives, loading it (a damaged file is renamed aside,
// never deleted or overwritten) and saving it atomically (temporary file in the same folder, fsync,
// rename over, fsync of the folder). A link is followed to the file it names, which is the one read,
// replaced or moved aside; anything that is not a regular file is refused. Saves of several
// processes are serialised by an advisory lock on the file's folder, and each save merges: the
// values this process changed win, every other value is taken from the file as it is then. Results
// are Win32 error codes; refusals the user can act on print one line on stderr.
#pragma once

#include "platform/registry/RegistryTree.h"

#include <string>

// $KESTROVA_REGISTRY, else $XDG_CONFIG_HOME/kestrova/registry.reg (an absolute XDG_CONFIG_HOME only),
// else $HOME/.config/kestrova/registry.reg; empty when none of them is set.
std::string RegDefaultFilePath();
// Fills root from the file. A missing file gives an empty root; so does a damaged one once it is
// renamed to <file>.damaged-<n>. Any other result (a file that can be neither read nor moved aside,
// a folder, a FIFO, a link loop) leaves root empty and means the file must not be written over.
LONG RegLoadFile(const std::string& path, RegKey* root);
// Merges the file as it now is into root (see RegMergeUnchanged) and writes root there, creating the
// folder when missing; on success the change marks are forgotten. Temporary files left in the folder
// by a save that was killed are removed first. The old file stays whole on any failure; a file
// without write permission (made read-only by its user) is refused with ERROR_ACCESS_DENIED. The
// replaced file keeps its mode and, where permitted, its owner.
LONG RegSaveFile(const std::string& path, RegKey* root);
