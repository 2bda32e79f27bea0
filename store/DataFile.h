#pragma once
// The data file "kelup.dat" (and its copy "kelup.bak"): all notes in one
// little-endian binary file. The writer makes the current version 99000;
// the reader takes that and every older version. Bytes in, records out:
// opening files, making windows and the messages belong to the window layer.
//
// Layout of version 99000:
//   Int32 text count, Int32 image count, Int32 UndoCount, Int32 version
//   Str slot flags ("0"/"1" per text slot)
//   per text slot in use, ascending: Str "N_Kelup", Double MakeDT, RSave1,
//     Str DataName, Double K_Date, Str SenderName, Str SenderAddr,
//     Double SendDate, Double SendTime, Str SndName, Str OpenFName, Str BkgndName
//   per image note: Str "B_Kelup", 84-byte record, Str title font, Str title,
//     Str picture path, Double K_Date, Str SndName, Str OpenFName
//   two undo records laid out like text records, tag "BackUp "
//
// Strings are code page 932 with at most 255 bytes of text. Longer values
// are cut at a character boundary; the window layer asks CheckDataFileText
// when a value is set and tells the user then.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/DateText.h"
#include "store/NoteRecord.h"

namespace kelup {

inline constexpr std::int32_t kDataFileVersion = 99000;
// Bytes of text a Str keeps, its zero byte not counted.
inline constexpr std::size_t kMaxStrText = 255;
// No slot table has more slots than this (MAX1, MAX2).
inline constexpr int kMaxSlotsInFile = 256;

enum class StrFit {
    Fits,       // kept as it is
    TooLong,    // more than 255 bytes in code page 932: the end is cut off
    NotCp932,   // holds characters code page 932 has not: they become '?'
};
// Whether the data file keeps a value whole. TooLong wins over NotCp932.
StrFit CheckDataFileText(std::wstring_view value);
// The value as it comes back from the file: code page 932, cut to 255 bytes
// without splitting a character, and ending at an embedded zero.
std::wstring DataFileTextAsKept(std::wstring_view value);

struct DataFileContent {
    // Number of text slots: the length of the slot-flag string.
    int maxTextNotes = 99;
    // Text notes with their slots, all below maxTextNotes and distinct.
    std::vector<TextNoteRecord> textNotes;
    // Image notes in slot order.
    std::vector<ImageNoteRecord> imageNotes;
    int undoCount = 0;                     // 0, 1 or 2
    std::array<TextNoteRecord, 2> undo;    // both always written
};

// The file's bytes. `now` goes in for a MakeDT of 0. Nothing when the content
// cannot be written as a consistent file (a slot outside 0 .. maxTextNotes-1
// or taken twice, more than 256 notes of a kind, UndoCount outside 0..2).
//
// With 256 text slots the flag string is one character longer than a Str
// holds. It is written with 255 characters while slot 255 is free (a missing
// character reads as a free slot); a note in slot 255 needs all 256, which
// this reader takes but readers of older editions may not.
std::optional<std::string> WriteDataFile(const DataFileContent& content, double now);

enum class DataFileStatus {
    Whole,         // everything read
    Truncated,     // the file ends inside a record
    Damaged,       // a stored length or count is impossible
    NotDataFile,   // no data file of a version this program knows
};

struct DataFileReadOptions {
    double now = 0;                // for a creation time that cannot be read
    DateTextFormat dateFormat;     // of the dates older versions kept as text
};

struct DataFileReadResult {
    DataFileStatus status = DataFileStatus::NotDataFile;
    std::int32_t version = 0;
    // Records the header announces; fewer in `content` means notes were lost.
    int textAnnounced = 0;
    int imageAnnounced = 0;
    // The records read completely, in file order. Text notes carry their
    // stored slot, which may lie beyond the caller's slot count (PlaceInSlots);
    // image notes carry their position. The slot-flag length is in
    // maxTextNotes. Undo records that were not in the file, or not whole,
    // stay default and undoCount counts only those read.
    DataFileContent content;
    int undoRecords = 0;
    // Where reading stopped when it failed.
    std::size_t errorOffset = 0;

    bool Whole() const { return status == DataFileStatus::Whole; }
};

DataFileReadResult ReadDataFile(std::string_view bytes, const DataFileReadOptions& options);

// The slots that loaded notes take in a table of `max` slots: the stored slot
// when it is below max and not taken by an earlier note, else the lowest free
// slot, else kNoSlot (the table is full). A note that moves keeps its text in
// the file its record names (DataName) until the next save renames it.
std::vector<int> PlaceInSlots(const std::vector<int>& storedSlots, int max);

}  // namespace kelup
