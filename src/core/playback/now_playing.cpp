#include "core/playback/now_playing.h"

#include <algorithm>
#include <limits>

#include "core/playback/media_tags.h"
#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"

namespace orvessa::playback {
namespace {

constexpr std::size_t kTitleCharacters = 28;

// A page or a program has no length of its own: the lines show it as 10 of 100.
constexpr int kOpaquePosition = 10;
constexpr int kOpaqueLength = 100;

bool fitsInt(std::int64_t v) {
    return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

std::string twoDigits(int v) {
    return (v < 10 ? "0" : "") + text::decimalText(v);
}

}  // namespace

NowPlaying::NowPlaying(BroadcastSession& session, Lines lines, const platform::MediaDevice& device)
    : m_state(session.playback),
      m_clock(session.clock),
      m_clockWarning(session.clockWarning),
      m_lines(lines),
      m_device(device) {}

void NowPlaying::prepare() {
    m_lastReading.reset();
    const std::string& path = m_state.currentPath;
    std::optional<MediaTags> tags;
    if (text::upperAscii(text::extensionOf(path)) == ".MP3") {
        tags = readMediaTags(text::fsPath(text::toNativePath(path)));
    }
    if (tags) {
        title = tags->title;
        detailLine = "歌星：" + tags->artist + "   专辑：" + tags->album;
    } else {
        title = path;
        detailLine.clear();
    }
    if (text::characterCount(title) > kTitleCharacters) {
        const std::string name = text::fileNameOf(path);
        const int keep =
            static_cast<int>(kTitleCharacters) - static_cast<int>(text::gbkByteLength(name));
        const std::string prefix =
            keep > 0 ? text::firstCharacters(title, static_cast<std::size_t>(keep)) : "";
        title = prefix + "...\\" + name;
    }
}

std::int64_t NowPlaying::positionAt(bool byClock, std::int64_t lateMillis,
                                    std::int64_t secondMillis) {
    const std::int64_t now = m_device.position();
    if (!byClock) {
        return now;
    }
    const std::int64_t length = m_device.length();
    std::int64_t at = now;
    if (lateMillis > 0) {
        if (now < length) {
            at = std::max<std::int64_t>(0, now - lateMillis);
        } else if (m_lastReading) {
            // Ended while the thread stood still: when, the last reading tells.
            at = std::min(length, m_lastReading->first + (secondMillis - m_lastReading->second));
        }
    }
    if (at < length) {
        m_lastReading = {at, secondMillis};
    }
    return at;
}

bool NowPlaying::update(bool byClock, std::int64_t lateMillis, std::int64_t secondMillis) {
    const ItemKind kind = m_state.itemKind;
    const bool opaque = kind == ItemKind::WebPage || kind == ItemKind::ShellOpened;
    int p = kOpaquePosition;
    int length = kOpaqueLength;
    if (!opaque) {
        if (kind == ItemKind::Media) {
            m_state.positionMs = positionAt(byClock, lateMillis, secondMillis);
        }
        const std::optional<std::int64_t>& position = m_state.positionMs;
        const std::optional<std::int64_t>& total = m_state.lengthMs;
        if (!position || !total || !fitsInt(*position) || !fitsInt(*total)) {
            return false;
        }
        p = static_cast<int>(*position);
        length = static_cast<int>(*total);
    }
    if (length == 0) {
        return false;
    }
    percentDone = static_cast<int>(static_cast<double>(p) / length * 100.0);
    percentText = opaque ? "未知" : text::decimalText(percentDone);

    int& ticks = m_clock.displayTicks;
    if (ticks < 5) {
        lengthText = "00:00:00";
        basePosition = p;
        firstTickBias = 2;
        ++ticks;
        if (byClock) {
            m_lines.statusLine.setText("正在播放：" + title + " 长度：        完成：");
        }
    } else {
        if (p > basePosition + 4) {
            const int rate = (p + firstTickBias - basePosition) / (ticks - 4);
            if (rate == 0) {
                return false;
            }
            durationSeconds = length / rate;
        }
        ++ticks;
        firstTickBias = 0;
        lengthText = text::decimalText((durationSeconds % 3600) / 60) + ":" +
                     twoDigits(durationSeconds % 60);
        m_lines.statusLine.setText("正在播放：" + title + " 长度：" + lengthText + " 完成：" +
                                   percentText + "％");
        if (m_clockWarning.empty()) {
            m_lines.hintLine.setColor(model::kGreen);
            m_lines.hintLine.setText(detailLine);
        }
    }
    // A clock that may be wrong is said while an item plays too, in red, in place of the
    // detail: the item keeps the first line.
    if (!m_clockWarning.empty()) {
        m_lines.hintLine.setColor(model::kRed);
        m_lines.hintLine.setText(m_clockWarning);
    }
    if (kind == ItemKind::WebPage) {
        m_lines.statusLine.setText(
            "正在浏览：" + store::ScheduleRow::read(m_lines.table, m_state.currentRow).file);
    }
    return true;
}

}  // namespace orvessa::playback
