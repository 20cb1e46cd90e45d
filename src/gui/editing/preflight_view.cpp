#include "gui/editing/preflight_view.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QToolTip>
#include <QVBoxLayout>
#include <chrono>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/fonts.h"
#include "gui/qt_text.h"

namespace orvessa::gui {
namespace {

const QColor kPlayedColor(52, 120, 200);
const QColor kLeftBehindColor(220, 30, 30);

QString clockText(int second) {
    return QStringLiteral("%1:%2:%3")
        .arg(second / 3600, 2, 10, QLatin1Char('0'))
        .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(second % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

TimelineWidget::TimelineWidget(editing::PreflightCheck& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("Timeline"));
    auto changed = [this] {
        setMinimumHeight(minimumSizeHint().height());
        updateGeometry();
        update();
    };
    changed();
    disconnectWith(this, model.timelineChanged, model.timelineChanged.connect(changed));
}

QFont TimelineWidget::labelFont() const {
    QFont small = font();
    small.setPixelSize(11);
    return small;
}

int TimelineWidget::dayLeft() const {
    return kMargin + (m_model.hasRowsApart() ? editing::PreflightCheck::kApartWidth : 0);
}

int TimelineWidget::dayWidth() const {
    return width() - dayLeft() - kMargin;
}

std::vector<editing::TimelineSpan> TimelineWidget::spans() const {
    const QFontMetrics metrics(labelFont());
    return m_model.timeline(dayWidth(), [&metrics](int row) {
        return metrics.horizontalAdvance(QString::number(row));
    });
}

int TimelineWidget::laneCount() const {
    int lanes = 1;
    for (const editing::TimelineSpan& s : spans()) {
        lanes = std::max(lanes, s.lane + 1);
    }
    return lanes;
}

QRect TimelineWidget::barRect(const editing::TimelineSpan& span) const {
    return {dayLeft() + span.left, kAxisHeight + span.lane * kLaneHeight + 3,
            span.right - span.left, kLaneHeight - 6};
}

QRect TimelineWidget::labelRect(const editing::TimelineSpan& span) const {
    const QRect bar = barRect(span);
    const int w = QFontMetrics(labelFont()).horizontalAdvance(QString::number(span.row));
    if (bar.width() >= w + 4) {
        return {bar.left() + 2, bar.top(), w + 1, bar.height()};
    }
    if (span.room - span.right >= w + 3) {
        return {bar.right() + 3, bar.top(), w + 1, bar.height()};
    }
    return {};
}

QSize TimelineWidget::sizeHint() const {
    return {640, minimumSizeHint().height()};
}

QSize TimelineWidget::minimumSizeHint() const {
    return {24 * 12 + 2 * kMargin + editing::PreflightCheck::kApartWidth,
            kAxisHeight + laneCount() * kLaneHeight + 4};
}

void TimelineWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Numbers that fit beside their bars at one width may need a lane of their own at another.
    const int height = minimumSizeHint().height();
    if (height != minimumHeight()) {
        setMinimumHeight(height);
        updateGeometry();
    }
}

void TimelineWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int left = dayLeft();
    const int plot = dayWidth();
    const int bottom = height() - 2;
    p.fillRect(QRect(left, kAxisHeight, plot, bottom - kAxisHeight), palette().base());
    const QFont small = labelFont();
    p.setFont(small);
    if (left > kMargin) {
        // The rows no clock time reaches, apart from the day.
        const QRect apart(kMargin, kAxisHeight, left - kMargin - 4, bottom - kAxisHeight);
        p.fillRect(apart, palette().alternateBase());
        p.setPen(kLeftBehindColor);
        p.drawText(QRect(apart.left(), 0, apart.width(), kAxisHeight - 4), Qt::AlignCenter,
                   QStringLiteral("无时间"));
    }

    // Hour ticks, and numbers as often as they fit.
    const QFontMetrics metrics(small);
    const int numberWidth = metrics.horizontalAdvance(QStringLiteral("24")) + 6;
    int every = 1;
    while (every < 24 && plot * every / 24 < numberWidth) {
        every = every < 2 ? 2 : every < 3 ? 3 : every * 2;
    }
    QColor grid = palette().windowText().color();
    grid.setAlpha(40);
    for (int hour = 0; hour <= 24; ++hour) {
        const int x = left + editing::PreflightCheck::hourX(hour, plot);
        p.setPen(palette().windowText().color());
        p.drawLine(x, kAxisHeight - (hour % every == 0 ? 6 : 3), x, kAxisHeight);
        if (hour % every == 0) {
            const QString number = QString::number(hour);
            const int w = metrics.horizontalAdvance(number);
            p.drawText(QRect(x - w, 0, 2 * w, kAxisHeight - 6), Qt::AlignCenter, number);
        }
        p.setPen(grid);
        p.drawLine(x, kAxisHeight, x, bottom);
    }

