// ChooseSectionDialog.cpp: the "Choose Section" dialog (resource 118): a full-screen dialog without
// controls that draws the section tree itself, scrolls it with its own scroll bar, the keys and the
// wheel, opens and closes headings on a tap and ends with the lesson of the entry tapped. The dialog
// holds one device context from initialisation to destruction; the tree, with its index stream, is
// released on destruction.
#include "navigation/ChooseSectionDialog.h"

#include "navigation/Navigation.h"
#include "resources/ResourceIds.h"
#include "shell/MainWindow.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int WheelRowsPerNotch = 3;

// The dialog's client rectangle less the scroll bar's column.
void ReadClientRect(HWND dialog) {
    GetClientRect(dialog, &ChooseSectionState.ClientRect);
}

void ReserveScrollBar() {
    ChooseSectionState.ClientRect.right -= GetSystemMetrics(SM_CXVSCROLL);
}

INT_PTR OnInit(HWND dialog) {
    ChooseSectionState.Dialog = dialog;
    ChooseSectionState.DC = GetDC(dialog);
    ReadClientRect(dialog);
    ReserveScrollBar();
    LoadSectionIndex();
    UpdateTreeScrollBar();
    InitDialogLayout(dialog, FullScreenDialogFlags);
    return 0;
}

// The dialog's own bar lies inside its client area here (Win32's lies outside it, so that the size
// message leaves it out): the tree gets the width left of the bar, as at initialisation, so the box
// of a top-level heading, in the indent beside the bar, is not drawn under it.
INT_PTR OnSize(LPARAM size) {
    SectionTree* tree = ChooseSectionState.Tree;
    ReadClientRect(ChooseSectionState.Dialog);
    uint16_t* open = tree ? SaveOpenState(tree) : nullptr;
    ReserveScrollBar();
    if (tree) {
        int width = std::max(0, int(LOWORD(size)) - GetSystemMetrics(SM_CXVSCROLL));
        ResizeSectionTree(tree, width, HIWORD(size));
        RestoreOpenState(tree, open);
        if (tree->MaxTopRow == 0) tree->TopRow = 0;
        PaintSectionTree(tree, 1);
    }
    free(open);
    UpdateTreeScrollBar();
    return 0;
}

INT_PTR OnEraseBackground(HDC dc) {
    FillRect(dc, &ChooseSectionState.ClientRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    InvalidateRect(ChooseSectionState.Dialog, &ChooseSectionState.ClientRect, FALSE);
    return 1;
}

INT_PTR OnKey(WPARAM key) {
    int step;
    switch (key) {
    case VK_PRIOR:
    case VK_UP:
        step = -1;
        break;
    case VK_NEXT:
    case VK_DOWN:
        step = 1;
        break;
    default:
        return 1;
    }
    ScrollSectionTree(ChooseSectionState.Tree, step, 1, 1);
    UpdateTreeScrollBar();
    return 0;
}

int ScrollStep(const SectionTree* tree, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        return -1;
    case SB_LINEDOWN:
        return 1;
    case SB_PAGEUP:
        return -tree->PaintedRows;
    case SB_PAGEDOWN:
        return tree->PaintedRows;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        return int16_t(HIWORD(wParam)) - tree->TopRow;
    case SB_TOP:
        return -int(tree->TopRow);
    case SB_BOTTOM:
        return 1;
    default:
        return 0;
    }
}

INT_PTR OnScroll(HWND dialog, WPARAM wParam, LPARAM lParam) {
    SectionTree* tree = ChooseSectionState.Tree;
    int step = tree ? ScrollStep(tree, wParam) : 0;
    if (step != 0) ScrollSectionTree(tree, step, 1, 1);
    DefWindowProcW(dialog, WM_VSCROLL, wParam, lParam);
    if (step != 0) UpdateTreeScrollBar();
    return 1;
}

// Not in the original program: the wheel scrolls the tree by three rows a notch.
INT_PTR OnWheel(WPARAM wParam) {
    static int remainder;
    remainder += int16_t(HIWORD(wParam)) * WheelRowsPerNotch;
    int rows = remainder / WHEEL_DELTA;
    remainder -= rows * WHEEL_DELTA;
    if (rows != 0 && ChooseSectionState.Tree) {
        ScrollSectionTree(ChooseSectionState.Tree, -rows, 1, 1);
        UpdateTreeScrollBar();
    }
    return 0;
}

INT_PTR OnTap(HWND dialog, LPARAM point) {
    int32_t result = HitTestSectionTree(ChooseSectionState.Tree, LOWORD(point), HIWORD(point));
    if (result > 0) {
        ChooseSectionState.Result = uint16_t(result);
        EndDialog(dialog, 1);
    } else if (result < 0) {
        UpdateTreeScrollBar();
    }
    return 0;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    if (LOWORD(wParam) == IDOK) EndDialog(dialog, 1);
    if (LOWORD(wParam) == IDCANCEL) {
        ChooseSectionState.Result = 0;
        EndDialog(dialog, 2);
    }
    return 1;
}

INT_PTR OnDestroy(HWND dialog) {
    ReleaseDC(dialog, ChooseSectionState.DC);
    ReleaseSectionTree(ChooseSectionState.Tree, 1);
    ChooseSectionState.Tree = nullptr;
    ChooseSectionState.DC = nullptr;
    return 0;
}

} // namespace

void UpdateTreeScrollBar() {
    const SectionTree* tree = ChooseSectionState.Tree;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    info.nMax = tree ? tree->MaxTopRow : 0;
    info.nPos = tree ? tree->TopRow : 0;
    SetScrollInfo(ChooseSectionState.Dialog, SB_VERT, &info, TRUE);
}

uint16_t ChooseSection(HINSTANCE instance, HWND owner, uint16_t lesson, const FontSpec* font) {
    std::memset(&ChooseSectionState, 0, sizeof ChooseSectionState);
    ChooseSectionState.Font = font;
    ChooseSectionState.Result = lesson;
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CHOOSE_SECTION), owner, ChooseSectionProc, 0);
    return ChooseSectionState.Result;
}

INT_PTR CALLBACK ChooseSectionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog);
    case WM_SIZE:
        return OnSize(lParam);
    case WM_PAINT:
        PaintSectionTree(ChooseSectionState.Tree, 1);
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_ACTIVE && TaskBarWindow) ShowWindow(TaskBarWindow, SW_HIDE);
        return 0;
    case WM_KEYDOWN:
        return OnKey(wParam);
    case WM_VSCROLL:
        return OnScroll(dialog, wParam, lParam);
    case WM_MOUSEWHEEL:
        return OnWheel(wParam);
    case WM_LBUTTONDOWN:
        return OnTap(dialog, lParam);
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    case WM_DESTROY:
        return OnDestroy(dialog);
    default:
        return 0;
    }
}
