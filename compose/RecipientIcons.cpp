#include "compose/RecipientIcons.h"

#include "base/Dib.h"
#include "base/Handles.h"

namespace kelup {

namespace {

constexpr int kS = kSendListImageSize;

struct Pens {
    HDC dc;
    void Fill(COLORREF c, COLORREF edge = RGB(60, 60, 60)) {
        brush.reset(CreateSolidBrush(c));
        pen.reset(CreatePen(PS_SOLID, 1, edge));
        SelectObject(dc, brush.get());
        SelectObject(dc, pen.get());
    }
    void Ellipse(int l, int t, int r, int b, COLORREF c, COLORREF edge = RGB(60, 60, 60)) {
        Fill(c, edge);
        ::Ellipse(dc, l, t, r, b);
    }
    void Rect(int l, int t, int r, int b, COLORREF c, COLORREF edge = RGB(60, 60, 60)) {
        Fill(c, edge);
        ::Rectangle(dc, l, t, r, b);
    }
    void Poly(std::initializer_list<POINT> pts, COLORREF c, COLORREF edge = RGB(60, 60, 60)) {
        Fill(c, edge);
        ::Polygon(dc, pts.begin(), int(pts.size()));
    }
    void Line(int x1, int y1, int x2, int y2, COLORREF c, int width = 1) {
        pen.reset(CreatePen(PS_SOLID, width, c));
        SelectObject(dc, pen.get());
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
    }
    void Done() {
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        SelectObject(dc, GetStockObject(BLACK_PEN));
    }
    AutoBrush brush;
    AutoPen pen;
};

constexpr COLORREF kSkin = RGB(252, 214, 170);
constexpr COLORREF kEye = RGB(30, 30, 30);

// A person: shoulders, a head and two eyes; the caller adds hair and the rest.
void Person(Pens& p, COLORREF body, int headTop = 3) {
    p.Ellipse(3, 15, 21, 30, body);
    p.Ellipse(6, headTop, 18, headTop + 13, kSkin);
    p.Rect(9, headTop + 6, 11, headTop + 8, kEye, kEye);
    p.Rect(13, headTop + 6, 15, headTop + 8, kEye, kEye);
}

void Draw(HDC dc, int image) {
    Pens p{dc, {}, {}};
    switch (image) {
        case 0:   // all peers: the network
            p.Ellipse(2, 2, 22, 22, RGB(90, 160, 230), RGB(20, 70, 140));
            p.Line(12, 2, 12, 22, RGB(20, 70, 140));
            p.Line(2, 12, 22, 12, RGB(20, 70, 140));
            p.Fill(RGB(90, 160, 230), RGB(20, 70, 140));
            Arc(dc, 6, 2, 18, 22, 12, 2, 12, 22);
            Arc(dc, 6, 2, 18, 22, 12, 22, 12, 2);
            break;
        case 1:   // a group, closed
            p.Poly({{2, 6}, {9, 6}, {11, 8}, {21, 8}, {21, 20}, {2, 20}}, RGB(240, 200, 80), RGB(150, 110, 20));
            break;
        case 2:   // a group, open
            p.Poly({{2, 6}, {9, 6}, {11, 8}, {19, 8}, {19, 11}, {2, 11}}, RGB(220, 180, 60), RGB(150, 110, 20));
            p.Poly({{2, 20}, {5, 11}, {23, 11}, {20, 20}}, RGB(250, 220, 110), RGB(150, 110, 20));
            break;
        case 3:   // man
            Person(p, RGB(60, 110, 200));
            p.Poly({{6, 9}, {7, 3}, {12, 2}, {17, 3}, {18, 9}, {16, 6}, {8, 6}}, RGB(60, 40, 20));
            break;
        case 4:   // woman
            p.Poly({{4, 18}, {5, 5}, {12, 1}, {19, 5}, {20, 18}, {17, 18}, {16, 8}, {8, 8}, {7, 18}},
                   RGB(120, 60, 20));
            Person(p, RGB(240, 120, 170));
            p.Poly({{6, 8}, {8, 3}, {16, 3}, {18, 8}, {14, 6}, {10, 6}}, RGB(120, 60, 20));
            break;
        case 5:   // monkey
            p.Ellipse(1, 6, 7, 13, RGB(150, 90, 40));
            p.Ellipse(17, 6, 23, 13, RGB(150, 90, 40));
            p.Ellipse(3, 15, 21, 30, RGB(150, 90, 40));
            p.Ellipse(5, 2, 19, 17, RGB(150, 90, 40));
            p.Ellipse(7, 6, 17, 16, RGB(245, 200, 160), RGB(245, 200, 160));
            p.Rect(9, 8, 11, 10, kEye, kEye);
            p.Rect(13, 8, 15, 10, kEye, kEye);
            p.Line(10, 13, 14, 13, RGB(90, 50, 20));
            break;
        case 6:   // glasses
            Person(p, RGB(60, 150, 90));
            p.Poly({{6, 8}, {7, 3}, {12, 2}, {17, 3}, {18, 8}, {16, 5}, {8, 5}}, RGB(40, 40, 40));
            p.Fill(RGB(255, 255, 255), RGB(20, 20, 20));
            SelectObject(dc, GetStockObject(NULL_BRUSH));
            ::Ellipse(dc, 7, 8, 12, 13);
            ::Ellipse(dc, 12, 8, 17, 13);
            break;
        case 7:   // rabbit
            p.Ellipse(6, 0, 10, 12, RGB(250, 250, 250), RGB(120, 120, 120));
            p.Ellipse(14, 0, 18, 12, RGB(250, 250, 250), RGB(120, 120, 120));
            p.Ellipse(7, 2, 9, 10, RGB(250, 170, 190), RGB(250, 170, 190));
            p.Ellipse(15, 2, 17, 10, RGB(250, 170, 190), RGB(250, 170, 190));
            p.Ellipse(3, 17, 21, 30, RGB(250, 250, 250), RGB(120, 120, 120));
            p.Ellipse(5, 7, 19, 20, RGB(250, 250, 250), RGB(120, 120, 120));
            p.Rect(8, 12, 10, 14, RGB(200, 30, 60), RGB(200, 30, 60));
            p.Rect(14, 12, 16, 14, RGB(200, 30, 60), RGB(200, 30, 60));
            break;
        case 8:   // second woman
            p.Poly({{4, 16}, {5, 5}, {12, 1}, {19, 5}, {20, 16}, {17, 16}, {16, 8}, {8, 8}, {7, 16}},
                   RGB(240, 190, 40));
            Person(p, RGB(150, 90, 210));
            p.Poly({{6, 8}, {8, 3}, {16, 3}, {18, 8}, {12, 5}}, RGB(240, 190, 40));
            p.Ellipse(16, 1, 21, 6, RGB(250, 120, 200));
            break;
        case 9:   // big brother
            Person(p, RGB(50, 50, 60));
            p.Poly({{6, 8}, {5, 1}, {9, 4}, {12, 0}, {14, 4}, {19, 1}, {18, 8}, {12, 5}}, RGB(20, 20, 20));
            p.Rect(7, 8, 17, 11, RGB(20, 20, 20), RGB(20, 20, 20));
            break;
        case 10:   // boy
            Person(p, RGB(240, 210, 60), 5);
            p.Poly({{6, 10}, {7, 4}, {12, 2}, {17, 4}, {18, 9}, {22, 10}}, RGB(40, 90, 220));
            break;
        case 19:   // IP Messenger
            p.Rect(2, 5, 22, 19, RGB(200, 230, 250), RGB(30, 80, 150));
            p.Line(2, 5, 12, 13, RGB(30, 80, 150));
            p.Line(12, 13, 22, 5, RGB(30, 80, 150));
            p.Ellipse(13, 12, 23, 22, RGB(60, 170, 90), RGB(20, 90, 40));
            break;
    }
    p.Done();
}

}  // namespace

HIMAGELIST MakeSendListImages() {
    HIMAGELIST list = ImageList_Create(kS, kS, ILC_COLOR24 | ILC_MASK, kSendListImageCount, 0);
    if (!list) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    for (int i = 0; i < kSendListImageCount; ++i) {
        // The greyed pictures are their colour ones, faded.
        const bool grey = (i >= 11 && i <= 18) || i == 20;
        const int source = i == 20 ? 19 : grey ? i - 8 : i;
        BITMAPINFO bi = TopDownDib32(kS, kS);
        void* bits = nullptr;
        AutoBitmap bmp(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bmp) continue;
        HGDIOBJ old = SelectObject(dc, bmp.get());
        AutoBrush mask(CreateSolidBrush(kSendListMask));
        RECT all{0, 0, kS, kS};
        FillRect(dc, &all, mask.get());
        Draw(dc, source);
        GdiFlush();
        if (grey) {
            auto* px = static_cast<DWORD*>(bits);
            for (int k = 0; k < kS * kS; ++k) {
                const DWORD c = px[k] & 0xFFFFFF;
                if (c == 0xFF0000) continue;   // the mask (BGR in the DIB: red is 0xFF0000)
                const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                const int y = 110 + (r * 30 + g * 59 + b * 11) / 100 / 2;
                px[k] = DWORD(y) << 16 | DWORD(y) << 8 | DWORD(y);
            }
        }
        SelectObject(dc, old);
        ImageList_AddMasked(list, bmp.get(), kSendListMask);
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return list;
}

}  // namespace kelup
