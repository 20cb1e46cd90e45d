#include "gui/editing/calendar_window_view.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/fonts.h"
#include "gui/memory_release.h"
#include "gui/qt_text.h"

namespace orvessa::gui {
namespace {

using namespace std::chrono;

constexpr int kMargin = 4;
constexpr int kGap = 12;
constexpr int kTitleHeight = 20;
constexpr int kHeaderHeight = 16;
// Lines the lists under the year show without scrolling.
constexpr int kEntryRows = 5;
constexpr int kProblemRows = 3;

// The colours of a date's plan. Weekends stopped by their flags are the most common stop days
// and are drawn pale, so that holidays and dated days stand out.
const QColor kWeekdayFlagStop(246, 205, 205);
const QColor kWeekdayFlagText(160, 30, 30);
const QColor kHolidayStop(226, 96, 96);
const QColor kCalendarStop(198, 40, 40);
const QColor kCalendarTable(35, 110, 205);
const QColor kTableNumber(255, 226, 100);
const QColor kSelection(250, 190, 40);

QColor fillOf(const editing::CalendarDay& day) {
    switch (day.stop) {
        case store::StopReason::WeekdayFlag:
            return kWeekdayFlagStop;
        case store::StopReason::HolidayList:
            return kHolidayStop;
        case store::StopReason::Calendar:
            return kCalendarStop;
        case store::StopReason::None:
            break;
    }
    return day.byCalendar ? kCalendarTable : QColor();
}

// The height of a list that shows `rows` whole lines of its font above a horizontal scroll bar
// (a long line brings one).
int listHeight(const QListWidget* list, int rows) {
    QListWidget probe;
    probe.setFont(list->font());
    probe.addItem(QStringLiteral("国"));
    return rows * probe.sizeHintForRow(0) + 2 * list->frameWidth() +
           list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
}

QString swatch(const QColor& color, const QString& text) {
    return QStringLiteral("<span style=\"background:%1\">&nbsp;&nbsp;&nbsp;</span>&nbsp;%2")
        .arg(color.name(), text);
}

// A one-line label that ends in "…" where its text is wider than the room it has, and shows the
// whole text as its tooltip: however long the text, the window keeps its size.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect room = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
        const QString tip = shown == text() ? QString() : text();
        if (toolTip() != tip) {
            setToolTip(tip);
        }
        p.setPen(palette().windowText().color());
        p.drawText(room, Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
};

// A combo box showing the items of a radio group, one of which is chosen.
void bindChoice(model::RadioGroup& group, QComboBox* box) {
    box->setObjectName(toQt(group.name()));
    for (const model::RadioGroup::Item& item : group.items()) {
        box->addItem(toQt(item.caption));
    }
    auto sync = [&group, box] {
        const QSignalBlocker quiet(box);
        box->setCurrentIndex(group.itemIndex());
        box->setEnabled(group.enabled());
    };
    sync();
    disconnectWith(box, group.changed, group.changed.connect(sync));
    QObject::connect(box, &QComboBox::activated, box,
                     [&group](int index) { group.setItemIndex(index); });
}

}  // namespace

YearCalendarWidget::YearCalendarWidget(editing::CalendarWindow& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("yearView"));
    setMouseTracking(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    disconnectWith(this, model.daysChanged, model.daysChanged.connect([this] { update(); }));
}

QSize YearCalendarWidget::sizeHint() const {
    return {2 * kMargin + 3 * kGap + 4 * 7 * 27,
            2 * kMargin + 2 * kGap + 3 * (kTitleHeight + kHeaderHeight + 6 * 21)};
}

QSize YearCalendarWidget::minimumSizeHint() const {
    return {2 * kMargin + 3 * kGap + 4 * 7 * 18,
            2 * kMargin + 2 * kGap + 3 * (kTitleHeight + kHeaderHeight + 6 * 14)};
}

QSize YearCalendarWidget::cellSize() const {
    const int monthWidth = (width() - 2 * kMargin - 3 * kGap) / 4;
    const int monthHeight = (height() - 2 * kMargin - 2 * kGap) / 3;
    return {std::max(1, monthWidth / 7),
            std::max(1, (monthHeight - kTitleHeight - kHeaderHeight) / 6)};
}

QRect YearCalendarWidget::monthRect(int month) const {
    const QSize cell = cellSize();
    const int w = cell.width() * 7;
    const int h = kTitleHeight + kHeaderHeight + cell.height() * 6;
    // The months keep to the left and top; what is left over goes between them.
    const int spareX = std::max(0, (width() - 2 * kMargin - 4 * w) / 3);
    const int spareY = std::max(0, (height() - 2 * kMargin - 3 * h) / 2);
    const int column = (month - 1) % 4;
    const int row = (month - 1) / 4;
    return {kMargin + column * (w + spareX), kMargin + row * (h + spareY), w, h};
}

QRect YearCalendarWidget::dayRect(year_month_day date) const {
    const int month = static_cast<int>(static_cast<unsigned>(date.month()));
    if (date.year() != year{m_model.shownYear()} || month < 1 || month > 12) {
        return {};
    }
    const auto cells = m_model.monthDays(month);
    const QRect box = monthRect(month);
    const QSize cell = cellSize();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i] && cells[i]->date == date) {
            const int column = static_cast<int>(i % 7);
            const int row = static_cast<int>(i / 7);
            return {box.left() + column * cell.width(),
                    box.top() + kTitleHeight + kHeaderHeight + row * cell.height(), cell.width(),
                    cell.height()};
        }
    }
    return {};
}

