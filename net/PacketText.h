#pragma once
// Small text tools shared by both packet dialects and the send lists: field
// cutting, strict number reading, addresses and making user text safe to put
// between separators.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelup {

// Cuts the first ";"-field (ExData, native dialect) or ":"-field (ExDataP,
// IP Messenger dialect) off `s`: the field is the text before the first
// separator, and field and separator are removed from `s`. When no separator
// is left the field is empty and `s` stays as it is.
std::wstring ExData(std::wstring& s);
std::wstring ExDataP(std::wstring& s);

// Decimal numbers as peers write them: optional blanks around, an optional
// sign (only for the signed kinds), digits only. Anything else, or a value out
// of range, is no number.
std::optional<std::int32_t> ParseInt32(std::wstring_view text);
std::optional<std::uint32_t> ParseUInt32(std::wstring_view text);
std::optional<std::uint64_t> ParseUInt64(std::wstring_view text);

// A dotted IPv4 address of four decimal parts 0..255 (no blanks, no leading
// "+", at most three digits a part), as its 32-bit value in reading order.
std::optional<std::uint32_t> ParseIPv4(std::wstring_view text);
inline bool IsDottedIPv4(std::wstring_view text) { return ParseIPv4(text).has_value(); }
// Two addresses are the same when both are valid and equal as addresses;
// texts that are not addresses never match anything.
bool SameIPv4(std::wstring_view a, std::wstring_view b);

inline bool StartsWith(std::wstring_view s, std::wstring_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// Text that goes between separators of a packet we send: ";" becomes the
// full-width "；", ":" the full-width "：" (only when `colonToo`), and NUL and
// the other C0 control characters except TAB, CR and LF are dropped.
std::wstring FieldSafe(std::wstring_view text, bool colonToo = false);
// The same for text that runs to the end of a packet (no separator matters
// there): only NUL characters are dropped.
std::wstring WithoutNul(std::wstring_view text);

// Upper case for matching names: ASCII and full-width Latin letters.
std::wstring UpperForMatch(std::wstring_view text);

}  // namespace kelup
