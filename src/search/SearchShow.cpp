// SearchShow.cpp: the search as the user sees it: SearchNext finds the next hit through the scan
// and shows it (ShowFoundArticle makes its article current and picks the acting pane; then the
// scroll, the highlight and the banner), or says "Not Found!". A text the scan loaded for the hit
// is handed to the pane, which owns it from then on.
#include "search/SearchEngine.h"

#include "shell/MainWindow.h"
#include "shell/Panes.h"
#include "text/TextPane.h"

namespace {

inline constexpr const WCHAR* NotFoundText = u"Not Found!";
inline constexpr const WCHAR* NotFoundCaption = u"Kestrova";
// The bits that repaint both panes without erasing them first: the highlight goes over the text.
constexpr int RedrawWithHit = 0xFF;

void ActOnTop() {
    PaneState.ActivePane = ReaderState.TopPane;
    PaneState.CurrentScrollBar = PaneState.TopPaneScrollBar;
}

void ActOnBottom() {
    PaneState.ActivePane = PaneState.BottomPane;
    PaneState.CurrentScrollBar = PaneState.BottomPaneScrollBar;
}

// The other article's text goes to the pane that shows it; the partner pane is reloaded unless the
// start article was already that pair.
void ShowOtherArticle(HWND owner, int start, int article, uint8_t* text) {
    SetArticle(uint32_t(article), 0);
    if (article % 2 == 1) {
        ActOnTop();
        if (start != article && start != article + 1) LoadCommentary(owner);
    } else {
        ActOnBottom();
        ReaderState.Lesson = uint16_t(article - 1);
        if (start != article - 1 && start != article) GoToArticle(owner, ReloadTopOnly);
    }
    if (PaneState.ActivePane)
        LayoutText(PaneState.ActivePane, text, 1);
    else
        free(text);
}

} // namespace

void ShowFoundArticle(HWND owner, int start, int inStart, int article, uint8_t* text) {
    if (!inStart) {
        ShowOtherArticle(owner, start, article, text);
        return;
    }
    if (start % 2 == 1)
        ActOnTop();
    else
        ActOnBottom();
}

int SearchNext(HWND owner) {
    if (ReaderState.SearchString[0] == 0) return 0;
    SearchStart start = CurrentSearchStart();
    SearchHit hit{};
    if (!FindNextHit(&start, &hit)) {
        MessageBoxW(owner, NotFoundText, NotFoundCaption, MB_OK);
        return 0;
    }
    ShowFoundArticle(owner, start.Article, hit.InStart, hit.Article, hit.Text);
    TextPane* pane = ActingPane();
    if (pane == nullptr) return 0;
    ScrollToOffset(pane, hit.End);
    RedrawPanes(ReaderState.MainWindow, RedrawAll);
    pane->HitStart = uint16_t(hit.End - hit.Length + 1);
    pane->HitEnd = uint16_t(hit.End + 1);
    RedrawPanes(ReaderState.MainWindow, RedrawWithHit);
    UpdateBookmarkCheck(ReaderState.MainWindow, MenuCheckSet);
    DrawLocationBanner(pane);
    return 1;
}
