#include "gui/ui/main_window_view.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "gui/binders.h"
#include "gui/fonts.h"
#include "gui/pictures.h"
#include "gui/qt_text.h"
#include "gui/static_text_label.h"
#include "gui/ui/lcd_clock_widget.h"

namespace orvessa::gui {
namespace {

// The designed window: 708 by 492 outside, a client area of 700 by 438 below the menu bar. The
// layout works from the outer size, which the frame and menu bar make larger than the client.
constexpr int kClientWidth = 700;
constexpr int kClientHeight = 438;
constexpr int kFrameWidth = ui::MainLayout::kDesignedWidth - kClientWidth;
constexpr int kFrameHeight = ui::MainLayout::kDesignedHeight - kClientHeight;

QRect designed(int left, int top, int width, int height) {
    return {left, top, width, height};
}

// The holiday panel's OK, under its list.
constexpr model::Rect kOkInPanel{420, 288, 71, 25};

}  // namespace

MainWindowView::MainWindowView(ui::MainWindow& model, QWidget* parent)
    : QMainWindow(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    buildMenuBar();
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    // Resizable from the designed size; the layout procedure places the controls.
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    buildClientArea(client);
    buildTray();
    buildShortcuts();
    // The keyboard starts in the table, where the operator works.
    m_grid->setFocus();

    m_connections.emplace_back(&m_model.changed, m_model.changed.connect([this] { syncWindow(); }));
    m_connections.emplace_back(&m_model.activateRequested,
                               m_model.activateRequested.connect([this] {
                                   show();
                                   raise();
                                   activateWindow();
                               }));
    setWindowTitle(toQt(m_model.caption()));
}

MainWindowView::~MainWindowView() {
    for (auto& [signal, id] : m_connections) {
        signal->disconnect(id);
    }
}

void MainWindowView::buildMenuBar() {
    for (model::Command* top : m_model.mainMenu) {
        if (top->kind() != model::CommandKind::Menu) {
            // "字幕(&E)" is a command of the menu bar itself.
            auto* action = menuBar()->addAction(QString());
            bindAction(*top, action);
            continue;
        }
        QMenu* menu = menuBar()->addMenu(QString());
        std::function<void(model::Command&, QMenu*)> fill = [&](model::Command& m, QMenu* qm) {
            bindAction(m, qm->menuAction());
            qm->setObjectName(toQt(m.name()));
            for (model::Command* item : m.items()) {
                if (item->kind() == model::CommandKind::Separator) {
                    QAction* sep = qm->addSeparator();
                    sep->setObjectName(toQt(item->name()));
                    auto sync = [item, sep] { sep->setVisible(item->visible()); };
                    sync();
                    disconnectWith(sep, item->changed, item->changed.connect(sync));
                } else if (item->kind() == model::CommandKind::Menu) {
                    fill(*item, qm->addMenu(QString()));
                } else {
                    bindAction(*item, qm->addAction(QString()));
                }
            }
        };
        fill(*top, menu);
    }
}

void MainWindowView::buildToolBar(QWidget* parent) {
    auto* host = new QFrame(parent);
    host->setObjectName(QStringLiteral("ControlBar1"));
    place(host, m_model.layout.toolbarHost);
    auto* bar = new QToolBar(host);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    place(bar, m_model.layout.toolbar);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(24, 24));
    for (model::Command* c : m_model.toolbar) {
        if (c->kind() == model::CommandKind::Separator) {
            bar->addSeparator()->setObjectName(toQt(c->name()));
            continue;
        }
        auto* button = new QToolButton(bar);
        // Toolbar buttons never take the keyboard from the grid.
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(toolbarIcon(toQt(c->name())));
        bindButton(*c, button);
        if (c == &m_model.emergencyTool) {
            // Found at a glance, whatever the skin.
            button->setStyleSheet(
                QStringLiteral("QToolButton { color: #d00000; font-weight: bold; }"));
        }
        bar->addWidget(button);
    }
}

