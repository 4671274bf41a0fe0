// ChooseFontDialogTest.cpp: the Choose Font dialog run modally from the reader's own resource 105
// through the UI test backend, with taps and keys on its controls as a user gives them. Checked while
// it runs: the size list for FontSize 8, 13 and 20, the radio buttons and the sample for each base,
// the switch to the Unicode base when a Hebrew family (character set 177) is chosen, the layout at
// two sizes, and the sample's font; after it ends: FontSpec as OK stores it, and untouched by Cancel,
// whatever was changed, also on a later opening.
#include "tests/platform/ui/UiTestSupport.h"

#include "fonts/ChooseFontDialog.h"
#include "shell/ReaderState.h"
#include "store/ArticleText.h"

#include <cstring>
#include <map>

namespace {

HWND Dialog = nullptr;

// ChooseFontProc, keeping the dialog's handle for the steps that look at it while it runs.
INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) Dialog = dialog;
    return ChooseFontProc(dialog, message, wParam, lParam);
}

// Every family the platform reports, with its character set.
int CALLBACK CollectFamily(const LOGFONTW* logFont, const TEXTMETRICW* metrics, DWORD, LPARAM lParam) {
    (*reinterpret_cast<std::map<std::u16string, BYTE>*>(lParam))[logFont->lfFaceName] = metrics->tmCharSet;
    return 1;
}

std::map<std::u16string, BYTE> Families() {
    std::map<std::u16string, BYTE> families;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesW(dc, nullptr, CollectFamily, reinterpret_cast<LPARAM>(&families));
    ReleaseDC(nullptr, dc);
    return families;
}

// The first family of the character set (or, with other true, of any other set).
std::u16string FamilyOfSet(BYTE set, bool other = false) {
    for (const auto& [face, charSet] : Families())
        if ((charSet == set) != other) return face;
    return u"";
}

FontSpec Spec(const std::u16string& face, int32_t size, int32_t base) {
    FontSpec spec{};
    face.copy(spec.FontFace, FontFaceCapacity - 1);
    spec.FontSize = size;
    spec.FontAsciiBase = base;
    return spec;
}

