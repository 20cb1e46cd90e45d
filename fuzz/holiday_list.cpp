// The holiday list with its dates, on a date the input chooses (leap years, month ends, the
// year's ends and dates that do not exist are all reached).

#include "core/store/holiday_list.h"

#include "fuzz_input.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const int year = 1990 + static_cast<int>(input.takeByte() % 80);
    const int month = static_cast<int>(input.takeByte() % 14);
    const int day = static_cast<int>(input.takeByte() % 33);
    store::isListedHoliday(input.rest(), year, month, day);
    return 0;
}