void MainWindowView::buildClientArea(QWidget* client) {
    buildToolBar(client);
    buildGrid(client);

    auto* shape = new QFrame(client);
    shape->setObjectName(QStringLiteral("nowPlayingFrame"));
    place(shape, m_model.layout.nowPlayingBox);
    shape->setStyleSheet(
        QStringLiteral("#nowPlayingFrame { border: 1px solid gray; border-radius: 8px; }"));

    auto* statusLabel = new StaticTextLabel(client);
    place(statusLabel, m_model.layout.statusLine);
    statusLabel->setFont(systemFont(QStringLiteral("宋体"), 13));
    bindText(m_model.statusLine, statusLabel);
    auto* hintLabel = new StaticTextLabel(client);
    place(hintLabel, m_model.layout.hintLine);
    bindText(m_model.hintLine, hintLabel);
    auto* dateLabel = new QLabel(client);
    place(dateLabel, m_model.layout.dateLine);
    dateLabel->setAlignment(Qt::AlignCenter);
    bindText(m_model.stopDayLine, dateLabel);
    // The longest date line, whole in the clock's width.
    dateLabel->setFont(
        fittingFont(QStringLiteral("宋体"), 13, 9,
                    {{QStringLiteral("2026-12-30   星期三"), m_model.layout.clock.width}}));

    auto* clockLabel = new QLabel(client);
    place(clockLabel, m_model.layout.timePanel);
    bindText(m_model.clockText, clockLabel);

    auto* columnFrame = new QFrame(client);
    columnFrame->setObjectName(QStringLiteral("columnFrame"));
    place(columnFrame, m_model.layout.columnFrame);
    columnFrame->hide();
    // The picture lies under the two lists of the same place: a list that is shown covers it.
    auto* image = new QLabel(client);
    image->setObjectName(QStringLiteral("columnPicture"));
    place(image, m_model.layout.picture);
    image->setFrameShape(QFrame::StyledPanel);
    image->setAlignment(Qt::AlignCenter);
    image->setPixmap(columnPicture());
    image->setScaledContents(true);
    auto* list1 = new QListWidget(client);
    place(list1, m_model.layout.playList);
    list1->setToolTip(QStringLiteral("双击播放下一曲目"));
    bindList(m_model.playlistBox, list1);
    auto* list2 = new QListWidget(client);
    place(list2, m_model.layout.libraryList);
    list2->setToolTip(QStringLiteral("双击自动填入表中"));
    list2->setStyleSheet(QStringLiteral("QListWidget { color: purple; background: #fffbf0; }"));
    bindList(m_model.libraryList, list2);

    auto* lcd = new LcdClockWidget(m_model.clock(), client);
    place(lcd, m_model.layout.clock);
    lcd->configureAsMainWindowClock();

    auto* bevel = new QFrame(client);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    place(bevel, m_model.layout.line);

    struct Placed {
        model::Command& command;
        const model::Rect& rect;
    };
    const Placed buttons[] = {
        {m_model.hideButton, m_model.layout.hide},
        {m_model.quitButton, m_model.layout.quit},
        {m_model.insertRowButton, m_model.layout.insert},
        {m_model.addRowButton, m_model.layout.add},
        {m_model.deleteRowButton, m_model.layout.remove},
        {m_model.moveUpButton, m_model.layout.up},
        {m_model.moveDownButton, m_model.layout.down},
        {m_model.saveButton, m_model.layout.save},
        // Shown only in the holiday panel, under the list.
        {m_model.holidayOkButton, kOkInPanel},
    };
    // The buttons' captions whole in their designed width, inside the button's frame.
    constexpr int kButtonMargin = 10;
    const QFont buttonFont =
        fittingFont(QStringLiteral("宋体"), 13, 9,
                    {{QStringLiteral("插入(I)"), m_model.layout.insert.width - kButtonMargin},
                     {QStringLiteral("确 定(O)"), kOkInPanel.width - kButtonMargin}});
    for (const Placed& p : buttons) {
        auto* button = new QPushButton(client);
        button->setFont(buttonFont);
        place(button, p.rect);
        bindButton(p.command, button);
    }
    auto* check2 = new QCheckBox(client);
    place(check2, m_model.layout.secondMonitor);
    bindButton(m_model.secondMonitorBox, check2);
    auto* checkBox1 = new QCheckBox(client);
    place(checkBox1, m_model.layout.hideAtStart);
    bindButton(m_model.hideAtStartBox, checkBox1);

    buildWeekSelector(client);
    buildHolidayPanel(client);
    buildEmergencyBanner(client);
}

