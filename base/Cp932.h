#pragma once
// The one place where text crosses between UTF-16 in memory and code page
// 932 (Shift-JIS) bytes in files and packets.

#include <string>
#include <string_view>

namespace kelup {

// Characters code page 932 cannot hold become '?' (as the system does).
std::string ToCp932(std::wstring_view text);
// Invalid or cut-off byte sequences become U+30FB ("・") rather than failing;
// the result never holds more characters than the input has bytes.
std::wstring FromCp932(std::string_view bytes);

// The longest prefix of `bytes` not longer than `maxBytes` that does not end
// in the middle of a double-byte character.
std::size_t Cp932SafeCut(std::string_view bytes, std::size_t maxBytes);
// True for a lead byte of a double-byte character.
inline bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace kelup
