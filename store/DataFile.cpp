#include "store/DataFile.h"

#include <algorithm>
#include <cmath>

#include "base/Cp932.h"
#include "store/BinaryIo.h"
#include "store/Slots.h"

namespace kelup {

namespace {

constexpr std::string_view kTextTag = "N_Kelup";
constexpr std::string_view kImageTag = "B_Kelup";
constexpr std::string_view kUndoTag = "BackUp ";
constexpr wchar_t kInlineDefaultFont[] = L"ＭＳ ゴシック";

// Versions at which fields came and went.
constexpr std::int32_t kSenderName = 97091;      // sender name (and the send date and time as text)
constexpr std::int32_t kSenderAddr = 97101;
constexpr std::int32_t kDatesAsDoubles = 97104;  // deadline and send date/time; creation time from 97105
constexpr std::int32_t kSoundName = 97130;
constexpr std::int32_t kImageOrgSize = 97132;
constexpr std::int32_t kOpenFName = 97150;
constexpr std::int32_t kTextFiles = 97200;       // text in "kelupN.kdt" instead of inline
constexpr std::int32_t kTitleColor = 97201;
constexpr std::int32_t kBkgnd = 97202;
constexpr std::int32_t kSenderSex = 97204;       // also the last version without slot flags
constexpr std::int32_t kTwoUndoRecords = 99000;

// Date-time values of years 1 to 9999; anything else (NaN, infinities,
// values that overflow when turned into a date) counts as unreadable.
bool SaneDateTime(double v) { return v > -693594.0 && v < 2958466.0; }

double DateOrNone(double v) { return SaneDateTime(v) && v > 0 ? v : 0; }

std::string Kept(std::wstring_view value) {
    std::string bytes = ToCp932(value.substr(0, value.find(L'\0')));
    bytes.resize(Cp932SafeCut(bytes, kMaxStrText));
    return bytes;
}

// ---- writing ----------------------------------------------------------------

void WriteRSave1(ByteWriter& w, const RSave1& r) {
    for (std::int32_t f : r.Fields()) w.Int32(f);
}

std::int32_t SenderSexNumber(const std::wstring& text) {
    // A decimal integer, else 0.
    std::size_t i = 0;
    bool neg = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) neg = text[i++] == L'-';
    if (i == text.size()) return 0;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return 0;
        v = v * 10 + (text[i] - L'0');
        if (v > 2147483648LL) return 0;
    }
    if (neg) v = -v;
    if (v > 2147483647LL) return 0;
    return static_cast<std::int32_t>(v);
}

void WriteTextRecord(ByteWriter& w, const TextNoteRecord& n, std::string_view tag, double now) {
    w.Str(tag);
    w.Double(n.MakeDT == 0 ? now : n.MakeDT);
    RSave1 r;
    r.Left = n.Left;
    r.Top = n.Top;
    r.Width = n.Width;
    r.Height = n.Height;
    r.Color = n.ORGColor;
    r.StayOnTop = n.StOnTp;
    r.Waku = n.WakuNum;
    r.KeyOpen = n.KeyOpen;
    r.LockMode = n.LockMode;
    r.Tomei = n.Tomei;
    r.HideFG = n.HideFG == 2 ? 2 : 0;
    r.EveryDay = n.EveryDay;
    r.SetPWord = n.SetPWord;
    r.TransBkgnd = n.BkgndTrans;
    r.SenderSex = SenderSexNumber(n.SenderSex);
    r.Border = n.Border;
    r.LineSpace = n.LineSpace;
    WriteRSave1(w, r);
    w.Str(Kept(n.DataName));
    w.Double(n.K_Date);
    w.Str(Kept(n.SenderName));
    w.Str(Kept(n.SenderAddr));
    w.Double(n.SendDate);
    w.Double(n.SendTime);
    w.Str(Kept(n.SndName));
    w.Str(Kept(n.OpenFName));
    w.Str(Kept(n.BkgndName));
}

void WriteImageRecord(ByteWriter& w, const ImageNoteRecord& n) {
    w.Str(kImageTag);
    for (std::int32_t f : {n.Left, n.Top, n.Width, n.HOrg, n.reserved[0], n.StOnTp, n.StretchMode, n.BmpMode,
                           n.TitlePos, n.TitleFontSize, n.TitleFontStyle, n.LockMode, n.PictType,
                           n.HideFG == 2 ? 2 : 0, n.EveryDay, n.ORG_W, n.ORG_H, n.TitleFontColor, n.Border,
                           n.reserved[1], n.reserved[2]})
        w.Int32(f);
    w.Str(Kept(n.ORGFname));
    w.Str(Kept(n.StringBuf));
    w.Str(Kept(n.Bmpname));
    w.Double(n.K_Date);
    w.Str(Kept(n.SndName));
    w.Str(Kept(n.OpenFName));
}