    for (const editing::TimelineSpan& s : spans()) {
        const QRect bar = barRect(s);
        const QColor color = s.leftBehind ? kLeftBehindColor : kPlayedColor;
        p.fillRect(bar, color);
        const QRect label = labelRect(s);
        if (!label.isEmpty()) {
            p.setPen(bar.contains(label) ? QColor(Qt::white) : color.darker(130));
            p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, QString::number(s.row));
        }
    }
}

const editing::TimelineSpan* TimelineWidget::spanAt(const std::vector<editing::TimelineSpan>& spans,
                                                    QPoint at) const {
    for (const editing::TimelineSpan& s : spans) {
        // A thin bar is hard to hit: a pixel either side counts.
        if (barRect(s).adjusted(-1, 0, 1, 0).contains(at)) {
            return &s;
        }
    }
    return nullptr;
}

void TimelineWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    const std::vector<editing::TimelineSpan> all = spans();
    if (const editing::TimelineSpan* s = spanAt(all, event->position().toPoint())) {
        m_model.showRow(s->row);
    }
}

bool TimelineWidget::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    auto* help = static_cast<QHelpEvent*>(event);
    const std::vector<editing::TimelineSpan> all = spans();
    const editing::TimelineSpan* s = spanAt(all, help->pos());
    if (s == nullptr) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    for (const editing::DayBar& bar : m_model.bars()) {
        if (bar.row == s->row) {
            QString tip =
                QStringLiteral("第%1行  %2")
                    .arg(bar.row)
                    .arg(bar.noTime ? QStringLiteral("时间无法到达") : clockText(bar.startSecond));
            if (!bar.noTime && bar.endSecond > bar.startSecond) {
                tip += QStringLiteral(" – ") + clockText(bar.endSecond);
            }
            if (bar.leftBehind) {
                tip += QStringLiteral("  未能播出");
            }
            QToolTip::showText(help->globalPos(), tip, this);
        }
    }
    return true;
}

PreflightView::PreflightView(editing::PreflightCheck& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* dateLabel = new QLabel(QStringLiteral("预演日期："), this);
    top->addWidget(dateLabel);
    m_date = new QDateEdit(this);
    m_date->setObjectName(toQt(model.dateField.name()));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    // One check for a typed date, not one for every digit typed.
    m_date->setKeyboardTracking(false);
    dateLabel->setBuddy(m_date);
    top->addWidget(m_date);
    top->addStretch();
    layout->addLayout(top);
    auto syncDate = [this] {
        const QSignalBlocker blocker(m_date);
        m_date->setDate(QDate::fromString(toQt(m_model.dateField.text()), Qt::ISODate));
    };
    syncDate();
    disconnectWith(m_date, model.dateField.changed, model.dateField.changed.connect(syncDate));
    connect(m_date, &QDateEdit::dateChanged, this, [this](QDate d) {
        using namespace std::chrono;
        m_model.dateChanged(year{d.year()} / d.month() / d.day());
    });

    auto* summary = new QLabel(this);
    bindText(model.summaryLine, summary);
    summary->setWordWrap(true);
    layout->addWidget(summary);
    auto* clockLine = new QLabel(this);
    bindText(model.clockLine, clockLine);
    clockLine->setWordWrap(true);
    layout->addWidget(clockLine);
    auto* startLine = new QLabel(this);
    bindText(model.startLine, startLine);
    startLine->setWordWrap(true);
    layout->addWidget(startLine);
    auto* wakeLine = new QLabel(this);
    bindText(model.wakeLine, wakeLine);
    wakeLine->setWordWrap(true);
    layout->addWidget(wakeLine);

    m_problems = new QListWidget(this);
    bindList(model.problemList, m_problems);
    layout->addWidget(m_problems, 1);
    // The operator reads the problems first; Enter still closes.
    m_problems->setFocus();

    m_timeline = new TimelineWidget(model);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_timeline);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumHeight(TimelineWidget::kAxisHeight + 3 * TimelineWidget::kLaneHeight + 8);
    layout->addWidget(scroll, 1);

    auto* bottom = new QHBoxLayout;
    auto* legend =
        new QLabel(QStringLiteral("<span style=\"color:%1\">■</span> 按时播出&nbsp;&nbsp;"
                                  "<span style=\"color:%2\">■</span> 未能播出")
                       .arg(kPlayedColor.name(), kLeftBehindColor.name()),
                   this);
    legend->setObjectName(QStringLiteral("Legend"));
    bottom->addWidget(legend);
    bottom->addSpacing(24);
    bottom->addWidget(new QLabel(QStringLiteral("双击问题或色条可转到该行"), this));
    addButtons(bottom, this,
               {.commands = {&model.closeButton}, .enterPresses = &model.closeButton});
    layout->addLayout(bottom);
    resize(880, 440);
}

}  // namespace orvessa::gui
