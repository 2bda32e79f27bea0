#include "compose/EditorIcons.h"

#include "base/Handles.h"

namespace kelup {

namespace {

constexpr int kSize = 16;
constexpr COLORREF kMask = RGB(255, 0, 255);

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void Glyph(HDC dc, const wchar_t* text, int height, COLORREF color, const RECT& rc, int weight = FW_BOLD) {
    AutoFont font(CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"ＭＳ ゴシック"));
    HGDIOBJ old = SelectObject(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    RECT r = rc;
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
}

void Calendar(HDC dc, const wchar_t* mark) {
    AutoBrush paper(CreateSolidBrush(RGB(255, 255, 255)));
    AutoBrush band(CreateSolidBrush(RGB(214, 48, 49)));
    AutoPen edge(CreatePen(PS_SOLID, 1, RGB(90, 90, 90)));
    HGDIOBJ oldPen = SelectObject(dc, edge.get());
    HGDIOBJ oldBrush = SelectObject(dc, paper.get());
    Rectangle(dc, 1, 2, 15, 16);
    RECT top{2, 3, 14, 6};
    FillRect(dc, &top, band.get());
    Line(dc, 4, 0, 4, 4);
    Line(dc, 11, 0, 11, 4);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    Glyph(dc, mark, 9, RGB(30, 30, 120), RECT{1, 6, 15, 16});
}

void Draw(HDC dc, EditorIcon icon) {
    switch (icon) {
        case EditorIcon::Clock: {
            AutoBrush face(CreateSolidBrush(RGB(255, 255, 255)));
            AutoPen rim(CreatePen(PS_SOLID, 2, RGB(30, 90, 170)));
            HGDIOBJ oldPen = SelectObject(dc, rim.get());
            HGDIOBJ oldBrush = SelectObject(dc, face.get());
            Ellipse(dc, 1, 1, 16, 16);
            AutoPen hand(CreatePen(PS_SOLID, 1, RGB(20, 20, 20)));
            SelectObject(dc, hand.get());
            Line(dc, 8, 8, 8, 3);
            Line(dc, 8, 8, 12, 10);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
            break;
        }
        case EditorIcon::CalendarHan: Calendar(dc, L"半"); break;
        case EditorIcon::CalendarZen: Calendar(dc, L"全"); break;
        case EditorIcon::Quote: Glyph(dc, L">", 15, RGB(20, 110, 60), RECT{0, 0, kSize, kSize}); break;
        case EditorIcon::Quote2: Glyph(dc, L"≫", 15, RGB(170, 60, 20), RECT{0, 0, kSize, kSize}); break;
        case EditorIcon::Wrap: {
            AutoPen pen(CreatePen(PS_SOLID, 2, RGB(30, 90, 170)));
            HGDIOBJ old = SelectObject(dc, pen.get());
            Line(dc, 2, 4, 12, 4);
            Line(dc, 12, 4, 12, 11);
            Line(dc, 12, 11, 4, 11);
            Line(dc, 4, 11, 7, 8);
            Line(dc, 4, 11, 7, 14);
            SelectObject(dc, old);
            break;
        }
        case EditorIcon::Cancel: {
            AutoPen pen(CreatePen(PS_SOLID, 2, RGB(200, 40, 40)));
            HGDIOBJ old = SelectObject(dc, pen.get());
            Line(dc, 3, 3, 13, 13);
            Line(dc, 13, 3, 3, 13);
            SelectObject(dc, old);
            break;
        }
        case EditorIcon::Peel: {
            // A note with its corner lifting.
            AutoBrush note(CreateSolidBrush(RGB(255, 236, 120)));
            AutoBrush back(CreateSolidBrush(RGB(220, 190, 60)));
            AutoPen edge(CreatePen(PS_SOLID, 1, RGB(150, 120, 20)));
            HGDIOBJ oldPen = SelectObject(dc, edge.get());
            HGDIOBJ oldBrush = SelectObject(dc, note.get());
            POINT body[] = {{1, 2}, {14, 2}, {14, 9}, {8, 15}, {1, 15}};
            Polygon(dc, body, 5);
            SelectObject(dc, back.get());
            POINT curl[] = {{14, 9}, {8, 15}, {9, 9}};
            Polygon(dc, curl, 3);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
            break;
        }
        case EditorIcon::Count: break;
    }
}

}  // namespace

int AddEditorIcons(HIMAGELIST list) {
    if (!list) return -1;
    int first = -1;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    for (int i = 0; i < int(EditorIcon::Count); ++i) {
        AutoBitmap bmp(CreateCompatibleBitmap(screen, kSize, kSize));
        HGDIOBJ old = SelectObject(dc, bmp.get());
        AutoBrush mask(CreateSolidBrush(kMask));
        RECT all{0, 0, kSize, kSize};
        FillRect(dc, &all, mask.get());
        Draw(dc, EditorIcon(i));
        SelectObject(dc, old);
        int index = ImageList_AddMasked(list, bmp.get(), kMask);
        if (i == 0) first = index;
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return first;
}

}  // namespace kelup
