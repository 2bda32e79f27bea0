#pragma once
// The translucency file "kelup.Hlf": an INI file beside the data file.
//   [HALF]   one key per text note in use: slot number = AlphaValue
//   [COUNT]  COUNT = number of keys in [HALF]
//   [UNDO]   0 and 1 = AlphaValue of the two undo holders
// The window layer reads the file's bytes, passes them through here and
// writes the result back whole; text in, text out, so the rules are tested
// without the system's profile functions. Other sections are kept as found.

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kelup {

inline constexpr int kOpaque = 255;

struct HalfValues {
    std::map<int, int> notes;          // slot -> AlphaValue
    std::array<int, 2> undo{kOpaque, kOpaque};
};

// The slot's AlphaValue, 255 when the file has none for it.
int HalfAlphaOf(const HalfValues& values, int slot);

// Values outside 1 .. 255, and text that is no integer, read as 255: a note
// never becomes invisible or unreadable through this file.
HalfValues ReadHalfFile(std::string_view text);

// The new file text: `previous` without its [HALF], [COUNT] and [UNDO]
// sections, then those three written from `values` (lines end in CR LF).
std::string WriteHalfFile(std::string_view previous, const HalfValues& values);

}  // namespace kelup
