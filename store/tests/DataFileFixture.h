#pragma once
// A small writer of data files of any version, for the tests and the fuzz
// seeds. It is written apart from the program's writer: a Layout says which
// items a version's records hold, and the bytes are laid out item by item.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/Cp932.h"
#include "store/DataFile.h"

namespace kelup::test {

class Bytes {
public:
    Bytes& I32(std::int32_t v) {
        for (int i = 0; i < 4; ++i) s += char((std::uint32_t(v) >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& F64(double v) {
        std::uint64_t u;
        std::memcpy(&u, &v, 8);
        for (int i = 0; i < 8; ++i) s += char((u >> (8 * i)) & 0xFF);
        return *this;
    }
    // Int32 N = length + 1, the bytes, a zero byte.
    Bytes& Str(std::string_view b) {
        I32(std::int32_t(b.size() + 1));
        s.append(b);
        s += '\0';
        return *this;
    }
    Bytes& WStr(std::wstring_view w) { return Str(ToCp932(w)); }
    std::string s;
};

enum class Dates { None, Text, Double };

// What the records of one version hold.
struct Layout {
    std::int32_t version;
    bool slotFlags;
    bool makeDTText;
    bool textFile;          // DataName; otherwise inline text
    Dates kDate, undoKDate, sendDates;
    bool senderName, senderAddr;
    bool sndName, openFName, bkgndName;
    bool transBkgnd, undoTransBkgnd, senderSex;
    bool imgTitleColor, imgOrgSize, imgDeadlineSound, imgOpenFName;
    int undoRecords;
    bool trailingStr;
};

// The texts older versions keep instead of doubles.
struct DateTexts {
    std::wstring makeDT, kDate, sendDate, sendTime;
};

struct FixtureFile {
    Layout layout;
    int undoCount = 0;
    std::string slotFlags;           // when the layout has them
    std::vector<TextNoteRecord> text;
    std::vector<ImageNoteRecord> images;
    std::vector<TextNoteRecord> undo;  // layout.undoRecords of them
    DateTexts dates;                 // used for every record
    std::wstring inlineFontAsStored; // the font name item of inline text
};

inline std::int32_t SexNumber(const std::wstring& s) { return s.empty() ? 0 : std::stoi(s); }

inline void PutText(Bytes& b, const FixtureFile& f, const TextNoteRecord& n, bool undo) {
    const Layout& L = f.layout;
    b.Str(undo ? "BackUp " : "N_Kelup");
    if (L.makeDTText) b.WStr(f.dates.makeDT);
    else b.F64(n.MakeDT);
    const InlineText* t = n.inlineText ? &*n.inlineText : nullptr;
    for (std::int32_t v : {n.Left, n.Top, n.Width, n.Height, n.ORGColor, n.StOnTp, n.WakuNum,
                           t ? t->fontColor : 0, 0, t ? t->fontSize : 0, 0, t ? std::int32_t(t->lines.size()) : 0,
                           0, 0, n.KeyOpen, n.LockMode, n.Tomei, n.HideFG, n.EveryDay, n.SetPWord, n.BkgndTrans,
                           SexNumber(n.SenderSex), n.Border, n.LineSpace})
        b.I32(v);
    if (L.textFile) {
        b.WStr(n.DataName);
    } else {
        b.WStr(f.inlineFontAsStored).Str("MS");
        if (t)
            for (const auto& line : t->lines) b.WStr(line);
    }
    switch (undo ? L.undoKDate : L.kDate) {
        case Dates::None: break;
        case Dates::Text: b.WStr(f.dates.kDate); break;
        case Dates::Double: b.F64(n.K_Date); break;
    }
    if (L.senderName) b.WStr(n.SenderName);
    if (L.senderAddr) b.WStr(n.SenderAddr);
    if (L.sendDates == Dates::Text) b.WStr(f.dates.sendDate).WStr(f.dates.sendTime);
    if (L.sendDates == Dates::Double) b.F64(n.SendDate).F64(n.SendTime);
    if (L.sndName) b.WStr(n.SndName);
    if (L.openFName) b.WStr(n.OpenFName);
    if (L.bkgndName) b.WStr(n.BkgndName);
}

inline void PutImage(Bytes& b, const FixtureFile& f, const ImageNoteRecord& n) {
    const Layout& L = f.layout;
    b.Str("B_Kelup");
    for (std::int32_t v : {n.Left, n.Top, n.Width, n.HOrg, n.reserved[0], n.StOnTp, n.StretchMode, n.BmpMode,
                           n.TitlePos, n.TitleFontSize, n.TitleFontStyle, n.LockMode, n.PictType, n.HideFG,
                           n.EveryDay, n.ORG_W, n.ORG_H, n.TitleFontColor, n.Border, n.reserved[1], n.reserved[2]})
        b.I32(v);
    b.WStr(n.ORGFname).WStr(n.StringBuf).WStr(n.Bmpname);
    if (L.imgDeadlineSound) b.F64(n.K_Date).WStr(n.SndName);
    if (L.imgOpenFName) b.WStr(n.OpenFName);
}

inline std::string BuildFile(const FixtureFile& f) {
    Bytes b;
    b.I32(std::int32_t(f.text.size())).I32(std::int32_t(f.images.size())).I32(f.undoCount).I32(f.layout.version);
    if (f.layout.slotFlags) b.Str(f.slotFlags);
    for (const auto& n : f.text) PutText(b, f, n, false);
    for (const auto& n : f.images) PutImage(b, f, n);
    for (const auto& n : f.undo) PutText(b, f, n, true);
    if (f.layout.trailingStr) b.Str("END");
    return b.s;
}

// The current layout.
inline Layout Layout99000() {
    return {99000,       true,        false,       true,         Dates::Double, Dates::Double, Dates::Double,
            true,        true,        true,        true,         true,          true,          true,
            true,        true,        true,        true,         true,          2,             false};
}

// A text note with every field set, in the forms the reader gives back.
inline TextNoteRecord SampleText(int slot) {
    TextNoteRecord n;
    n.slot = slot;
    n.Left = 100 + slot;
    n.Top = -20;
    n.Width = 272;
    n.Height = 60 + slot;
    n.ORGColor = 12648447;
    n.StOnTp = 1;
    n.WakuNum = 3;
    n.KeyOpen = 1;
    n.LockMode = 1;
    n.Tomei = 2;
    n.HideFG = 2;
    n.EveryDay = 7;
    n.SetPWord = 1;
    n.BkgndTrans = 4;
    n.SenderSex = L"8";
    n.Border = 1;
    n.LineSpace = 24;
    n.MakeDT = 35916.5 + slot;    // 1998-05-01 12:00
    n.K_Date = 35947.0;           // 1998-06-01
    n.SendDate = 35915.0;         // 1998-04-30
    n.SendTime = 0.75;            // 18:00
    n.DataName = L"kelup" + std::to_wstring(slot) + L".kdt";
    n.SenderName = L"山田　太郎";
    n.SenderAddr = L"192.168.0." + std::to_wstring(slot);
    n.SndName = L"C:\\Windows\\Media\\ding.wav";
    n.OpenFName = L"https://example.jp/";
    n.BkgndName = L"背景.bmp";
    return n;
}

inline ImageNoteRecord SampleImage(int slot) {
    ImageNoteRecord n;
    n.slot = slot;
    n.Left = 300;
    n.Top = 200 + slot;
    n.Width = 200;
    n.HOrg = 150;
    n.reserved = {11, 22, 33};
    n.StOnTp = 2;
    n.StretchMode = 1;
    n.BmpMode = 1;
    n.TitlePos = 0;
    n.TitleFontSize = 9;
    n.TitleFontStyle = 1101;
    n.LockMode = 1;
    n.PictType = 1;
    n.HideFG = 2;
    n.EveryDay = 1;
    n.ORG_W = 640;
    n.ORG_H = 480;
    n.TitleFontColor = 0xFF;
    n.Border = 1;
    n.ORGFname = L"ＭＳ Ｐゴシック";
    n.StringBuf = L"写真のタイトル";
    n.Bmpname = L"C:\\Users\\me\\Documents\\RAVODEREV\\" + std::to_wstring(slot) + L".jpg";
    n.K_Date = 35950.0;
    n.SndName = L"alarm.wav";
    n.OpenFName = L"C:\\memo.txt";
    return n;
}

inline DataFileContent SampleContent(std::vector<int> textSlots, int imageNotes, int maxTextNotes = 99) {
    DataFileContent c;
    c.maxTextNotes = maxTextNotes;
    for (int s : textSlots) c.textNotes.push_back(SampleText(s));
    for (int i = 0; i < imageNotes; ++i) c.imageNotes.push_back(SampleImage(i));
    c.undoCount = 2;
    for (int i = 0; i < 2; ++i) {
        TextNoteRecord u = SampleText(i);
        u.DataName = L"kelup.kd" + std::to_wstring(i);
        u.LockMode = u.HideFG = u.Border = 0;   // not kept for undo holders
        c.undo[std::size_t(i)] = u;
    }
    return c;
}

// The same content laid out by the fixture in the current layout.
inline FixtureFile FixtureOf(const DataFileContent& c) {
    FixtureFile f;
    f.layout = Layout99000();
    f.undoCount = c.undoCount;
    f.slotFlags.assign(std::size_t(c.maxTextNotes), '0');
    for (const auto& n : c.textNotes) f.slotFlags[std::size_t(n.slot)] = '1';
    f.text = c.textNotes;
    std::sort(f.text.begin(), f.text.end(), [](const auto& a, const auto& b) { return a.slot < b.slot; });
    f.images = c.imageNotes;
    f.undo.assign(c.undo.begin(), c.undo.end());
    return f;
}

}  // namespace kelup::test
