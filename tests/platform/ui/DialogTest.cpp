// The dialog manager against Win32's results: templates built in memory and run modally,
// WM_INITDIALOG and its focus rule, the font, keyboard navigation, EndDialog, the owner, nesting,
// damaged templates and the dialog units.
#include "UiTestSupport.h"

#include <functional>

namespace {

// Builds a DIALOG template (the standard, non-EX form) in memory.
struct TemplateBuilder {
    std::vector<WORD> Words;

    void Dword(DWORD d) {
        Words.push_back(WORD(d & 0xFFFF));
        Words.push_back(WORD(d >> 16));
    }
    void Text(const std::u16string& s) {
        Words.insert(Words.end(), s.begin(), s.end());
        Words.push_back(0);
    }
    void Header(DWORD style, WORD count, short cx, short cy) {
        Dword(style | DS_SETFONT);
        Dword(0);
        Words.insert(Words.end(), {count, 0, 0, WORD(cx), WORD(cy)});
        Words.push_back(0); // no menu
        Words.push_back(0); // the dialog class
        Text(u"Test dialog");
        Words.push_back(8);
        Text(u"System");
    }
    void Item(DWORD style, WORD cls, const std::u16string& title, WORD id, short x, short y, short cx,
              short cy) {
        if (Words.size() % 2) Words.push_back(0); // items are DWORD-aligned
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Words.insert(Words.end(), {WORD(x), WORD(y), WORD(cx), WORD(cy), id, 0xFFFF, cls});
        Text(title);
        Words.push_back(0); // no creation data
    }
    LPCDLGTEMPLATEW Get() const { return reinterpret_cast<LPCDLGTEMPLATEW>(Words.data()); }
};

constexpr WORD ButtonClass = 0x80, EditClass = 0x81, StaticClass = 0x82;
constexpr WORD FirstEdit = 100, Alpha = 101, Beta = 102, Gamma = 103, NameLabel = 104, NameEdit = 105;

// The dialog the keyboard tests use: an edit, a radio group, a label with a mnemonic, an edit, OK and Cancel.
TemplateBuilder StandardTemplate() {
    TemplateBuilder t;
    t.Header(WS_POPUP | WS_VISIBLE | WS_CAPTION, 8, 160, 120);
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, EditClass, u"", FirstEdit, 5, 5, 100, 12);
    t.Item(BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, ButtonClass, u"&Alpha", Alpha, 5, 20, 60, 10);
    t.Item(BS_AUTORADIOBUTTON, ButtonClass, u"&Beta", Beta, 5, 32, 60, 10);
    t.Item(BS_AUTORADIOBUTTON, ButtonClass, u"&Gamma", Gamma, 5, 44, 60, 10);
    t.Item(SS_LEFT | WS_GROUP, StaticClass, u"&Name:", NameLabel, 5, 60, 30, 10);
    t.Item(WS_BORDER | WS_TABSTOP | WS_GROUP, EditClass, u"", NameEdit, 40, 60, 80, 12);
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, ButtonClass, u"OK", IDOK, 20, 100, 50, 14);
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, ButtonClass, u"Cancel", IDCANCEL, 80, 100, 50, 14);
    return t;
}

// What the test dialog procedure saw, and what it does at WM_INITDIALOG.
struct DialogRun {
    HWND Dialog = nullptr;
    WPARAM InitFocus = 0;
    LPARAM InitParam = 0;
    std::vector<WORD> Commands;   // WM_COMMAND ids, in order
    std::vector<int> FocusIds;    // recorded by UiQueueStep(RecordFocus)
    std::function<BOOL()> OnInit; // returns WM_INITDIALOG's result; null: TRUE
    std::vector<HWND> Dialogs;    // every dialog this procedure served (nested ones too)
    std::vector<WORD> AfterEnd;   // IDOK or IDCANCEL commands that came after EndDialog
    bool Ended = false;
};

DialogRun* Current = nullptr;

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogRun& run = *Current;
    if (run.Ended && message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        run.AfterEnd.push_back(LOWORD(wParam));
    switch (message) {
    case WM_INITDIALOG:
        run.Dialog = dialog;
        run.Dialogs.push_back(dialog);
        run.InitFocus = wParam;
        run.InitParam = lParam;
        return run.OnInit ? run.OnInit() : TRUE;
    case WM_COMMAND:
        run.Commands.push_back(LOWORD(wParam));
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam) == IDOK ? 1000 + LOWORD(wParam) : 2000);
            run.Ended = true;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR RunDialog(DialogRun& run, const TemplateBuilder& t, HWND owner, LPARAM param = 0) {
    Current = &run;
    return DialogBoxIndirectParamW(nullptr, t.Get(), owner, TestDialogProc, param);
}

