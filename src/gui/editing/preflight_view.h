#pragma once

#include <QDialog>
#include <QWidget>
#include <vector>

#include "core/editing/preflight_check.h"

class QDateEdit;
class QListWidget;

namespace orvessa::gui {

// The day as a picture: the hours 0..24 across, each row a bar from its start to its end, rows
// left behind in red, bars that overlap in time stacked in lanes, and rows with no time of the
// day as marks in a column left of hour 0. A double click on a bar goes to its row.
class TimelineWidget : public QWidget {
public:
    static constexpr int kMargin = 10;
    static constexpr int kAxisHeight = 22;
    static constexpr int kLaneHeight = 20;

    explicit TimelineWidget(editing::PreflightCheck& model, QWidget* parent = nullptr);

    // The bars as drawn at the present width.
    std::vector<editing::TimelineSpan> spans() const;
    // Where a span is drawn, in the widget's coordinates.
    QRect barRect(const editing::TimelineSpan& span) const;
    // Where its row number is written; empty where there is no room for it.
    QRect labelRect(const editing::TimelineSpan& span) const;
    // The x of hour 0.
    int dayLeft() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    QFont labelFont() const;
    int dayWidth() const;
    int laneCount() const;
    const editing::TimelineSpan* spanAt(const std::vector<editing::TimelineSpan>& spans,
                                        QPoint at) const;

    editing::PreflightCheck& m_model;
};

// The pre-flight check's dialog: the date, what the day would leave unplayed, and its timeline.
class PreflightView : public QDialog {
public:
    explicit PreflightView(editing::PreflightCheck& model, QWidget* parent = nullptr);

    QDateEdit* dateEdit() const { return m_date; }
    QListWidget* problems() const { return m_problems; }
    TimelineWidget* timeline() const { return m_timeline; }

private:
    editing::PreflightCheck& m_model;
    QDateEdit* m_date;
    QListWidget* m_problems;
    TimelineWidget* m_timeline;
};

}  // namespace orvessa::gui
