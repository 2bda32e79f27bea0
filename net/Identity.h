#pragma once
// The identity string by which every native packet names its sender:
//   name（computer）[/section]##sex#@#@#version[|@|@|associated file]
// and its counterpart for IP Messenger peers, which get one made up for them.

#include <optional>
#include <string>
#include <string_view>

namespace kelup {

// The protocol version this program writes.
inline constexpr std::wstring_view kProtocolVersion = L"2.001";
// Version and sex given to IP Messenger peers.
inline constexpr std::wstring_view kIpMsgVersion = L"1.00";
inline constexpr std::wstring_view kIpMsgSex = L"8";

// Marker between an identity and the associated file of a KL_SEND.
inline constexpr std::wstring_view kKanrenMarker = L"|@|@|";

// Longest name, section and computer name, in code page 932 bytes, that go
// into our identity. Longer ones are cut at a character boundary, so every
// result and broadcast packet we build stays within 255 bytes.
inline constexpr std::size_t kMaxIdentityNameBytes = 48;
inline constexpr std::size_t kMaxIdentitySectionBytes = 48;
inline constexpr std::size_t kMaxIdentityComputerBytes = 63;

struct HostNameInputs {
    std::wstring myName;         // the MyName setting (may be empty)
    std::wstring computerName;   // MyComputerName
    std::wstring section;        // the MySection setting (may be empty)
    int sex = 0;                 // the Sex setting, 0..7
};

// MyHostName, e.g. "Taro（PC01）/Sales##1#@#@#2.001". Characters that would
// change how the identity or a packet is read are replaced: in the name and
// the computer name ";" "/" "#" "|" "（" "）" by their full-width or
// half-width twins (see IdentityPartSafe), in the section ";" "#" "|";
// control characters are dropped. A sex outside 0..7 is written as 0.
std::wstring CreateMyHostName(const HostNameInputs& in);

// A name or computer name as it can stand in an identity (also used for the
// made-up identities of IP Messenger peers).
std::wstring IdentityPartSafe(std::wstring_view text);
// A section or IP Messenger group likewise ("/" may stay).
std::wstring IdentitySectionSafe(std::wstring_view text);

struct ExtractedHost {
    std::wstring sHostName;   // name（computer）
    std::wstring shozk;       // section
    std::wstring sex;         // one character, "0" when absent
    std::wstring verNo;       // up to 5 characters, "1.00" when absent
    std::wstring kanren;      // associated file, empty when absent
    friend bool operator==(const ExtractedHost&, const ExtractedHost&) = default;
};

// Takes an identity field apart (ExtractSHostName).
ExtractedHost ExtractSHostName(std::wstring_view identity);

// Announcements come from anyone; only identities of the form
//   name（computer）[/section]##sex#@#@#version
// are taken: a name and a computer name without control characters or
// parentheses of their own ("（" "）"), the display name "name（computer）"
// at most kMaxDisplayNameChars long and ending at its "）", one decimal digit
// of sex and a version of digits and dots (starting with a digit, at most 5
// characters). Older copies leave the version part out ("1.00" is read) and
// may end with "###" and anything, or leave the sex out too ("0" is read).
// No associated file ("|@|@|") belongs to an announcement. Nothing when the
// identity is not of that form; else its parts, as ExtractSHostName reads them.
std::optional<ExtractedHost> ParseAnnouncedIdentity(std::wstring_view identity);

// A display name "name（computer）" as above.
inline constexpr std::size_t kMaxDisplayNameChars = 128;
bool IsWellFormedDisplayName(std::wstring_view sHostName);
// A version text as above ("2.001", "1.00").
bool IsWellFormedVersion(std::wstring_view verNo);
// Control characters: C0, DEL and C1.
inline bool IsControlChar(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// The identity made up for an IP Messenger peer: nickname (the user name when
// it is empty), "（", host, "）", "/", group, "##8#@#@#1.00".
std::wstring MakeIpMsgIdentity(std::wstring_view nickName, std::wstring_view userName, std::wstring_view hostName,
                               std::wstring_view groupName);

}  // namespace kelup
