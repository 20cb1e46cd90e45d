#include "backends/gstreamer/stream_length.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <string>

#include "backends/gstreamer/mp3_length.h"

namespace orvessa::backends {
namespace {

// Raw audio larger than this is left to the framework's estimate rather than walked at an open,
// which would hold the clock while it reads.
constexpr std::uintmax_t kMaxScannedBytes = 256u * 1024 * 1024;
// A program stream is read at both ends only. Every stream must carry a time stamp at least
// every 0.7 s, so the tail holds the last ones even at DVD rates.
constexpr std::size_t kProgramStreamHead = 512u * 1024;
constexpr std::size_t kProgramStreamTail = 2u * 1024 * 1024;
constexpr double kPtsPerSecond = 90000.0;

struct Frame {
    std::size_t bytes = 0;
    int samples = 0;
    int rate = 0;
};

unsigned byteAt(std::string_view b, std::size_t pos) {
    return static_cast<unsigned char>(b[pos]);
}

std::optional<Frame> adtsFrameAt(std::string_view b, std::size_t pos) {
    constexpr int kRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                              22050, 16000, 12000, 11025, 8000,  7350};
    if (pos + 7 > b.size() || byteAt(b, pos) != 0xFF || (byteAt(b, pos + 1) & 0xF6) != 0xF0) {
        return std::nullopt;  // no sync word, or a layer other than 0
    }
    const unsigned rateIndex = (byteAt(b, pos + 2) >> 2) & 0xF;
    const std::size_t header = (byteAt(b, pos + 1) & 1) != 0 ? 7 : 9;  // 9 with a CRC
    const std::size_t bytes =
        ((byteAt(b, pos + 3) & 3) << 11) | (byteAt(b, pos + 4) << 3) | (byteAt(b, pos + 5) >> 5);
    if (rateIndex >= std::size(kRates) || bytes <= header) {
        return std::nullopt;
    }
    const int blocks = static_cast<int>(byteAt(b, pos + 6) & 3) + 1;
    return Frame{bytes, 1024 * blocks, kRates[rateIndex]};
}

std::optional<Frame> ac3FrameAt(std::string_view b, std::size_t pos) {
    constexpr int kRates[] = {48000, 44100, 32000};
    constexpr int kKbps[] = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                             192, 224, 256, 320, 384, 448, 512, 576, 640};
    if (pos + 6 > b.size() || byteAt(b, pos) != 0x0B || byteAt(b, pos + 1) != 0x77) {
        return std::nullopt;
    }
    const unsigned rateCode = byteAt(b, pos + 4) >> 6;
    const unsigned sizeCode = byteAt(b, pos + 4) & 0x3F;
    const unsigned bsid = byteAt(b, pos + 5) >> 3;
    // Higher stream identifications are E-AC-3, whose frames are sized differently.
    if (rateCode == 3 || sizeCode / 2 >= std::size(kKbps) || bsid > 8) {
        return std::nullopt;
    }
    const int rate = kRates[rateCode];
    // 16-bit words per frame of 1536 samples; at 44.1 kHz an odd code adds the padding word.
    std::size_t words = static_cast<std::size_t>(kKbps[sizeCode / 2]) * 96000 / rate;
    if (rateCode == 1) {
        words += sizeCode & 1;
    }
    return Frame{2 * words, 1536, rate};
}

// Seconds of sound in the run of frames the parser finds after any ID3v2 tag, for bytes that
// arrive in pieces: a file is read a piece at a time, never whole. A frame counts when it
// continues a run, or when the next one follows it: a stray sync pattern in other bytes rarely
// does.
template <typename FrameAt>
class FrameWalk {
public:
    // With `skipEncoderInfo`, a first frame that carries an encoder's "Xing" or "Info" header
    // holds no sound: decoders skip it.
    FrameWalk(FrameAt frameAt, bool skipEncoderInfo)
        : m_frameAt(frameAt), m_skipEncoderInfo(skipEncoderInfo) {}

    void feed(std::string_view piece) {
        m_bytes.append(piece);
        walk(false);
    }

    std::optional<int64_t> finish() {
        walk(true);
        if (m_frames < 2) {
            return std::nullopt;
        }
        return static_cast<int64_t>(std::llround(m_seconds * 1000.0));
    }

private:
    // Enough for the largest frame of any of the framings (8 KiB of ADTS) and the next header.
    static constexpr std::size_t kLookahead = 16 * 1024;