void MainWindowView::buildEmergencyBanner(QWidget* client) {
    model::TextControl& banner = m_model.emergencyBanner;
    m_emergencyBanner = new QFrame(client);
    m_emergencyBanner->setObjectName(toQt(banner.name()) + QStringLiteral("Bar"));
    auto* row = new QHBoxLayout(m_emergencyBanner);
    row->setContentsMargins(10, 2, 6, 2);
    auto* text = new QLabel(m_emergencyBanner);
    m_emergencyText = text;
    text->setObjectName(toQt(banner.name()));
    QFont bold = systemFont(QStringLiteral("宋体"), 15);
    bold.setBold(true);
    text->setFont(bold);
    // A long reason goes on a second line; the text never pushes the button away.
    text->setWordWrap(true);
    text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    row->addWidget(text, 1);
    auto* end = new QPushButton(m_emergencyBanner);
    m_emergencyEnd = end;
    end->setFont(systemFont(QStringLiteral("宋体"), 12));
    end->setFocusPolicy(Qt::NoFocus);
    bindButton(m_model.endEmergencyButton, end);
    row->addWidget(end);
    auto sync = [this, &banner, text] {
        text->setToolTip(toQt(banner.text()));
        m_emergencyBanner->setStyleSheet(
            QStringLiteral("#%1 { background: %2; } QLabel { color: white; }")
                .arg(m_emergencyBanner->objectName(), cssColor(banner.color())));
        // The banner's band is the layout's: shown or gone, the grid moves.
        if (banner.visible() != m_emergencyShown) {
            m_emergencyShown = banner.visible();
            applyLayout();
        }
        m_emergencyBanner->setVisible(banner.visible());
        fitEmergencyText();
    };
    sync();
    m_connections.emplace_back(&banner.changed, banner.changed.connect(sync));
    placeEmergencyBanner();
}

void MainWindowView::placeEmergencyBanner() {
    // The layout works from the outer width, which the frame makes wider than the client area
    // the banner spans.
    const model::Rect& r = m_model.layout.banner;
    m_emergencyBanner->setGeometry(r.left, r.top, std::min(r.width, centralWidget()->width()),
                                   r.height > 0 ? r.height : ui::MainLayout::kBannerHeight);
    fitEmergencyText();
}

void MainWindowView::fitEmergencyText() {
    if (m_emergencyText == nullptr || !m_model.emergencyBanner.visible()) {
        return;
    }
    // The room the row leaves the text beside the button, known before the row is laid out (it
    // is not while the window is hidden).
    const auto* row = static_cast<QHBoxLayout*>(m_emergencyBanner->layout());
    const QRect room =
        m_emergencyBanner->contentsRect()
            .marginsRemoved(row->contentsMargins())
            .adjusted(0, 0, -(m_emergencyEnd->sizeHint().width() + row->spacing()), 0);
    const QString text = toQt(m_model.emergencyBanner.text());
    QFont font = m_emergencyText->font();
    for (int size = 15; size >= 11; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).boundingRect(room, Qt::TextWordWrap, text).height() <=
            room.height()) {
            m_emergencyText->setFont(font);
            m_emergencyText->setText(text);
            return;
        }
    }
    // Longer still (a very long file name): the start and the end stay, the middle gives way.
    const QFontMetrics metrics(font);
    const int lines = std::max(1, room.height() / metrics.lineSpacing());
    m_emergencyText->setFont(font);
    // A wrapped line breaks before the width is used up: each line leaves a few characters.
    const int width = lines * (room.width() - 4 * metrics.averageCharWidth());
    m_emergencyText->setText(metrics.elidedText(text, Qt::ElideMiddle, std::max(0, width)));
}

