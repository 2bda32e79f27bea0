#pragma once
// The one place where text crosses between UTF-16 in memory and code page
// 932 (Shift-JIS) bytes in files and packets.

#include <optional>
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

// Strict reading, for text from elsewhere that must be kept as it came:
// nothing when any byte sequence is no character of code page 932 (a lead
// byte cut off or followed by no trail byte, an unassigned pair, or one of
// the single bytes 0x80, 0xA0, 0xFD to 0xFF), as the system's conversion
// refuses them when told to fail on invalid characters.
std::optional<std::wstring> FromCp932Strict(std::string_view bytes);
inline bool IsCp932Text(std::string_view bytes) { return FromCp932Strict(bytes).has_value(); }

// UTF-8, spoken by some IP Messenger clients. Characters outside the basic
// plane travel as surrogate pairs where wchar_t has 16 bits; a lone
// surrogate is written as U+FFFD.
std::string ToUtf8(std::wstring_view text);
// Invalid sequences (stray or missing continuation bytes, overlong forms,
// surrogates, values past U+10FFFF) become U+FFFD; `valid` tells whether
// there were none.
std::wstring FromUtf8(std::string_view bytes, bool* valid = nullptr);
// The longest prefix of `bytes` not longer than `maxBytes` that does not end
// in the middle of a UTF-8 sequence.
std::size_t Utf8SafeCut(std::string_view bytes, std::size_t maxBytes);

}  // namespace kelup