std::optional<year_month_day> YearCalendarWidget::dateAt(QPoint at) const {
    const QSize cell = cellSize();
    for (int month = 1; month <= 12; ++month) {
        const QRect box = monthRect(month);
        const QRect days(box.left(), box.top() + kTitleHeight + kHeaderHeight, box.width(),
                         cell.height() * 6);
        if (!days.contains(at)) {
            continue;
        }
        const int column = (at.x() - days.left()) / cell.width();
        const int row = (at.y() - days.top()) / cell.height();
        const auto cells = m_model.monthDays(month);
        const std::size_t index = static_cast<std::size_t>(row * 7 + column);
        if (index < cells.size() && cells[index]) {
            return cells[index]->date;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

void YearCalendarWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    for (int month = 1; month <= 12; ++month) {
        paintMonth(p, month);
    }
}

void YearCalendarWidget::paintMonth(QPainter& p, int month) {
    const QRect box = monthRect(month);
    const QSize cell = cellSize();
    QFont title = font();
    title.setBold(true);
    p.setFont(title);
    p.setPen(palette().windowText().color());
    p.drawText(QRect(box.left(), box.top(), box.width(), kTitleHeight), Qt::AlignCenter,
               QStringLiteral("%1月").arg(month));

    QFont small = font();
    small.setPixelSize(11);
    p.setFont(small);
    static const char* const kWeekdays[] = {"一", "二", "三", "四", "五", "六", "日"};
    for (int c = 0; c < 7; ++c) {
        p.setPen(c >= 5 ? kWeekdayFlagText : palette().windowText().color());
        p.drawText(QRect(box.left() + c * cell.width(), box.top() + kTitleHeight, cell.width(),
                         kHeaderHeight),
                   Qt::AlignCenter, QString::fromUtf8(kWeekdays[c]));
    }

    QFont number = font();
    number.setPixelSize(std::clamp(cell.height() - 7, 9, 15));
    QFont mark = font();
    mark.setPixelSize(std::clamp(cell.height() / 2, 8, 11));
    // Where the cell is wide enough, the day's number moves left to make room for a mark: the
    // table a dated day plays, or why a day is stopped.
    const bool roomForMarks = cell.width() >= 25 && cell.height() >= 16;
    const auto cells = m_model.monthDays(month);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!cells[i]) {
            continue;
        }
        const editing::CalendarDay& day = *cells[i];
        const QRect r(
            box.left() + static_cast<int>(i % 7) * cell.width(),
            box.top() + kTitleHeight + kHeaderHeight + static_cast<int>(i / 7) * cell.height(),
            cell.width(), cell.height());
        const QRect inner = r.adjusted(1, 1, -1, -1);
        const QColor fill = fillOf(day);
        if (fill.isValid()) {
            p.fillRect(inner, fill);
        }
        if (day.selected && !fill.isValid()) {
            p.fillRect(inner, kSelection);
        } else if (day.selected) {
            // A frame, so that the day keeps the colour of its plan.
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kSelection, 3));
            p.drawRect(inner.adjusted(1, 1, -2, -2));
        }
        QString markText;
        if (day.byCalendar && day.stop == store::StopReason::None) {
            markText = QString::number(day.table);
        } else if (day.stop != store::StopReason::None &&
                   day.stop != store::StopReason::WeekdayFlag) {
            // A weekend stopped by its flag is told by its pale colour; a mark on each would
            // bury the marks that matter.
            markText = toQt(editing::CalendarWindow::stopMark(day.stop));
        }
        const QColor text = !fill.isValid()                              ? palette().text().color()
                            : day.stop == store::StopReason::WeekdayFlag ? kWeekdayFlagText
                                                                         : QColor(Qt::white);
        p.setFont(number);
        p.setPen(text);
        const bool marked = roomForMarks && !markText.isEmpty();
        p.drawText(marked ? inner.adjusted(1, 0, -cell.width() / 3, 0) : inner,
                   marked ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter,
                   QString::number(static_cast<unsigned>(day.date.day())));
        if (marked) {
            p.setFont(mark);
            p.setPen(day.stop == store::StopReason::None ? kTableNumber : text);
            p.drawText(inner.adjusted(0, 0, -1, 0), Qt::AlignRight | Qt::AlignBottom, markText);
        }
        if (day.today) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(palette().windowText().color(), 2));
            p.drawRect(r.adjusted(1, 1, -1, -1));
        }
    }
}

void YearCalendarWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const auto date = dateAt(event->position().toPoint())) {
        if (event->modifiers() & Qt::ShiftModifier) {
            m_model.extendSelection(*date);
        } else {
            m_model.selectDate(*date);
        }
    }
}

void YearCalendarWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        return;
    }
    if (const auto date = dateAt(event->position().toPoint())) {
        m_model.extendSelection(*date);
    }
}

bool YearCalendarWidget::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    auto* help = static_cast<QHelpEvent*>(event);
    if (const auto date = dateAt(help->pos())) {
        QToolTip::showText(help->globalPos(), toQt(m_model.describe(*date)), this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

CalendarWindowView::CalendarWindowView(editing::CalendarWindow& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto addButton = [this](QBoxLayout* row, model::Command& command) {
        auto* button = new QPushButton(this);
        bindButton(command, button);
        button->setAutoDefault(false);
        row->addWidget(button);
        return button;
    };
    addButton(top, model.previousYear);
    auto* yearLabel = new QLabel(this);
    bindText(model.yearLine, yearLabel);
    QFont big = yearLabel->font();
    big.setPixelSize(18);
    big.setBold(true);
    yearLabel->setFont(big);
    yearLabel->setAlignment(Qt::AlignCenter);
    yearLabel->setMinimumWidth(90);
    top->addWidget(yearLabel);
    addButton(top, model.nextYear);
    addButton(top, model.thisYear);
    top->addSpacing(16);
    auto* legend = new QLabel(
        swatch(kWeekdayFlagStop, QStringLiteral("周停播")) + QStringLiteral("&nbsp;&nbsp;") +
            swatch(kHolidayStop, QStringLiteral("节假日停播")) + QStringLiteral("&nbsp;&nbsp;") +
            swatch(kCalendarStop, QStringLiteral("校历停播")) + QStringLiteral("&nbsp;&nbsp;") +
            swatch(kCalendarTable, QStringLiteral("校历指定作息表（角上为表号）")),
        this);
    legend->setObjectName(QStringLiteral("legend"));
    top->addWidget(legend);
    top->addStretch();
    layout->addLayout(top);

    m_year = new YearCalendarWidget(model, this);
    layout->addWidget(m_year, 1);

    // Under the year: on the left what is selected and what to make of it, on the right the
    // entries and the lines of the file that were skipped.
    auto* lower = new QHBoxLayout;
    auto* editing = new QVBoxLayout;
    auto* selection = new ElidedLabel(this);
    bindText(model.selectionLine, selection);
    selection->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    editing->addWidget(selection);
    auto* edit = new QHBoxLayout;
    auto* choiceLabel = new QLabel(QStringLiteral("安排(&K)："), this);
    edit->addWidget(choiceLabel);
    m_choice = new QComboBox(this);
    m_choice->setMaxVisibleItems(static_cast<int>(std::size(editing::CalendarWindow::kChoices)));
    bindChoice(model.planChoice, m_choice);
    choiceLabel->setBuddy(m_choice);
    edit->addWidget(m_choice);
    edit->addSpacing(8);
    auto* remarkLabel = new QLabel(QStringLiteral("备注(&M)："), this);
    edit->addWidget(remarkLabel);
    m_remark = new QLineEdit(this);
    bindField(model.remarkField, m_remark);
    // The remark of newly selected dates shows from its start.
    disconnectWith(m_remark, model.daysChanged,
                   model.daysChanged.connect([this] { m_remark->setCursorPosition(0); }));
    m_remark->setPlaceholderText(QStringLiteral("如：春节、调休：按星期五上课"));
    remarkLabel->setBuddy(m_remark);
    edit->addWidget(m_remark, 1);
    // Enter in the remark applies it; it never closes the window.
    connect(m_remark, &QLineEdit::returnPressed, this, [this] { m_model.applyChoice.click(); });
    addButton(edit, model.applyChoice);
    editing->addLayout(edit);
    editing->addWidget(new QLabel(
        QStringLiteral("单击选一天，按住 Shift 单击或拖动选一段日期，再选安排并按“应用”。"), this));
    auto* tools = new QHBoxLayout;
    addButton(tools, model.clearPastYears);
    addButton(tools, model.importCalendar);
    tools->addStretch();
    editing->addLayout(tools);
    lower->addLayout(editing, 3);

    auto* lists = new QVBoxLayout;
    lists->setSpacing(2);
    lists->addWidget(new QLabel(QStringLiteral("校历条目（双击选定其日期）："), this));
    auto* entries = new QListWidget(this);
    bindList(model.entryList, entries);
    // The list takes the height the controls beside it need, and leaves the rest to the year.
    entries->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    entries->setMinimumHeight(listHeight(entries, kEntryRows));
    lists->addWidget(entries, 1);
    lower->addLayout(lists, 2);
    layout->addLayout(lower);

    // The lines skipped and the dates in conflict, across the window, each list under its own
    // header: a wrapped header in the column beside would be laid over the entries.
    auto* problemTitle = new QLabel(this);
    bindText(model.problemTitle, problemTitle);
    problemTitle->setWordWrap(true);
    problemTitle->setStyleSheet(QStringLiteral("color:#b00000"));
    layout->addWidget(problemTitle);
    auto* problems = new QListWidget(this);
    bindList(model.problemList, problems);
    problems->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    problems->setFixedHeight(listHeight(problems, kProblemRows));
    layout->addWidget(problems);

    layout->addLayout(buttonRow(
        this, {.commands = {&model.okButton, &model.cancelButton}, .focusedTakesEnter = false}));
    resize(880, 690);
}

namespace {

enum ImportColumn { kDates, kSummary, kKind, kTable, kNote, kImportColumns };

// The import's items as rows: the texts come from the dialog's model as the view paints the
// rows it shows, so twenty thousand events cost no widgets.
class ImportItemsModel : public QAbstractTableModel {
public:
    ImportItemsModel(editing::CalendarImportDialog& dialog, QObject* parent)
        : QAbstractTableModel(parent), m_dialog(dialog), m_rows(dialog.items().size()) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows);
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : kImportColumns;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
            return {};
        }
        static const char* const kTitles[] = {"日期", "事件", "导入为", "作息表", "说明"};
        return section >= 0 && section < kImportColumns ? QString::fromUtf8(kTitles[section])
                                                        : QVariant();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const auto i = static_cast<std::size_t>(index.row());
        if (!index.isValid() || i >= m_dialog.items().size()) {
            return {};
        }
        const editing::ImportItem& item = m_dialog.items()[i];
        const bool workingDay = item.kind == editing::ImportKind::WorkingDay;
        if (role == Qt::EditRole) {
            if (index.column() == kKind) {
                return m_dialog.kindIndex(i);
            }
            if (index.column() == kTable) {
                return item.table - 1;
            }
            return {};
        }
        if (role == Qt::ForegroundRole && index.column() == kNote) {
            return m_dialog.noteWants(i) ? QColor(160, 30, 30) : QColor(90, 90, 90);
        }
        if (role == Qt::ToolTipRole && index.column() == kSummary) {
            return toQt(item.event.summary);
        }
        if (role != Qt::DisplayRole) {
            return {};
        }
        switch (index.column()) {
            case kDates:
                return toQt(m_dialog.datesOf(i));
            case kSummary:
                return toQt(item.event.summary);
            case kKind:
                return QString::fromUtf8(
                    editing::CalendarImportDialog::kKinds[m_dialog.kindIndex(i)]);
            case kTable:
                // Only a working day plays a table.
                return workingDay ? toQt(store::tableName(item.table)) : QString();
            case kNote:
                return toQt(m_dialog.noteOf(i));
            default:
                return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = QAbstractTableModel::flags(index) & ~Qt::ItemIsSelectable;
        const auto i = static_cast<std::size_t>(index.row());
        const bool workingDay = i < m_dialog.items().size() &&
                                m_dialog.items()[i].kind == editing::ImportKind::WorkingDay;
        if (index.column() == kKind || (index.column() == kTable && workingDay)) {
            f |= Qt::ItemIsEditable;
        }
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole) {
            return false;
        }
        const auto i = static_cast<std::size_t>(index.row());
        if (index.column() == kKind) {
            m_dialog.setKind(i, value.toInt());
            return true;
        }
        if (index.column() == kTable) {
            m_dialog.setTable(i, value.toInt() + 1);
            return true;
        }
        return false;
    }

    // The dialog's items changed: a new list, or one item's kind or table (and with it the
    // notes and which rows have a table).
    void refresh() {
        const std::size_t rows = m_dialog.items().size();
        if (rows != m_rows) {
            beginResetModel();
            m_rows = rows;
            endResetModel();
        } else if (rows > 0) {
            emit dataChanged(index(0, 0), index(static_cast<int>(rows) - 1, kImportColumns - 1));
        }
    }

private:
    editing::CalendarImportDialog& m_dialog;
    std::size_t m_rows;
};

