#include "core/text/paths.h"

// Path forms for platforms with one root and "/" as the only separator.

namespace orvessa::text {

char nativeSeparator() {
    return '/';
}

bool isHiddenName(std::string_view name) {
    return !name.empty() && name.front() == '.';
}

std::string toNativePath(std::string_view path) {
    std::string out(path);
    const bool driveLetter = out.size() >= 2 && out[1] == ':' &&
                             ((out[0] >= 'A' && out[0] <= 'Z') || (out[0] >= 'a' && out[0] <= 'z'));
    if (driveLetter) {
        out.erase(0, 2);
        if (out.empty() || !isSeparator(out.front())) {
            out.insert(out.begin(), '/');
        }
    }
    for (char& c : out) {
        if (c == '\\') {
            c = '/';
        }
    }
    return out;
}

}  // namespace orvessa::text
