#include "notes/ImageRules.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "res/resource.h"

namespace kelup {

namespace {

std::wstring FilePart(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// trunc(x) for a size: a value a hair below a whole number counts as that
// number, and the result stays within what a window can be.
int TruncSize(double x) {
    if (!(x > 0)) return 0;                   // also NaN
    if (x >= double(INT_MAX / 2)) return INT_MAX / 2;
    double t = std::trunc(x);
    if (x - t > 1 - 1e-9) t += 1;
    return int(t);
}

}  // namespace

double RituOf(int width, int height, int titleHeight) {
    if (width <= 0) return 0;
    return double(height - titleHeight) / double(width);
}

int TimesRitu(int v, double ritu) { return TruncSize(double(v) * ritu); }

int OverRitu(int v, double ritu) { return ritu > 0 ? TruncSize(double(v) / ritu) : v; }

int KeepRatioWhileSizing(int edge, SizeRect& r, double ritu, int titleHeight) {
    if (ritu > 0) {
        if (edge == kEdgeTop || edge == kEdgeBottom) {
            r.right = r.left + OverRitu(r.bottom - r.top - titleHeight, ritu);
        } else {
            int h = titleHeight + TimesRitu(r.right - r.left, ritu);
            if (edge == kEdgeTopLeft || edge == kEdgeTopRight) r.top = r.bottom - h;
            else r.bottom = r.top + h;
        }
    }
    return r.bottom - r.top - titleHeight;
}

ImageSize FollowResize(int rightBottom, int width, int height, double ritu, int titleHeight) {
    ImageSize s{width, height, height - titleHeight};
    if (ritu > 0 && rightBottom == 1) return HeightFromWidth(width, ritu, titleHeight);
    if (ritu > 0 && rightBottom == 2) s.width = OverRitu(s.hOrg, ritu);
    return s;
}

ImageSize HeightFromWidth(int width, double ritu, int titleHeight) {
    ImageSize s;
    s.width = width;
    s.hOrg = TimesRitu(width, ritu);
    s.height = s.hOrg + titleHeight;
    return s;
}

int PercentOffer(int width, int screenWidth) {
    if (screenWidth <= 0) return 100;
    long long p = static_cast<long long>(width) * 100 / screenWidth;
    return int(std::clamp<long long>(p, 10, 100));
}

int ParsePercent(const std::wstring& text) {
    size_t b = text.find_first_not_of(L" \t");
    if (b == std::wstring::npos) return 0;
    size_t e = text.find_last_not_of(L" \t");
    std::wstring t = text.substr(b, e - b + 1);
    bool negative = false;
    size_t i = 0;
    if (t[0] == L'+' || t[0] == L'-') negative = t[i++] == L'-';
    if (i == t.size()) return 0;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < L'0' || t[i] > L'9') return 0;
        v = v * 10 + (t[i] - L'0');
        if (v > INT_MAX) return 0;
    }
    return int(negative ? -v : v);
}

PercentSize ApplyPercentRule(int percent, int screenWidth) {
    PercentSize s;
    s.ok = percent >= 10 && percent <= 100;
    if (!s.ok) return s;
    s.width = int(static_cast<long long>(percent) * screenWidth / 100);
    s.toOrigin = percent >= 90;
    return s;
}

std::wstring ImageHiddenCaption(const std::wstring& title, const std::wstring& bmpname, int hideFG) {
    std::wstring text;
    if (!title.empty()) text = title.size() >= 21 ? title.substr(0, 18) + L"..." : title;
    else text = FilePart(bmpname);
    std::wstring caption = L"☆" + text;
    if (hideFG == 1) caption = L"※" + caption;
    return caption;
}

