// SectionStream.cpp: section index streams as whole buffers: sealing outside bytes, the bookmark
// group built from the bookmark list, and joining two streams. Every stream made here is a malloc
// block with whole records and an end record; each function says which of its inputs it frees.
#include "navigation/Navigation.h"

#include <cstdlib>
#include <cstring>

namespace {

// The largest record stream that still leaves room for the end record.
constexpr size_t MaxRecordBytes = MaxSectionIndexLength - SectionEndRecordSize;

// Bytes of the leading records of stream[0, length) that NextSectionRecord reads, at most limit.
size_t WholeRecordBytes(const uint8_t* stream, size_t length, size_t limit) {
    SectionCursor cursor = BeginSectionRecords(stream, length);
    SectionRecord record;
    size_t end = 0;
    while (NextSectionRecord(&cursor, &record)) {
        if (cursor.Pos > limit) break;
        end = cursor.Pos;
    }
    return end;
}

// A sealed stream's records are read without a length: its end record comes before its end.
SectionCursor SealedCursor(const uint8_t* stream) {
    return BeginSectionRecords(stream, stream ? SectionStreamLength(stream) : 0);
}

// The first selectable record of index whose whole Id is id.
bool FindEntry(const uint8_t* index, uint16_t id, SectionRecord* found) {
    SectionCursor cursor = SealedCursor(index);
    while (NextSectionRecord(&cursor, found))
        if (found->Id == id) return true;
    return false;
}

} // namespace

size_t SectionStreamLength(const uint8_t* stream) {
    size_t pos = 0;
    while (stream[pos + 2] != 0) {
        pos += SectionRecordHeaderSize;
        while (stream[pos] != 0)
            ++pos;
        ++pos;
    }
    return pos + SectionEndRecordSize;
}

uint8_t* SealSectionIndex(uint8_t* bytes, size_t length) {
    if (!bytes) return nullptr;
    const size_t kept = WholeRecordBytes(bytes, length, MaxRecordBytes);
    uint8_t* sealed = static_cast<uint8_t*>(std::malloc(kept + SectionEndRecordSize));
    if (sealed) {
        if (kept > 0) std::memcpy(sealed, bytes, kept);
        std::memset(sealed + kept, 0, SectionEndRecordSize);
    }
    std::free(bytes);
    return sealed;
}

uint8_t* BuildBookmarkBlock(const uint8_t* index) {
    const size_t labelLength = sizeof BookmarkGroupLabel - 1;
    const size_t count = ReaderState.Bookmarks ? ReaderState.BookmarkCount : 0;
    // First pass: the size, kept inside what one stream may hold.
    size_t size = labelLength + SectionRecordOverhead;
    SectionRecord entry;
    for (size_t i = 0; i < count && ReaderState.Bookmarks[i] != 0; ++i) {
        const uint16_t id = uint16_t(ReaderState.Bookmarks[i] | SectionIdSelectable);
        if (FindEntry(index, id, &entry) && size + entry.TextLength + SectionRecordOverhead <= MaxRecordBytes)
            size += entry.TextLength + SectionRecordOverhead;
    }
    uint8_t* block = static_cast<uint8_t*>(std::malloc(size + SectionEndRecordSize));
    if (!block) return nullptr;
    // Second pass: the records, which fit by the first.
    size_t length = 0;
    WriteSectionRecord(block, size, &length, BookmarkGroupId, BookmarkGroupAttributes, BookmarkGroupLevel,
                       reinterpret_cast<const uint8_t*>(BookmarkGroupLabel), labelLength);
    for (size_t i = 0; i < count && ReaderState.Bookmarks[i] != 0; ++i) {
        const uint16_t id = uint16_t(ReaderState.Bookmarks[i] | SectionIdSelectable);
        if (FindEntry(index, id, &entry))
            WriteSectionRecord(block, size, &length, id, BookmarkEntryAttributes, BookmarkEntryLevel,
                               index + entry.TextOffset, entry.TextLength);
    }
    std::memset(block + length, 0, SectionEndRecordSize);
    return block;
}

uint8_t* AddBookmarkBlock(uint8_t* index) {
    if (!ReaderState.Bookmarks || ReaderState.BookmarkCount == 0) return index;
    uint8_t* block = BuildBookmarkBlock(index);
    if (!block) return index;
    return JoinSectionIndexes(block, index);
}

uint8_t* JoinSectionIndexes(uint8_t* a, uint8_t* b) {
    if (!b) return a;
    if (!a) return b;
    const size_t aLength = SectionStreamLength(a) - SectionEndRecordSize;
    const size_t bLimit = MaxRecordBytes - (aLength < MaxRecordBytes ? aLength : MaxRecordBytes);
    const size_t bLength = WholeRecordBytes(b, SectionStreamLength(b), bLimit);
    uint8_t* joined = static_cast<uint8_t*>(std::malloc(aLength + bLength + SectionEndRecordSize));
    if (!joined) {
        std::free(a);
        return b;
    }
    std::memcpy(joined, a, aLength);
    if (bLength > 0) std::memcpy(joined + aLength, b, bLength);
    std::memset(joined + aLength + bLength, 0, SectionEndRecordSize);
    std::free(a);
    std::free(b);
    return joined;
}