// ---- reading ----------------------------------------------------------------

struct Reading {
    ByteReader r;
    const DataFileReadOptions& opt;
    std::int32_t version;
    int currentYear;

    bool Str(std::wstring& out) {
        std::string b;
        if (!r.Str(b)) return false;
        out = FromCp932(b);
        return true;
    }
    bool SkipStr() {
        std::string b;
        return r.Str(b);
    }

    // Version 97104 is the last whose creation time may be text; files of
    // that version exist both ways. A text is a length of 1 to 256 whose
    // last byte is the only zero and whose other bytes are printable; the
    // low half of a date-time double never looks like that in practice.
    bool CreationTimeIsText() const {
        if (version < kDatesAsDoubles) return true;
        if (version > kDatesAsDoubles) return false;
        ByteReader probe = r;
        std::int32_t n = 0;
        std::string_view b;
        if (!probe.Int32(n) || n < 1 || n > std::int32_t(kStrBuffer) || !probe.Bytes(std::size_t(n), b)) return false;
        if (b.back() != '\0') return false;
        for (std::size_t i = 0; i + 1 < b.size(); ++i)
            if (static_cast<unsigned char>(b[i]) < 0x20 || b[i] == 0x7F) return false;
        return true;
    }

    bool DateText(double& out, bool withTime) {
        std::wstring s;
        if (!Str(s)) return false;
        auto v = withTime ? ParseDateTimeText(s, opt.dateFormat, currentYear)
                          : ParseDateText(s, opt.dateFormat, currentYear);
        out = v && SaneDateTime(*v) ? *v : 0;
        return true;
    }

    bool TimeText(double& out) {
        std::wstring s;
        if (!Str(s)) return false;
        auto v = ParseTimeText(s, opt.dateFormat);
        out = v ? *v : 0;
        return true;
    }

    bool Date(double& out) {
        double v = 0;
        if (!r.Double(v)) return false;
        out = DateOrNone(v);
        return true;
    }

    bool TextRecord(TextNoteRecord& n, bool undo) {
        const std::int32_t V = version;
        if (!SkipStr()) return false;

        if (CreationTimeIsText()) {
            double v = 0;
            if (!DateText(v, true)) return false;
            n.MakeDT = v != 0 ? v : opt.now;
        } else {
            double v = 0;
            if (!r.Double(v)) return false;
            n.MakeDT = SaneDateTime(v) ? v : opt.now;
        }

        std::array<std::int32_t, 24> f{};
        for (auto& x : f)
            if (!r.Int32(x)) return false;
        const RSave1 s = RSave1::FromFields(f);
        n.Left = s.Left;
        n.Top = s.Top;
        n.Width = s.Width;
        n.Height = s.Height;
        n.ORGColor = s.Color;
        n.StOnTp = s.StayOnTop;
        n.WakuNum = s.Waku;
        n.KeyOpen = s.KeyOpen;
        n.LockMode = undo ? 0 : s.LockMode;
        n.Tomei = s.Tomei;
        n.HideFG = !undo && s.HideFG == 2 ? 2 : 0;
        n.EveryDay = s.EveryDay;
        n.SetPWord = s.SetPWord;
        n.BkgndTrans = V >= (undo ? kBkgnd + 1 : kBkgnd) ? s.TransBkgnd : 0;
        n.SenderSex = V >= kSenderSex ? std::to_wstring(s.SenderSex) : L"0";
        n.Border = undo ? 0 : s.Border;
        n.LineSpace = std::max(s.LineSpace, 20);

        if (V >= kTextFiles) {
            if (!Str(n.DataName)) return false;
        } else {
            InlineText t;
            if (!Str(t.fontName) || !SkipStr()) return false;
            if (t.fontName.empty()) t.fontName = kInlineDefaultFont;
            t.fontColor = s.FontColor1;
            t.fontSize = s.FontSize1;
            // One line per Str: the count cannot run past the bytes there are.
            for (std::int32_t i = 0; i < s.MaxString; ++i) {
                std::wstring line;
                if (!Str(line)) return false;
                t.lines.push_back(std::move(line));
            }
            n.inlineText = std::move(t);
        }

        if (V >= kDatesAsDoubles) {
            if (!Date(n.K_Date)) return false;
        } else if (V > (undo ? 340 : 330)) {
            if (!DateText(n.K_Date, true)) return false;
        }

        if (V >= kSenderName) {
            if (!Str(n.SenderName)) return false;
            if (V >= kSenderAddr && !Str(n.SenderAddr)) return false;
            if (V < kDatesAsDoubles) {
                if (!DateText(n.SendDate, false) || !TimeText(n.SendTime)) return false;
            } else {
                if (!Date(n.SendDate) || !Date(n.SendTime)) return false;
            }
        }
        if (V >= kSoundName && !Str(n.SndName)) return false;
        if (V >= kOpenFName && !Str(n.OpenFName)) return false;
        if (V >= kBkgnd && !Str(n.BkgndName)) return false;
        return true;
    }