    void walk(bool atEnd) {
        if (!m_tagChecked) {
            if (!atEnd && m_bytes.size() < 10) {
                return;
            }
            m_tagChecked = true;
            m_tagLeft = id3v2Size(m_bytes);
        }
        const std::size_t skipped =
            static_cast<std::size_t>(std::min<std::uintmax_t>(m_tagLeft, m_bytes.size()));
        m_tagLeft -= skipped;
        std::size_t pos = skipped;
        const std::string_view bytes = m_bytes;
        while (pos < bytes.size() && (atEnd || bytes.size() - pos >= kLookahead)) {
            const auto frame = m_frameAt(bytes, pos);
            if (frame && frame->bytes >= 4 && pos + frame->bytes <= bytes.size() &&
                (m_inRun || m_frameAt(bytes, pos + frame->bytes))) {
                m_inRun = true;
                const std::string_view body = bytes.substr(pos, frame->bytes);
                const bool info = m_skipEncoderInfo && m_first &&
                                  (body.find("Xing") != std::string_view::npos ||
                                   body.find("Info") != std::string_view::npos);
                m_first = false;
                if (!info) {
                    m_seconds += static_cast<double>(frame->samples) / frame->rate;
                    ++m_frames;
                }
                pos += frame->bytes;
            } else {
                m_inRun = false;
                ++pos;
            }
        }
        m_bytes.erase(0, std::min(pos, m_bytes.size()));
    }

    FrameAt m_frameAt;
    bool m_skipEncoderInfo;
    std::string m_bytes;  // not yet walked
    bool m_tagChecked = false;
    std::uintmax_t m_tagLeft = 0;
    bool m_first = true;
    bool m_inRun = false;
    double m_seconds = 0;
    int m_frames = 0;
};

template <typename FrameAt>
std::optional<int64_t> walkFrames(std::string_view bytes, FrameAt frameAt, bool skipEncoderInfo) {
    FrameWalk walk(frameAt, skipEncoderInfo);
    walk.feed(bytes);
    return walk.finish();
}

// The same through a file, a piece at a time.
template <typename FrameAt>
std::optional<int64_t> walkFileFrames(std::ifstream& in, FrameAt frameAt, bool skipEncoderInfo) {
    constexpr std::size_t kPiece = 1024 * 1024;
    FrameWalk walk(frameAt, skipEncoderInfo);
    std::string piece(kPiece, '\0');
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
        walk.feed(std::string_view(piece).substr(0, static_cast<std::size_t>(in.gcount())));
        if (!in) {
            break;
        }
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return walk.finish();
}

// One pack header, system header or packet of a program stream.
struct Packet {
    unsigned id = 0;
    std::size_t bytes = 0;
    std::optional<uint64_t> pts;
    std::string_view payload;  // cut short where the bytes at hand end
};

uint64_t ptsAt(std::string_view b, std::size_t pos) {
    return (static_cast<uint64_t>((byteAt(b, pos) >> 1) & 7) << 30) |
           (static_cast<uint64_t>(byteAt(b, pos + 1)) << 22) |
           (static_cast<uint64_t>(byteAt(b, pos + 2) >> 1) << 15) |
           (static_cast<uint64_t>(byteAt(b, pos + 3)) << 7) | (byteAt(b, pos + 4) >> 1);
}

bool isAudio(unsigned id) {
    return id >= 0xC0 && id <= 0xDF;
}
bool isVideo(unsigned id) {
    return id >= 0xE0 && id <= 0xEF;
}

// Where the payload of the elementary stream packet at `pos` starts, and its time stamp; the
// header is in MPEG-2 form or MPEG-1 form. Nothing when the header is not valid.
std::optional<std::size_t> readPesHeader(std::string_view b, std::size_t pos,
                                         std::optional<uint64_t>& pts) {
    std::size_t at = pos + 6;
    if (at >= b.size()) {
        return std::nullopt;
    }
    if ((byteAt(b, at) >> 6) == 2) {
        if (at + 3 > b.size()) {
            return std::nullopt;
        }
        const std::size_t payload = at + 3 + byteAt(b, at + 2);
        if ((byteAt(b, at + 1) & 0x80) != 0) {
            if (at + 8 > b.size()) {
                return std::nullopt;
            }
            pts = ptsAt(b, at + 3);
        }
        return payload;
    }
    for (int stuffing = 0; at < b.size() && byteAt(b, at) == 0xFF; ++stuffing, ++at) {
        if (stuffing == 16) {
            return std::nullopt;
        }
    }
    if (at < b.size() && (byteAt(b, at) >> 6) == 1) {
        at += 2;  // the decoder buffer size
    }
    if (at >= b.size()) {
        return std::nullopt;
    }
    const unsigned flags = byteAt(b, at) >> 4;
    if (flags == 2 || flags == 3) {
        if (at + 5 > b.size()) {
            return std::nullopt;
        }
        pts = ptsAt(b, at);
        return at + (flags == 2 ? 5 : 10);
    }
    if (byteAt(b, at) == 0x0F) {
        return at + 1;
    }
    return std::nullopt;
}