void MainWindowView::buildHolidayPanel(QWidget* client) {
    auto* caption = new QLabel(client);
    caption->setGeometry(designed(20, 78, 200, 17));
    bindText(m_model.holidaySettingsTitle, caption);
    auto* listCaption = new QLabel(client);
    listCaption->setGeometry(designed(162, 100, 200, 17));
    bindText(m_model.holidayListTitle, listCaption);
    auto placeFrom = [](model::Control& control, QWidget* widget) {
        auto sync = [&control, widget] {
            const model::Rect& r = control.bounds();
            if (!r.empty()) {
                widget->setGeometry(r.left, r.top, r.width, r.height);
            }
        };
        sync();
        disconnectWith(widget, control.changed, control.changed.connect(sync));
    };
    placeFrom(m_model.holidayListTitle, listCaption);

    auto* group = new QGroupBox(client);
    group->setObjectName(toQt(m_model.stopWeekdayGroup.name()));
    const QRect g = designed(20, 100, 112, 214);
    group->setGeometry(g);
    auto syncGroup = [this, group] {
        group->setTitle(toQt(m_model.stopWeekdayGroup.text()));
        group->setVisible(m_model.stopWeekdayGroup.visible());
    };
    syncGroup();
    m_connections.emplace_back(&m_model.stopWeekdayGroup.changed,
                               m_model.stopWeekdayGroup.changed.connect(syncGroup));
    placeFrom(m_model.stopWeekdayGroup, group);
    for (int k = 0; k < 7; ++k) {
        auto* box = new QCheckBox(group);
        box->setGeometry(16, 24 + k * 26, 80, 20);
        bindButton(*m_model.weekdayStopBoxes[static_cast<std::size_t>(k)], box);
    }
    auto* all = new QCheckBox(client);
    all->setGeometry(designed(162, 292, 200, 17));
    bindButton(m_model.broadcastAllBox, all);
}

void MainWindowView::buildGrid(QWidget* client) {
    m_grid = new QTableWidget(client);
    m_grid->setObjectName(toQt(m_model.grid.name()));
    m_grid->verticalHeader()->hide();
    // The cells keep their designed widths: the font is the largest at which a full time, the
    // headers and a volume fit them, inside the cell's margins.
    constexpr int kCellMargin = 8;
    m_grid->setFont(fittingFont(QStringLiteral("宋体"), 13, 9,
                                {{QStringLiteral("00:00:00"), 60 - kCellMargin},
                                 {QStringLiteral("开播时间"), 60 - kCellMargin},
                                 {QStringLiteral("255"), 30 - kCellMargin},
                                 {QStringLiteral("序号"), 30 - kCellMargin}}));
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->horizontalHeader()->setHighlightSections(false);
    syncGrid();
    m_connections.emplace_back(&m_model.grid.changed,
                               m_model.grid.changed.connect([this] { syncGrid(); }));
    QObject::connect(m_grid, &QTableWidget::itemChanged, m_grid, [this](QTableWidgetItem* item) {
        if (m_syncingGrid) {
            return;
        }
        m_model.grid.editCell(item->column(), item->row() + 1, fromQt(item->text()));
    });
    // Every click and every keyboard move runs the editor's selection step, also on the cell
    // already selected.
    QObject::connect(m_grid, &QTableWidget::currentCellChanged, m_grid,
                     [this](int row, int column, int, int) {
                         if (!m_syncingGrid && row >= 0) {
                             m_model.grid.click(column, row + 1);
                         }
                     });
    QObject::connect(m_grid, &QTableWidget::cellClicked, m_grid, [this](int row, int column) {
        if (!m_syncingGrid && row >= 0) {
            m_model.grid.click(column, row + 1);
        }
    });
    // A border dragged by the operator keeps its width until the next load sets the widths.
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    QObject::connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, m_grid,
                     [this](int column, int, int width) {
                         if (!m_syncingGrid) {
                             m_model.grid.table().setColumnWidth(column, width);
                         }
                     });
    m_grid->setTabKeyNavigation(true);
    m_connections.emplace_back(&m_model.grid.focusRequested,
                               m_model.grid.focusRequested.connect([this] { m_grid->setFocus(); }));
}

