// SdlBackend.h: the desktop backend's table, for a program to register with
// PlatformRegisterBackend(SdlBackend()) before PlatformSelectBackend. The table is static; nothing
// to free. Only programs that link kestrova_backend_sdl (and so SDL2 and Xlib) see it.
#pragma once

#include "platform/backend/Backend.h"

const Backend* SdlBackend();