    bool ImageRecord(ImageNoteRecord& n) {
        const std::int32_t V = version;
        if (!SkipStr()) return false;
        std::array<std::int32_t, 21> f{};
        for (auto& x : f)
            if (!r.Int32(x)) return false;
        n.Left = f[0];
        n.Top = f[1];
        n.Width = f[2];
        n.HOrg = f[3];
        n.reserved[0] = f[4];
        n.StOnTp = f[5];
        n.StretchMode = f[6];
        n.BmpMode = f[7];
        n.TitlePos = f[8];
        n.TitleFontSize = f[9];
        n.TitleFontStyle = f[10];
        n.LockMode = f[11];
        n.PictType = f[12];
        n.HideFG = f[13] == 2 ? 2 : 0;
        n.EveryDay = f[14];
        if (V >= kImageOrgSize) {
            n.ORG_W = f[15];
            n.ORG_H = f[16];
        } else {
            n.ORG_W = ImageWindowExtent(f[2]);
            n.ORG_H = ImageWindowExtent(f[3]);
        }
        n.TitleFontColor = V >= kTitleColor ? f[17] : 0;
        n.Border = f[18];
        n.reserved[1] = f[19];
        n.reserved[2] = f[20];
        if (!Str(n.ORGFname) || !Str(n.StringBuf) || !Str(n.Bmpname)) return false;
        if (V > kSoundName && (!Date(n.K_Date) || !Str(n.SndName))) return false;
        if (V > kOpenFName && !Str(n.OpenFName)) return false;
        return true;
    }
};

DataFileStatus StatusOf(const ByteReader& r) {
    return r.error() == ByteReader::Error::BadLength ? DataFileStatus::Damaged : DataFileStatus::Truncated;
}

}  // namespace

StrFit CheckDataFileText(std::wstring_view value) {
    std::string bytes = ToCp932(value);
    if (bytes.size() > kMaxStrText || value.find(L'\0') != std::wstring_view::npos) return StrFit::TooLong;
    if (FromCp932(bytes) != value) return StrFit::NotCp932;
    return StrFit::Fits;
}

std::wstring DataFileTextAsKept(std::wstring_view value) { return FromCp932(Kept(value)); }

std::optional<std::string> WriteDataFile(const DataFileContent& c, double now) {
    if (c.maxTextNotes < 0 || c.maxTextNotes > kMaxSlotsInFile) return std::nullopt;
    if (c.textNotes.size() > std::size_t(kMaxSlotsInFile) || c.imageNotes.size() > std::size_t(kMaxSlotsInFile))
        return std::nullopt;
    if (c.undoCount < 0 || c.undoCount > 2) return std::nullopt;

    std::vector<const TextNoteRecord*> bySlot(std::size_t(c.maxTextNotes), nullptr);
    for (const auto& n : c.textNotes) {
        if (n.slot < 0 || n.slot >= c.maxTextNotes || bySlot[std::size_t(n.slot)]) return std::nullopt;
        bySlot[std::size_t(n.slot)] = &n;
    }
    std::string flags;
    for (const auto* n : bySlot) flags += n ? '1' : '0';
    if (flags.size() > kMaxStrText && flags.back() == '0') flags.pop_back();

    ByteWriter w;
    w.Int32(std::int32_t(c.textNotes.size()));
    w.Int32(std::int32_t(c.imageNotes.size()));
    w.Int32(c.undoCount);
    w.Int32(kDataFileVersion);
    w.Str(flags);
    for (const auto* n : bySlot)
        if (n) WriteTextRecord(w, *n, kTextTag, now);
    for (const auto& n : c.imageNotes) WriteImageRecord(w, n);
    for (const auto& n : c.undo) WriteTextRecord(w, n, kUndoTag, now);
    return w.Take();
}

