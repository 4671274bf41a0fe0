// SearchTestSupport.h: what the search tests share: article texts built from records and padded as
// UnCompress pads them.
#pragma once

#include "store/ArticleStore.h"
#include "store/ArticleText.h"

#include <cstdint>
#include <string>
#include <vector>

struct SearchTestRecord {
    uint8_t Style;
    uint8_t Param;
    std::string String; // letter code
};

using TextBytes = std::vector<uint8_t>;

// The records back to back, then the padding zeros.
inline TextBytes MakeText(const std::vector<SearchTestRecord>& records) {
    TextBytes bytes;
    for (const SearchTestRecord& r : records) {
        bytes.push_back(r.Style);
        bytes.push_back(r.Param);
        bytes.insert(bytes.end(), r.String.begin(), r.String.end());
        bytes.push_back(0);
    }
    bytes.insert(bytes.end(), ArticleTextPadding, 0);
    return bytes;
}