void RecordFocus(DialogRun& run) {
    UiQueueStep([&run] { run.FocusIds.push_back(GetDlgCtrlID(GetFocus())); });
}

} // namespace

using Dialog = UiTest;

TEST_F(Dialog, InitFocusFontAndOwner) {
    DialogRun run;
    bool ownerDisabledWhileRunning = false, fontEverywhere = true;
    WPARAM firstEdit = 0;
    run.OnInit = [&] {
        firstEdit = reinterpret_cast<WPARAM>(GetDlgItem(run.Dialog, FirstEdit));
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(run.Dialog, WM_GETFONT, 0, 0));
        EXPECT_NE(font, nullptr);
        for (HWND c = GetWindow(run.Dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)) != font) fontEverywhere = false;
        return TRUE;
    };
    bool visible = false;
    UiQueueStep([&] {
        run.FocusIds.push_back(GetDlgCtrlID(GetFocus()));
        ownerDisabledWhileRunning = !IsWindowEnabled(Parent);
        visible = IsWindowVisible(run.Dialog);
    });
    UiQueuePress(VK_RETURN);
    EXPECT_EQ(RunDialog(run, StandardTemplate(), Parent, 0x1234), 1000 + IDOK);
    EXPECT_EQ(run.InitParam, 0x1234);
    EXPECT_EQ(run.InitFocus, firstEdit);                  // the first tab stop
    EXPECT_EQ(run.FocusIds, std::vector<int>{FirstEdit}); // TRUE: focus given
    EXPECT_TRUE(fontEverywhere);
    EXPECT_TRUE(ownerDisabledWhileRunning);
    EXPECT_TRUE(IsWindowEnabled(Parent));
    EXPECT_FALSE(IsWindow(run.Dialog));
    EXPECT_TRUE(visible);

    // FALSE from WM_INITDIALOG: the procedure placed the focus itself.
    DialogRun second;
    second.OnInit = [&] {
        SetFocus(GetDlgItem(second.Dialog, NameEdit));
        return FALSE;
    };
    visible = false;
    UiQueueStep([&] {
        second.FocusIds.push_back(GetDlgCtrlID(GetFocus()));
        visible = IsWindowVisible(second.Dialog);
    });
    UiQueuePress(VK_ESCAPE);
    TemplateBuilder hidden = StandardTemplate();
    hidden.Words[1] &= ~WORD(WS_VISIBLE >> 16); // a modal dialog shows even without WS_VISIBLE
    EXPECT_EQ(RunDialog(second, hidden, Parent), 2000);
    EXPECT_TRUE(visible);
    EXPECT_EQ(second.FocusIds, std::vector<int>{NameEdit});
}

TEST_F(Dialog, KeyboardTabArrowsEnterEscapeAndMnemonics) {
    DialogRun run;
    run.OnInit = [&] {
        CheckRadioButton(run.Dialog, Alpha, Gamma, Beta);
        return TRUE;
    };
    auto press = [&](UINT vk, UINT held = 0) {
        UiQueuePress(vk, held);
        RecordFocus(run);
    };
    press(VK_TAB);           // to the group's checked button
    press(VK_DOWN);          // next in the group, checked
    press(VK_DOWN);          // wraps to the group's first
    press(VK_TAB);           // the name edit
    press(VK_TAB);           // OK
    press(VK_TAB);           // Cancel
    press(VK_TAB);           // wraps to the first edit
    press(VK_TAB, VK_SHIFT); // back to Cancel
    press(VK_TAB, VK_SHIFT); // OK
    press('G', VK_MENU);     // Alt+G: Gamma, clicked
    press('N', VK_MENU);     // Alt+N on the label: the edit after it
    UiQueueStep([&] {
        EXPECT_EQ(IsDlgButtonChecked(run.Dialog, Gamma), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(run.Dialog, Beta), BST_UNCHECKED);
    });
    UiQueueText("b"); // typed into the edit, not a mnemonic
    UiQueueStep([&] {
        WCHAR text[8] = {};
        GetDlgItemTextW(run.Dialog, NameEdit, text, 8);
        EXPECT_EQ(std::u16string(text), u"b");
        EXPECT_EQ(IsDlgButtonChecked(run.Dialog, Gamma), BST_CHECKED);
    });
    press(VK_RETURN);        // IDOK from an edit
    UiQueuePress(VK_ESCAPE); // not reached: the dialog has ended
    EXPECT_EQ(RunDialog(run, StandardTemplate(), Parent), 1000 + IDOK);
    EXPECT_EQ(run.FocusIds, (std::vector<int>{Beta, Gamma, Alpha, NameEdit, IDOK, IDCANCEL, FirstEdit,
                                              IDCANCEL, IDOK, Gamma, NameEdit}));
    EXPECT_EQ(std::count(run.Commands.begin(), run.Commands.end(), IDOK), 1);
    EXPECT_TRUE(run.AfterEnd.empty()); // the Escape after Enter never reached the ended dialog
    UiBackendState().Steps.clear();
}

