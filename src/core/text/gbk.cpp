#include "core/text/gbk.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace orvessa::text {
namespace {

// ICU's name for Windows code page 936 (GBK with the euro sign at 0x80).
constexpr const char* kConverterName = "windows-936-2000";
constexpr char16_t kEscapeBase = 0xDC00;
// Units handed to the converter at a time.
constexpr std::size_t kChunkUnits = 256 * 1024;

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Each byte of an illegal or unmapped sequence becomes U+DC00 + byte.
void escapeBytesToUnicode(const void*, UConverterToUnicodeArgs* args, const char* codeUnits,
                          int32_t length, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) {
        return;  // reset, close and clone carry no bytes
    }
    *err = U_ZERO_ERROR;
    for (int32_t i = 0; i < length; ++i) {
        const UChar escaped =
            static_cast<UChar>(kEscapeBase + static_cast<unsigned char>(codeUnits[i]));
        ucnv_cbToUWriteUChars(args, &escaped, 1, 0, err);
    }
}

// An escaped byte goes back out as itself; anything else GBK cannot hold becomes '?'.
void unescapeBytesFromUnicode(const void*, UConverterFromUnicodeArgs* args, const UChar* codeUnits,
                              int32_t length, UChar32, UConverterCallbackReason reason,
                              UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) {
        return;
    }
    *err = U_ZERO_ERROR;
    for (int32_t i = 0; i < length; ++i) {
        const char16_t u = codeUnits[i];
        char byte = '?';
        if (isEscapedByte(u) && length == 1) {
            byte = static_cast<char>(u - kEscapeBase);
        }
        ucnv_cbFromUWriteBytes(args, &byte, 1, 0, err);
        if (length == 2) {
            break;  // a supplementary character is one '?'
        }
    }
}

ConverterPtr openConverter() {
    UErrorCode err = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open(kConverterName, &err));
    if (U_FAILURE(err)) {
        throw std::runtime_error("ICU has no GBK converter");
    }
    ucnv_setToUCallBack(converter.get(), escapeBytesToUnicode, nullptr, nullptr, nullptr, &err);
    ucnv_setFromUCallBack(converter.get(), unescapeBytesFromUnicode, nullptr, nullptr, nullptr,
                          &err);
    return converter;
}

// One converter per thread: a converter carries state and must not be shared.
UConverter& converter() {
    thread_local ConverterPtr instance = openConverter();
    ucnv_reset(instance.get());
    return *instance;
}