std::optional<Packet> packetAt(std::string_view b, std::size_t pos) {
    if (pos + 4 > b.size() || byteAt(b, pos) != 0 || byteAt(b, pos + 1) != 0 ||
        byteAt(b, pos + 2) != 1 || byteAt(b, pos + 3) < 0xB9) {
        return std::nullopt;
    }
    Packet packet;
    packet.id = byteAt(b, pos + 3);
    if (packet.id == 0xB9) {  // end code
        packet.bytes = 4;
        return packet;
    }
    if (pos + 6 > b.size()) {
        return std::nullopt;
    }
    if (packet.id == 0xBA) {  // pack header
        if ((byteAt(b, pos + 4) >> 6) == 1) {
            if (pos + 14 > b.size()) {
                return std::nullopt;
            }
            packet.bytes = 14 + (byteAt(b, pos + 13) & 7);
        } else if ((byteAt(b, pos + 4) >> 4) == 2) {
            packet.bytes = 12;
        } else {
            return std::nullopt;
        }
        return packet;
    }
    const std::size_t length = (byteAt(b, pos + 4) << 8) | byteAt(b, pos + 5);
    if (length == 0) {
        return std::nullopt;
    }
    packet.bytes = 6 + length;
    if (packet.id == 0xBD || isAudio(packet.id) || isVideo(packet.id)) {
        const auto payload = readPesHeader(b, pos, packet.pts);
        if (!payload || *payload > pos + packet.bytes) {
            return std::nullopt;
        }
        if (*payload < b.size()) {
            packet.payload = b.substr(*payload, std::min(pos + packet.bytes, b.size()) - *payload);
        }
    }
    return packet;
}

// Calls `visit` with every packet of the bytes, found as the frame walks find frames: in a run,
// or when the next packet follows. The bytes may start and end in the middle of a packet.
template <typename Visit>
void walkPackets(std::string_view b, Visit visit) {
    std::size_t pos = 0;
    bool inRun = false;
    while (pos + 4 <= b.size()) {
        const std::optional<Packet> packet = packetAt(b, pos);
        if (packet && (inRun || (pos + packet->bytes < b.size() &&
                                 packetAt(b, pos + packet->bytes).has_value()))) {
            inRun = true;
            visit(*packet);
            pos += packet->bytes;
        } else {
            inRun = false;
            ++pos;
        }
    }
}

// The frame period in 90 kHz ticks from an MPEG video sequence header in the bytes, 0 without.
double videoFramePeriod(std::string_view payload) {
    constexpr double kPeriods[] = {0, 3753.75, 3750, 3600, 3003, 3000, 1800, 1501.5, 1500};
    const std::size_t at = payload.find(std::string_view("\0\0\1\xB3", 4));
    if (at == std::string_view::npos || at + 8 > payload.size()) {
        return 0;
    }
    const unsigned code = byteAt(payload, at + 7) & 0xF;
    return code < std::size(kPeriods) ? kPeriods[code] : 0;
}

// 90 kHz ticks of the MPEG audio frames from the first that starts in the bytes to their end.
double mpegAudioTicks(std::string_view bytes) {
    // The bytes may start with the rest of a frame begun earlier; the first frame is the one
    // that the next follows, or that ends exactly where the stream ends.
    const auto fits = [&](std::size_t pos, const std::optional<MpegAudioFrame>& frame) {
        return frame && frame->bytes >= 4 && pos + frame->bytes <= bytes.size();
    };
    for (std::size_t pos = 0; pos < bytes.size(); ++pos) {
        auto frame = mpegAudioFrameAt(bytes, pos);
        if (!fits(pos, frame) ||
            (pos + frame->bytes < bytes.size() &&
             !fits(pos + frame->bytes, mpegAudioFrameAt(bytes, pos + frame->bytes)))) {
            continue;
        }
        double ticks = 0;
        while (fits(pos, frame)) {
            ticks += frame->samples * kPtsPerSecond / frame->rate;
            pos += frame->bytes;
            frame = mpegAudioFrameAt(bytes, pos);
        }
        return ticks;
    }
    return 0;
}

