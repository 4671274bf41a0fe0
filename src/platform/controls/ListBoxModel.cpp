// ListBoxModel.cpp: list box items, order and searches.
#include "platform/controls/ListBoxModel.h"

#include <algorithm>

namespace {

char16_t Fold(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

bool Ignored(char16_t c) {
    return c == u'-' || c == u'\'';
}

bool StartsWith(const std::u16string& text, const std::u16string& prefix, bool exact) {
    if (text.size() < prefix.size() || (exact && text.size() != prefix.size())) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Fold(text[i]) != Fold(prefix[i])) return false;
    return true;
}

} // namespace

int ListBoxCompare(const std::u16string& a, const std::u16string& b) {
    size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && Ignored(a[i]))
            ++i;
        while (j < b.size() && Ignored(b[j]))
            ++j;
        if (i == a.size() || j == b.size()) break;
        char16_t x = Fold(a[i++]), y = Fold(b[j++]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return a == b ? 0 : (a < b ? -1 : 1); // only hyphens or case differ: a fixed order all the same
}

int ListBoxAdd(ListBoxModel* m, const std::u16string& text) {
    if (!m->Sorted) return ListBoxInsert(m, -1, text);
    auto at = std::upper_bound(
        m->Items.begin(), m->Items.end(), text,
        [](const std::u16string& t, const ListBoxItem& item) { return ListBoxCompare(t, item.Text) < 0; });
    return ListBoxInsert(m, int(at - m->Items.begin()), text);
}

int ListBoxInsert(ListBoxModel* m, int index, const std::u16string& text) {
    int count = int(m->Items.size());
    if (index < 0) index = count;
    if (index > count) return -1;
    m->Items.insert(m->Items.begin() + index, ListBoxItem{text, 0});
    if (m->Selected >= index) ++m->Selected;
    return index;
}

bool ListBoxDelete(ListBoxModel* m, int index) {
    if (index < 0 || index >= int(m->Items.size())) return false;
    m->Items.erase(m->Items.begin() + index);
    if (m->Selected == index)
        m->Selected = -1;
    else if (m->Selected > index)
        --m->Selected;
    m->Top = std::clamp(m->Top, 0, std::max(0, int(m->Items.size()) - 1));
    return true;
}

void ListBoxReset(ListBoxModel* m) {
    m->Items.clear();
    m->Selected = -1;
    m->Top = 0;
}

int ListBoxFind(const ListBoxModel& m, int start, const std::u16string& prefix, bool exact) {
    int count = int(m.Items.size());
    if (count == 0) return -1;
    if (start < 0 || start >= count) start = -1;
    for (int step = 1; step <= count; ++step) {
        int index = (start + step) % count;
        if (StartsWith(m.Items[size_t(index)].Text, prefix, exact)) return index;
    }
    return -1;
}

void ListBoxReveal(ListBoxModel* m, int index, int visible) {
    if (index < 0) return;
    visible = std::max(1, visible);
    if (index < m->Top)
        m->Top = index;
    else if (index >= m->Top + visible)
        m->Top = index - visible + 1;
    int lastTop = std::max(0, int(m->Items.size()) - visible);
    m->Top = std::clamp(m->Top, 0, lastTop);
}
