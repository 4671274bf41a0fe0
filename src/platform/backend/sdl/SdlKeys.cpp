// SdlKeys.cpp: SDL keys as Windows virtual-key codes, and SDL modifier states as the backend's
// modifier bits. Letters and digits come from the key's position when the layout gives a
// non-Latin symbol (a Hebrew layout), so Ctrl+C is Ctrl+C on every layout, as on Windows.
#include "platform/backend/sdl/SdlInternal.h"

namespace {

struct KeyRow {
    SDL_Keycode Key;
    uint16_t Vk;
};

// Windows virtual-key codes of the keys that are neither letters, digits nor F1-F12.
constexpr KeyRow Keys[] = {
    {SDLK_BACKSPACE, 0x08},    {SDLK_TAB, 0x09},         {SDLK_CLEAR, 0x0C},      {SDLK_RETURN, 0x0D},
    {SDLK_KP_ENTER, 0x0D},     {SDLK_RETURN2, 0x0D},     {SDLK_LSHIFT, 0x10},     {SDLK_RSHIFT, 0x10},
    {SDLK_LCTRL, 0x11},        {SDLK_RCTRL, 0x11},       {SDLK_LALT, 0x12},       {SDLK_RALT, 0x12},
    {SDLK_PAUSE, 0x13},        {SDLK_CAPSLOCK, 0x14},    {SDLK_ESCAPE, 0x1B},     {SDLK_SPACE, 0x20},
    {SDLK_PAGEUP, 0x21},       {SDLK_PAGEDOWN, 0x22},    {SDLK_END, 0x23},        {SDLK_HOME, 0x24},
    {SDLK_LEFT, 0x25},         {SDLK_UP, 0x26},          {SDLK_RIGHT, 0x27},      {SDLK_DOWN, 0x28},
    {SDLK_SELECT, 0x29},       {SDLK_PRINTSCREEN, 0x2C}, {SDLK_INSERT, 0x2D},     {SDLK_DELETE, 0x2E},
    {SDLK_HELP, 0x2F},         {SDLK_LGUI, 0x5B},        {SDLK_RGUI, 0x5C},       {SDLK_APPLICATION, 0x5D},
    {SDLK_SLEEP, 0x5F},        {SDLK_KP_0, 0x60},        {SDLK_KP_1, 0x61},       {SDLK_KP_2, 0x62},
    {SDLK_KP_3, 0x63},         {SDLK_KP_4, 0x64},        {SDLK_KP_5, 0x65},       {SDLK_KP_6, 0x66},
    {SDLK_KP_7, 0x67},         {SDLK_KP_8, 0x68},        {SDLK_KP_9, 0x69},       {SDLK_KP_MULTIPLY, 0x6A},
    {SDLK_KP_PLUS, 0x6B},      {SDLK_KP_MINUS, 0x6D},    {SDLK_KP_PERIOD, 0x6E},  {SDLK_KP_DIVIDE, 0x6F},
    {SDLK_NUMLOCKCLEAR, 0x90}, {SDLK_SCROLLLOCK, 0x91},  {SDLK_SEMICOLON, 0xBA},  {SDLK_EQUALS, 0xBB},
    {SDLK_COMMA, 0xBC},        {SDLK_MINUS, 0xBD},       {SDLK_PERIOD, 0xBE},     {SDLK_SLASH, 0xBF},
    {SDLK_BACKQUOTE, 0xC0},    {SDLK_LEFTBRACKET, 0xDB}, {SDLK_BACKSLASH, 0xDC},  {SDLK_RIGHTBRACKET, 0xDD},
    {SDLK_QUOTE, 0xDE},        {SDLK_AC_BACK, 0xA6},     {SDLK_AC_FORWARD, 0xA7}, {SDLK_AC_SEARCH, 0xAA},
};

// The punctuation keys by position, for layouts that put letters of another script on them.
constexpr struct {
    SDL_Scancode Scancode;
    uint16_t Vk;
} Punctuation[] = {
    {SDL_SCANCODE_SEMICOLON, 0xBA},    {SDL_SCANCODE_EQUALS, 0xBB},      {SDL_SCANCODE_COMMA, 0xBC},
    {SDL_SCANCODE_MINUS, 0xBD},        {SDL_SCANCODE_PERIOD, 0xBE},      {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_GRAVE, 0xC0},        {SDL_SCANCODE_LEFTBRACKET, 0xDB}, {SDL_SCANCODE_BACKSLASH, 0xDC},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD}, {SDL_SCANCODE_APOSTROPHE, 0xDE},
};

constexpr uint16_t VkF1 = 0x70;

} // namespace

uint16_t SdlVirtualKey(SDL_Keycode key, SDL_Scancode scancode) {
    if (key >= SDLK_a && key <= SDLK_z) return uint16_t('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return uint16_t('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return uint16_t(VkF1 + (key - SDLK_F1));
    if (key >= SDLK_F13 && key <= SDLK_F24) return uint16_t(VkF1 + 12 + (key - SDLK_F13));
    for (const KeyRow& row : Keys)
        if (row.Key == key) return row.Vk;
    // A symbol of another script, or none: the key's place on a US keyboard.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return uint16_t('A' + (scancode - SDL_SCANCODE_A));
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return uint16_t('1' + (scancode - SDL_SCANCODE_1));
    if (scancode == SDL_SCANCODE_0) return uint16_t('0');
    for (const auto& row : Punctuation)
        if (row.Scancode == scancode) return row.Vk;
    return 0;
}

uint8_t SdlModifiers(uint16_t sdlMod) {
    uint8_t modifiers = 0;
    if (sdlMod & KMOD_SHIFT) modifiers |= BackendModShift;
    if (sdlMod & KMOD_CTRL) modifiers |= BackendModCtrl;
    if (sdlMod & KMOD_ALT) modifiers |= BackendModAlt;
    return modifiers;
}
