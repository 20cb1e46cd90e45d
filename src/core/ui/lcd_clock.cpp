#include "core/ui/lcd_clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace orvessa::ui {

// --- LcdPalette ---

LcdPalette& LcdPalette::operator=(const LcdPalette& other) {
    if (this != &other) {
        beginUpdate();
        setLow(other.m_low);
        setHigh(other.m_high);
        endUpdate();
    }
    return *this;
}

void LcdPalette::setLow(model::Color color) {
    if (m_low != color) {
        m_low = color;
        changed();
    }
}

void LcdPalette::setHigh(model::Color color) {
    if (m_high != color) {
        m_high = color;
        changed();
    }
}

void LcdPalette::endUpdate() {
    if (m_updateCount > 0 && --m_updateCount == 0 && m_pending) {
        m_pending = false;
        OnChange.send();
    }
}

void LcdPalette::changed() {
    if (m_updateCount > 0) {
        m_pending = true;
        return;
    }
    OnChange.send();
}

// --- LcdRect ---

LcdRect LcdRect::united(const LcdRect& other) const {
    if (other.empty()) {
        return *this;
    }
    if (empty()) {
        return other;
    }
    const int left = std::min(x, other.x);
    const int top = std::min(y, other.y);
    const int right = std::max(x + width, other.x + other.width);
    const int bottom = std::max(y + height, other.y + other.height);
    return {left, top, right - left, bottom - top};
}

// --- LcdImageControl ---

LcdImageControl::LcdImageControl(int width, int height) : m_image(width, height) {}

void LcdImageControl::setSize(int width, int height) {
    if (width == Width() && height == Height()) {
        return;
    }
    m_image.resize(width, height, m_color);
    invalidate();
}

void LcdImageControl::setColor(model::Color color) {
    if (m_color != color) {
        m_color = color;
        invalidate();
    }
}

void LcdImageControl::setTransparent(bool on) {
    if (m_transparent != on) {
        m_transparent = on;
        invalidate();
    }
}

void LcdImageControl::endLoad() {
    // What loaded() changes shows in the one repaint that ends loading.
    loaded();
    m_loading = false;
    invalidate();
}

void LcdImageControl::paint() {
    paintImage(m_image);
    m_dirty = {};
}

void LcdImageControl::invalidate() {
    invalidateRect({0, 0, Width(), Height()});
}

void LcdImageControl::invalidateRect(const LcdRect& rect) {
    // Clipped to the image: a glyph of a control narrower than its digits reaches outside it.
    const int left = std::max(rect.x, 0);
    const int top = std::max(rect.y, 0);
    const int right = std::min(rect.x + rect.width, Width());
    const int bottom = std::min(rect.y + rect.height, Height());
    const LcdRect inside{left, top, right - left, bottom - top};
    if (inside.empty()) {
        return;
    }
    m_dirty = m_dirty.united(inside);
    if (!m_loading) {
        repaintRequested.send();
    }
}

void LcdImageControl::sizeTo(int width, int height) {
    if (width == Width() && height == Height()) {
        return;
    }
    m_image.resize(width, height, m_color);
    resized.send(width, height);
}

void LcdImageControl::fillBackground(LcdImage& image) const {
    if (m_transparent && m_parentBackground) {
        m_parentBackground(image);
    } else {
        image.fill(m_color);
    }
}

// --- LcdCustomNumber ---

LcdCustomNumber::LcdCustomNumber() : LcdImageControl(100, 26) {
    reloadGlyphs();
    m_palette.OnChange.connect([this] {
        reloadGlyphs();
        invalidate();
    });
}

void LcdCustomNumber::setStyle(LcdNumStyle style) {
    if (m_style != style) {
        m_style = style;
        reloadGlyphs();
        invalidate();
    }
}

void LcdCustomNumber::setSpacing(int pixels) {
    if (m_spacing != pixels) {
        m_spacing = pixels;
        invalidate();
    }
}

void LcdCustomNumber::setAutoSize(bool on) {
    if (m_autoSize != on) {
        m_autoSize = on;
        invalidate();
    }
}

void LcdCustomNumber::reloadGlyphs() {
    // Only here, on a style or palette change: a paint copies the finished pictures.
    m_original = lcdGlyphs(m_style);
    m_glyphs = m_original;
    const model::Color low = m_palette.Low();
    const model::Color high = m_palette.High();
    recolour(m_glyphs.digits, m_original.digits, low, high);
    recolour(m_glyphs.colon, m_original.colon, low, high);
    recolour(m_glyphs.ampm, m_original.ampm, low, high);
}

