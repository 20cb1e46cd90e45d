#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvessa::text {

// Times of day are texts "H:mm:ss" or "hh:mm:ss" and are never converted to numbers: every
// comparison in the system goes through these helpers on the padded texts.

// Drops blanks and control characters (everything up to ' ') at both ends.
std::string trimText(std::string_view text);

// A text of exactly seven characters gets a leading "0" (5:00:13 -> 05:00:13); any other length,
// the empty text included, stays as it is.
std::string padTime(std::string_view text);

// Trimmed, then padded: the form in which cells and the clock text are compared.
std::string normaliseTime(std::string_view text);

// Byte-wise order: a text that begins another sorts first, so the empty text sorts before every
// other text. Returns <0, 0 or >0.
int compareTimeTexts(std::string_view a, std::string_view b);

inline bool timeBefore(std::string_view a, std::string_view b) {
    return compareTimeTexts(a, b) < 0;
}
inline bool timeAtOrBefore(std::string_view a, std::string_view b) {
    return compareTimeTexts(a, b) <= 0;
}

// Whether a cell reads as a time of day: hours and minutes, optionally seconds, separated by
// colons; each part decimal digits, possibly after blanks; hours 0..23, minutes and seconds 0..59.
// "5:00:13", "7:30" and "07: 30" read; "25:00:00", "12:60:00", "12:15:61" and "1:2:3:4" do not.
bool isTimeOfDay(std::string_view text);

// Whether the clock can ever equal the cell: normalised, it is exactly "hh:mm:ss" with hours
// 0..23 and minutes and seconds 0..59. "7:30:00" and " 07:30:00" can; "7:30", "7:3:0", "0730",
// "07: 30" and "9：00：00" never can, and a row waiting for one of them holds off the rest of the
// day.
bool isClockTime(std::string_view cell);

// A time cell as the clock can read it, for the editor to put back into the grid: full-width
// digits, colons and blanks made ASCII, blanks at the ends dropped, and a time written with
// blanks around its parts or without seconds given in the clock's own form ("07: 30" ->
// "7:30:00"). A cell the clock already reads keeps its form; a blank cell becomes empty.
// Nothing for a text that is no time of day, or whose minutes or seconds lack a digit ("7:3:0"
// may mean 7:30).
std::optional<std::string> tidyTimeCell(std::string_view cell);

// The clock text "H:mm:ss": hour without a leading zero, minutes and seconds with two digits.
std::string formatClockTime(int hour, int minute, int second);

// A second of the day, as the broadcast clock ticks it. The clock compares itself with cells as
// padded texts (compareTimeTexts), so a cell that is no clock time still orders against it.
class TimeOfDay {
public:
    static constexpr int kSecondsPerDay = 86400;

    constexpr TimeOfDay() = default;
    constexpr TimeOfDay(int hour, int minute, int second)
        : m_seconds((hour * 60 + minute) * 60 + second) {}
    // `seconds` taken into the day: -1 is 23:59:59.
    static constexpr TimeOfDay fromSeconds(int seconds) {
        TimeOfDay t;
        t.m_seconds = ((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
        return t;
    }
    // The second a clock text "H:mm:ss" or "hh:mm:ss" names; none for any other text.
    static std::optional<TimeOfDay> read(std::string_view clockText);

    constexpr int seconds() const { return m_seconds; }
    constexpr int hour() const { return m_seconds / 3600; }
    constexpr int minute() const { return m_seconds % 3600 / 60; }
    constexpr int second() const { return m_seconds % 60; }
    // "H:mm:ss", as the clock shows it and as the custom shutdown times are written.
    std::string clockText() const { return formatClockTime(hour(), minute(), second()); }
    // "hh:mm:ss": the form in which the clock and the cells are compared.
    std::string padded() const { return normaliseTime(clockText()); }

    constexpr auto operator<=>(const TimeOfDay&) const = default;

private:
    int m_seconds = 0;
};

}  // namespace orvessa::text
