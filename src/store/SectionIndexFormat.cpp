// SectionIndexFormat.cpp: the record walk and writer of the section index stream.
#include "store/SectionIndexFormat.h"

#include <cstring>

bool NextSectionRecord(SectionCursor* cursor, SectionRecord* record) {
    const uint8_t* s = cursor->Stream;
    size_t pos = cursor->Pos;
    if (pos >= cursor->Length || cursor->Length - pos < SectionRecordHeaderSize) return false;
    if (s[pos + 2] == 0) return false;
    size_t textStart = pos + SectionRecordHeaderSize;
    const void* zero = std::memchr(s + textStart, 0, cursor->Length - textStart);
    if (zero == nullptr) return false;
    size_t textEnd = size_t(static_cast<const uint8_t*>(zero) - s);
    record->Id = uint16_t(s[pos] | s[pos + 1] << 8);
    record->Attributes = s[pos + 2];
    record->Level = s[pos + 3];
    record->Offset = uint32_t(pos);
    record->TextOffset = uint32_t(textStart);
    record->TextLength = uint32_t(textEnd - textStart);
    cursor->Pos = textEnd + 1;
    return true;
}

bool WriteSectionRecord(uint8_t* out, size_t capacity, size_t* length, uint16_t id, uint8_t attributes,
                        uint8_t level, const uint8_t* text, size_t textLength) {
    size_t at = *length;
    if (at > capacity || capacity - at < textLength + SectionRecordOverhead) return false;
    out[at] = uint8_t(id & 0xFF);
    out[at + 1] = uint8_t(id >> 8);
    out[at + 2] = attributes;
    out[at + 3] = level;
    if (textLength > 0) std::memcpy(out + at + SectionRecordHeaderSize, text, textLength);
    out[at + SectionRecordHeaderSize + textLength] = 0;
    *length = at + textLength + SectionRecordOverhead;
    return true;
}