TEST_F(Dialog, EndsFromInitNestsAndRejectsDamage) {
    // Ended inside WM_INITDIALOG: no loop runs; it returns the code, the owner is enabled again.
    DialogRun early;
    bool looped = false;
    early.OnInit = [&] {
        EndDialog(early.Dialog, 77);
        return TRUE;
    };
    UiQueueStep([&] { looped = true; }); // runs only if the modal loop waits for input
    EXPECT_EQ(RunDialog(early, StandardTemplate(), Parent), 77);
    EXPECT_FALSE(looped);
    EXPECT_TRUE(IsWindowEnabled(Parent));
    UiBackendState().Steps.clear();

    // A modal dialog inside a modal dialog: the outer one is disabled while the inner one runs.
    DialogRun outer;
    INT_PTR innerResult = 0;
    bool outerDisabled = false, outerEnabledAfter = false;
    TemplateBuilder t = StandardTemplate();
    UiQueueStep([&] {
        HWND outerDialog = outer.Dialog;
        UiQueueStep([&, outerDialog] { outerDisabled = !IsWindowEnabled(outerDialog); });
        UiQueuePress(VK_ESCAPE);
        innerResult = DialogBoxIndirectParamW(nullptr, t.Get(), outerDialog, TestDialogProc, 0);
        outerEnabledAfter = IsWindowEnabled(outerDialog);
        outer.Ended = false;
        UiQueuePress(VK_RETURN);
    });
    EXPECT_EQ(RunDialog(outer, t, Parent), 1000 + IDOK);
    EXPECT_EQ(innerResult, 2000);
    EXPECT_TRUE(outerDisabled);
    EXPECT_TRUE(outerEnabledAfter);
    EXPECT_EQ(outer.Dialogs.size(), 2u);
    EXPECT_TRUE(IsWindowEnabled(Parent));

    // Damaged templates fail with -1 and leave the owner enabled.
    DialogRun damaged;
    TemplateBuilder cut = StandardTemplate();
    cut.Words.resize(20);
    EXPECT_EQ(RunDialog(damaged, cut, Parent), -1);
    TemplateBuilder bad = StandardTemplate();
    bad.Words[4] = 500; // more items than the template holds (zeros after them, within the read bound)
    bad.Words.resize(DialogTemplateMaxBytes / 2, 0);
    EXPECT_EQ(RunDialog(damaged, bad, Parent), -1);
    EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(9999), Parent, TestDialogProc, 0), -1);
    EXPECT_TRUE(IsWindowEnabled(Parent));
}

TEST_F(Dialog, DialogUnitsAgreeWithTheBaseUnits) {
    DialogRun run;
    RECT mapped{}, item{}, dialogRect{};
    run.OnInit = [&] {
        mapped = RECT{5, 60, 35, 70};
        EXPECT_TRUE(MapDialogRect(run.Dialog, &mapped));
        GetWindowRect(GetDlgItem(run.Dialog, NameLabel), &item);
        MapWindowPoints(nullptr, run.Dialog, reinterpret_cast<POINT*>(&item), 2);
        GetClientRect(run.Dialog, &dialogRect);
        EndDialog(run.Dialog, IDOK);
        return TRUE;
    };
    RunDialog(run, StandardTemplate(), Parent);
    EXPECT_EQ(mapped.left, item.left);
    EXPECT_EQ(mapped.top, item.top);
    // Controls are sized from their width in units, MapDialogRect maps each edge: a pixel apart at most.
    EXPECT_NEAR(mapped.right - mapped.left, item.right - item.left, 1);
    EXPECT_GT(mapped.bottom, mapped.top);
    LONG units = GetDialogBaseUnits();
    EXPECT_GT(LOWORD(units), 3);
    EXPECT_GT(HIWORD(units), LOWORD(units));
    RECT system{0, 0, 4, 8};
    EXPECT_FALSE(MapDialogRect(nullptr, &system));
}

