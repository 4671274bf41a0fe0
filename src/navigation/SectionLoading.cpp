// SectionLoading.cpp: the index resource as a sealed stream, and the tree the Choose Section dialog
// shows, built into ChooseSectionState. The tree (and the stream it took) belongs to that state
// until the dialog releases it.
#include "navigation/Navigation.h"
#include "store/ArticleStore.h"

#include <cstdlib>

struct ChooseSectionState ChooseSectionState;

namespace {

// The plain length the index resource decompresses to (its block header's second word); 0 when
// the resource is missing or too short to say.
size_t IndexPlainLength() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource =
        FindResourceW(module, MAKEINTRESOURCEW(SectionIndexNumber + ArticleResourceBase), RT_RCDATA);
    if (!resource) return 0;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL handle = LoadResource(module, resource);
    const uint8_t* bytes = handle ? static_cast<const uint8_t*>(LockResource(handle)) : nullptr;
    if (!bytes || size < CompressedBlockOffset + CompressedBlockHeaderSize) return 0;
    const uint8_t* block = bytes + CompressedBlockOffset;
    return size_t(block[2]) << 8 | block[3];
}

} // namespace

uint8_t* LoadSectionIndexStream() {
    uint8_t* plain = LoadArticleText(SectionIndexNumber);
    if (!plain) return nullptr;
    // The store's buffer holds the plain bytes and its padding; the seal reads no further.
    return SealSectionIndex(plain, IndexPlainLength() + ArticleTextPadding);
}

void LoadSectionIndex() {
    uint8_t* index = AddBookmarkBlock(LoadSectionIndexStream());
    ChooseSectionState.Tree = CreateSectionTree(ChooseSectionState.DC, &ChooseSectionState.ClientRect,
                                                ChooseSectionState.Font, SectionTreeCapacity);
    if (!ChooseSectionState.Tree) {
        std::free(index);
        return;
    }
    if (LayoutSectionTree(ChooseSectionState.Tree, index, 0) != TreeLayoutOk) std::free(index);
    RevealLesson(ChooseSectionState.Tree, ChooseSectionState.Result);
    // The dialog brings its scroll bar up to date next (UpdateTreeScrollBar).
}
