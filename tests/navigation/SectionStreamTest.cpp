// Section streams: sealing damaged bytes (no end record, a text without its 0, a record cut short,
// more than 16-bit offsets reach), the bookmark group's exact bytes, and joining.
#include "NavigationTestSupport.h"

namespace {

uint8_t* Copy(const std::vector<uint8_t>& bytes) {
    uint8_t* block = static_cast<uint8_t*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
    return block;
}

using SectionStream = NavigationTest;

TEST_F(SectionStream, SealKeepsWholeRecordsAndEndsThem) {
    const std::vector<TestSection> two = {{Heading(1), ShownOpen, 0, "abc"}, {Entry(3), Shown, 1, "de"}};
    const std::vector<uint8_t> sealed = SectionBytes(two);
    std::vector<uint8_t> bytes = SectionBytes(two, false); // no end record
    uint8_t* s = SealSectionIndex(Copy(bytes), bytes.size());
    EXPECT_EQ(StreamBytes(s), sealed);
    std::free(s);
    bytes.push_back(0x05); // a third record cut inside its header
    bytes.push_back(0x40);
    bytes.push_back(0x80);
    s = SealSectionIndex(Copy(bytes), bytes.size());
    EXPECT_EQ(StreamBytes(s), sealed);
    std::free(s);
    bytes.push_back(0x01);
    bytes.push_back('x'); // ... and one whose text has no 0 before the end
    s = SealSectionIndex(Copy(bytes), bytes.size());
    EXPECT_EQ(StreamBytes(s), sealed);
    std::free(s);
    s = SealSectionIndex(Copy({}), 0);
    EXPECT_EQ(StreamBytes(s), std::vector<uint8_t>(5, 0));
    std::free(s);
    EXPECT_EQ(SealSectionIndex(nullptr, 10), nullptr);
}

TEST_F(SectionStream, SealStopsWhereOffsetsWouldPassSixteenBits) {
    std::vector<TestSection> many;
    for (int i = 0; i < 700; ++i)
        many.push_back({Entry(uint16_t(i % 250 + 1)), Shown, 1, std::string(95, 'a')}); // 100 bytes each
    std::vector<uint8_t> bytes = SectionBytes(many);
    uint8_t* s = SealSectionIndex(Copy(bytes), bytes.size());
    const size_t length = SectionStreamLength(s);
    EXPECT_LE(length, MaxSectionIndexLength);
    EXPECT_EQ(length, 655 * 100 + 5u);
    std::free(s);
}

TEST_F(SectionStream, BookmarkGroupBytesInListOrder) {
    uint8_t* index = MakeStream({{Heading(1), ShownOpen, 0, "abc"},
                                 {Entry(17), Shown, 1, "qrs"},
                                 {Entry(0x121), Shown, 1, "de"},
                                 {Entry(17), Shown, 1, "later"}});
    SetBookmarks({0x121, 99, 17}); // 99 has no entry in the index
    uint8_t* block = BuildBookmarkBlock(index);
    const std::vector<uint8_t> expected = {0x77, 0x88, 0xC1, 1, 'j', 'i', 'y', 'u', 0, //
                                           0x21, 0x41, 0x81, 2, 'd', 'e', 0,           //
                                           0x11, 0x40, 0x81, 2, 'q', 'r', 's', 0,   0, 0, 0, 0, 0};
    EXPECT_EQ(StreamBytes(block), expected);
    std::free(block);

    block = BuildBookmarkBlock(nullptr);
    EXPECT_EQ(StreamBytes(block),
              (std::vector<uint8_t>{0x77, 0x88, 0xC1, 1, 'j', 'i', 'y', 'u', 0, 0, 0, 0, 0, 0}));
    std::free(block);

    const std::vector<uint8_t> indexBytes = StreamBytes(index);
    uint8_t* joined = AddBookmarkBlock(index);
    std::vector<uint8_t> whole(expected.begin(), expected.end() - 5);
    whole.insert(whole.end(), indexBytes.begin(), indexBytes.end());
    EXPECT_EQ(StreamBytes(joined), whole);
    std::free(joined);
}

TEST_F(SectionStream, NoBookmarksLeaveTheIndexAlone) {
    uint8_t* index = MakeStream({{Entry(1), Shown, 0, "a"}});
    EXPECT_EQ(AddBookmarkBlock(index), index);
    SetBookmarks({});
    EXPECT_EQ(AddBookmarkBlock(index), index);
    EXPECT_EQ(AddBookmarkBlock(nullptr), nullptr);
    SetBookmarks({5});
    uint8_t* alone = AddBookmarkBlock(nullptr); // the group's heading alone
    EXPECT_EQ(alone[0], 0x77);
    EXPECT_EQ(SectionStreamLength(alone), 14u);
    std::free(alone);
    EXPECT_EQ(JoinSectionIndexes(index, nullptr), index);
    EXPECT_EQ(JoinSectionIndexes(nullptr, index), index);
    std::free(index);
}

} // namespace