void MainWindowView::syncGrid() {
    // Only what differs is touched: resetting headers, sizes or the current cell while the
    // operator types would close the editor and lose the keystrokes.
    m_syncingGrid = true;
    const store::ScheduleTable& table = m_model.grid.table();
    const int columns = table.columnCount();
    const int rows = table.rowCount() - 1;
    if (m_grid->columnCount() != columns) {
        m_grid->setColumnCount(columns);
    }
    if (m_grid->rowCount() != rows) {
        m_grid->setRowCount(rows);
    }
    for (int c = 0; c < columns; ++c) {
        const QString header = toQt(table.cell(c, 0));
        QTableWidgetItem* item = m_grid->horizontalHeaderItem(c);
        if (item == nullptr) {
            m_grid->setHorizontalHeaderItem(c, new QTableWidgetItem(header));
        } else if (item->text() != header) {
            item->setText(header);
        }
        if (m_grid->columnWidth(c) != table.columnWidth(c)) {
            m_grid->setColumnWidth(c, table.columnWidth(c));
        }
    }
    if (m_grid->verticalHeader()->defaultSectionSize() != table.rowHeight()) {
        m_grid->verticalHeader()->setDefaultSectionSize(table.rowHeight());
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QString text = toQt(table.cell(c, r + 1));
            QTableWidgetItem* item = m_grid->item(r, c);
            if (item == nullptr) {
                m_grid->setItem(r, c, new QTableWidgetItem(text));
            } else if (item->text() != text) {
                item->setText(text);
            }
        }
    }
    // Typing, F2 or a double click edit a cell. A click on the selected cell does not: its
    // delayed editor would swallow what the operator types right after the click.
    const QAbstractItemView::EditTriggers triggers = m_model.grid.editable()
                                                         ? QAbstractItemView::DoubleClicked |
                                                               QAbstractItemView::EditKeyPressed |
                                                               QAbstractItemView::AnyKeyPressed
                                                         : QAbstractItemView::NoEditTriggers;
    if (m_grid->editTriggers() != triggers) {
        m_grid->setEditTriggers(triggers);
    }
    const auto behaviour =
        m_model.grid.rowSelect() ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems;
    if (m_grid->selectionBehavior() != behaviour) {
        m_grid->setSelectionBehavior(behaviour);
    }
    const int row = m_model.grid.row() - 1;
    const int column = std::min(m_model.grid.col(), columns - 1);
    if (row >= 0 && row < rows &&
        (m_grid->currentRow() != row || m_grid->currentColumn() != column)) {
        m_grid->setCurrentCell(row, column);
    }
    // The holiday panel places the grid beside its weekday group; otherwise the week setting
    // shortens it so that the week selector below it shows.
    const model::Rect& placed = m_model.grid.bounds();
    const model::Rect& laid = m_model.layout.grid;
    const QRect geometry =
        !placed.empty()
            ? QRect(placed.left, placed.top, placed.width, placed.height)
            : QRect(laid.left, laid.top, laid.width,
                    m_model.layout.gridHeight > 0 ? m_model.layout.weekSettingGridHeight()
                                                  : laid.height);
    if (m_grid->geometry() != geometry) {
        m_grid->setGeometry(geometry);
    }
    m_grid->setVisible(m_model.grid.visible());
    m_syncingGrid = false;
}

