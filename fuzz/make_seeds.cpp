// Writes the fuzz targets' seeds into FUZZ_DIR/<target>/: small, well-formed inputs of every kind
// each parser reads, made with the system's own writers where it has them, so that fuzzing starts
// from the inside of each format. Usage: orvessa_fuzz_seeds FUZZ_DIR

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "backends/gstreamer/wav_file.h"
#include "core/skins/lzhuf.h"
#include "core/skins/skin_archive.h"
#include "core/skins/skin_package.h"
#include "core/text/gbk.h"

using namespace orvessa;
namespace fs = std::filesystem;

namespace {

fs::path g_root;

void seed(const std::string& target, const std::string& name, std::string_view bytes) {
    const fs::path dir = g_root / target;
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string bytesOf(const std::vector<std::uint8_t>& v) {
    return {v.begin(), v.end()};
}

std::string gbk(std::string_view utf8) {
    return text::utf8ToGbk(utf8);
}

std::string be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string syncsafe(std::uint32_t v) {
    return {static_cast<char>((v >> 21) & 0x7F), static_cast<char>((v >> 14) & 0x7F),
            static_cast<char>((v >> 7) & 0x7F), static_cast<char>(v & 0x7F)};
}

// An ID3v2 tag of one version with a title and an artist frame.
std::string id3v2(int version, char encoding, std::string_view title) {
    std::string frames;
    for (const auto& [id, value] :
         {std::pair<std::string, std::string_view>{"TIT2", title}, {"TPE1", "artist"}}) {
        const std::string body = encoding + std::string(value);
        const auto size = static_cast<std::uint32_t>(body.size());
        frames += id + (version == 4 ? syncsafe(size) : be32(size)) + std::string(2, '\0') + body;
    }
    frames += std::string(16, '\0');  // padding
    return "ID3" + std::string{static_cast<char>(version), 0, 0} +
           syncsafe(static_cast<std::uint32_t>(frames.size())) + frames;
}

std::string id3v1(std::string_view title) {
    std::string tag = "TAG";
    std::string field(title);
    field.resize(30, '\0');
    tag += field + std::string("artist").append(24, '\0') + std::string("album").append(25, '\0');
    tag.resize(128, '\0');
    return tag;
}

// Frames of MPEG-1 layer III at 128 kbit/s and 44.1 kHz, 417 bytes each.
std::string mp3Frames(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::string frame = "\xFF\xFB\x90\x64";
        frame.resize(417, static_cast<char>(i));
        out += frame;
    }
    return out;
}

// ADTS frames of AAC-LC at 44.1 kHz, 7-byte headers, 200 bytes each.
std::string adtsFrames(int count) {
    std::string out;
    const std::size_t bytes = 200;
    for (int i = 0; i < count; ++i) {
        std::string frame = {'\xFF',
                             '\xF1',
                             '\x50',
                             static_cast<char>(0x80 | (bytes >> 11)),
                             static_cast<char>((bytes >> 3) & 0xFF),
                             static_cast<char>(((bytes & 7) << 5) | 0x1F),
                             '\xFC'};
        frame.resize(bytes, '\x21');
        out += frame;
    }
    return out;
}

// AC-3 sync frames at 48 kHz and 192 kbit/s: 768 bytes each.
std::string ac3Frames(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::string frame = {'\x0B', '\x77', '\x00', '\x00', '\x14', '\x40'};
        frame.resize(768, '\0');
        out += frame;
    }
    return out;
}

std::string pts(std::uint64_t t) {
    return {static_cast<char>(0x21 | ((t >> 29) & 0x0E)), static_cast<char>(t >> 22),
            static_cast<char>(0x01 | ((t >> 14) & 0xFE)), static_cast<char>(t >> 7),
            static_cast<char>(0x01 | ((t << 1) & 0xFE))};
}

// An MPEG-1 program stream: pack headers and audio packets with time stamps a second apart.
std::string programStream(int seconds) {
    std::string out;
    for (int s = 0; s <= seconds; ++s) {
        out += std::string("\x00\x00\x01\xBA", 4) + "\x21\x00\x01\x00\x01\x80\x00\x01";
        std::string payload = mp3Frames(1);
        const std::string header = pts(static_cast<std::uint64_t>(s) * 90000);
        const auto length = static_cast<std::uint16_t>(header.size() + payload.size());
        out += std::string("\x00\x00\x01\xC0", 4) +
               std::string{static_cast<char>(length >> 8), static_cast<char>(length)} + header +
               payload;
    }
    out += std::string("\x00\x00\x01\xB9", 4);
    return out;
}

