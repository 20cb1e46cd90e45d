// The editor's checks of typed cells: times of day, numbers, and the order in which the clock
// compares time texts (which must be a true order, or rows start out of turn).

#include "core/text/time_text.h"

#include "core/text/numbers.h"
#include "fuzz_input.h"

using namespace orvessa;

namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::size_t cut = input.takeByte();
    const std::string_view rest = input.rest();
    const std::string_view a = rest.substr(0, std::min(cut, rest.size()));
    const std::string_view b = rest.substr(a.size());

    if (text::isTimeOfDay(a)) {
        const std::string n = text::normaliseTime(a);
        if (n.empty()) {
            fuzz::broken("a time of day normalised to nothing");
        }
    }
    const std::string na = text::normaliseTime(a);
    const std::string nb = text::normaliseTime(b);
    if (sign(text::compareTimeTexts(na, nb)) != -sign(text::compareTimeTexts(nb, na))) {
        fuzz::broken("the order of time texts is not antisymmetric");
    }
    if ((text::compareTimeTexts(na, nb) == 0) != (na == nb)) {
        fuzz::broken("equal time texts that differ");
    }
    if (const auto n = text::parseDecimal(a)) {
        if (text::parseDecimal(text::decimalText(*n)) != n) {
            fuzz::broken("a number that does not read back");
        }
    }
    text::toIntOr(b, 7);
    return 0;
}
