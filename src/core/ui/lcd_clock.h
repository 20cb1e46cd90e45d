#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/model/control.h"
#include "core/model/signal.h"
#include "core/platform/clock.h"
#include "core/ui/lcd_glyphs.h"
#include "core/ui/lcd_timer.h"

namespace orvessa::ui {

// The unlit (`Low`) and lit (`High`) colours of the glyphs. Changes between beginUpdate() and
// endUpdate() notify once, at the end.
class LcdPalette {
public:
    LcdPalette() = default;
    LcdPalette(model::Color low, model::Color high) : m_low(low), m_high(high) {}
    // Copies the colours only; observers stay with their palette.
    LcdPalette(const LcdPalette& other) : m_low(other.m_low), m_high(other.m_high) {}
    LcdPalette& operator=(const LcdPalette& other);

    model::Color Low() const { return m_low; }
    void setLow(model::Color color);
    model::Color High() const { return m_high; }
    void setHigh(model::Color color);

    void beginUpdate() { ++m_updateCount; }
    void endUpdate();

    model::Signal<> OnChange;

private:
    void changed();

    model::Color m_low = model::rgb(0x00, 0x80, 0x00);
    model::Color m_high = model::rgb(0x00, 0xFF, 0x00);
    int m_updateCount = 0;
    bool m_pending = false;
};

// A rectangle of a control's image, in pixels.
struct LcdRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool empty() const { return width <= 0 || height <= 0; }
    // The smallest rectangle holding both; an empty one adds nothing.
    LcdRect united(const LcdRect& other) const;
    bool operator==(const LcdRect&) const = default;
};

// A self-drawn control: everything is drawn into an off-screen image the size of the control,
// which the view copies to the screen in one step.
class LcdImageControl {
public:
    LcdImageControl(int width, int height);
    virtual ~LcdImageControl() = default;
    LcdImageControl(const LcdImageControl&) = delete;
    LcdImageControl& operator=(const LcdImageControl&) = delete;

    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    // The view reports the control's size here; the image follows it.
    void setSize(int width, int height);

    model::Color Color() const { return m_color; }
    void setColor(model::Color color);
    // When on, the parent's pixels under the control are the background instead of `Color`.
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool on);
    // Gives the parent's pixels under the control, for a transparent control.
    void setParentBackground(std::function<void(LcdImage&)> source) {
        m_parentBackground = std::move(source);
    }

    // Property changes repaint only once loading ended; then loaded() runs.
    void beginLoad() { m_loading = true; }
    void endLoad();
    bool loading() const { return m_loading; }

    // Draws the whole control into the off-screen image; it is then up to date.
    void paint();
    const LcdImage& image() const { return m_image; }
    // The part of the image out of date since the last paint: the whole of it after anything
    // but the glyphs shown changed, and only the glyphs that changed after a tick. Only that
    // part needs copying to the screen again.
    LcdRect dirtyRect() const { return m_dirty; }

    // The image is out of date, at least in dirtyRect(): the view should paint again.
    model::Signal<> repaintRequested;
    // The control sized itself; the view should take the new size.
    model::Signal<int, int> resized;

protected:
    // Asks for a repaint of the whole image, unless still loading.
    void invalidate();
    // Asks for a repaint of part of the image.
    void invalidateRect(const LcdRect& rect);
    virtual void loaded() {}
    virtual void paintImage(LcdImage& image) = 0;
    // Resizes from inside paintImage() without asking for another paint.
    void sizeTo(int width, int height);
    // `Color`, or the parent's pixels when transparent.
    void fillBackground(LcdImage& image) const;

private:
    LcdImage m_image;
    LcdRect m_dirty;
    model::Color m_color = model::kBlack;
    bool m_transparent = false;
    bool m_loading = false;
    std::function<void(LcdImage&)> m_parentBackground;
};

// Digit glyphs of a style, recoloured through a palette.
class LcdCustomNumber : public LcdImageControl {
public:
    LcdCustomNumber();

