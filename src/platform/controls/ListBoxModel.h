// ListBoxModel.h: the items of a LISTBOX control without a window: insertion in Win32's sorted
// order, the prefix and exact searches that wrap from a start index, and the selection and top
// index kept within the items. ListBoxControl.cpp draws it and routes input to it.
#pragma once

#include "platform/Win32Types.h"

#include <string>
#include <vector>

struct ListBoxItem {
    std::u16string Text;
    LPARAM Data;
};

struct ListBoxModel {
    std::vector<ListBoxItem> Items;
    int Selected = -1; // LB_ERR: none
    int Top = 0;       // first item shown
    bool Sorted = false;
};

// Win32's order for list box strings: letters compared without case, and hyphens and apostrophes
// ignored as a word sort ignores them; ties keep insertion order.
int ListBoxCompare(const std::u16string& a, const std::u16string& b);
// LB_ADDSTRING / LB_INSERTSTRING (index -1: the end): the index the item went to.
int ListBoxAdd(ListBoxModel* m, const std::u16string& text);
int ListBoxInsert(ListBoxModel* m, int index, const std::u16string& text);
bool ListBoxDelete(ListBoxModel* m, int index);
void ListBoxReset(ListBoxModel* m);
// The first item after `start` (-1: from the first) whose text starts with prefix (exact: equals
// it), without case, wrapping round; LB_ERR when none.
int ListBoxFind(const ListBoxModel& m, int start, const std::u16string& prefix, bool exact);
// Keeps the top index so that `index` is among `visible` rows.
void ListBoxReveal(ListBoxModel* m, int index, int visible);
