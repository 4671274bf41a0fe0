// ServiceBackend.h: the backend the clipboard and the shell ask for the system clipboard and for
// opening addresses. It is PlatformBackend() unless a test puts its own table in its place, so the
// clipboard's and the shell's backend paths can be checked without a display.
#pragma once

#include "platform/backend/Backend.h"

const Backend& ServiceBackend();
// Uses backend (kept, not copied; the caller keeps it alive) until called again; null goes back to
// PlatformBackend().
void ServiceUseBackend(const Backend* backend);
