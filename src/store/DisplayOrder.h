// DisplayOrder.h: between reading order and the order right-to-left text is stored in.
// A reader that draws stored bytes left to right reads a right-to-left line correctly when the
// bytes are reversed, except that numbers and Latin words must keep their own left-to-right order
// and paired brackets must face the other way. ReverseForDisplay does exactly that and is its own
// inverse, so the content compiler and the dump tool use the same function in both directions, and
// the clipboard export uses it to give a word processor the reading order back.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes in[0, length) in the other order to out[0, length) (out must not overlap in). A run of
// digits and Latin letters, with . , : / + - ' between two of them, is one unit that keeps its
// order, and so are runs holding Latin letters one space apart ("PAGE DOWN"); every other byte is
// reversed on its own, and ( ) [ ] < > and the letter code's { } (bytes 0x7E and 0x7D) are swapped
// with their partners.
void ReverseForDisplay(const uint8_t* in, size_t length, uint8_t* out);