// A list box over the cell being edited: the kinds in "导入为", the tables in "作息表". The pick
// is taken as soon as it is made.
class ImportChoiceDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* box = new QComboBox(parent);
        if (index.column() == kKind) {
            for (const char* k : editing::CalendarImportDialog::kKinds) {
                box->addItem(QString::fromUtf8(k));
            }
        } else {
            for (int t = 1; t <= store::kCalendarLastPlan; ++t) {
                box->addItem(toQt(store::tableName(t)));
            }
        }
        connect(box, &QComboBox::activated, this, [this, box] {
            auto* self = const_cast<ImportChoiceDelegate*>(this);
            emit self->commitData(box);
            emit self->closeEditor(box);
        });
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QComboBox*>(editor)->setCurrentIndex(index.data(Qt::EditRole).toInt());
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentIndex(), Qt::EditRole);
    }
};

}  // namespace

CalendarImportView::CalendarImportView(editing::CalendarImportDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);
    auto* file = new QLabel(this);
    bindText(model.fileLine, file);
    layout->addWidget(file);
    auto* decision = new QLabel(this);
    decision->setObjectName(QStringLiteral("decisionLine"));
    bindText(model.decisionLine, decision);
    decision->setWordWrap(true);
    layout->addWidget(decision);

    auto* rows = new ImportItemsModel(model, this);
    m_items = new QTableView(this);
    m_items->setObjectName(QStringLiteral("itemTable"));
    m_items->setModel(rows);
    m_items->setItemDelegate(new ImportChoiceDelegate(m_items));
    m_items->verticalHeader()->setVisible(false);
    // Every row the same height, so that none has to be measured.
    m_items->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_items->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_items->setSelectionMode(QAbstractItemView::NoSelection);
    m_items->setEditTriggers(QAbstractItemView::AllEditTriggers);
    // A click opens a cell's list also where it is the current cell already.
    connect(m_items, &QTableView::clicked, m_items,
            [this](const QModelIndex& index) { m_items->edit(index); });
    m_items->setWordWrap(false);
    const QFontMetrics metrics = fontMetrics();
    const auto width = [&](const char* sample) {
        return metrics.horizontalAdvance(QString::fromUtf8(sample)) + 16;
    };
    m_items->setColumnWidth(kDates, width("2027-02-06 至 2027-02-12"));
    m_items->setColumnWidth(kSummary, width("国庆节、中秋节 假期 第1天/共8天"));
    m_items->setColumnWidth(kKind, width("调休上课") + 24);
    m_items->setColumnWidth(kTable, width("星期一") + 24);
    m_items->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_items, 1);

    auto* summary = new QLabel(this);
    bindText(model.summaryLine, summary);
    summary->setWordWrap(true);
    layout->addWidget(summary);
    auto* unplacedTitle = new QLabel(this);
    bindText(model.unplacedTitle, unplacedTitle);
    layout->addWidget(unplacedTitle);
    auto* unplaced = new QListWidget(this);
    bindList(model.unplacedList, unplaced);
    unplaced->setMaximumHeight(70);
    unplaced->setUniformItemSizes(true);
    layout->addWidget(unplaced);
    layout->addLayout(buttonRow(this, {.commands = {&model.okButton, &model.cancelButton},
                                       .enterPresses = &model.okButton}));

    disconnectWith(this, model.itemsChanged, model.itemsChanged.connect([this, rows] {
        rows->refresh();
        // The list of a large calendar let go is given back to the system, not kept.
        if (m_model.items().empty()) {
            releaseFreedMemory();
        }
    }));
    resize(980, 560);
}

}  // namespace orvessa::gui
