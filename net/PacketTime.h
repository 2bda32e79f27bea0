#pragma once
// Dates and times as they travel in packets: the Japanese system short date
// ("2024/03/05") and long time ("14:07:09", hour without a leading zero), and
// the packed MS-DOS date-time values used as packet numbers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelup {

// A local calendar date and time of day, as the caller's clock gives it.
struct LocalDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// True when the fields name a real date (years 1..9999) and time of day.
bool IsValidDateTime(const LocalDateTime& t);
// Day 0 of the serial dates (1899/12/30): "no deadline".
inline bool IsDayZero(const LocalDateTime& t) { return t.year == 1899 && t.month == 12 && t.day == 30; }

// "yyyy/mm/dd", "h:mm:ss" and the two joined by one space.
std::wstring FormatShortDate(const LocalDateTime& t);
std::wstring FormatLongTime(const LocalDateTime& t);
std::wstring FormatDateTime(const LocalDateTime& t);

// Read back what the formats above write; one- or two-digit month, day and
// hour are taken as well. Returns nothing for any other text or an invalid
// date. ParseShortDate fills only the date fields (time 0:00:00),
// ParseLongTime only the time fields of `base`.
std::optional<LocalDateTime> ParseShortDate(std::wstring_view text);
std::optional<LocalDateTime> ParseLongTime(std::wstring_view text, const LocalDateTime& base);
// A date optionally followed by one space and a time.
std::optional<LocalDateTime> ParseDateTime(std::wstring_view text);

// Packed MS-DOS date-time (date in the high 16 bits, time in the low 16, two
// seconds resolution); 0 for dates before 1980 or after 2107.
std::uint32_t DosDateTime(const LocalDateTime& t);
// Its decimal text, always unsigned.
std::wstring DosDateTimeText(const LocalDateTime& t);

// Packet numbers for the IP Messenger dialect and other names that must not
// repeat: the DOS date-time of now, but always above the previous one, so two
// messages within the same two seconds do not share a number (a receiver
// drops a message whose number equals the previous one).
class PacketNumberClock {
public:
    std::uint32_t Next(const LocalDateTime& now);

private:
    std::uint32_t last_ = 0;
};

}  // namespace kelup
