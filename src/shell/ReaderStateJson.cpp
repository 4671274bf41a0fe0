// ReaderStateJson.cpp: what the script driver's `state` command shows of the reader: the records
// of ReaderState.h and both panes, as JSON with the records' own field names. Window handles are
// written as the window's index in the platform's "Windows" list (top-level windows in their
// order, each followed by its descendants depth first), pane pointers by the pane's name. While the
// "Choose Section" dialog is open, its tree too (null otherwise). Nothing here allocates beyond the
// string it appends to, and nothing is kept.
#include "shell/ReaderState.h"

#include "navigation/Navigation.h"
#include "text/TextPane.h"

#include <cstdio>
#include <string>
#include <type_traits>

namespace {

// Appends "name": (appends, not string sums, which trip GCC 12's -Wrestrict at -O3).
void AppendName(std::string* json, const char* name) {
    json->append("\"").append(name).append("\":");
}

void AppendInt(std::string* json, const char* name, long long value, bool comma = true) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "\"%s\":%lld%s", name, value, comma ? "," : "");
    *json += buffer;
}

// Each unit as one JSON character: \u escapes for anything outside printable ASCII.
template <typename Unit>
void AppendUnits(std::string* json, const Unit* units, size_t count) {
    *json += '"';
    for (size_t i = 0; i < count; ++i) {
        unsigned c = unsigned(static_cast<std::make_unsigned_t<Unit>>(units[i]));
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            *json += char(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof(buffer), "\\u%04x", c);
            *json += buffer;
        }
    }
    *json += '"';
}

// The window's position in a depth-first walk from the first top-level window, the order in
// which the platform lists "Windows"; -1 when it is not there.
int WalkIndex(HWND from, HWND wanted, int* index) {
    for (HWND w = from; w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == wanted) return *index;
        ++*index;
        if (HWND child = GetWindow(w, GW_CHILD)) {
            int found = WalkIndex(child, wanted, index);
            if (found >= 0) return found;
        }
    }
    return -1;
}

void AppendWindow(std::string* json, const char* name, HWND window) {
    HWND any = ReaderState.MainWindow ? ReaderState.MainWindow : PlatformMainWindow();
    int index = 0;
    int found = (window && IsWindow(window) && any && IsWindow(any))
                    ? WalkIndex(GetWindow(any, GW_HWNDFIRST), window, &index)
                    : -1;
    if (found >= 0)
        AppendInt(json, name, found);
    else {
        AppendName(json, name);
        json->append("null,");
    }
}

void AppendPaneName(std::string* json, const char* name, const TextPane* pane) {
    AppendName(json, name);
    if (pane == nullptr)
        *json += "null";
    else
        *json += pane == ReaderState.TopPane    ? "\"TopPane\""
                 : pane == PaneState.BottomPane ? "\"BottomPane\""
                                                : "\"other\"";
    *json += ",";
}

void WriteFontSpec(std::string* json, const FontSpec& font) {
    size_t length = 0;
    while (length < size_t(FontFaceCapacity) && font.FontFace[length] != 0)
        ++length;
    *json += "{\"FontFace\":";
    AppendUnits(json, font.FontFace, length);
    *json += ",";
    AppendInt(json, "FontSize", font.FontSize);
    AppendInt(json, "FontAsciiBase", font.FontAsciiBase, false);
    *json += "}";
}

void WriteReaderState(std::string* json) {
    const struct ReaderState& s = ReaderState;
    json->append("{\"Instance\":").append(s.Instance ? "true" : "false").append(",\"FontSpec\":");
    WriteFontSpec(json, s.FontSpec);
    *json += ",";
    AppendInt(json, "LastPosition", s.LastPosition);
    AppendInt(json, "Flags", s.Flags);
    AppendInt(json, "Lesson", s.Lesson);
    size_t length = 0;
    while (length < sizeof s.SearchString && s.SearchString[length] != 0)
        ++length;
    *json += "\"SearchString\":";
    AppendUnits(json, s.SearchString, length);
    *json += ",";
    AppendPaneName(json, "TopPane", s.TopPane);
    AppendInt(json, "MenuBarOnBottom", s.MenuBarOnBottom);
    AppendInt(json, "MenuBarHeight", s.MenuBarHeight);
    AppendInt(json, "SurroundingGutter", s.SurroundingGutter);
    AppendWindow(json, "MenuBar", s.MenuBar);
    AppendWindow(json, "MainWindow", s.MainWindow);
    *json += "\"TreeBitmaps\":[";
    for (int i = 0; i < TreeBitmapCount; ++i)
        json->append(i ? "," : "").append(s.TreeBitmaps[i] ? "true" : "false");
    *json += "],";
    AppendInt(json, "BookmarkCount", s.BookmarkCount);
    *json += "\"Bookmarks\":[";
    for (int i = 0; s.Bookmarks && s.Bookmarks[i] != 0; ++i)
        json->append(i ? "," : "").append(std::to_string(s.Bookmarks[i]));
    *json += "],";
    AppendInt(json, "BookmarkFlags", s.BookmarkFlags);
    AppendInt(json, "TodayRequested", s.TodayRequested, false);
    *json += "}";
}

