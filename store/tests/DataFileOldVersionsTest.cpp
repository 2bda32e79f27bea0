// Files written by older editions: each version's records hold a different
// set of items. The fixture lays a file out from a table row; the reader has
// to find the same notes in it.

#include <gtest/gtest.h>

#include "store/DataFile.h"
#include "store/tests/DataFileFixture.h"

namespace kelup {
namespace {

using test::BuildFile;
using test::Dates;
using test::FixtureFile;
using test::Layout;

constexpr double kNow = 46000.25;
constexpr Dates N = Dates::None, T = Dates::Text, D = Dates::Double;

// version, flags, created as text, text file, deadline, undo deadline, send date/time,
// sender name, sender address, sound, open file, background, background mode,
// undo background mode, sender kind, image: title colour, picture size,
// deadline and sound, open file; undo records; closing string.
const Layout kLayouts[] = {
    {330, 0, 1, 0, N, N, N, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
    {340, 0, 1, 0, T, N, N, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
    {341, 0, 1, 0, T, T, N, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
    {97091, 0, 1, 0, T, T, T, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
    {97100, 0, 1, 0, T, T, T, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1},
    {97101, 0, 1, 0, T, T, T, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1},
    {97102, 0, 1, 0, T, T, T, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1},
    {97103, 0, 1, 0, T, T, T, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
    {97104, 0, 1, 0, D, D, D, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
    {97104, 0, 0, 0, D, D, D, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
    {97105, 0, 0, 0, D, D, D, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
    {97130, 0, 0, 0, D, D, D, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
    {97131, 0, 0, 0, D, D, D, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0},
    {97132, 0, 0, 0, D, D, D, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0},
    {97150, 0, 0, 0, D, D, D, 1, 1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0},
    {97151, 0, 0, 0, D, D, D, 1, 1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0},
    {97200, 0, 0, 1, D, D, D, 1, 1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0},
    {97201, 0, 0, 1, D, D, D, 1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0},
    {97202, 0, 0, 1, D, D, D, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1, 0},
    {97203, 0, 0, 1, D, D, D, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0},
    {97204, 0, 0, 1, D, D, D, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0},
    {97205, 1, 0, 1, D, D, D, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0},
    {98999, 1, 0, 1, D, D, D, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0},
    {99000, 1, 0, 1, D, D, D, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 0},
};

// Every record of these files was made on 1998-05-01 at noon.
test::DateTexts YmdTexts() { return {L"1998/05/01 12:00:00", L"1998/06/01", L"1998/04/30", L"18:00:00"}; }

TextNoteRecord Source(int slot) {
    TextNoteRecord n = test::SampleText(slot);
    n.MakeDT = 35916.5;
    n.inlineText = InlineText{L"ＭＳ 明朝", 255, 14, {L"一行目", L"second line", L""}};
    return n;
}

TextNoteRecord Expected(const Layout& L, TextNoteRecord e, bool undo) {
    if (undo) e.LockMode = e.HideFG = e.Border = 0;
    if (!(undo ? L.undoTransBkgnd : L.transBkgnd)) e.BkgndTrans = 0;
    if (!L.senderSex) e.SenderSex = L"0";
    if (L.textFile) e.inlineText.reset();
    else e.DataName.clear();
    if ((undo ? L.undoKDate : L.kDate) == N) e.K_Date = 0;
    if (!L.senderName) e.SenderName.clear();
    if (!L.senderAddr) e.SenderAddr.clear();
    if (L.sendDates == N) e.SendDate = e.SendTime = 0;
    if (!L.sndName) e.SndName.clear();
    if (!L.openFName) e.OpenFName.clear();
    if (!L.bkgndName) e.BkgndName.clear();
    return e;
}

ImageNoteRecord Expected(const Layout& L, ImageNoteRecord e) {
    if (!L.imgTitleColor) e.TitleFontColor = 0;
    if (!L.imgOrgSize) e.ORG_W = e.Width, e.ORG_H = e.HOrg;
    if (!L.imgDeadlineSound) e.K_Date = 0, e.SndName.clear();
    if (!L.imgOpenFName) e.OpenFName.clear();
    return e;
}

FixtureFile OldFile(const Layout& L) {
    FixtureFile f;
    f.layout = L;
    f.dates = YmdTexts();
    f.inlineFontAsStored = L"ＭＳ 明朝";
    f.undoCount = L.undoRecords;
    // With slot flags the notes keep their slots; without, they fill 0, 1, ...
    const int second = L.slotFlags ? 2 : 1;
    f.slotFlags = "1010";
    f.text = {Source(0), Source(second)};
    f.images = {test::SampleImage(0), test::SampleImage(1)};
    for (int i = 0; i < L.undoRecords; ++i) {
        f.undo.push_back(Source(i));
        f.undo.back().slot = i;
    }
    return f;
}

TEST(DataFileOldVersions, EachVersionReadsItsOwnLayout) {
    for (const Layout& L : kLayouts) {
        SCOPED_TRACE(testing::Message() << "version " << L.version << (L.makeDTText ? " (created as text)" : ""));
        const FixtureFile f = OldFile(L);
        const auto r = ReadDataFile(BuildFile(f), {kNow, {}});
        ASSERT_EQ(r.status, DataFileStatus::Whole);
        EXPECT_EQ(r.version, L.version);
        ASSERT_EQ(r.content.textNotes.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(r.content.textNotes[i], Expected(L, f.text[i], false)) << i;
        ASSERT_EQ(r.content.imageNotes.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(r.content.imageNotes[i], Expected(L, f.images[i])) << i;
        EXPECT_EQ(r.undoRecords, L.undoRecords);
        EXPECT_EQ(r.content.undoCount, L.undoRecords);
        for (int i = 0; i < L.undoRecords; ++i)
            EXPECT_EQ(r.content.undo[std::size_t(i)], Expected(L, f.undo[std::size_t(i)], true)) << "undo " << i;
    }
}

TEST(DataFileOldVersions, DateTextsInTheSystemFormatOfTheirDay) {
    DateTextFormat dmy = DateTextFormat::FromShortDatePattern(L"dd.MM.yyyy");
    struct Case {
        DateTextFormat format;
        test::DateTexts texts;
        double made, deadline, sentOn, sentAt;
    };
    const Case cases[] = {
        {{}, YmdTexts(), 35916.5, 35947, 35915, 0.75},
        {dmy, {L"01.05.1998 12:00:00", L"01.06.1998", L"30.04.1998", L"18:00:00"}, 35916.5, 35947, 35915, 0.75},
        {{}, {L"98/05/01 12:00", L"98/6/1", L"1998/04/30", L"6:00:00 PM"}, 35916.5, 35947, 35915, 0.75},
        // Unreadable: the creation time becomes now, the others none.
        {{}, {L"きのう", L"", L"1998/02/30", L"25:00:00"}, kNow, 0, 0, 0},
        {dmy, YmdTexts(), kNow, 0, 0, 0.75},   // the time has no order to get wrong
    };
    for (const auto& k : cases) {
        FixtureFile f = OldFile(kLayouts[3]);   // 97091: every date as text
        f.dates = k.texts;
        const auto r = ReadDataFile(BuildFile(f), {kNow, k.format});
        ASSERT_EQ(r.status, DataFileStatus::Whole) << k.texts.makeDT;
        const auto& n = r.content.textNotes.at(0);
        EXPECT_DOUBLE_EQ(n.MakeDT, k.made) << k.texts.makeDT;
        EXPECT_DOUBLE_EQ(n.K_Date, k.deadline) << k.texts.kDate;
        EXPECT_DOUBLE_EQ(n.SendDate, k.sentOn) << k.texts.sendDate;
        EXPECT_DOUBLE_EQ(n.SendTime, k.sentAt) << k.texts.sendTime;
    }
}

TEST(DataFileOldVersions, InlineTextWithoutFontOrLines) {
    FixtureFile f = OldFile(kLayouts[10]);   // 97105
    f.inlineFontAsStored.clear();
    f.text[1].inlineText->lines.clear();
    const auto r = ReadDataFile(BuildFile(f), {kNow, {}});
    ASSERT_EQ(r.status, DataFileStatus::Whole);
    EXPECT_EQ(r.content.textNotes[0].inlineText->fontName, L"ＭＳ ゴシック");
    EXPECT_EQ(r.content.textNotes[0].inlineText->lines.size(), 3u);
    EXPECT_TRUE(r.content.textNotes[1].inlineText->lines.empty());
}

TEST(DataFileOldVersions, UndoHoldersOfOlderFiles) {
    struct Case { int layout; int undoCount; int records; int want; bool trailing; };
    const Case cases[] = {
        {22, 0, 0, 0, false},   // 98999 without undo: no record at all
        {22, 2, 1, 1, false},   // one record only, so one holder to restore
        {4, 1, 1, 1, false},    // 97100 without its closing string
    };
    for (const auto& k : cases) {
        FixtureFile f = OldFile(kLayouts[k.layout]);
        f.layout.trailingStr = k.trailing;
        f.undoCount = k.undoCount;
        f.undo.resize(std::size_t(k.records));
        const auto r = ReadDataFile(BuildFile(f), {kNow, {}});
        ASSERT_EQ(r.status, DataFileStatus::Whole) << k.layout;
        EXPECT_EQ(r.undoRecords, k.records);
        EXPECT_EQ(r.content.undoCount, k.want);
    }
}

TEST(DataFileOldVersions, HugeInlineLineCountEndsAtTheEndOfTheFile) {
    FixtureFile f = OldFile(kLayouts[10]);
    std::string bytes = BuildFile(f);
    // MaxString of the first record: after header, tag, creation time and 11 fields.
    const std::size_t at = 16 + 12 + 8 + 11 * 4;
    ASSERT_EQ(bytes.substr(at, 4), test::Bytes().I32(3).s);
    bytes.replace(at, 4, test::Bytes().I32(0x7FFFFFFF).s);
    const auto r = ReadDataFile(bytes, {kNow, {}});
    EXPECT_NE(r.status, DataFileStatus::Whole);
    EXPECT_TRUE(r.content.textNotes.empty());
}

}  // namespace
}  // namespace kelup