struct StreamTimes {
    std::optional<uint64_t> last;
    double framePeriod = 0;
    // Audio: the payload from the last packet with a time stamp to the end, whose frames all
    // still play after that time.
    std::string lastPayload;
};

std::optional<std::string> readRange(std::ifstream& in, std::uintmax_t offset, std::size_t size) {
    std::string bytes(size, '\0');
    if (!in.seekg(static_cast<std::streamoff>(offset)) ||
        !in.read(bytes.data(), static_cast<std::streamsize>(size))) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<int64_t> mpegAudioLength(std::string_view bytes) {
    return walkFrames(bytes, mpegAudioFrameAt, true);
}

std::optional<int64_t> adtsLength(std::string_view bytes) {
    return walkFrames(bytes, adtsFrameAt, false);
}

std::optional<int64_t> ac3Length(std::string_view bytes) {
    return walkFrames(bytes, ac3FrameAt, false);
}

std::optional<int64_t> programStreamLength(std::string_view head, std::string_view tail) {
    std::optional<uint64_t> start;
    std::map<unsigned, StreamTimes> streams;
    walkPackets(head, [&](const Packet& packet) {
        if (packet.pts) {
            start = std::min(start.value_or(*packet.pts), *packet.pts);
        }
        if (isVideo(packet.id) && streams[packet.id].framePeriod == 0) {
            streams[packet.id].framePeriod = videoFramePeriod(packet.payload);
        }
    });
    walkPackets(tail, [&](const Packet& packet) {
        StreamTimes& stream = streams[packet.id];
        if (isVideo(packet.id) && stream.framePeriod == 0) {
            stream.framePeriod = videoFramePeriod(packet.payload);
        }
        if (packet.pts) {
            // Pictures come in decoding order: the last to show has the largest time stamp.
            stream.last = std::max(stream.last.value_or(*packet.pts), *packet.pts);
            stream.lastPayload.clear();
        }
        if (isAudio(packet.id) && stream.last) {
            stream.lastPayload.append(packet.payload);
        }
    });
    std::optional<double> end;
    for (const auto& [id, stream] : streams) {
        if (!stream.last) {
            continue;
        }
        double streamEnd = static_cast<double>(*stream.last);
        if (isVideo(id)) {
            streamEnd += stream.framePeriod;
        } else if (isAudio(id)) {
            streamEnd += mpegAudioTicks(stream.lastPayload);
        }
        end = std::max(end.value_or(streamEnd), streamEnd);
    }
    if (!start || !end || *end <= static_cast<double>(*start)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(
        std::llround((*end - static_cast<double>(*start)) * 1000.0 / kPtsPerSecond));
}

std::optional<int64_t> mpegAudioFileLength(const std::filesystem::path& file) {
    return framedFileLength(file, Framing::MpegAudio);
}

std::optional<int64_t> framedFileLength(const std::filesystem::path& file, Framing framing) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (framing == Framing::ProgramStream) {
        const auto head = readRange(
            in, 0, static_cast<std::size_t>(std::min<std::uintmax_t>(size, kProgramStreamHead)));
        const std::size_t tailSize =
            static_cast<std::size_t>(std::min<std::uintmax_t>(size, kProgramStreamTail));
        const auto tail = readRange(in, size - tailSize, tailSize);
        if (!head || !tail) {
            return std::nullopt;
        }
        return programStreamLength(*head, *tail);
    }
    if (size > kMaxScannedBytes) {
        return std::nullopt;
    }
    switch (framing) {
        case Framing::MpegAudio:
            return walkFileFrames(in, mpegAudioFrameAt, true);
        case Framing::Adts:
            return walkFileFrames(in, adtsFrameAt, false);
        case Framing::Ac3:
            return walkFileFrames(in, ac3FrameAt, false);
        case Framing::ProgramStream:
            break;
    }
    return std::nullopt;
}

}  // namespace orvessa::backends
