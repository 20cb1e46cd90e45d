#include "gui/static_text_label.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace orvessa::gui {
namespace {

// The hints and a few lines more; a label whose text changes every second (the now-playing
// line) starts afresh now and then.
constexpr qsizetype kKept = 32;

}  // namespace

StaticTextLabel::StaticTextLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

const QStaticText& StaticTextLabel::laidOut(const QString& text) {
    if (const auto it = m_laidOut.constFind(text); it != m_laidOut.constEnd()) {
        return *it;
    }
    if (m_laidOut.size() >= kKept) {
        m_laidOut.clear();
    }
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.setPerformanceHint(QStaticText::AggressiveCaching);
    laid.prepare(QTransform(), font());
    return *m_laidOut.insert(text, laid);
}

void StaticTextLabel::paintEvent(QPaintEvent* event) {
    const QString shown = text();
    if (shown.contains(u'\n') || wordWrap() || !pixmap().isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    if (shown.isEmpty()) {
        return;
    }
    const QStaticText& laid = laidOut(shown);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QSizeF size = laid.size();
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    qreal x = area.left();
    if (align & Qt::AlignRight) {
        x = area.right() + 1 - size.width();
    } else if (align & Qt::AlignHCenter) {
        x = area.left() + (area.width() - size.width()) / 2;
    }
    qreal y = area.top() + (area.height() - size.height()) / 2;
    if (align & Qt::AlignTop) {
        y = area.top();
    } else if (align & Qt::AlignBottom) {
        y = area.bottom() + 1 - size.height();
    }
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.setClipRect(area);
    painter.drawStaticText(QPointF(x, y), laid);
}

void StaticTextLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        m_laidOut.clear();
    }
    QLabel::changeEvent(event);
}

}  // namespace orvessa::gui
