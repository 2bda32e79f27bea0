#include "store/DataFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "store/Slots.h"
#include "store/tests/DataFileFixture.h"

namespace kelup {
namespace {

using test::Bytes;
using test::BuildFile;
using test::FixtureOf;
using test::SampleContent;

constexpr double kNow = 46000.25;   // 2025-12-08 06:00

DataFileReadResult Read(std::string_view bytes) { return ReadDataFile(bytes, {kNow, {}}); }

std::string Write(const DataFileContent& c) {
    auto bytes = WriteDataFile(c, kNow);
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or("");
}

// Offset of the n-th (from 0) occurrence of `what`.
std::size_t Nth(const std::string& bytes, std::string_view what, int n) {
    std::size_t at = bytes.find(what);
    while (n-- > 0 && at != std::string::npos) at = bytes.find(what, at + 1);
    return at;
}

void PutI32(std::string& bytes, std::size_t at, std::int32_t v) {
    std::string b = Bytes().I32(v).s;
    bytes.replace(at, 4, b);
}

TEST(DataFile, WritesTheCurrentLayoutItemByItem) {
    const DataFileContent c = SampleContent({0, 5, 9}, 2, 12);
    const std::string bytes = Write(c);
    EXPECT_EQ(bytes, BuildFile(FixtureOf(c)));
    // Header, then the flags with "1" at 0, 5 and 9.
    EXPECT_EQ(bytes.substr(0, 16), Bytes().I32(3).I32(2).I32(2).I32(99000).s);
    EXPECT_EQ(bytes.substr(16, 17), Bytes().Str("100001000100").s);
}

TEST(DataFile, RoundTripKeepsSlotsAndEveryField) {
    const DataFileContent c = SampleContent({0, 5, 9}, 2, 12);
    const auto r = Read(Write(c));
    ASSERT_EQ(r.status, DataFileStatus::Whole);
    EXPECT_EQ(r.version, 99000);
    EXPECT_EQ(r.textAnnounced, 3);
    EXPECT_EQ(r.imageAnnounced, 2);
    EXPECT_EQ(r.content.maxTextNotes, 12);
    EXPECT_EQ(r.content.textNotes, c.textNotes);
    EXPECT_EQ(r.content.imageNotes, c.imageNotes);
    EXPECT_EQ(r.content.undo, c.undo);
    EXPECT_EQ(r.content.undoCount, 2);
}

TEST(DataFile, UndoRecordsAreWrittenAndReadEvenWithoutUndo) {
    DataFileContent c = SampleContent({}, 0, 5);
    c.undoCount = 0;
    c.undo = {};
    const auto r = Read(Write(c));
    ASSERT_EQ(r.status, DataFileStatus::Whole);
    EXPECT_EQ(r.undoRecords, 2);
    EXPECT_EQ(r.content.undoCount, 0);
    EXPECT_EQ(r.content.textNotes.size(), 0u);
    EXPECT_EQ(r.content.undo[0].MakeDT, kNow);   // a holder never filled gets the save time
}

TEST(DataFile, ImageRecordsRoundTripByteExactly) {
    DataFileContent c = SampleContent({1}, 3);
    // Values the writer has no business changing: reserved fields, a picture
    // size never set, an empty title, a title of exactly 255 bytes.
    c.imageNotes[0].reserved = {-1, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    c.imageNotes[0].ORG_W = 0;
    c.imageNotes[0].ORG_H = -7;
    c.imageNotes[0].TitleFontColor = 536870911;
    c.imageNotes[1].StringBuf.clear();
    c.imageNotes[1].K_Date = 0;
    c.imageNotes[2].StringBuf = L"x" + std::wstring(127, L'題');
    const std::string file = BuildFile(FixtureOf(c));   // as another writer made it
    const auto r = Read(file);
    ASSERT_EQ(r.status, DataFileStatus::Whole);
    EXPECT_EQ(r.content.imageNotes, c.imageNotes);
    EXPECT_EQ(Write(r.content), file);
}

TEST(DataFile, WriterAppliesTheSaveRules) {
    struct Case { int hide; std::wstring sex; int wantHide; std::wstring wantSex; };
    for (const auto& k : {Case{0, L"0", 0, L"0"}, Case{1, L"8", 0, L"8"}, Case{2, L"-3", 2, L"-3"},
                          Case{3, L"abc", 0, L"0"}, Case{2, L"", 2, L"0"}, Case{0, L"99999999999", 0, L"0"}}) {
        DataFileContent c = SampleContent({2}, 1, 5);
        c.textNotes[0].HideFG = k.hide;
        c.textNotes[0].SenderSex = k.sex;
        c.textNotes[0].MakeDT = 0;
        c.imageNotes[0].HideFG = k.hide;
        const auto r = Read(Write(c));
        ASSERT_EQ(r.status, DataFileStatus::Whole);
        const auto& n = r.content.textNotes.at(0);
        EXPECT_EQ(n.HideFG, k.wantHide) << k.hide;
        EXPECT_EQ(r.content.imageNotes.at(0).HideFG, k.wantHide) << k.hide;
        EXPECT_EQ(n.SenderSex, k.wantSex);
        EXPECT_EQ(n.MakeDT, kNow);
    }
}

TEST(DataFile, ReaderAppliesTheLoadRules) {
    struct Case {
        const char* what;
        void (*store)(TextNoteRecord&);
        void (*expect)(TextNoteRecord&);
    };
    const Case cases[] = {
        {"line space 0", [](TextNoteRecord& n) { n.LineSpace = 0; }, [](TextNoteRecord& n) { n.LineSpace = 20; }},
        {"line space 19", [](TextNoteRecord& n) { n.LineSpace = 19; }, [](TextNoteRecord& n) { n.LineSpace = 20; }},
        {"line space 21", [](TextNoteRecord& n) { n.LineSpace = 21; }, [](TextNoteRecord& n) { n.LineSpace = 21; }},
        {"hidden 1", [](TextNoteRecord& n) { n.HideFG = 1; }, [](TextNoteRecord& n) { n.HideFG = 0; }},
        {"deadline < 0", [](TextNoteRecord& n) { n.K_Date = -1; }, [](TextNoteRecord& n) { n.K_Date = 0; }},
        {"send date < 0", [](TextNoteRecord& n) { n.SendDate = n.SendTime = -5; },
         [](TextNoteRecord& n) { n.SendDate = n.SendTime = 0; }},
        {"deadline NaN", [](TextNoteRecord& n) { n.K_Date = std::numeric_limits<double>::quiet_NaN(); },
         [](TextNoteRecord& n) { n.K_Date = 0; }},
        {"deadline 1e300", [](TextNoteRecord& n) { n.K_Date = 1e300; }, [](TextNoteRecord& n) { n.K_Date = 0; }},
        {"created -inf", [](TextNoteRecord& n) { n.MakeDT = -HUGE_VAL; }, [](TextNoteRecord& n) { n.MakeDT = kNow; }},
        {"Tomei 1 kept", [](TextNoteRecord& n) { n.Tomei = 1; }, [](TextNoteRecord& n) { n.Tomei = 1; }},
    };
    for (const auto& k : cases) {
        DataFileContent c = SampleContent({0}, 0, 5);
        test::FixtureFile f = FixtureOf(c);
        k.store(f.text[0]);
        TextNoteRecord want = c.textNotes[0];
        k.expect(want);
        const auto r = Read(BuildFile(f));
        ASSERT_EQ(r.status, DataFileStatus::Whole) << k.what;
        EXPECT_EQ(r.content.textNotes.at(0), want) << k.what;
    }
}

TEST(DataFile, UndoRecordsDoNotKeepLockHiddenOrBorder) {
    DataFileContent c = SampleContent({}, 0, 5);
    test::FixtureFile f = FixtureOf(c);
    f.undo[0].LockMode = 1;
    f.undo[0].HideFG = 2;
    f.undo[0].Border = 1;
    const auto r = Read(BuildFile(f));
    ASSERT_EQ(r.status, DataFileStatus::Whole);
    EXPECT_EQ(r.content.undo[0], c.undo[0]);
}

TEST(DataFile, TruncatedFileKeepsTheRecordsReadCompletely) {
    const DataFileContent c = SampleContent({0, 1, 2, 3}, 1, 5);
    const std::string full = Write(c);

    // Cut inside the third text record: the first two survive.
    const std::size_t third = Nth(full, "N_Kelup", 2);
    for (std::size_t cut : {third - 4, third + 10, Nth(full, "kelup2.kdt", 0) + 3}) {
        const auto r = Read(full.substr(0, cut));
        EXPECT_EQ(r.status, DataFileStatus::Truncated) << cut;
        EXPECT_EQ(r.textAnnounced, 4);
        ASSERT_EQ(r.content.textNotes.size(), 2u) << cut;
        EXPECT_EQ(r.content.textNotes[1], c.textNotes[1]);
        EXPECT_EQ(r.content.imageNotes.size(), 0u);
        EXPECT_EQ(r.errorOffset, cut);
    }

    // Every shorter file fails, and reads a prefix of the notes.
    std::size_t lastText = 0, lastImage = 0;
    for (std::size_t len = 0; len < full.size(); ++len) {
        const auto r = Read(full.substr(0, len));
        ASSERT_EQ(r.status, DataFileStatus::Truncated) << len;
        const auto& t = r.content.textNotes;
        ASSERT_GE(t.size(), lastText);
        ASSERT_GE(r.content.imageNotes.size(), lastImage);
        lastText = t.size();
        lastImage = r.content.imageNotes.size();
        for (std::size_t i = 0; i < t.size(); ++i) ASSERT_EQ(t[i], c.textNotes[i]) << len;
        ASSERT_LE(r.content.undoCount, r.undoRecords);
    }
    EXPECT_EQ(lastText, 4u);
    EXPECT_EQ(lastImage, 1u);
}

TEST(DataFile, HostileValuesAreReportedNotFollowed) {
    const DataFileContent c = SampleContent({0, 1, 3}, 1, 5);
    const std::string good = Write(c);
    const std::size_t flagsLen = 16;
    const std::size_t nameLen = Nth(good, "kelup1.kdt", 0) - 4;   // DataName of the second record
    const std::size_t lastStrLen = good.size() - 9 - 4;            // "背景.bmp" of the last undo record
    struct Case {
        const char* what;
        std::size_t at;
        std::int32_t value;
        DataFileStatus want;
        std::size_t notes, images = 0;
    };
    const Case cases[] = {
        {"text count -1", 0, -1, DataFileStatus::Damaged, 0},
        {"text count 257", 0, 257, DataFileStatus::Damaged, 0},
        {"text count disagrees with the flags", 0, 2, DataFileStatus::Damaged, 0},
        {"image count -5", 4, -5, DataFileStatus::Damaged, 0},
        {"image count huge", 4, 0x7FFFFFFF, DataFileStatus::Damaged, 0},
        {"UndoCount 3", 8, 3, DataFileStatus::Damaged, 0},
        {"version 0", 12, 0, DataFileStatus::NotDataFile, 0},
        {"version from the future", 12, 99001, DataFileStatus::NotDataFile, 0},
        {"flags length 258", flagsLen, 258, DataFileStatus::Damaged, 0},
        {"flags length -1", flagsLen, -1, DataFileStatus::Damaged, 0},
        {"string length 257", nameLen, 257, DataFileStatus::Damaged, 1},
        {"string length 2^31-1", nameLen, 0x7FFFFFFF, DataFileStatus::Damaged, 1},
        {"string length -1", nameLen, -1, DataFileStatus::Damaged, 1},
        {"string length past the end", lastStrLen, 200, DataFileStatus::Truncated, 3, 1},
    };
    for (const auto& k : cases) {
        std::string bad = good;
        PutI32(bad, k.at, k.value);
        const auto r = Read(bad);
        EXPECT_EQ(r.status, k.want) << k.what;
        EXPECT_EQ(r.content.textNotes.size(), k.notes) << k.what;
        EXPECT_EQ(r.content.imageNotes.size(), k.images) << k.what;
    }
    EXPECT_EQ(Read("").status, DataFileStatus::Truncated);
    EXPECT_EQ(Read("This is not a data file at all, just text.").status, DataFileStatus::NotDataFile);
}

TEST(DataFile, StringOf256BytesWithoutZeroFromAnotherWriterIsRead) {
    DataFileContent c = SampleContent({0}, 0, 5);
    std::string bytes = Write(c);
    const std::size_t at = Nth(bytes, "kelup0.kdt", 0) - 4;
    std::string name(256, 'n');
    bytes.replace(at, 4 + 11, Bytes().I32(256).s + name);
    const auto r = Read(bytes);
    ASSERT_EQ(r.status, DataFileStatus::Whole);
    EXPECT_EQ(r.content.textNotes[0].DataName, std::wstring(256, L'n'));
}

TEST(DataFile, TwoHundredFiftySixTextSlots) {
    std::vector<int> all;
    for (int i = 0; i < 256; ++i) all.push_back(i);
    DataFileContent full = SampleContent(all, 0, 256);
    std::string bytes = Write(full);
    EXPECT_EQ(bytes.substr(16, 4), Bytes().I32(257).s);   // the one case past the 256-byte string
    auto r = Read(bytes);
    ASSERT_EQ(r.status, DataFileStatus::Whole);
    ASSERT_EQ(r.content.textNotes.size(), 256u);
    EXPECT_EQ(r.content.textNotes[255], full.textNotes[255]);

    // With the last slot free the flags stay within a Str.
    DataFileContent most = SampleContent({0, 254}, 0, 256);
    bytes = Write(most);
    EXPECT_EQ(bytes.substr(16, 4), Bytes().I32(256).s);
    r = Read(bytes);
    ASSERT_EQ(r.status, DataFileStatus::Whole);
    EXPECT_EQ(r.content.textNotes, most.textNotes);
}

TEST(DataFile, InconsistentContentIsNotWritten) {
    struct Case { const char* what; void (*spoil)(DataFileContent&); };
    const Case cases[] = {
        {"slot past the table", [](DataFileContent& c) { c.textNotes[0].slot = 5; }},
        {"negative slot", [](DataFileContent& c) { c.textNotes[0].slot = -1; }},
        {"slot twice", [](DataFileContent& c) { c.textNotes[1].slot = c.textNotes[0].slot; }},
        {"257 slots", [](DataFileContent& c) { c.maxTextNotes = 257; }},
        {"UndoCount 3", [](DataFileContent& c) { c.undoCount = 3; }},
    };
    for (const auto& k : cases) {
        DataFileContent c = SampleContent({0, 1}, 0, 5);
        k.spoil(c);
        EXPECT_FALSE(WriteDataFile(c, kNow).has_value()) << k.what;
    }
}

TEST(DataFile, OverLongTextIsCutAtACharacterBoundary) {
    const std::wstring a300(300, L'a');
    const std::wstring kana200(200, L'あ');           // 400 bytes
    const std::wstring exact = L"a" + std::wstring(127, L'あ');   // 255 bytes
    const std::wstring over = exact + L"い";
    struct Case { std::wstring value; StrFit fit; std::wstring kept; };
    const Case cases[] = {
        {L"", StrFit::Fits, L""},
        {exact, StrFit::Fits, exact},
        {a300, StrFit::TooLong, std::wstring(255, L'a')},
        {kana200, StrFit::TooLong, std::wstring(127, L'あ')},
        {over, StrFit::TooLong, exact},
        {L"タイ語\x0E01", StrFit::NotCp932, L"タイ語?"},
        {std::wstring(L"ab\0cd", 5), StrFit::TooLong, L"ab"},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(CheckDataFileText(k.value), k.fit) << k.value.size();
        EXPECT_EQ(DataFileTextAsKept(k.value), k.kept) << k.value.size();
        DataFileContent c = SampleContent({0}, 1, 5);
        c.textNotes[0].SenderName = k.value;
        c.imageNotes[0].Bmpname = k.value;
        const auto r = Read(Write(c));
        ASSERT_EQ(r.status, DataFileStatus::Whole);
        EXPECT_EQ(r.content.textNotes[0].SenderName, k.kept);
        EXPECT_EQ(r.content.imageNotes[0].Bmpname, k.kept);
    }
}

TEST(DataFile, PlaceInSlots) {
    struct Case { std::vector<int> stored; int max; std::vector<int> want; };
    const Case cases[] = {
        {{0, 5, 9}, 99, {0, 5, 9}},
        {{0, 5, 70}, 50, {0, 5, 1}},            // fewer slots than before: into the lowest free one
        {{70, 0, 1}, 50, {2, 0, 1}},            // stored slots win over moved notes
        {{0, 1, 2, 3}, 3, {0, 1, 2, kNoSlot}},  // no room left
        {{1, 1}, 5, {1, 0}},
    };
    for (const auto& k : cases) EXPECT_EQ(PlaceInSlots(k.stored, k.max), k.want);
}

}  // namespace
}  // namespace kelup
