#pragma once

#include <QDialog>
#include <QWidget>
#include <chrono>
#include <optional>

#include "core/editing/calendar_import_dialog.h"
#include "core/editing/calendar_window.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QTableView;

namespace orvessa::gui {

// A year at a glance: twelve months in three rows of four, each date coloured by its plan.
// A click selects a date, a shift-click or a drag selects the dates between.
class YearCalendarWidget : public QWidget {
public:
    explicit YearCalendarWidget(editing::CalendarWindow& model, QWidget* parent = nullptr);

    // Where a date of the shown year is drawn; empty for another year.
    QRect dayRect(std::chrono::year_month_day date) const;
    std::optional<std::chrono::year_month_day> dateAt(QPoint at) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect monthRect(int month) const;
    QSize cellSize() const;
    void paintMonth(QPainter& p, int month);

    editing::CalendarWindow& m_model;
};

// The school calendar's window: the year, the choice for the selected dates, the entries and
// the lines of the file that were skipped.
class CalendarWindowView : public QDialog {
public:
    explicit CalendarWindowView(editing::CalendarWindow& model, QWidget* parent = nullptr);

    YearCalendarWidget* year() const { return m_year; }
    QComboBox* choice() const { return m_choice; }
    QLineEdit* remark() const { return m_remark; }

private:
    editing::CalendarWindow& m_model;
    YearCalendarWidget* m_year;
    QComboBox* m_choice;
    QLineEdit* m_remark;
};

// What an import would add, one line per event, with a choice of how each is taken and why the
// rules took it so. A view on the model's items: tens of thousands of rows cost only those
// shown.
class CalendarImportView : public QDialog {
public:
    explicit CalendarImportView(editing::CalendarImportDialog& model, QWidget* parent = nullptr);

    QTableView* items() const { return m_items; }

private:
    editing::CalendarImportDialog& m_model;
    QTableView* m_items;
};

}  // namespace orvessa::gui
