// EditModel.cpp: the edit's text operations. Everything stays inside the text's bounds whatever
// positions the caller passes.
#include "platform/controls/EditModel.h"

#include "platform/Win32Controls.h"

#include <algorithm>

namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void RememberForUndo(EditModel* m) {
    m->UndoText = m->Text;
    m->UndoAnchor = m->Anchor;
    m->UndoCaret = m->Caret;
    m->CanUndo = true;
}

// A single-line edit keeps its text on one line: a pasted line break ends what is taken.
std::u16string OneLine(const std::u16string& text) {
    size_t end = text.find_first_of(u"\r\n");
    return end == std::u16string::npos ? text : text.substr(0, end);
}

} // namespace

size_t EditSelStart(const EditModel& m) {
    return std::min(m.Anchor, m.Caret);
}

size_t EditSelEnd(const EditModel& m) {
    return std::max(m.Anchor, m.Caret);
}

size_t EditLimit(const EditModel& m) {
    return m.Limit ? m.Limit : EditDefaultLimit;
}

void EditSetSel(EditModel* m, int64_t start, int64_t end) {
    size_t size = m->Text.size();
    if (start < 0) {
        m->Anchor = m->Caret;
        return;
    }
    if (end < 0 || size_t(end) > size) end = int64_t(size);
    m->Anchor = std::min(size_t(start), size);
    m->Caret = size_t(end);
}

bool EditReplaceSel(EditModel* m, const std::u16string& given, bool canUndo) {
    std::u16string text = m->Multiline ? given : OneLine(given);
    size_t start = EditSelStart(*m), end = EditSelEnd(*m);
    size_t kept = m->Text.size() - (end - start);
    size_t room = EditLimit(*m) > kept ? EditLimit(*m) - kept : 0;
    if (text.size() > room) {
        text.resize(room);
        if (!text.empty() && IsHighSurrogate(text.back())) text.pop_back();
    }
    if (text.empty() && start == end) return given.empty();
    if (canUndo) RememberForUndo(m);
    m->Text.replace(start, end - start, text);
    m->Anchor = m->Caret = start + text.size();
    m->Modified = true;
    return text.size() == given.size() || given.empty();
}

void EditSetText(EditModel* m, const std::u16string& text) {
    m->Text = m->Multiline ? text : OneLine(text);
    m->Anchor = m->Caret = 0;
    m->CanUndo = false;
    m->Modified = false;
}

bool EditUndo(EditModel* m) {
    if (!m->CanUndo) return false;
    std::swap(m->Text, m->UndoText);
    std::swap(m->Anchor, m->UndoAnchor);
    std::swap(m->Caret, m->UndoCaret);
    m->Anchor = std::min(m->Anchor, m->Text.size());
    m->Caret = std::min(m->Caret, m->Text.size());
    return true;
}

bool EditDelete(EditModel* m, bool back) {
    if (m->Anchor == m->Caret) {
        size_t other = back ? EditPrevious(*m, m->Caret) : EditNext(*m, m->Caret);
        if (back && m->Caret >= 2 && m->Text.compare(m->Caret - 2, 2, u"\r\n") == 0) other = m->Caret - 2;
        if (!back && m->Text.compare(m->Caret, 2, u"\r\n") == 0) other = m->Caret + 2;
        if (other == m->Caret) return false;
        m->Anchor = other;
    }
    return EditReplaceSel(m, u"", true);
}

void EditMoveCaret(EditModel* m, size_t pos, bool extend) {
    m->Caret = std::min(pos, m->Text.size());
    if (!extend) m->Anchor = m->Caret;
}

size_t EditPrevious(const EditModel& m, size_t pos) {
    pos = std::min(pos, m.Text.size());
    if (pos == 0) return 0;
    --pos;
    if (pos > 0 && IsLowSurrogate(m.Text[pos]) && IsHighSurrogate(m.Text[pos - 1])) --pos;
    return pos;
}

size_t EditNext(const EditModel& m, size_t pos) {
    if (pos >= m.Text.size()) return m.Text.size();
    ++pos;
    if (pos < m.Text.size() && IsLowSurrogate(m.Text[pos]) && IsHighSurrogate(m.Text[pos - 1])) ++pos;
    return pos;
}

size_t EditLineStart(const EditModel& m, size_t pos) {
    pos = std::min(pos, m.Text.size());
    size_t found = pos == 0 ? std::u16string::npos : m.Text.rfind(u'\n', pos - 1);
    return found == std::u16string::npos ? 0 : found + 1;
}

size_t EditLineEnd(const EditModel& m, size_t pos) {
    size_t found = m.Text.find(u'\n', std::min(pos, m.Text.size()));
    if (found == std::u16string::npos) return m.Text.size();
    return found > 0 && m.Text[found - 1] == u'\r' ? found - 1 : found;
}

size_t EditLineCount(const EditModel& m) {
    return size_t(std::count(m.Text.begin(), m.Text.end(), u'\n')) + 1;
}

namespace {

// Wraps the hard line [start, end) (next: where the following hard line starts) into rows.
void WrapLine(const EditModel& m, size_t start, size_t end, size_t next, int width,
              const EditMeasure& measure, std::vector<EditRow>* rows) {
    std::vector<int> offsets = measure(start, end);
    size_t from = start;
    while (true) {
        size_t fit = from;
        while (fit < end && offsets[fit + 1 - start] - offsets[from - start] <= width)
            ++fit;
        if (fit == end) break;
        // Break after the last space that fits; a space that does not fit ends the line too.
        size_t cut = fit;
        while (cut > from && m.Text[cut] != u' ' && m.Text[cut - 1] != u' ')
            --cut;
        size_t rowEnd = cut, rowNext = cut;
        if (cut == from) {
            // One word wider than the line: cut at the edge, keeping a character and a pair whole.
            rowEnd = rowNext = std::max(fit, EditNext(m, from));
            if (rowEnd < end && IsLowSurrogate(m.Text[rowEnd]) && rowEnd - 1 > from)
                rowEnd = rowNext = rowEnd - 1;
        } else {
            while (rowNext < end && m.Text[rowNext] == u' ')
                ++rowNext;
            while (rowEnd > from && m.Text[rowEnd - 1] == u' ')
                --rowEnd;
        }
        if (rowNext >= end) {
            rows->push_back({from, rowEnd, next});
            return;
        }
        rows->push_back({from, rowEnd, rowNext});
        from = rowNext;
    }
    rows->push_back({from, end, next});
}

} // namespace

std::vector<EditRow> EditRows(const EditModel& m, int width, const EditMeasure& measure) {
    std::vector<EditRow> rows;
    size_t pos = 0;
    while (true) {
        size_t end = EditLineEnd(m, pos);
        size_t lineBreak = m.Text.find(u'\n', end);
        size_t next = lineBreak == std::u16string::npos ? m.Text.size() : lineBreak + 1;
        if (width > 0 && end > pos)
            WrapLine(m, pos, end, next, width, measure, &rows);
        else
            rows.push_back({pos, end, next});
        if (lineBreak == std::u16string::npos) return rows;
        pos = next;
    }
}

size_t EditRowOf(const std::vector<EditRow>& rows, size_t pos) {
    auto after = std::upper_bound(rows.begin(), rows.end(), pos,
                                  [](size_t p, const EditRow& row) { return p < row.Start; });
    return after == rows.begin() ? 0 : size_t(after - rows.begin()) - 1;
}
