// RegistryStorage.h: where the registry file lives, loading it (a damaged file is renamed aside,
// never deleted or overwritten) and saving it atomically (temporary file in the same folder, fsync,
// rename over, fsync of the folder). Results are Win32 error codes.
#pragma once

#include "platform/registry/RegistryTree.h"

#include <string>

// $KESTROVA_REGISTRY, else $XDG_CONFIG_HOME/kestrova/registry.reg (an absolute XDG_CONFIG_HOME only),
// else $HOME/.config/kestrova/registry.reg; empty when none of them is set.
std::string RegDefaultFilePath();
// Fills root from the file. A missing file gives an empty root; so does a damaged one once it is
// renamed to <path>.damaged-<n>. Any other result (a file that can be neither read nor moved aside)
// leaves root empty and means the file must not be written over.
LONG RegLoadFile(const std::string& path, RegKey* root);
// Writes root to path, creating its folder when missing; the old file stays whole on any failure.
LONG RegSaveFile(const std::string& path, const RegKey& root);