    LcdNumStyle Style() const { return m_style; }
    void setStyle(LcdNumStyle style);
    int Spacing() const { return m_spacing; }
    void setSpacing(int pixels);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    LcdPalette& Palette() { return m_palette; }
    const LcdPalette& Palette() const { return m_palette; }
    void setPalette(const LcdPalette& palette) { m_palette = palette; }

    // The pictures as drawn, and recoloured.
    const LcdGlyphs& originalGlyphs() const { return m_original; }
    const LcdGlyphs& glyphs() const { return m_glyphs; }

private:
    void reloadGlyphs();

    LcdNumStyle m_style = LcdNumStyle::ns13x24;
    int m_spacing = 2;
    bool m_autoSize = false;
    LcdPalette m_palette;
    LcdGlyphs m_original;
    LcdGlyphs m_glyphs;
};

enum class LcdClockType { ctRealTime, ctElapsed, ctCustom };

// One picture of the clock as placed by the paint.
struct LcdGlyphPlacement {
    enum class Kind { Digit, Colon, Marker };
    Kind kind;
    int x;
    int y;
    int cell;      // digit strip or AM/PM strip cell; 0 for a colon
    bool visible;  // a colon hidden by the blink still takes its place

    bool operator==(const LcdGlyphPlacement&) const = default;
};

// The time of day, the time since activation, or hours, minutes and seconds set by the owner,
// in LCD digits.
class LcdClock : public LcdCustomNumber {
public:
    explicit LcdClock(const platform::Clock& clock, LcdDispatcher dispatcher = {},
                      LcdErrorHandler onError = {});

    bool Active() const { return m_active; }
    void setActive(bool on);
    LcdClockType ClockType() const { return m_type; }
    void setClockType(LcdClockType type);
    std::uint8_t Hours() const { return m_hours; }
    void setHours(std::uint8_t value);
    std::uint8_t Minutes() const { return m_minutes; }
    void setMinutes(std::uint8_t value);
    std::uint8_t Seconds() const { return m_seconds; }
    void setSeconds(std::uint8_t value);
    bool Hours24() const { return m_hours24; }
    void setHours24(bool on);
    bool ShowSeconds() const { return m_showSeconds; }
    void setShowSeconds(bool on);
    bool ShowTimeZone() const { return m_showTimeZone; }
    void setShowTimeZone(bool on);
    bool Blink() const { return m_blink; }
    void setBlink(bool on);
    bool Threaded() const { return m_timer.TimerType() == LcdTimerType::ttThread; }
    void setThreaded(bool on);

    LcdTimer& timer() { return m_timer; }

    // The timer's tick: reads the time, repaints when the display changes, then notifies.
    void update();

    // The text the digits show, e.g. "13:05:09".
    std::string text() const;
    int drawnWidth() const;
    // Where the paint puts each glyph at the current size and state.
    std::vector<LcdGlyphPlacement> layout() const;

    model::Signal<std::uint8_t> OnHoursChanged;
    model::Signal<std::uint8_t> OnMinutesChanged;
    model::Signal<std::uint8_t> OnSecondsChanged;

protected:
    void loaded() override;
    void paintImage(LcdImage& image) override;

private:
    bool showsMarker() const;
    // Where a placed glyph's picture lies in the image.
    LcdRect glyphRect(const LcdGlyphPlacement& placement) const;

    const platform::Clock& m_clock;
    bool m_active = false;
    LcdClockType m_type = LcdClockType::ctRealTime;
    std::uint8_t m_hours = 0;
    std::uint8_t m_minutes = 0;
    std::uint8_t m_seconds = 0;
    bool m_hours24 = true;
    bool m_showSeconds = false;
    bool m_showTimeZone = false;
    bool m_blink = false;
    int m_rawHour = 0;
    bool m_blinkShown = true;
    platform::LocalDateTime m_start;
    // Last, so it stops before anything its tick uses goes away.
    LcdTimer m_timer;
};

}  // namespace orvessa::ui