skins::ArchiveEntry entry(std::string name, std::string_view bytes) {
    return {std::move(name), std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: orvessa_fuzz_seeds FUZZ_DIR\n";
        return 2;
    }
    g_root = argv[1];

    // Tables: the first byte picks six columns (0) or the holiday list's four (1).
    seed("table_text", "week",
         "\0" + gbk("1,7:30:00,早操,D:\\广播\\早操.mp3,7:45:00,200,\r\n"
                    "2,,下课,bell.wav,,,\r\n"
                    "3,12:00:00,新闻,http://intranet/a.htm,12:10:00,,\r\n"
                    "4,,音乐,D:\\music\\,17:00:00,90,\r\n"));
    seed("table_text", "ends", std::string("\0", 1) + "1,a,,,,,\r\n,,,,,,\r\n3,c,,,,,\n\n5,e\r\n");
    seed("table_text", "odd",
         std::string("\0", 1) + gbk("1,8:00:00,早操,一,a.mp3,8:10:00,255,\r\n") +
             "hello\r\n\x81\x7F\xFF,\x80,9:00,\r\r\n");
    seed("table_text", "holidays",
         "\x01" + gbk("1,10-1,10-7,国庆,\r\n2,5-1,,劳动节,\r\n3,,,,\r\n"));

    // orvessa.sys: the delivered defaults' shape, a short file and damaged numbers.
    std::string config;
    const char* entries[27] = {"",  "",  "  :  :  ",    "  :  :  ", "0", "3",    "1",  "0", "0",
                               "0", "0", "D:\\AUDIO\\", "0",        "0", "0",    "0",  "0", "1",
                               "1", "0", "欢迎",        "600",      "0", "1024", "40", "1", "1"};
    for (const char* e : entries) {
        config += gbk(e) + "\r\n";
    }
    seed("system_config", "defaults", config);
    seed("system_config", "short", "secret\r\n\r\n07:30:00\r\n");
    seed("system_config", "damaged", "\x81\x7F\r\n\r\n25:99:99\r\n\r\n99999999999\r\n-1\r\nx\r\n");

    // The console's settings: the defaults, a network address with its own certificate and
    // lines the file keeps, and bad, repeated and half-written values.
    seed("console_settings", "defaults", "enabled=0\naddress=127.0.0.1\nport=8460\n");
    seed("console_settings", "network",
         "# 控制台\nenabled = 1\naddress=0.0.0.0\nport=8443\ncertificate=/etc/own.pem\n"
         "key=own-key.pem\ncolour=blue\n\n");
    seed("console_settings", "damaged",
         "enabled=yes\r\naddress=::1\r\naddress=a b\r\nport=http\r\nport=99999\r\n=x\r\n"
         "certificate=a\ncertificate=b\nport");

    // The console's accounts: users and tokens as the set-up command writes them, and lines
    // that are damaged, repeated or at the counter's end.
    seed("console_users", "accounts",
         "# Orvessa console accounts\ngeneration:7\nuser:demo:operator:7:pw$6465\n"
         "user:王老师:viewer:3:pw$00\ntoken:panel:operator:tk$0a0b\n");
    seed("console_users", "damaged",
         "generation:x\nuser:a:admin:1:h\nuser:a:viewer:1:h\nuser:a:viewer:2:h\n"
         "user:b c:viewer:1:h\nuser:d:viewer:-1:h\ntoken:t:viewer:\ntoken:t:viewer:h:extra\n"
         "token:u:operator:h\ntoken:u:viewer:h\nsomething\n\r\n");
    seed("console_users", "last_generation",
         "generation:18446744073709551615\nuser:old:viewer:18446744073709551615:h\n");

    // Profiles: the subtitle's font, the media profile, a skin's description.
    seed("ini_profile", "fontinfo",
         gbk("[Font]\r\nName=宋体\r\nSize=28\r\nColor=255\r\nBold=1\r\n[Panel]\r\nColor=-"
             "2147483643\r\n"));
    seed("ini_profile", "win", "[mci extensions]\r\ndat=MPEGVideo\r\nmp3 = \"MPEGVideo\"\r\n");
    seed("ini_profile", "skin",
         gbk("; comment\r\n[skin]\r\nname=蓝色\r\n[Form]\r\nBack = 'a.bmp'\r\n"
             "[font\r\n=x\r\n"));

    // Holiday lists: year, month and day bytes, then the list.
    seed("holiday_list", "national",
         std::string("\x24\x0A\x03", 3) + gbk("1,10-1,10-7,国庆,\r\n2,5-1,,劳动节,\r\n"));
    seed("holiday_list", "defaults",
         std::string("\x26\x02\x1D", 3) +
             "1,x-,,a,\r\n2, 4- 5,,b,\r\n3,12-25,1-5,c,\r\n4,2-29,,d,\r\n"
             "5,6-1,6-,e,\r\n6,,,,\r\n7,7-1,,f,\r\n");

    // Tags: a version 1 tag at the end, version 2.3 and 2.4 tags at the start.
    seed("media_tags", "v1", mp3Frames(2) + id3v1(gbk("早操")));
    seed("media_tags", "v23", id3v2(3, '\0', gbk("早操")) + mp3Frames(1));
    seed("media_tags", "v24_utf16", id3v2(4, '\x01', std::string("\xFF\xFE\x69\x65", 4)));
    seed("media_tags", "v24_utf8", id3v2(4, '\x03', "morning"));

    // Framed audio: a split byte, then frames.
    seed("mpeg_frames", "mp3", "\x80" + id3v2(3, '\0', "t") + mp3Frames(8));
    seed("mpeg_frames", "adts", "\x80" + adtsFrames(8));
    seed("mpeg_frames", "ac3", "\x80" + ac3Frames(8));
    seed("mpeg_frames", "program_stream", "\x80" + programStream(3));

    // WAV headers: four bytes of file beyond the given head, then the head.
    backends::WavFormat pcm{1, 2, 44100, 16};
    seed("wav_header", "pcm",
         std::string(4, '\0') + backends::makeWavFile(pcm, std::string(64, '\1')));
    backends::WavFormat mono{1, 1, 8000, 8};
    seed("wav_header", "mono_cut",
         std::string("\0\0\x10\0", 4) + backends::makeWavFile(mono, std::string(9, '\x80')));
    std::string listFirst = backends::makeWavFile(pcm, std::string(8, '\0'));
    listFirst.insert(12, std::string("LIST\x04\0\0\0INFO", 12));
    seed("wav_header", "list_chunk", std::string(4, '\0') + listFirst);

    // LZHUF packages of text, of repeats and of nothing.
    const std::string description = gbk("[skin]\r\nname=蓝色\r\n");
    for (const auto& [name, data] : {std::pair<std::string, std::string>{"text", description},
                                     {"repeats", std::string(3000, 'a') + std::string(500, '\0')},
                                     {"empty", ""}}) {
        const auto packed = skins::lzhuf::encode(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
        if (packed) {
            seed("lzhuf", name, bytesOf(packed.value()));
        }
    }

    // Archives and whole packages of a description and a picture.
    const std::vector<skins::ArchiveEntry> skin = {
        entry("blue.ini", description),
        entry("back.bmp", std::string("BM") + std::string(60, '\7')),
        entry("按钮.bmp", std::string(20, '\3'))};
    if (const auto archive = skins::writeArchive(skin)) {
        seed("skin_archive", "skin", bytesOf(archive.value()));
    }
    if (const auto empty = skins::writeArchive({})) {
        seed("skin_archive", "empty", bytesOf(empty.value()));
    }
    if (const auto package = skins::packSkin(skin)) {
        seed("skin_package", "skin", bytesOf(package.value()));
    }

    // Time texts: where the first text ends, then both texts.
    for (const auto& [name, a, b] :
         {std::tuple<const char*, std::string, std::string>{"times", "7:30:00", "12:00:00"},
          {"short", "7:30", "07: 30"},
          {"bad", "25:00:00", "12:60:00"},
          {"numbers", " -12", "99999999999"},
          {"empty", "", "  :  :  "}}) {
        seed("time_text", name, std::string(1, static_cast<char>(a.size())) + a + b);
    }

    // GBK: Chinese, the euro sign, bytes that are not GBK, and UTF-8 as typed.
    seed("gbk", "chinese", gbk("D:\\广播\\早操.mp3 €"));
    seed("gbk", "invalid", std::string("a\x81\x7F,\x81,\xD4\xE7\xB2\xD9\xD4\xFF\x80", 13));
    seed("gbk", "utf8", "早操 \xED\xB2\x81 \xF0\x9F\x8E\xB5");
    return 0;
}