std::wstring ImageInfoText(const ImageInfoFacts& f) {
    std::wstring t = L"タイトル : " + (f.title.empty() ? std::wstring(L"（未設定）") : f.title) + L"\r";
    t += L"イメージの縦横ピクセル: W" + std::to_wstring(f.shownWidth) + L" ✕ H" + std::to_wstring(f.shownHeight) + L"\r";
    t += f.jpeg ? L"JPEG" : L"ビットマップ";
    if (!f.bmpname.empty())
        t += L"ファイル名 : " + f.bmpname + L"\r" + L"ファイルサイズ : " + std::to_wstring(f.fileSize) + L"Byte";
    else
        t += L"名前なし（未保存）";
    if (!f.senderName.empty() || !f.senderAddr.empty()) {
        t += L"\r送信者名 : " + f.senderName;
        t += L"\r送信元ＩＰアドレス : " + f.senderAddr;
    }
    if (f.hasDeadline)
        t += f.everyDay ? L"\r期日：毎日　" + f.deadlineTime : L"\r期日：" + f.deadlineDate + L" " + f.deadlineTime;
    return t;
}

ImageMenuPlan PlanImageMenu(const ImageMenuFacts& f) {
    ImageMenuPlan p;
    auto enable = [&](unsigned id, bool on) { p.enabled[id] = on; };
    const bool locked = f.lockMode == 1;

    p.checked[ID_B_M_Border] = f.border != 0;
    enable(ID_B_M_Title, f.hasTitle || f.titleShown);
    p.checked[ID_B_M_Title] = f.titleShown;
    enable(ID_B_M_Font, f.titleShown);
    p.titlePosEnabled = f.titleShown;
    p.checked[ID_B_M_UP] = f.titlePos == 0;
    p.checked[ID_B_M_Down] = f.titlePos != 0;
    enable(ID_B_M_New, !f.slotsFull);
    p.checked[ID_B_M_Lock] = locked;
    p.checked[ID_B_M_Chosei] = f.stretchMode != 0;
    p.checked[ID_B_M_StayOnTop] = f.stOnTp == 1;
    p.checked[ID_B_M_StayOnBottom] = f.stOnTp == 2;

    if (f.kDate == 0) p.captions[ID_B_M_Limit] = L"期日の設定 - なし";
    else if (f.everyDay == 1) p.captions[ID_B_M_Limit] = L"期日の設定 - 毎日 " + f.deadlineTime;
    else p.captions[ID_B_M_Limit] = L"期日の設定 - " + f.deadlineDate + L" " + f.deadlineTime;
    enable(ID_B_M_Limit, f.onlyDateCheck == 1 || f.useColor1 != 0 || f.useColor2 != 0 || f.useColor3 != 0);

    p.captions[ID_B_M_Kanren] = f.openFName.empty() ? L"関連付け..." : L"関連付け..." + FilePart(f.openFName);
    enable(ID_B_M_Execute, !f.openFName.empty());
    p.defaultEntry = f.dblClickMode != 0 ? ID_B_M_Execute : ID_B_M_Moji;
    enable(ID_B_M_Send, !f.netDisabled && !f.networkOff);

    for (unsigned id : {ID_B_M_Chosei, ID_B_M_110, ID_B_M_18, ID_B_M_15, ID_B_M_13, ID_B_M_12, ID_B_M_ORGSize,
                        ID_B_M_Input, ID_B_M_StayOnTop})
        enable(id, !locked);
    enable(ID_B_M_StayOnBottom, !locked && f.bottom != 1);
    enable(ID_B_M_Clip, false);
    return p;
}

ImageDblClick ChooseImageDoubleClick(bool altAlone, bool ctrlAlone, int dblClickMode, bool hasOpenFile) {
    if (altAlone) return ImageDblClick::Hide;
    if (ctrlAlone) return ImageDblClick::Peel;
    if (dblClickMode != 0 && hasOpenFile) return ImageDblClick::Open;
    return ImageDblClick::Title;
}

std::wstring OpenTarget(const std::wstring& openFName) {
    // A bare address only: a link, a path or a "mailto:" already there keep
    // their form even when they hold an at sign.
    bool bareAddress = openFName.find(L'@') != std::wstring::npos && openFName.find(L'　') == std::wstring::npos &&
                       openFName.find_first_of(L":/\\") == std::wstring::npos;
    return bareAddress ? L"mailto:" + openFName : openFName;
}

}  // namespace kelup
