// Win32.h: the whole Win32 / Windows CE subset the reader calls, with the real names, signatures,
// constants and semantics. The program's own code includes this header and nothing below platform/.
#pragma once

#include "platform/Win32CeShell.h"
#include "platform/Win32Clipboard.h"
#include "platform/Win32Controls.h"
#include "platform/Win32Dialogs.h"
#include "platform/Win32Gdi.h"
#include "platform/Win32Menus.h"
#include "platform/Win32Registry.h"
#include "platform/Win32Resources.h"
#include "platform/Win32System.h"
#include "platform/Win32Text.h"
#include "platform/Win32Windows.h"
#include "platform/Win32Types.h"