// UTF-8 to UTF-16 that lets the escaped bytes U+DC00..U+DCFF through as lone surrogates, which a
// strict decoder would refuse. Malformed input becomes '?'.
std::u16string utf8ToUtf16(std::string_view in) {
    std::u16string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const unsigned char b0 = static_cast<unsigned char>(in[i]);
        int extra = 0;
        char32_t cp = 0;
        if (b0 < 0x80) {
            cp = b0;
        } else if (b0 >= 0xC2 && b0 < 0xE0) {
            extra = 1;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 < 0xF0) {
            extra = 2;
            cp = b0 & 0x0F;
        } else if (b0 >= 0xF0 && b0 < 0xF5) {
            extra = 3;
            cp = b0 & 0x07;
        } else {
            out += u'?';
            ++i;
            continue;
        }
        if (i + static_cast<std::size_t>(extra) >= in.size() && extra > 0) {
            out += u'?';  // truncated sequence at the end
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char b = static_cast<unsigned char>(in[i + k]);
            if ((b & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMinimum[extra] || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF && !isEscapedByte(cp))) {
            out += u'?';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

// Appends the UTF-16 units as UTF-8. Unless `final`, a lead surrogate at the end stays in `in`:
// its partner may come with the next piece.
void appendUtf16(std::string& out, std::u16string& in, bool final) {
    std::size_t i = 0;
    for (; i < in.size(); ++i) {
        char32_t cp = in[i];
        if (cp >= 0xD800 && cp < 0xDC00) {
            if (i + 1 == in.size() && !final) {
                break;
            }
            if (i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
                ++i;
            }
        }
        appendUtf8(out, cp);
    }
    in.erase(0, i);
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string gbkToUtf8(std::string_view gbk) {
    if (gbk.empty()) {
        return {};
    }
    UConverter& cnv = converter();
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    // The converter counts in 32 bits: the input goes through in pieces, and a character split
    // between two pieces is carried by the converter's own state.
    // GBK never yields more UTF-16 units than bytes.
    std::u16string wide(std::min(kChunkUnits, gbk.size()) + 8, u'\0');
    std::u16string pending;
    const char* source = gbk.data();
    const char* const end = gbk.data() + gbk.size();
    while (source < end) {
        const char* const limit =
            source + std::min<std::size_t>(kChunkUnits, static_cast<std::size_t>(end - source));
        const bool last = limit == end;
        UErrorCode err = U_ZERO_ERROR;
        do {
            err = U_ZERO_ERROR;
            UChar* target = reinterpret_cast<UChar*>(wide.data());
            ucnv_toUnicode(&cnv, &target, target + wide.size(), &source, limit, nullptr, last,
                           &err);
            pending.append(wide.data(), static_cast<std::size_t>(
                                            reinterpret_cast<char16_t*>(target) - wide.data()));
            appendUtf16(out, pending, false);
        } while (err == U_BUFFER_OVERFLOW_ERROR);
        if (U_FAILURE(err)) {
            throw std::runtime_error(std::string("GBK decoding failed: ") + u_errorName(err));
        }
    }
    appendUtf16(out, pending, true);
    return out;
}

std::string utf8ToGbk(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const std::u16string wide = utf8ToUtf16(utf8);
    UConverter& cnv = converter();
    std::string out;
    out.reserve(wide.size() * 2);
    std::string bytes(std::min(kChunkUnits, wide.size()) * 2 + 8, '\0');
    const UChar* source = reinterpret_cast<const UChar*>(wide.data());
    const UChar* const end = source + wide.size();
    while (source < end) {
        const UChar* const limit =
            source + std::min<std::size_t>(kChunkUnits, static_cast<std::size_t>(end - source));
        const bool last = limit == end;
        UErrorCode err = U_ZERO_ERROR;
        do {
            err = U_ZERO_ERROR;
            char* target = bytes.data();
            ucnv_fromUnicode(&cnv, &target, target + bytes.size(), &source, limit, nullptr, last,
                             &err);
            out.append(bytes.data(), static_cast<std::size_t>(target - bytes.data()));
        } while (err == U_BUFFER_OVERFLOW_ERROR);
        if (U_FAILURE(err)) {
            throw std::runtime_error(std::string("GBK encoding failed: ") + u_errorName(err));
        }
    }
    return out;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++n;
        }
    }
    return n;
}

std::string oneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool inRun = false;
    for (const char c : text) {
        const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        if (!control) {
            out += c;
        } else if (!inRun) {
            out += ' ';
        }
        inRun = control;
    }
    return out;
}

std::string firstCharacters(std::string_view utf8, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (seen == count) {
                return std::string(utf8.substr(0, i));
            }
            ++seen;
        }
    }
    return std::string(utf8);
}

std::string shortened(std::string_view utf8, std::size_t count) {
    if (characterCount(utf8) <= count) {
        return std::string(utf8);
    }
    return count == 0 ? std::string() : firstCharacters(utf8, count - 1) + "…";
}

std::size_t gbkByteLength(std::string_view utf8) {
    return utf8ToGbk(utf8).size();
}

std::string normaliseGbk(std::string_view utf8) {
    return gbkToUtf8(utf8ToGbk(utf8));
}

bool gbkCanHold(std::string_view utf8) {
    // Plain ASCII is GBK as it is; most cells are, and a save checks every cell.
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return true;
    }
    return normaliseGbk(utf8) == utf8;
}

namespace {

// The length of the well-formed UTF-8 sequence at `i`, or 0 when none starts there.
std::size_t utf8SequenceAt(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        return 1;
    }
    std::size_t extra = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2;
        low = b0 == 0xE0 ? 0xA0 : 0x80;   // no overlong form
        high = b0 == 0xED ? 0x9F : 0xBF;  // no surrogate
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3;
        low = b0 == 0xF0 ? 0x90 : 0x80;
        high = b0 == 0xF4 ? 0x8F : 0xBF;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (i + extra >= s.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return extra + 1;
}

}  // namespace

bool isUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = utf8SequenceAt(bytes, i);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

std::string readableText(std::string_view bytes) {
    if (isUtf8(bytes)) {
        return std::string(bytes);
    }
    if (std::string gbk = gbkToUtf8(bytes); isUtf8(gbk)) {
        return gbk;  // no byte needed an escape
    }
    std::string out;
    out.reserve(bytes.size() + 8);
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = utf8SequenceAt(bytes, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            ++i;
        } else {
            out.append(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

}  // namespace orvessa::text
