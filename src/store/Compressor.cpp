// Compressor.cpp: token writer. Placeholder until the optimal parser lands: literal tokens only.
#include "store/Compressor.h"

CompressResult CompressTokens(const uint8_t* plain, size_t length, std::vector<uint8_t>* tokens) {
    if (length == 0) return CompressEmpty;
    if (length > MaxPlainLength) return CompressTooLarge;
    size_t start = tokens->size();
    for (size_t i = 0; i < length;) {
        uint8_t b = plain[i];
        if (b == 0 || (b >= 0x09 && b < 0x80)) {
            tokens->push_back(b);
            ++i;
            continue;
        }
        size_t run = 0;
        while (run < 8 && i + run < length) ++run;
        tokens->push_back(uint8_t(run));
        tokens->insert(tokens->end(), plain + i, plain + i + run);
        i += run;
    }
    if (tokens->size() - start > MaxCompressedLength) {
        tokens->resize(start);
        return CompressTokensTooLarge;
    }
    return CompressOk;
}

CompressResult BuildArticleResource(const uint8_t* plain, size_t length, std::vector<uint8_t>* resource) {
    std::vector<uint8_t> tokens;
    CompressResult r = CompressTokens(plain, length, &tokens);
    if (r != CompressOk) return r;
    resource->assign({uint8_t(ArticleHeaderLength >> 8), uint8_t(ArticleHeaderLength), 0, 0, 0, 0,
                      uint8_t(tokens.size() >> 8), uint8_t(tokens.size()), uint8_t(length >> 8), uint8_t(length)});
    resource->insert(resource->end(), tokens.begin(), tokens.end());
    return CompressOk;
}

const char* CompressResultMessage(CompressResult result) {
    switch (result) {
    case CompressOk: return "ok";
    case CompressEmpty: return "the text is empty";
    case CompressTooLarge: return "the text is longer than 65,535 bytes";
    case CompressTokensTooLarge: return "the compressed text would be longer than 65,535 bytes";
    }
    return "unknown error";
}
