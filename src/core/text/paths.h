#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvessa::text {

// Cells hold Windows-style paths ("D:\广播\早操.mp3"); on reading, "\" and "/" are both separators.
// New paths are composed with the platform's own separator, and a path is turned into the
// platform's form only where the OS is called.

bool isSeparator(char c);
bool containsSeparator(std::string_view path);
bool endsWithSeparator(std::string_view path);

// The platform's separator ('/' on Linux), picked by the build.
char nativeSeparator();

// Whether the platform hides a directory entry of this name (a leading "." on Linux).
bool isHiddenName(std::string_view name);

// From the last "." to the end, provided no separator or ":" follows that dot; otherwise empty.
std::string extensionOf(std::string_view path);

// Upper-cases the ASCII letters only; GBK and UTF-8 bytes stay as they are.
std::string upperAscii(std::string_view text);

// Puts the names of a directory's entries in the order a Windows volume lists them: by name
// without regard to case. Linux file systems list in hash order, which no operator numbers their
// files for.
void sortAsListed(std::vector<std::string>& names);

// The part after the last separator.
std::string fileNameOf(std::string_view path);

// `directory` and `name` joined by one native separator (none added when `directory` is empty or
// already ends in a separator).
std::string joinPath(std::string_view directory, std::string_view name);

// Whether a cell path starts from the current directory rather than from a root or a drive
// ("AUDIO\bell.wav", not "\bell.wav", "/srv/bell.wav" or "D:\bell.wav"). An empty path is not.
bool isRelativePath(std::string_view path);

// `path` read from `base` when it is relative, otherwise `path` as it is. The system never
// changes its working directory, so a relative cell must be given its base explicitly.
std::string resolvePath(std::string_view base, std::string_view path);

// The platform's form of a cell path: separators made native and, on a platform without drive
// letters, a leading "X:" dropped so that a drive root becomes the file-system root.
std::string toNativePath(std::string_view path);

// A UTF-8 text as a file-system path, on every platform.
std::filesystem::path fsPath(std::string_view utf8);

// A file-system path as UTF-8 text.
std::string utf8Path(const std::filesystem::path& path);
// A file-system path as text for people and UTF-8 records: utf8Path() keeps the file system's
// bytes, so that the text reaches the file again; this one is always well-formed UTF-8 (see
// readableText), and reaches the file only where the name was UTF-8.
std::string readablePath(const std::filesystem::path& path);

}  // namespace orvessa::text
