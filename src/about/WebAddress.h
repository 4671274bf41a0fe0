// WebAddress.h: the maker's site, scheme and host only: the one place it is configured. It is the
// About box's link text (the resource script includes this file) and the start of the update
// address. A plain #define because the resource compiler reads it too.
#pragma once

#define KESTROVA_HOME_PAGE "https://tellgrove.example"
