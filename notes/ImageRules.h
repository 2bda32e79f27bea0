#pragma once
// The rules of an image note that need no window: keeping the picture's
// proportions while it is sized, the sizes relative to the screen, the
// caption of a hidden note, the information text, the context menu's plan
// and the double-click.

#include <map>
#include <string>

namespace kelup {

// --- proportions -------------------------------------------------------------
// The picture area's height over the window width; 0 for an empty window.
// `titleHeight` is 0 while the title is hidden.
double RituOf(int width, int height, int titleHeight);
// trunc(v * ritu) and trunc(v / ritu), the few ulps a ratio loses on its way
// through a double not costing a pixel.
int TimesRitu(int v, double ritu);
int OverRitu(int v, double ritu);

struct SizeRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// The edges of WM_SIZING (WMSZ_LEFT 1 ... WMSZ_BOTTOMRIGHT 8).
enum SizingEdge {
    kEdgeLeft = 1, kEdgeRight, kEdgeTop, kEdgeTopLeft, kEdgeTopRight, kEdgeBottom, kEdgeBottomLeft, kEdgeBottomRight
};
// Corrects the rectangle the user drags so that the picture keeps its
// proportions: the top and bottom edges give the width, every other edge or
// corner the height. Nothing changes while ritu is not above 0. Returns the
// picture area's height (HOrg).
int KeepRatioWhileSizing(int edge, SizeRect& r, double ritu, int titleHeight);

struct ImageSize {
    int width = 0, height = 0;   // the window
    int hOrg = 0;                // the picture area
};
// After a size change: with rightBottom 1 the height follows the width,
// with 2 the width follows the height; any other value keeps the size.
ImageSize FollowResize(int rightBottom, int width, int height, double ritu, int titleHeight);
// The window for `width` with the picture area's height from ritu.
ImageSize HeightFromWidth(int width, double ritu, int titleHeight);

// --- sizes relative to the screen ------------------------------------------
// What "％で指定する" offers: the width in percent of the screen, held in 10..100.
int PercentOffer(int width, int screenWidth);
// The typed percent as a number; 0 when it is none.
int ParsePercent(const std::wstring& text);
struct PercentSize {
    bool ok = false;             // within 10..100
    int width = 0;
    bool toOrigin = false;       // 90 and more: the note goes to (0, 0)
};
PercentSize ApplyPercentRule(int percent, int screenWidth);

// --- hidden caption, information -------------------------------------------
// The entry of a hidden image note in the main menu.
std::wstring ImageHiddenCaption(const std::wstring& title, const std::wstring& bmpname, int hideFG);

struct ImageInfoFacts {
    std::wstring title;
    int shownWidth = 0, shownHeight = 0;   // the picture area as shown
    bool jpeg = false;
    std::wstring bmpname;
    long long fileSize = 0;
    std::wstring senderName;               // as the peer list names the sender; empty: not received
    std::wstring senderAddr;
    bool hasDeadline = false, everyDay = false;
    std::wstring deadlineDate, deadlineTime;
};
// Lines separated by "\r".
std::wstring ImageInfoText(const ImageInfoFacts& f);

// --- the context menu ---------------------------------------------------------
struct ImageMenuFacts {
    int border = 0, lockMode = 0, stretchMode = 1, stOnTp = 0, titlePos = 1;
    bool hasTitle = false, titleShown = false;
    std::wstring openFName;
    double kDate = 0;
    int everyDay = 0;
    std::wstring deadlineDate, deadlineTime;
    int onlyDateCheck = 0, useColor1 = 0, useColor2 = 0, useColor3 = 0;
    int bottom = 0, dblClickMode = 0;
    bool slotsFull = false, netDisabled = false, networkOff = false;
};
// The submenu "タイトルの位置" is enabled as a whole.
struct ImageMenuPlan {
    std::map<unsigned, bool> enabled;        // command id -> enabled
    std::map<unsigned, bool> checked;        // command id -> checked
    std::map<unsigned, std::wstring> captions;
    bool titlePosEnabled = false;
    unsigned defaultEntry = 0;
};
ImageMenuPlan PlanImageMenu(const ImageMenuFacts& f);

// --- double-click --------------------------------------------------------------
enum class ImageDblClick { Hide, Peel, Open, Title };
ImageDblClick ChooseImageDoubleClick(bool altAlone, bool ctrlAlone, int dblClickMode, bool hasOpenFile);

// What "開く" hands to the shell: an e-mail address opens the mail program.
std::wstring OpenTarget(const std::wstring& openFName);

}  // namespace kelup
