// Hostile data files: the reader must never fail other than by its status,
// and whatever it reads whole must save and read back to the same bytes.
// The translucency file and the date texts of older files get the same input.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Cp932.h"
#include "store/DataFile.h"
#include "store/HalfFile.h"

namespace {

constexpr double kNow = 46000.25;

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelup;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    DataFileReadOptions opt{kNow, {}};
    if (size > 0 && (data[0] & 1)) opt.dateFormat = DateTextFormat::FromShortDatePattern(L"dd.MM.yy");
    const DataFileReadResult r = ReadDataFile(bytes, opt);
    Check(r.errorOffset <= size);
    Check(r.content.textNotes.size() <= std::size_t(kMaxSlotsInFile));
    Check(r.content.imageNotes.size() <= std::size_t(kMaxSlotsInFile));
    Check(r.content.undoCount >= 0 && r.content.undoCount <= r.undoRecords);
    if (r.Whole()) {
        // Saved once, the notes are in the writer's form; saved again they
        // must not change.
        const auto once = WriteDataFile(r.content, kNow);
        Check(once.has_value());
        const DataFileReadResult again = ReadDataFile(*once, opt);
        Check(again.Whole() && again.version == kDataFileVersion);
        Check(again.content.textNotes.size() == r.content.textNotes.size());
        Check(again.content.imageNotes.size() == r.content.imageNotes.size());
        const auto twice = WriteDataFile(again.content, kNow);
        Check(twice.has_value() && *twice == *once);
    }

    const HalfValues half = ReadHalfFile(bytes);
    for (const auto& [slot, alpha] : half.notes) Check(slot >= 0 && alpha >= 1 && alpha <= 255);
    const std::string rewritten = WriteHalfFile(bytes, half);
    const HalfValues back = ReadHalfFile(rewritten);
    Check(back.notes == half.notes && back.undo == half.undo);

    const std::wstring text = FromCp932(bytes.substr(0, 64));
    if (auto v = ParseDateTimeText(text, opt.dateFormat, 2026)) Check(*v > -693594.0 && *v < 2958466.0);
    if (auto v = ParseTimeText(text, opt.dateFormat)) Check(*v >= 0 && *v < 1);
    return 0;
}