void MainWindowView::buildWeekSelector(QWidget* client) {
    auto* box = new QGroupBox(client);
    box->setObjectName(toQt(m_model.weekSelector.name()));
    place(box, m_model.layout.weekChoice);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(6, 2, 6, 2);
    m_weekButtons = new QButtonGroup(box);
    const auto& items = m_model.weekSelector.items();
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        auto* radio = new QRadioButton(toQt(items[static_cast<std::size_t>(i)].caption), box);
        m_weekButtons->addButton(radio, i);
        layout->addWidget(radio);
    }
    auto sync = [this, box] {
        const auto& rg = m_model.weekSelector;
        box->setVisible(rg.visible());
        box->setEnabled(rg.enabled());
        for (int i = 0; i < static_cast<int>(rg.items().size()); ++i) {
            auto* b = m_weekButtons->button(i);
            const auto& item = rg.items()[static_cast<std::size_t>(i)];
            b->setChecked(i == rg.itemIndex());
            QString css;
            if (item.textColor != model::kBlack) {
                css = QStringLiteral("color: %1;").arg(cssColor(item.textColor));
            }
            if (item.background != model::RadioGroup::kNoBackground) {
                css += QStringLiteral("background: %1;").arg(cssColor(item.background));
            }
            b->setStyleSheet(css);
        }
    };
    sync();
    m_connections.emplace_back(&m_model.weekSelector.changed,
                               m_model.weekSelector.changed.connect(sync));
    QObject::connect(m_weekButtons, &QButtonGroup::idClicked, box,
                     [this](int id) { m_model.weekSelector.setItemIndex(id); });
}

void MainWindowView::buildTray() {
    m_tray = new QSystemTrayIcon(this);
    m_tray->setObjectName(QStringLiteral("TrayIcon"));
    m_tray->setIcon(applicationIcon());
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("PopupMenu1"));
    for (model::Command* item : m_model.trayMenu) {
        if (item->kind() == model::CommandKind::Separator) {
            m_trayMenu->addSeparator()->setObjectName(toQt(item->name()));
        } else {
            bindAction(*item, m_trayMenu->addAction(QString()));
        }
    }
    m_tray->setContextMenu(m_trayMenu);
    auto sync = [this] {
        m_tray->setToolTip(toQt(m_model.trayIcon.tip));
        m_tray->setVisible(m_model.trayIcon.visible());
    };
    sync();
    m_connections.emplace_back(&m_model.trayIcon.changed, m_model.trayIcon.changed.connect(sync));
    QObject::connect(m_tray, &QSystemTrayIcon::activated, this,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) {
                             m_model.trayLeftReleased();
                         }
                     });
}

void MainWindowView::buildShortcuts() {
    std::vector<std::string> seen;
    for (model::Command* c : m_model.commands()) {
        const std::string& keys = c->shortcut();
        if (keys.empty() || std::find(seen.begin(), seen.end(), keys) != seen.end()) {
            continue;
        }
        seen.push_back(keys);
        auto* shortcut = new QShortcut(QKeySequence(toQt(keys)), this);
        QObject::connect(shortcut, &QShortcut::activated, this,
                         [this, keys] { m_model.triggerShortcut(keys); });
    }
}

void MainWindowView::place(QWidget* widget, const model::Rect& rect) {
    widget->setGeometry(rect.left, rect.top, rect.width, rect.height);
    m_placed.emplace_back(widget, &rect);
}

void MainWindowView::applyLayout() {
    QWidget* client = centralWidget();
    m_model.resize(client->width() + kFrameWidth, client->height() + kFrameHeight);
    for (const auto& [widget, rect] : m_placed) {
        widget->setGeometry(rect->left, rect->top, rect->width, rect->height);
    }
    placeEmergencyBanner();
    syncGrid();
}

void MainWindowView::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyLayout();
}

void MainWindowView::syncWindow() {
    setWindowTitle(toQt(m_model.caption()));
    if (m_model.visible()) {
        if (!isVisible() || isMinimized()) {
            showNormal();
        }
        return;
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Without a notification area a hidden window could never be brought back: keep it
        // in the taskbar instead.
        if (!isMinimized()) {
            showMinimized();
        }
        return;
    }
    hide();
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    // Closing only hides the window to the tray; the system goes on broadcasting.
    event->ignore();
    m_model.requestClose();
}

void MainWindowView::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        // After the activation has been delivered: the handler may open message boxes.
        QTimer::singleShot(0, this, [this] { m_model.activate(); });
    }
}

}  // namespace orvessa::gui
