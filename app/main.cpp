// main.cpp: the program entry. Until the reader's window exists, the program checks its embedded
// resources: every article resource is decoded and the totals are printed.
#include "ReaderOptions.h"
#include "platform/Win32.h"
#include "shell/ReaderState.h"
#include "store/ArticleStore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct ResourceCount {
    int Total;
    int Articles;
};

BOOL CountResource(LPCWSTR type, LPCWSTR name, WORD, const void*, DWORD, void* context) {
    auto* count = static_cast<ResourceCount*>(context);
    ++count->Total;
    if (IS_INTRESOURCE(type) && type == RT_RCDATA && IS_INTRESOURCE(name)) ++count->Articles;
    return TRUE;
}

// Decodes every text the store can name; returns the number that failed.
int CheckArticles(size_t* plainBytes, int* loaded) {
    int failed = 0;
    for (int n = FirstArticleNumber; n <= LastArticleNumber + 1; ++n) {
        int number = n <= LastArticleNumber ? n : SectionIndexNumber;
        WORD id = WORD(number + ArticleResourceBase);
        if (FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), RT_RCDATA) == nullptr) continue;
        uint8_t* text = LoadArticleText(number);
        if (text == nullptr) {
            std::fprintf(stderr, "resource %u: could not be decoded\n", unsigned(id));
            ++failed;
            continue;
        }
        ++*loaded;
        *plainBytes += std::strlen(reinterpret_cast<char*>(text));
        std::free(text);
    }
    return failed;
}

} // namespace

int main(int argc, char** argv) {
    if (int code = 0; ReaderHandleOptions(&argc, argv, &code)) return code;
    ResetReaderState();
    ReaderState.Instance = GetModuleHandleW(nullptr);
    ResourceCount count{};
    PlatformEnumResources(ReaderState.Instance, CountResource, &count);
    size_t plainBytes = 0;
    int loaded = 0;
    int failed = CheckArticles(&plainBytes, &loaded);
    std::printf("Kestrova resource check: %d resources, %d texts decoded (%zu bytes), %d failed\n",
                count.Total, loaded, plainBytes, failed);
    return failed == 0 && count.Total > 0 ? 0 : 1;
}