// A static text that wraps onto more lines than its box holds grows down into free room (the
// stand-in face is wider than the handheld's), never over the control below it; one with no room,
// or whose text fits, keeps its box.
TEST_F(Dialog, WrappedStaticTextsGrowIntoFreeRoomOnly) {
    const std::u16string title = u"Ordane (with Varni) Kestrova";
    TemplateBuilder t;
    t.Header(WS_POPUP | WS_VISIBLE | WS_CAPTION, 5, 160, 120);
    t.Item(SS_LEFT | SS_NOPREFIX, StaticClass, title, 201, 7, 7, 81, 8);
    t.Item(SS_LEFT, StaticClass, u"Version 1.84a", 202, 7, 24, 45, 8);
    t.Item(SS_CENTER, StaticClass, title, 203, 7, 50, 60, 8);
    t.Item(ES_AUTOHSCROLL | WS_BORDER, EditClass, u"", 204, 7, 58, 100, 12);
    t.Item(SS_LEFT, StaticClass, u"Fits", 205, 100, 7, 40, 8);
    DialogRun run;
    RECT grown{}, below{}, blocked{}, fits{};
    RECT titleBox{7, 7, 88, 15}, blockedBox{7, 50, 67, 58}, fitsBox{100, 7, 140, 15};
    int lines = 0, lineHeight = 0;
    run.OnInit = [&] {
        auto rectOf = [&](int id) {
            RECT r;
            GetWindowRect(GetDlgItem(run.Dialog, id), &r);
            MapWindowPoints(nullptr, run.Dialog, reinterpret_cast<POINT*>(&r), 2);
            return r;
        };
        grown = rectOf(201), below = rectOf(202), blocked = rectOf(203), fits = rectOf(205);
        for (RECT* box : {&titleBox, &blockedBox, &fitsBox})
            MapDialogRect(run.Dialog, box);
        HDC dc = GetDC(run.Dialog);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(run.Dialog, WM_GETFONT, 0, 0)));
        RECT calc{0, 0, grown.right - grown.left, 0};
        DrawTextW(dc, title.c_str(), int(title.size()), &calc, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        lineHeight = tm.tmHeight;
        lines = calc.bottom / lineHeight;
        SelectObject(dc, old);
        ReleaseDC(run.Dialog, dc);
        EndDialog(run.Dialog, IDOK);
        return TRUE;
    };
    RunDialog(run, t, Parent);
    ASSERT_GE(lines, 2); // the title does not fit its width on one line in the stand-in face
    EXPECT_EQ(grown.left, titleBox.left);
    EXPECT_EQ(grown.top, titleBox.top);
    EXPECT_NEAR(grown.right, titleBox.right, 1); // the width is kept
    EXPECT_GE(grown.bottom - grown.top, lines * lineHeight);
    EXPECT_LE(grown.bottom, below.top);
    EXPECT_NEAR(blocked.bottom, blockedBox.bottom, 1); // the edit right below leaves no room
    EXPECT_NEAR(fits.bottom, fitsBox.bottom, 1);
}

namespace {

// Describes the dialog at WM_INITDIALOG and ends it there.
struct ReaderDialogSeen {
    int Controls = 0;
    bool FontEverywhere = true;
    RECT Client{};
};
ReaderDialogSeen ReaderSeen;

INT_PTR CALLBACK DescribeAndEnd(HWND dialog, UINT message, WPARAM, LPARAM param) {
    if (message != WM_INITDIALOG) return FALSE;
    ReaderSeen = ReaderDialogSeen{};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        ++ReaderSeen.Controls;
        if (reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)) != font)
            ReaderSeen.FontEverywhere = false;
    }
    GetClientRect(dialog, &ReaderSeen.Client);
    EndDialog(dialog, param);
    return TRUE;
}

} // namespace

// The reader's four templates, as the resource compiler wrote them, build with every control.
TEST_F(Dialog, ReaderTemplatesFromTheResources) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::pair<int, int> dialogs[] = {{103, 4}, {105, 5}, {115, 3}, {118, 0}};
    for (auto [id, controls] : dialogs) {
        EXPECT_EQ(DialogBoxParamW(instance, MAKEINTRESOURCEW(id), Parent, DescribeAndEnd, id), id) << id;
        EXPECT_EQ(ReaderSeen.Controls, controls) << id;
        EXPECT_TRUE(ReaderSeen.FontEverywhere) << id;
        EXPECT_GT(ReaderSeen.Client.right, 100) << id;
    }
    EXPECT_TRUE(IsWindowEnabled(Parent));
}
