#pragma once

#include <qdrawutil.h>

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPalette>
#include <QString>
#include <QWidget>

#include "core/platform/style_dialogs.h"
#include "core/tools/subtitle_style.h"
#include "gui/fonts.h"
#include "gui/qt_text.h"

// Inline, so that the video window's view draws its strip without the rest of the tools.
namespace orvessa::gui {

// A colour of the core for the toolkit: RGB with red in the low byte, or a system colour by
// index, taken from the palette role that plays its part.
inline QColor qtColor(model::Color color, const QPalette& palette = QApplication::palette()) {
    if (!platform::isSystemColor(color)) {
        return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                      static_cast<int>((color >> 16) & 0xFF));
    }
    switch (color & 0xFF) {
        case 5:
            return palette.color(QPalette::Base);
        case 13:
            return palette.color(QPalette::Highlight);
        case 14:
            return palette.color(QPalette::HighlightedText);
        case 15:
        case 4:
            return palette.color(QPalette::Button);
        case 16:
            return palette.color(QPalette::Dark);
        case 17:
            return palette.color(QPalette::PlaceholderText);
        case 18:
            return palette.color(QPalette::ButtonText);
        case 20:
            return palette.color(QPalette::Light);
        case 21:
        case 6:
            return palette.color(QPalette::Shadow);
        case 22:
            return palette.color(QPalette::Midlight);
        case 23:
            return palette.color(QPalette::ToolTipText);
        case 24:
            return palette.color(QPalette::ToolTipBase);
        default:
            return palette.color(QPalette::WindowText);
    }
}

// A colour the toolkit chose, as the system stores it.
inline model::Color coreColor(const QColor& color) {
    return model::rgb(color.red(), color.green(), color.blue());
}

// Points as the system's screens count them, 96 pixels to the inch: 8 points are 11 pixels.
inline int pointsToPixels(int points) {
    return points > 0 ? (points * 96 + 36) / 72 : 11;
}

// The subtitle font. A face that is not installed, such as the default "MS Sans Serif", or one
// without Chinese glyphs becomes a Chinese font, so GBK text always renders.
inline QFont subtitleFont(const platform::FontDescription& font) {
    QFont f = systemFont(toQt(font.face), pointsToPixels(font.size));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeout);
    return f;
}

// A subtitle strip: its background, a one-pixel raised bevel and one centred line of text,
// clipped to the strip.
class SubtitleStripWidget : public QWidget {
public:
    explicit SubtitleStripWidget(QWidget* parent = nullptr) : QWidget(parent) {}

    const QString& text() const { return m_text; }
    void setText(const QString& text) {
        m_text = text;
        update();
    }
    void setLook(const platform::FontDescription& font, model::Color background) {
        setFont(subtitleFont(font));
        m_background = qtColor(background, palette());
        m_textColor = qtColor(tools::readableTextColor(coreColor(qtColor(font.color, palette())),
                                                       coreColor(m_background)));
        update();
    }
    QColor background() const { return m_background; }
    QColor textColor() const { return m_textColor; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), m_background);
        // The bevel of the desktop's classic grey, whatever the skin: the strip is the audience's.
        qDrawShadePanel(&painter, rect(), QPalette(QColor(192, 192, 192)), false, 1);
        painter.setClipRect(rect());
        painter.setFont(font());
        painter.setPen(m_textColor);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_text);
    }

private:
    QString m_text;
    QColor m_textColor = Qt::black;
    QColor m_background = Qt::black;
};

}  // namespace orvessa::gui