void WritePaneState(std::string* json) {
    const struct PaneState& s = PaneState;
    *json += "{";
    AppendWindow(json, "BottomPaneScrollBar", s.BottomPaneScrollBar);
    AppendWindow(json, "TopPaneScrollBar", s.TopPaneScrollBar);
    AppendWindow(json, "CurrentScrollBar", s.CurrentScrollBar);
    AppendPaneName(json, "BottomPane", s.BottomPane);
    AppendPaneName(json, "ActivePane", s.ActivePane);
    char buffer[96];
    std::snprintf(buffer, sizeof(buffer), "\"BottomRect\":[%d,%d,%d,%d],", int(s.BottomRect.left),
                  int(s.BottomRect.top), int(s.BottomRect.right), int(s.BottomRect.bottom));
    *json += buffer;
    AppendInt(json, "BottomSection", s.BottomSection);
    AppendInt(json, "BottomSectionLastPosition", s.BottomSectionLastPosition, false);
    *json += "}";
}

void WritePane(std::string* json, const TextPane* pane) {
    if (pane == nullptr) return; // the platform writes null
    *json += "{";
    AppendInt(json, "Left", pane->Left);
    AppendInt(json, "Top", pane->Top);
    AppendInt(json, "Width", pane->Width);
    AppendInt(json, "Height", pane->Height);
    AppendInt(json, "TopLine", pane->TopLine);
    AppendInt(json, "MaxTopLine", pane->MaxTopLine);
    AppendInt(json, "DisplayLines", pane->DisplayLines);
    AppendInt(json, "LineCount", pane->LineCount);
    AppendInt(json, "PaintedLines", pane->PaintedLines);
    AppendInt(json, "HitStart", pane->HitStart);
    AppendInt(json, "HitEnd", pane->HitEnd);
    *json += "\"Lines\":[";
    for (int i = 0; pane->Lines && i < pane->LineCount; ++i) {
        const LineEntry& e = pane->Lines[i];
        *json += i ? ",{" : "{";
        AppendInt(json, "Offset", e.Offset);
        AppendInt(json, "Count", e.Count);
        AppendInt(json, "X", e.X);
        AppendInt(json, "HangWidth", e.HangWidth);
        AppendInt(json, "Width", e.Width);
        AppendInt(json, "Height", e.Height);
        AppendInt(json, "Style", e.Style, false);
        *json += "}";
    }
    *json += "]}";
}

void WriteTopPane(std::string* json) {
    WritePane(json, ReaderState.TopPane);
}

void WriteBottomPane(std::string* json) {
    WritePane(json, PaneState.BottomPane);
}

// The open dialog's tree: its view, scroll position and every laid-out row (client coordinates),
// so that a script can find a row to tap and see which headings are open and which rows are shown.
void WriteSectionTree(std::string* json) {
    const struct ChooseSectionState& s = ChooseSectionState;
    const SectionTree* tree = s.Tree;
    if (s.Dialog == nullptr || !IsWindow(s.Dialog) || tree == nullptr) return; // the platform writes null
    *json += "{";
    AppendInt(json, "Result", s.Result);
    AppendInt(json, "Left", tree->Left);
    AppendInt(json, "Top", tree->Top);
    AppendInt(json, "Width", tree->Width);
    AppendInt(json, "Height", tree->Height);
    AppendInt(json, "TopRow", tree->TopRow);
    AppendInt(json, "VisibleRows", tree->VisibleRows);
    AppendInt(json, "RowCount", tree->RowCount);
    AppendInt(json, "MaxTopRow", tree->MaxTopRow);
    AppendInt(json, "PaintedRows", tree->PaintedRows);
    *json += "\"Rows\":[";
    for (int i = 0; tree->Rows && i < tree->RowCount; ++i) {
        const SectionRow& r = tree->Rows[i];
        *json += i ? ",{" : "{";
        AppendInt(json, "Id", r.Id);
        AppendInt(json, "Attributes", r.Attributes);
        AppendInt(json, "X", r.X);
        AppendInt(json, "TextWidth", r.TextWidth);
        AppendInt(json, "Height", r.Height, false);
        *json += "}";
    }
    *json += "]}";
}

void WriteGlobal(std::string* json, int32_t value) {
    *json += std::to_string(value);
}

} // namespace

void RegisterReaderStateWriters() {
    PlatformRegisterStateWriter("ReaderState", WriteReaderState);
    PlatformRegisterStateWriter("PaneState", WritePaneState);
    PlatformRegisterStateWriter("TopPane", WriteTopPane);
    PlatformRegisterStateWriter("BottomPane", WriteBottomPane);
    PlatformRegisterStateWriter("ChooseSection", WriteSectionTree);
    PlatformRegisterStateWriter("LastClientWidth", [](std::string* j) { WriteGlobal(j, LastClientWidth); });
    PlatformRegisterStateWriter("LastClientHeight", [](std::string* j) { WriteGlobal(j, LastClientHeight); });
    PlatformRegisterStateWriter("FullScreen", [](std::string* j) { WriteGlobal(j, FullScreen); });
    PlatformRegisterStateWriter("IgnoreActivate", [](std::string* j) { WriteGlobal(j, IgnoreActivate); });
    PlatformRegisterStateWriter("AllowSipInHebrewSearch",
                                [](std::string* j) { WriteGlobal(j, AllowSipInHebrewSearch); });
}
