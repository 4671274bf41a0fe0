// SectionIndexFormat.h: the one definition of the section index stream (RCDATA 32767 once
// decompressed): SectionRecords packed back to back, each Id (16-bit little-endian), Attributes,
// Level and a 0-terminated Text in the letter code, stored in display order (first byte leftmost).
// The stream ends at the first record whose Attributes byte is 0; writers end it with five zero
// bytes. Nothing here allocates or owns a buffer.
#pragma once

#include <cstddef>
#include <cstdint>

// Id.
constexpr uint16_t SectionIdHeading = 0x8000;    // shows an open/closed box; a tap opens or closes it
constexpr uint16_t SectionIdSelectable = 0x4000; // a tap chooses it: the number is the lesson
constexpr uint16_t SectionIdNumberMask = 0x3FFF;
// Attributes.
constexpr uint8_t SectionShown = 0x80;
constexpr uint8_t SectionOpen = 0x40;
constexpr uint8_t SectionUnusedBit = 0x20; // carries nothing
constexpr uint8_t SectionStyleMask = 0x1F; // the text style: the article font-key bits
// Layout of a record.
constexpr size_t SectionRecordHeaderSize = 4;   // Id, Attributes, Level
constexpr size_t SectionRecordOverhead = 5;     // the header and the text's 0 byte
constexpr size_t SectionEndRecordSize = 5;      // five zero bytes end a stream
constexpr size_t MaxSectionIndexLength = 65535; // offsets in the stream are 16-bit
constexpr unsigned SectionIndentPerLevel = 13;  // pixels from the right edge per Level

struct SectionRecord {
    uint16_t Id;
    uint8_t Attributes;
    uint8_t Level;
    uint32_t Offset;     // offset of the record's first byte
    uint32_t TextOffset; // offset of the text's first byte
    uint32_t TextLength; // bytes before the text's 0 byte
};

// A walk over the records of stream[0, length). A record cut off by the end of the buffer ends the
// walk (it is not returned), so every field and text byte returned lies inside the buffer.
struct SectionCursor {
    const uint8_t* Stream;
    size_t Length;
    size_t Pos;
};

inline SectionCursor BeginSectionRecords(const uint8_t* stream, size_t length) {
    return SectionCursor{stream, length, 0};
}
// Reads the record at the cursor and advances past it. False at the end record (Attributes 0),
// at the end of the buffer, or at a record whose text has no 0 byte inside the buffer.
bool NextSectionRecord(SectionCursor* cursor, SectionRecord* record);
// Appends one record (Id low byte first) to out[0, capacity) at *length; false when it does not fit.
bool WriteSectionRecord(uint8_t* out, size_t capacity, size_t* length, uint16_t id, uint8_t attributes,
                        uint8_t level, const uint8_t* text, size_t textLength);
