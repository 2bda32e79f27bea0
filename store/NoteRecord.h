#pragma once
// The notes as "kelup.dat" keeps them: one plain record per text note, image
// note and undo holder, with the text in UTF-16. The window layer fills a
// record from a note window before a save and a window from a record after a
// load; the file codec (store/DataFile.h) turns records into bytes and back.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelup {

// The 96-byte appearance record of a text note, 24 Int32 in this order. The
// same record travels in note packets and template files.
struct RSave1 {
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    std::int32_t Color = 0, StayOnTop = 0, Waku = 0;
    std::int32_t FontColor1 = 0, FontColor2 = 0, FontSize1 = 0, FontSize2 = 0, MaxString = 0;
    std::int32_t FontStyle1 = 0, FontStyle2 = 0;
    std::int32_t KeyOpen = 0, LockMode = 0, Tomei = 0, HideFG = 0, EveryDay = 0, SetPWord = 0;
    std::int32_t TransBkgnd = 0, SenderSex = 0, Border = 0, LineSpace = 0;

    static constexpr std::size_t kSize = 96;
    std::array<std::int32_t, 24> Fields() const;
    static RSave1 FromFields(const std::array<std::int32_t, 24>& f);
    bool operator==(const RSave1&) const = default;
};

// Text that files before version 97200 kept in the data file itself, one
// string per line, shown in one font.
struct InlineText {
    std::wstring fontName;          // "ＭＳ ゴシック" when the file left it empty
    std::int32_t fontColor = 0;     // FontColor1
    std::int32_t fontSize = 0;      // FontSize1
    std::vector<std::wstring> lines;
    bool operator==(const InlineText&) const = default;
};

// A text note, or one of the two undo holders (for which slot is 0 or 1, the
// holder's index). Values follow the load rules: HideFG is 0 or 2, LineSpace
// at least 20, dates of "none" (and dates no calendar holds) are 0. Tomei is
// as stored: how a stored value is applied depends on the file's version
// (the window layer's load step). Other numbers come as the file has them,
// so anything that indexes a table with one (WakuNum, StOnTp) checks it.
struct TextNoteRecord {
    int slot = 0;

    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    std::int32_t ORGColor = 0;
    std::int32_t StOnTp = 0;
    std::int32_t WakuNum = 0;
    std::int32_t KeyOpen = 0;
    std::int32_t LockMode = 0;
    std::int32_t Tomei = 0;
    std::int32_t HideFG = 0;
    std::int32_t EveryDay = 0;
    std::int32_t SetPWord = 0;
    std::int32_t BkgndTrans = 0;
    std::wstring SenderSex = L"0";  // an integer as text; the file keeps the number
    std::int32_t Border = 0;
    std::int32_t LineSpace = 20;

    double MakeDT = 0;              // 0: the writer puts in the time of the save
    double K_Date = 0;              // 0: no deadline
    double SendDate = 0;
    double SendTime = 0;

    std::wstring DataName;          // the text file, e.g. "kelup3.kdt"; empty before 97200
    std::wstring SenderName;
    std::wstring SenderAddr;
    std::wstring SndName;
    std::wstring OpenFName;
    std::wstring BkgndName;

    // Only from files before 97200, whose notes have no text file.
    std::optional<InlineText> inlineText;

    bool operator==(const TextNoteRecord&) const = default;
};

// An image note. The 84-byte part is kept as the file holds it, reserved
// fields included, so a record read from a file is written back unchanged
// (only HideFG is 0 or 2 and a deadline of none 0, as for text notes). The
// window layer applies the sizes of its load rules (ImageWindowExtent) and
// checks PictType, TitlePos and StOnTp before it relies on them.
struct ImageNoteRecord {
    int slot = 0;                   // position in the file; image notes load into slots 0, 1, 2 ...

    std::int32_t Left = 0, Top = 0;
    std::int32_t Width = 0;         // window width
    std::int32_t HOrg = 0;          // height of the picture area
    std::int32_t StOnTp = 0;
    std::int32_t StretchMode = 1;
    std::int32_t BmpMode = 0;       // 1: title shown
    std::int32_t TitlePos = 1;      // 0 above, 1 below the picture
    std::int32_t TitleFontSize = 0;
    std::int32_t TitleFontStyle = 0;  // 1000 bold + 100 italic + 10 underline + 1 strike-out
    std::int32_t LockMode = 0;
    std::int32_t PictType = 0;      // 0 bitmap, 1 JPEG, 2 icon
    std::int32_t HideFG = 0;        // 0 or 2
    std::int32_t EveryDay = 0;
    // Picture size as loaded. When it is below 1 the window layer puts the
    // window's width and height here before a save; the writer writes what
    // it is given.
    std::int32_t ORG_W = 0, ORG_H = 0;
    std::int32_t TitleFontColor = 0;
    std::int32_t Border = 0;
    std::array<std::int32_t, 3> reserved{};  // offsets 16, 76 and 80, carried as found

    std::wstring ORGFname;          // title font name
    std::wstring StringBuf;         // title text
    std::wstring Bmpname;           // full path of the picture
    double K_Date = 0;
    std::wstring SndName;
    std::wstring OpenFName;

    static constexpr std::size_t kSize = 84;
    bool operator==(const ImageNoteRecord&) const = default;
};

// A stored window width or picture height of 0 is shown as 50.
inline std::int32_t ImageWindowExtent(std::int32_t stored) { return stored == 0 ? 50 : stored; }

}  // namespace kelup