DataFileReadResult ReadDataFile(std::string_view bytes, const DataFileReadOptions& options) {
    DataFileReadResult res;
    Reading rd{ByteReader(bytes), options, 0, YearOfDateTime(options.now)};
    ByteReader& r = rd.r;
    auto fail = [&](DataFileStatus s) {
        res.status = s;
        res.errorOffset = r.pos();
        return res;
    };

    std::int32_t textCount = 0, imageCount = 0, undoCount = 0, version = 0;
    if (!r.Int32(textCount) || !r.Int32(imageCount) || !r.Int32(undoCount) || !r.Int32(version))
        return fail(DataFileStatus::Truncated);
    // Every edition numbered its format from 1 up; a larger number is a
    // format this program does not know.
    if (version < 1 || version > kDataFileVersion) return fail(DataFileStatus::NotDataFile);
    res.version = rd.version = version;
    if (textCount < 0 || textCount > kMaxSlotsInFile || imageCount < 0 || imageCount > kMaxSlotsInFile ||
        undoCount < 0 || undoCount > 2)
        return fail(DataFileStatus::Damaged);
    res.textAnnounced = textCount;
    res.imageAnnounced = imageCount;

    DataFileContent& c = res.content;
    std::vector<int> slots;
    if (version > kSenderSex) {
        // One character more than a Str holds: 256 text slots need 256 flags.
        std::string flags;
        if (!r.Str(flags, kStrBuffer + 1)) return fail(StatusOf(r));
        if (flags.size() > std::size_t(kMaxSlotsInFile)) return fail(DataFileStatus::Damaged);
        for (std::size_t i = 0; i < flags.size(); ++i)
            if (flags[i] == '1') slots.push_back(int(i));
        c.maxTextNotes = int(flags.size());
        // The records follow the flags; a count that disagrees leaves no way
        // to tell where the image records begin.
        if (int(slots.size()) != textCount) return fail(DataFileStatus::Damaged);
    } else {
        for (int i = 0; i < textCount; ++i) slots.push_back(i);
        c.maxTextNotes = textCount;
    }

    for (int slot : slots) {
        TextNoteRecord n;
        n.slot = slot;
        if (!rd.TextRecord(n, false)) return fail(StatusOf(r));
        c.textNotes.push_back(std::move(n));
    }
    for (int i = 0; i < imageCount; ++i) {
        ImageNoteRecord n;
        n.slot = i;
        if (!rd.ImageRecord(n)) return fail(StatusOf(r));
        c.imageNotes.push_back(std::move(n));
    }

    const int undoInFile = version >= kTwoUndoRecords ? 2 : (undoCount > 0 ? 1 : 0);
    for (int i = 0; i < undoInFile; ++i) {
        TextNoteRecord n;
        n.slot = i;
        if (!rd.TextRecord(n, true)) return fail(StatusOf(r));
        c.undo[std::size_t(i)] = std::move(n);
        res.undoRecords = i + 1;
        c.undoCount = std::min<int>(undoCount, res.undoRecords);
    }
    // Versions 97100 to 97102 end with one more string that nothing uses;
    // whether it is there changes nothing.
    res.status = DataFileStatus::Whole;
    return res;
}

std::vector<int> PlaceInSlots(const std::vector<int>& storedSlots, int max) {
    std::vector<int> placed(storedSlots.size(), kNoSlot);
    std::vector<bool> taken(std::size_t(std::max(max, 0)), false);
    for (std::size_t i = 0; i < storedSlots.size(); ++i) {
        int s = storedSlots[i];
        if (s >= 0 && s < max && !taken[std::size_t(s)]) {
            taken[std::size_t(s)] = true;
            placed[i] = s;
        }
    }
    int next = 0;
    for (std::size_t i = 0; i < storedSlots.size(); ++i) {
        if (placed[i] != kNoSlot) continue;
        while (next < max && taken[std::size_t(next)]) ++next;
        if (next >= max) break;
        taken[std::size_t(next)] = true;
        placed[i] = next;
    }
    return placed;
}

}  // namespace kelup