std::u16string ListText(int id, LRESULT index) {
    WCHAR text[64] = {};
    if (index == LB_ERR || SendDlgItemMessageW(Dialog, id, LB_GETTEXTLEN, WPARAM(index), 0) >= 64) return u"";
    SendDlgItemMessageW(Dialog, id, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::u16string Selected(int id) {
    return ListText(id, SendDlgItemMessageW(Dialog, id, LB_GETCURSEL, 0, 0));
}

std::vector<std::u16string> Items(int id) {
    std::vector<std::u16string> items;
    LRESULT count = SendDlgItemMessageW(Dialog, id, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        items.push_back(ListText(id, i));
    return items;
}

std::u16string Sample() {
    WCHAR text[64] = {};
    GetDlgItemTextW(Dialog, IDC_FONT_SAMPLE, text, 64);
    return text;
}

// The 27 letters from base + 26 down to base, as the sample shows them.
std::u16string Letters(int32_t base) {
    std::u16string letters;
    for (int i = 26; i >= 0; --i)
        letters.push_back(char16_t(base + i));
    return letters;
}

// Which base the radio buttons show: 224, 0x5D0, 0 for neither, -1 for both.
int CheckedBase() {
    bool code = IsDlgButtonChecked(Dialog, IDC_FONT_BASE_224) == BST_CHECKED;
    bool unicode = IsDlgButtonChecked(Dialog, IDC_FONT_BASE_5D0) == BST_CHECKED;
    return code && unicode ? -1 : code ? 224 : unicode ? 0x5D0 : 0;
}

// Queues a tap on a list's item, scrolled into view first, as a user picks it.
void QueueTapItem(int id, const std::u16string& text) {
    HWND list = GetDlgItem(Dialog, id);
    LRESULT index =
        SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(index, LB_ERR) << "no item for the tap";
    SendMessageW(list, LB_SETTOPINDEX, WPARAM(index), 0);
    LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    int height = int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    UiQueueTap(list, 8, int(index - top) * height + height / 2);
}

// Queues a tap in the middle of a control.
void QueueTapControl(int id) {
    RECT r;
    GetClientRect(GetDlgItem(Dialog, id), &r);
    UiQueueTap(GetDlgItem(Dialog, id), r.right / 2, r.bottom / 2);
}

// A control's rectangle in the dialog's client coordinates, as {x, y, width, height}.
std::vector<int> Placed(int id) {
    RECT r;
    GetWindowRect(GetDlgItem(Dialog, id), &r);
    MapWindowPoints(nullptr, Dialog, reinterpret_cast<POINT*>(&r), 2);
    return {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
}

// The layout for the dialog's present client size, control by control.
void ExpectLayout() {
    RECT client;
    GetClientRect(Dialog, &client);
    int w = client.right - 14, h = client.bottom - 14, d = 2 * w / 3, f = 2 * h / 3;
    SCOPED_TRACE(testing::Message() << "client " << client.right << " x " << client.bottom);
    EXPECT_EQ(Placed(IDC_FONT_FACES), (std::vector<int>{7, 7, d - 7, f - 7}));
    EXPECT_EQ(Placed(IDC_FONT_SIZES), (std::vector<int>{d + 7, 59, w - d, f - 59}));
    EXPECT_EQ(Placed(IDC_FONT_SAMPLE), (std::vector<int>{7, f, w, h - f}));
    EXPECT_EQ(Placed(IDC_FONT_BASE_224), (std::vector<int>{d + 7, 24, w - d, 10}));
    EXPECT_EQ(Placed(IDC_FONT_BASE_5D0), (std::vector<int>{d + 7, 41, w - d, 10}));
}

// The sample field's font as the dialog made it.
LOGFONTW SampleFont() {
    LOGFONTW lf{};
    HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageW(Dialog, IDC_FONT_SAMPLE, WM_GETFONT, 0, 0));
    if (font) GetObjectW(font, sizeof lf, &lf);
    return lf;
}

class ChooseFontDialogTest : public UiTest {
protected:
    // Runs the dialog over spec; first runs once it is open and queues the input that comes next
    // (and, with Then, the step that looks at its effect). A dialog the steps leave open gets the
    // test backend's Quit once nothing is queued, and the test fails on its result.
    INT_PTR Run(FontSpec* spec, std::function<void()> first) {
        Dialog = nullptr;
        UiQueueStep(std::move(first));
        return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHOOSE_FONT), Parent,
                               RecordingProc, reinterpret_cast<LPARAM>(spec));
    }
    // A step after the input queued so far.
    static void Then(std::function<void()> step) { UiQueueStep(std::move(step)); }
};

TEST_F(ChooseFontDialogTest, TheSizeListFollowsFontSizeAndOkKeepsIt) {
    const std::u16string face = FamilyOfSet(HEBREW_CHARSET);
    ASSERT_FALSE(face.empty()) << "no Hebrew family among the test fonts";
    std::vector<std::u16string> table = {u"10", u"11", u"12", u"14", u"16", u"18", u"20",
                                         u"22", u"24", u"26", u"28", u"32", u"52", u"72"};
    struct Case {
        int32_t Size;
        std::u16string Selected;
        bool Added;
    };
    // 20 first: its height must not stay behind for the dialogs that follow.
    for (const Case& c : {Case{20, u"20", false}, Case{8, u"8", true}, Case{13, u"", false}}) {
        SCOPED_TRACE(testing::Message() << "FontSize " << c.Size);
        FontSpec spec = Spec(face, c.Size, 0);
        INT_PTR result = Run(&spec, [&] {
            std::vector<std::u16string> expected = table;
            if (c.Added) expected.insert(expected.begin(), c.Selected);
            EXPECT_EQ(Items(IDC_FONT_SIZES), expected);
            EXPECT_EQ(Selected(IDC_FONT_SIZES), c.Selected);
            EXPECT_EQ(Selected(IDC_FONT_FACES), face);
            EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_FONT_FACES);
            // Base 0 opens as the Unicode base, its radio button checked and the sample its letters.
            EXPECT_EQ(CheckedBase(), 0x5D0);
            EXPECT_EQ(Sample(), Letters(0x5D0));
            // The sample is drawn in the chosen face at once (at the selected size, if any).
            EXPECT_EQ(std::u16string(SampleFont().lfFaceName), face);
            if (!c.Selected.empty()) {
                EXPECT_EQ(SampleFont().lfHeight, c.Size);
            }
            Then([] { UiQueuePress(VK_RETURN); });
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(std::u16string(spec.FontFace), face);
        EXPECT_EQ(spec.FontSize, c.Size) << "OK without touching the sizes keeps the size";
        EXPECT_EQ(spec.FontAsciiBase, 0x5D0);
    }
}

TEST_F(ChooseFontDialogTest, TheLayoutFollowsEverySize) {
    FontSpec spec = Spec(u"DejaVu Sans", 12, 0x5D0);
    Run(&spec, [] {
        ExpectLayout(); // as the shell sized it: the whole screen
        for (auto [width, height] : {std::pair{240, 320}, std::pair{480, 800}, std::pair{200, 150}}) {
            RECT r;
            GetWindowRect(Dialog, &r);
            MoveWindow(Dialog, r.left, r.top, width, height, TRUE);
            ExpectLayout();
        }
        UiQueuePress(VK_ESCAPE);
    });
}

TEST_F(ChooseFontDialogTest, AHebrewFamilySwitchesToTheUnicodeBaseAndOkStoresIt) {
    const std::u16string hebrew = FamilyOfSet(HEBREW_CHARSET);
    const std::u16string other = FamilyOfSet(HEBREW_CHARSET, true);
    ASSERT_FALSE(hebrew.empty());
    ASSERT_FALSE(other.empty()) << "no family without Hebrew among the test fonts";
    FontSpec spec = Spec(other, 14, 224);
    INT_PTR result = Run(&spec, [&] {
        EXPECT_EQ(CheckedBase(), 224);
        EXPECT_EQ(Sample(), Letters(224));
        QueueTapItem(IDC_FONT_FACES, other);
        Then([&] {
            // Any other family changes neither the buttons nor the sample, only the sample's face.
            EXPECT_EQ(Selected(IDC_FONT_FACES), other);
            EXPECT_EQ(CheckedBase(), 224);
            EXPECT_EQ(Sample(), Letters(224));
            EXPECT_EQ(std::u16string(SampleFont().lfFaceName), other);
            QueueTapItem(IDC_FONT_FACES, hebrew);
            Then([&] {
                EXPECT_EQ(CheckedBase(), 0x5D0);
                EXPECT_EQ(Sample(), Letters(0x5D0));
                QueueTapItem(IDC_FONT_SIZES, u"52");
                Then([] {
                    EXPECT_EQ(SampleFont().lfHeight, 52);
                    UiQueuePress(VK_RETURN);
                });
            });
        });
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(std::u16string(spec.FontFace), hebrew);
    EXPECT_EQ(spec.FontSize, 52);
    EXPECT_EQ(spec.FontAsciiBase, 0x5D0);
    // Opened on a Hebrew family at base 224, the face list's focus notification switches at once.
    spec.FontAsciiBase = 224;
    Run(&spec, [] {
        EXPECT_EQ(CheckedBase(), 0x5D0);
        EXPECT_EQ(Sample(), Letters(0x5D0));
        UiQueuePress(VK_ESCAPE);
    });
    EXPECT_EQ(spec.FontAsciiBase, 224) << "and Cancel still keeps the base";
}

TEST_F(ChooseFontDialogTest, TheRadioButtonsChooseTheBaseAndAnUnknownBaseIsKept) {
    // A family without Hebrew: a Hebrew one would switch to the Unicode base as the dialog opens.
    const std::u16string other = FamilyOfSet(HEBREW_CHARSET, true);
    ASSERT_FALSE(other.empty());
    FontSpec spec = Spec(other, 16, AsciiBaseLatin);
    Run(&spec, [] {
        EXPECT_EQ(CheckedBase(), 0) << "97 matches neither button";
        EXPECT_EQ(Sample(), Letters(AsciiBaseLatin));
        UiQueuePress(VK_RETURN);
    });
    EXPECT_EQ(spec.FontAsciiBase, AsciiBaseLatin);
    Run(&spec, [] {
        QueueTapControl(IDC_FONT_BASE_224);
        Then([] {
            EXPECT_EQ(CheckedBase(), 224);
            EXPECT_EQ(Sample(), Letters(224));
            UiQueuePress(VK_RETURN);
        });
    });
    EXPECT_EQ(spec.FontAsciiBase, 224);
    Run(&spec, [] {
        QueueTapControl(IDC_FONT_BASE_5D0);
        Then([] {
            EXPECT_EQ(CheckedBase(), 0x5D0);
            EXPECT_EQ(Sample(), Letters(0x5D0));
            UiQueuePress(VK_RETURN);
        });
    });
    EXPECT_EQ(spec.FontAsciiBase, 0x5D0);
}

TEST_F(ChooseFontDialogTest, CancelLeavesFontSpecAsItWasAndSoDoesTheNextOk) {
    const std::u16string other = FamilyOfSet(HEBREW_CHARSET, true);
    ASSERT_FALSE(other.empty());
    const FontSpec before = Spec(u"Nothing Installed By This Name", 13, 224);
    FontSpec spec = before;
    INT_PTR result = Run(&spec, [&] {
        EXPECT_EQ(Selected(IDC_FONT_FACES), u"");
        QueueTapItem(IDC_FONT_FACES, other);
        QueueTapItem(IDC_FONT_SIZES, u"72");
        QueueTapControl(IDC_FONT_BASE_5D0);
        Then([] {
            EXPECT_EQ(CheckedBase(), 0x5D0);
            EXPECT_EQ(SampleFont().lfHeight, 72);
            UiQueuePress(VK_ESCAPE);
        });
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::memcmp(&spec, &before, sizeof spec), 0) << "Cancel changed FontSpec";
    // Opened again and ended with OK at once: nothing chosen in the cancelled dialog comes back.
    result = Run(&spec, [] { UiQueuePress(VK_RETURN); });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(std::memcmp(&spec, &before, sizeof spec), 0) << "OK took a choice that was cancelled";
    EXPECT_EQ(FontList.Head, nullptr) << "the font list is freed at the end";
}

} // namespace
