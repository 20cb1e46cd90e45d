#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvessa::text {

// The system's files are GBK (code page 936); the core keeps text as UTF-8.
//
// Decoding never fails and never truncates: a byte b that is not part of a valid GBK sequence
// becomes the character U+DC00 + b, kept in the UTF-8 string as its three-byte form
// (ED B0 80 .. ED B3 BF). Encoding turns that character back into the byte b, so a file read and
// written back without edits comes back byte for byte. A view shows such a character as a
// replacement mark (see isEscapedByte).
//
// Encoding writes "?" for a character GBK cannot hold, and for malformed UTF-8 in the input.

// GBK bytes to UTF-8.
std::string gbkToUtf8(std::string_view gbk);

// UTF-8 to GBK bytes.
std::string utf8ToGbk(std::string_view utf8);

// How many bytes the text takes in GBK.
std::size_t gbkByteLength(std::string_view utf8);

// The text as the system's files can hold it: through GBK and back. Characters outside GBK
// become "?"; escaped bytes stay as they are.
std::string normaliseGbk(std::string_view utf8);

// Whether the text comes back unchanged through GBK: false when a character would be written as
// "?" (outside GBK) or the text is not well-formed UTF-8 (a file name that is not UTF-8 on disk).
// Escaped bytes count as held: they go back out as the bytes they came from.
bool gbkCanHold(std::string_view utf8);

// Appends one code point as UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

// Characters (code points) of a UTF-8 text, and its first `count` characters.
std::size_t characterCount(std::string_view utf8);
std::string firstCharacters(std::string_view utf8, std::size_t count);
// The text when it has at most `count` characters; else its first `count` - 1 and "…", so that
// a shown text never takes more than `count` characters.
std::string shortened(std::string_view utf8, std::size_t count);
// The text on one line: a run of control characters (line breaks, tabs) becomes one blank.
std::string oneLine(std::string_view text);

// Whether `bytes` are well-formed UTF-8 (no surrogates, escaped bytes included, no overlong
// forms), as every UTF-8 file and document requires.
bool isUtf8(std::string_view bytes);
// `bytes` (a name the file system gave) as well-formed UTF-8 that a person can read: as they are
// when they are UTF-8; else read as GBK when they are GBK throughout (a name from a Windows
// disk); else each byte that is not UTF-8 shown as U+FFFD.
std::string readableText(std::string_view bytes);

// True for the code points U+DC00..U+DCFF that stand for undecodable bytes.
constexpr bool isEscapedByte(char32_t codePoint) {
    return codePoint >= 0xDC00 && codePoint <= 0xDCFF;
}

}  // namespace orvessa::text
