// MenuBarTemplate.cpp: the reader of the handheld shell's menu-bar resource (RCDATA): the menu id,
// the button count, then seven 16-bit values per button. The count is checked against the bytes
// before any button is read.
#include "platform/resources/ResourceCursor.h"

namespace {

constexpr size_t ButtonBytes = 7 * 2;

} // namespace

bool ResParseMenuBar(const void* bytes, size_t size, ResMenuBar* out) {
    *out = ResMenuBar{};
    ResCursor c = MakeResCursor(bytes, size);
    out->MenuId = ResReadU16(&c);
    WORD count = ResReadU16(&c);
    if (c.Failed || !ResHas(&c, size_t(count) * ButtonBytes)) return false;
    out->Buttons.resize(count);
    for (ResMenuBarButton& button : out->Buttons) {
        button.Image = SHORT(ResReadU16(&c));
        button.Command = ResReadU16(&c);
        button.State = ResReadU16(&c);
        button.Style = ResReadU16(&c);
        button.StringId = ResReadU16(&c);
        button.Reserved = ResReadU16(&c);
        button.Popup = ResReadU16(&c);
    }
    return !c.Failed;
}