// --- LcdClock ---

namespace {

constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;

std::int64_t millisecondsOf(const platform::LocalDateTime& t) {
    using namespace std::chrono;
    const sys_days date{year{t.year} / month{static_cast<unsigned>(t.month)} /
                        day{static_cast<unsigned>(t.day)}};
    const std::int64_t days = date.time_since_epoch().count();
    return (((days * 24 + t.hour) * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

}  // namespace

LcdClock::LcdClock(const platform::Clock& clock, LcdDispatcher dispatcher, LcdErrorHandler onError)
    : m_clock(clock), m_timer(std::move(dispatcher), std::move(onError)) {
    setSize(140, Height());
    m_timer.setEnabled(false);
    m_timer.setHandler([this] { update(); });
}

void LcdClock::setActive(bool on) {
    if (m_type == LcdClockType::ctCustom) {
        on = false;
    }
    if (m_active == on) {
        return;
    }
    m_active = on;
    if (on) {
        m_start = m_clock.now();
        m_blinkShown = true;
    }
    m_timer.setEnabled(on);
}

void LcdClock::setClockType(LcdClockType type) {
    if (m_type == type) {
        return;
    }
    m_type = type;
    if (type == LcdClockType::ctCustom) {
        setActive(false);
    } else {
        m_hours = 0;
        m_minutes = 0;
        m_seconds = 0;
    }
    invalidate();
}

void LcdClock::setHours(std::uint8_t value) {
    if (m_hours != value) {
        m_hours = value;
        invalidate();
        OnHoursChanged.send(value);
    }
}

void LcdClock::setMinutes(std::uint8_t value) {
    if (m_minutes != value) {
        m_minutes = value;
        invalidate();
        OnMinutesChanged.send(value);
    }
}

void LcdClock::setSeconds(std::uint8_t value) {
    if (m_seconds != value) {
        m_seconds = value;
        invalidate();
        OnSecondsChanged.send(value);
    }
}

void LcdClock::setHours24(bool on) {
    if (m_hours24 != on) {
        m_hours24 = on;
        invalidate();
    }
}

void LcdClock::setShowSeconds(bool on) {
    if (m_showSeconds != on) {
        m_showSeconds = on;
        invalidate();
    }
}

void LcdClock::setShowTimeZone(bool on) {
    if (m_showTimeZone != on) {
        m_showTimeZone = on;
        invalidate();
    }
}

void LcdClock::setBlink(bool on) {
    if (m_blink != on) {
        m_blink = on;
        invalidate();
    }
}

void LcdClock::setThreaded(bool on) {
    m_timer.setTimerType(on ? LcdTimerType::ttThread : LcdTimerType::ttSystem);
}

void LcdClock::update() {
    if (m_type == LcdClockType::ctCustom) {
        return;
    }
    const std::uint8_t oldHours = m_hours;
    const std::uint8_t oldMinutes = m_minutes;
    const std::uint8_t oldSeconds = m_seconds;
    const std::vector<LcdGlyphPlacement> before = layout();

    const platform::LocalDateTime now = m_clock.now();
    int hour = now.hour;
    int minute = now.minute;
    int second = now.second;
    std::int64_t elapsedMs = 0;
    if (m_type == LcdClockType::ctElapsed) {
        // Only the time-of-day part of the span counts; a clock set back wraps like a day.
        elapsedMs = (millisecondsOf(now) - millisecondsOf(m_start)) % kDayMs;
        if (elapsedMs < 0) {
            elapsedMs += kDayMs;
        }
        const int totalSeconds = static_cast<int>(elapsedMs / 1000);
        hour = totalSeconds / 3600;
        minute = totalSeconds / 60 % 60;
        second = totalSeconds % 60;
    }

    // The next tick comes just past the next change of the shown second, wherever in its
    // second this one came: a tick that drifted a little later each time would now and then
    // jump a second on the display. A millisecond past it, so a wall clock slewed a little slower
    // than the wait is still in the new second.
    const std::int64_t intoSecond =
        m_type == LcdClockType::ctElapsed ? elapsedMs % 1000 : now.millisecond;
    m_timer.setNextWait(static_cast<int>(1001 - intoSecond));

    m_rawHour = hour;
    const int shown = m_hours24 ? hour : (hour % 12 == 0 ? 12 : hour % 12);
    m_hours = static_cast<std::uint8_t>(shown);
    m_minutes = static_cast<std::uint8_t>(minute);
    m_seconds = static_cast<std::uint8_t>(second);
    m_blinkShown = !m_blinkShown;

    // Only the glyphs that changed are drawn again on the screen: a tick usually changes one
    // digit of eight.
    const std::vector<LcdGlyphPlacement> after = layout();
    if (before.size() != after.size()) {
        invalidate();
    } else {
        LcdRect changed;
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (!(before[i] == after[i])) {
                changed = changed.united(glyphRect(before[i])).united(glyphRect(after[i]));
            }
        }
        invalidateRect(changed);
    }
    if (m_hours != oldHours) {
        OnHoursChanged.send(m_hours);
    }
    if (m_minutes != oldMinutes) {
        OnMinutesChanged.send(m_minutes);
    }
    if (m_seconds != oldSeconds) {
        OnSecondsChanged.send(m_seconds);
    }
}

std::string LcdClock::text() const {
    char buffer[32];
    if (m_showSeconds) {
        std::snprintf(buffer, sizeof buffer, "%.2d:%.2d:%.2d", m_hours, m_minutes, m_seconds);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.2d:%.2d", m_hours, m_minutes);
    }
    return buffer;
}

bool LcdClock::showsMarker() const {
    return m_showTimeZone && m_type == LcdClockType::ctRealTime;
}

int LcdClock::drawnWidth() const {
    const LcdGlyphs& g = glyphs();
    int width = (m_showSeconds ? 6 : 4) * g.cellWidth() +
                g.colon.width() * (m_showSeconds ? 2 : 1) + (m_showSeconds ? 7 : 4) * Spacing();
    if (showsMarker()) {
        width += g.ampm.width() / 2 + Spacing();
    }
    return width;
}

std::vector<LcdGlyphPlacement> LcdClock::layout() const {
    using Kind = LcdGlyphPlacement::Kind;
    const LcdGlyphs& g = glyphs();
    const int drawn = drawnWidth();
    const int width = AutoSize() ? drawn : Width();
    const int height = AutoSize() ? g.cellHeight() : Height();
    // Integer division halves toward zero, also for a control narrower than the digits.
    int x = (width - drawn) / 2;
    const int y = (height - g.cellHeight()) / 2;
    const bool colonsShown = m_type == LcdClockType::ctCustom || !m_blink || m_blinkShown;

    std::vector<LcdGlyphPlacement> placements;
    for (char c : text()) {
        if (c == ':') {
            placements.push_back({Kind::Colon, x, y, 0, colonsShown});
            x += g.colon.width() + Spacing();
        } else {
            placements.push_back({Kind::Digit, x, y, c - '0', true});
            x += g.cellWidth() + Spacing();
        }
    }
    if (showsMarker()) {
        placements.push_back({Kind::Marker, x, y, m_rawHour < 12 ? kLcdAmCell : kLcdPmCell, true});
    }
    return placements;
}

LcdRect LcdClock::glyphRect(const LcdGlyphPlacement& p) const {
    const LcdGlyphs& g = glyphs();
    switch (p.kind) {
        case LcdGlyphPlacement::Kind::Digit:
            return {p.x, p.y, g.cellWidth(), g.cellHeight()};
        case LcdGlyphPlacement::Kind::Colon:
            return {p.x, p.y, g.colon.width(), g.colon.height()};
        case LcdGlyphPlacement::Kind::Marker:
            return {p.x, p.y, g.ampmCellWidth(), g.cellHeight()};
    }
    return {};
}

void LcdClock::loaded() {
    // The time shows before the first tick.
    if (m_type == LcdClockType::ctRealTime) {
        update();
    }
}

void LcdClock::paintImage(LcdImage& image) {
    const LcdGlyphs& g = glyphs();
    if (AutoSize()) {
        sizeTo(drawnWidth(), g.cellHeight());
    }
    fillBackground(image);
    const int cellWidth = g.cellWidth();
    const int cellHeight = g.cellHeight();
    const int markerWidth = g.ampmCellWidth();
    for (const LcdGlyphPlacement& p : layout()) {
        switch (p.kind) {
            case LcdGlyphPlacement::Kind::Digit:
                drawTransparent(image, p.x, p.y, g.digits, p.cell * cellWidth, 0, cellWidth,
                                cellHeight);
                break;
            case LcdGlyphPlacement::Kind::Colon:
                if (p.visible) {
                    drawTransparent(image, p.x, p.y, g.colon, 0, 0, g.colon.width(),
                                    g.colon.height());
                }
                break;
            case LcdGlyphPlacement::Kind::Marker:
                drawTransparent(image, p.x, p.y, g.ampm, p.cell * markerWidth, 0, markerWidth,
                                cellHeight);
                break;
        }
    }
}

}  // namespace orvessa::ui
