// ArticleText.cpp: the record walk, rule lengths, headings and the letter code's inverse.
#include "store/ArticleText.h"

#include <cstring>

bool NextTextRecord(RecordCursor* cursor, TextRecord* record) {
    const size_t length = cursor->Length;
    size_t pos = cursor->Pos;
    if (pos >= length || cursor->Text[pos] == StyleEnd) return false;
    const uint8_t* text = cursor->Text;
    record->Style = text[pos];
    record->Param = pos + 1 < length ? text[pos + 1] : 0;
    size_t start = pos + 2 < length ? pos + 2 : length;
    const void* zero = start < length ? std::memchr(text + start, 0, length - start) : nullptr;
    size_t end = zero ? size_t(static_cast<const uint8_t*>(zero) - text) : length;
    record->Offset = uint32_t(pos);
    record->StringOffset = uint32_t(start);
    record->StringLength = uint32_t(end - start);
    cursor->Pos = end + 1;
    return true;
}

int RuleLength(uint8_t param, int paneWidth) {
    int length = param <= RuleMaxPixelParam ? int(param)
                                            : ((int(param) - int(RuleMaxPixelParam)) * 2 * paneWidth) / 100;
    return length > paneWidth ? paneWidth : length;
}

bool IsValidArticleText(const uint8_t* text, size_t length) {
    RecordCursor cursor = BeginRecords(text, length);
    TextRecord first;
    if (!NextTextRecord(&cursor, &first)) return false;
    return IsSeparatorStyle(first.Style) || first.StringLength > 0;
}

ArticleHeadings FindArticleHeadings(const uint8_t* text, size_t length) {
    ArticleHeadings found{};
    RecordCursor cursor = BeginRecords(text, length);
    TextRecord record;
    if (!NextTextRecord(&cursor, &record)) return found;
    if (record.Style == StyleHeading) {
        found.HasHeading = true;
        found.Heading = record;
        if (!NextTextRecord(&cursor, &record)) return found;
    }
    if (record.Style == StyleSubHeading) {
        found.HasSubHeading = true;
        found.SubHeading = record;
    }
    return found;
}

uint8_t UnicodeToLetterCode(char32_t cp) {
    if (cp >= HebrewAlef && cp <= HebrewTav) return uint8_t(LetterCodeFirst + (cp - HebrewAlef));
    if (cp == u'{') return LetterCodeBrace;
    if (cp == 0 || cp > 0xFF) return 0;
    if ((cp >= LetterCodeFirst && cp <= LetterCodeLast) || cp == LetterCodeBrace) return 0;
    return uint8_t(cp);
}
