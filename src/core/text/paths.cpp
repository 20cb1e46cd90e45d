#include "core/text/paths.h"

#include <algorithm>

#include "core/text/gbk.h"

namespace orvessa::text {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool containsSeparator(std::string_view path) {
    return path.find_first_of("\\/") != std::string_view::npos;
}

bool endsWithSeparator(std::string_view path) {
    return !path.empty() && isSeparator(path.back());
}

std::string extensionOf(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    if (path.find_first_of("\\/:", dot + 1) != std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(dot));
}

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

void sortAsListed(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string upperA = upperAscii(a);
        const std::string upperB = upperAscii(b);
        // Linux allows names that differ only in case; they keep a fixed order too.
        return upperA != upperB ? upperA < upperB : a < b;
    });
}

std::string fileNameOf(std::string_view path) {
    const std::size_t sep = path.find_last_of("\\/");
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string joinPath(std::string_view directory, std::string_view name) {
    std::string out(directory);
    if (!out.empty() && !endsWithSeparator(out)) {
        out += nativeSeparator();
    }
    out += name;
    return out;
}

bool isRelativePath(std::string_view path) {
    if (path.empty() || isSeparator(path.front())) {
        return false;
    }
    const bool driveLetter =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return !driveLetter;
}

std::string resolvePath(std::string_view base, std::string_view path) {
    if (!isRelativePath(path) || base.empty()) {
        return std::string(path);
    }
    return joinPath(base, path);
}

std::filesystem::path fsPath(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Path(const std::filesystem::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

std::string readablePath(const std::filesystem::path& path) {
    return readableText(utf8Path(path));
}

}  // namespace orvessa::text
