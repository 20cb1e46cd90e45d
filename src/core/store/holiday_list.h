#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orvessa::store {

// Whether the date is a listed holiday, given the content of the holiday file (GBK). Every row
// counts up to the list's end (an empty row or a row of commas). A range whose end lies before
// its start runs over the new year. A row whose dates do not exist this year, or whose end month
// comes without an end day, is left out.
bool isListedHoliday(std::string_view holidayFileContent, int year, int month, int day);

// Whether `text` names a day of the calendar as a row of the list gives it: month "-" day in
// decimal digits (10-1, 02-29), any year's days (29 February too). Anything else the stop-day
// decision would read as another day or as none.
bool isMonthDay(std::string_view text);

struct HolidayCheck {
    bool listed = false;
    // Why a list that is there could not be read; empty when it was read or is missing.
    std::string error;
};

// The same from the holiday file itself, reading no more of it than a table load would take.
HolidayCheck checkHolidayFile(const std::filesystem::path& file, int year, int month, int day);

}  // namespace orvessa::store
