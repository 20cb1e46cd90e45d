// The built-in skins side by side: the main window, a window with every kind of control the
// system uses and a popup menu, grabbed off screen in the desktop's normal look and in each of
// the ten skins, composed into one contact sheet. Reports the time to decode and to apply each
// skin, and the resident memory before any skin and every 20 switches up to 110.
//
// Usage: orvessa_skin_gallery SHEET.png

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/skins/skin_package.h"
#include "core/skins/skin_store.h"
#include "core/ui/main_window.h"
#include "fakes/fake_power.h"
#include "fakes/fixed_monitors.h"
#include "fakes/recording_screen_saver_flag.h"
#include "fakes/recording_shell.h"
#include "fakes/scripted_host.h"
#include "fakes/settable_clock.h"
#include "gui/pictures.h"
#include "gui/qt_text.h"
#include "gui/skins/built_in_skins.h"
#include "gui/skins/qt_skin_look.h"
#include "gui/ui/main_window_view.h"
#include "support/temp_dir.h"

namespace {

using namespace orvessa;

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

long residentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

// The main window as the operator sees it in manual operation, with a few rows and the two
// now-playing lines in their red and green.
struct GalleryWindow {
    testing::TempDir dir;
    fakes::ScriptedHost host;
    fakes::SettableClock clock{platform::LocalDateTime{2026, 12, 9, 8, 0, 0}};
    fakes::FakePower power;
    fakes::RecordingScreenSaverFlag screenSaver;
    fakes::RecordingShell shell;
    fakes::FixedMonitors monitors;
    store::SystemConfig config{dir.path()};
    orvessa::model::Timer ticker{"ticker"};
    ui::MainWindow model{ui::MainWindowServices{host, clock, shell, monitors, dir.path(), config,
                                                [this] { return config.save().ok; }, ticker}};
    std::unique_ptr<gui::MainWindowView> view;

    GalleryWindow() {
        const char* rows[][6] = {
            {"1", "07:30:00", "起床铃.mp3", "180", "", ""},
            {"2", "08:00:00", "升旗仪式.mp3", "200", "", ""},
            {"3", "09:45:00", "眼保健操.wav", "180", "", ""},
            {"4", "12:00:00", "午间新闻.mp4", "160", "", ""},
        };
        store::ScheduleTable& table = model.grid.table();
        table.setRowCount(6);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < std::min(6, table.columnCount()); ++c) {
                table.setCell(c, r + 1, rows[r][c]);
            }
        }
        model.grid.tableChanged();
        model.statusLine.setText("正在播放：升旗仪式.mp3   00:01:25 / 00:03:20");
        model.statusLine.setColor(model::kGreen);
        model.hintLine.setText("下一曲目：眼保健操.wav   已停止");
        model.hintLine.setColor(model::kRed);
        model.stopDayLine.setText("2026-12-09   星期三");
        const char* headers[] = {"序号", "开播时间", "播放文件", "音量", "", ""};
        for (int c = 0; c < std::min(6, table.columnCount()); ++c) {
            table.setCell(c, 0, headers[c]);
        }
        view = std::make_unique<gui::MainWindowView>(model);
        view->resize(708, 492);
        view->show();
    }
};

// A window with every kind of control the system's windows use.
std::unique_ptr<QMainWindow> controlWindow() {
    auto window = std::make_unique<QMainWindow>();
    window->setWindowTitle(q("控件一览"));
    for (const char* title : {"系统(&S)", "表操作(&B)", "设置(&T)", "帮助(&H)"}) {
        window->menuBar()->addMenu(q(title));
    }
    QToolBar* bar = window->addToolBar(q("工具栏"));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(24, 24));
    const char* buttons[][2] = {{"自动播出", "weekSettingTool"},
                                {"手动操作", "optionsTool"},
                                {"播放", "playTool"},
                                {"停止", "stopTool"},
                                {"换肤", "skinTool"}};
    for (const auto& [caption, name] : buttons) {
        QAction* action = bar->addAction(gui::toolbarIcon(q(name)), q(caption));
        action->setEnabled(QLatin1String(name) != QLatin1String("stopTool"));
    }

    auto* client = new QWidget;
    auto* grid = new QGridLayout(client);
    auto* table = new QTableWidget(5, 4);
    table->setHorizontalHeaderLabels({q("序号"), q("开播时间"), q("播放文件"), q("音量")});
    table->verticalHeader()->hide();
    const char* cells[][4] = {{"1", "07:30:00", "起床铃.mp3", "180"},
                              {"2", "08:00:00", "升旗仪式.mp3", "200"},
                              {"3", "09:45:00", "眼保健操.wav", "180"},
                              {"4", "12:00:00", "午间新闻.mp4", "160"},
                              {"5", "17:30:00", "放学铃.mp3", "180"}};
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 4; ++c) {
            table->setItem(r, c, new QTableWidgetItem(q(cells[r][c])));
        }
    }
    table->setColumnWidth(2, 150);
    table->selectRow(1);
    table->setMinimumHeight(150);
    grid->addWidget(table, 0, 0, 1, 2);

    auto* group = new QGroupBox(q("录音格式"));
    auto* groupLayout = new QVBoxLayout(group);
    auto* mono = new QRadioButton(q("单声道 22050 Hz"));
    mono->setChecked(true);
    groupLayout->addWidget(mono);
    groupLayout->addWidget(new QRadioButton(q("立体声 44100 Hz")));
    auto* off = new QRadioButton(q("不可用的格式"));
    off->setEnabled(false);
    groupLayout->addWidget(off);
    auto* check = new QCheckBox(q("启动时隐藏主窗口"));
    check->setChecked(true);
    groupLayout->addWidget(check);
    groupLayout->addWidget(new QCheckBox(q("第二显示器播放")));
    grid->addWidget(group, 1, 0);

    auto* tabs = new QTabWidget;
    auto* page = new QWidget;
    auto* form = new QVBoxLayout(page);
    form->addWidget(new QLineEdit(q("校园之声广播站")));
    auto* combo = new QComboBox;
    combo->addItems({q("星期一"), q("星期二"), q("星期三")});
    form->addWidget(combo);
    auto* spin = new QSpinBox;
    spin->setRange(0, 255);
    spin->setValue(180);
    form->addWidget(spin);
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(0, 255);
    slider->setValue(180);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(32);
    form->addWidget(slider);
    auto* progress = new QProgressBar;
    progress->setValue(42);
    form->addWidget(progress);
    tabs->addTab(page, q("常规"));
    tabs->addTab(new QWidget, q("字幕"));
    tabs->addTab(new QWidget, q("音量"));
    grid->addWidget(tabs, 1, 1);

    auto* row = new QHBoxLayout;
    auto* disabled = new QPushButton(q("删除(D)"));
    disabled->setEnabled(false);
    row->addWidget(new QPushButton(q("插入(I)")));
    row->addWidget(disabled);
    auto* arrow = new QToolButton;
    arrow->setArrowType(Qt::UpArrow);
    row->addWidget(arrow);
    row->addStretch();
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    box->button(QDialogButtonBox::Ok)->setText(q("确 定(O)"));
    box->button(QDialogButtonBox::Cancel)->setText(q("取 消(C)"));
    row->addWidget(box);
    grid->addLayout(row, 2, 0, 1, 2);

    window->setCentralWidget(client);
    window->statusBar()->addWidget(new QLabel(q("自动播出中 · 下一曲目 09:45:00")));
    window->resize(560, 470);
    window->show();
    return window;
}

std::unique_ptr<QMenu> popupMenu() {
    auto menu = std::make_unique<QMenu>();
    menu->addAction(q("进入系统\tF2"));
    menu->addAction(q("屏蔽系统\tF3"))->setEnabled(false);
    menu->addAction(q("隐藏系统(&X)"));
    menu->addSeparator();
    menu->addAction(q("换    肤(&G)"));
    QMenu* days = menu->addMenu(q("指定作息时间 (&Z)"));
    days->addAction(q("星期一"));
    QAction* checked = menu->addAction(q("自动播出 (&U)\tF6"));
    checked->setCheckable(true);
    checked->setChecked(true);
    menu->addSeparator();
    menu->addAction(q("退出系统(&Q)\tCtrl+Q"));
    return menu;
}

struct Tile {
    QString caption;
    QPixmap main;
    QPixmap controls;
    QPixmap menu;
};

Tile grabAll(const QString& caption, GalleryWindow& main, QMainWindow& controls, QMenu& menu) {
    QApplication::processEvents();
    Tile tile{caption, main.view->grab(), controls.grab(), {}};
    menu.popup(QPoint(0, 0));
    // The second item under the pointer, as the operator would see the menu.
    menu.setActiveAction(menu.actions().value(2));
    QApplication::processEvents();
    tile.menu = menu.grab();
    menu.hide();
    return tile;
}

QImage contactSheet(const std::vector<Tile>& tiles) {
    constexpr int kGap = 16;
    constexpr int kCaption = 26;
    int width = 0;
    int height = kGap;
    for (const Tile& t : tiles) {
        width = std::max(width, kGap * 4 + t.main.width() + t.controls.width() + t.menu.width());
        height +=
            kCaption + std::max({t.main.height(), t.controls.height(), t.menu.height()}) + kGap;
    }
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor(0x9a, 0x9a, 0x9a));
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    int y = kGap;
    for (const Tile& t : tiles) {
        p.setPen(Qt::black);
        p.drawText(kGap, y + 18, t.caption);
        y += kCaption;
        int x = kGap;
        for (const QPixmap* picture : {&t.main, &t.controls, &t.menu}) {
            p.drawPixmap(x, y, *picture);
            x += picture->width() + kGap;
        }
        y += std::max({t.main.height(), t.controls.height(), t.menu.height()}) + kGap;
    }
    return sheet;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvessa_skin_gallery SHEET.png\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    const std::vector<std::uint8_t> bytes = gui::builtInSkinStore();
    const auto store = skins::SkinStore::parse(bytes);
    if (!store) {
        std::fprintf(stderr, "no skin store: %s\n", store.error().c_str());
        return 1;
    }
    std::printf("skin store: %zu bytes, %zu skins\n", bytes.size(), store.value().size());

    GalleryWindow main;
    auto controls = controlWindow();
    auto menu = popupMenu();
    std::vector<Tile> tiles;
    tiles.push_back(grabAll(q("普通外观 (desktop)"), main, *controls, *menu));
    const long before = residentKilobytes();

    gui::QtSkinLook look;
    std::printf("%-4s %-22s %10s %10s %10s\n", "no.", "name", "package B", "decode ms", "apply ms");
    for (std::size_t n = 0; n < store.value().size(); ++n) {
        const skins::SkinStoreItem& item = store.value().items()[n];
        QElapsedTimer timer;
        timer.start();
        const auto skin = skins::loadSkin(item.package);
        const double decodeMs = timer.nsecsElapsed() / 1e6;
        if (!skin) {
            std::fprintf(stderr, "skin %zu: %s\n", n, skin.error().c_str());
            return 1;
        }
        timer.restart();
        look.apply(skin.value());
        QApplication::processEvents();
        const double applyMs = timer.nsecsElapsed() / 1e6;
        const std::string name =
            skin.value().description.value("TitlebarSkin", "SkinName").value_or("?");
        std::printf("%-4zu %-22s %10zu %10.1f %10.1f\n", n, name.c_str(), item.package.size(),
                    decodeMs, applyMs);
        tiles.push_back(grabAll(QStringLiteral("%1  %2  (%3)")
                                    .arg(n)
                                    .arg(QString::fromStdString(name), gui::toQt(item.name)),
                                main, *controls, *menu));
    }

    auto switchThroughAll = [&] {
        for (const skins::SkinStoreItem& item : store.value().items()) {
            const auto skin = skins::loadSkin(item.package);
            look.apply(skin.value());
            QApplication::processEvents();
        }
    };
    // The first pass loaded the style and its caches; what comes after must stay flat.
    std::printf("VmRSS: %ld kB before any skin, %ld kB after the first 10 switches", before,
                residentKilobytes());
    for (int switches = 10; switches < 110;) {
        switchThroughAll();
        switchThroughAll();
        switches += 20;
        std::printf(", %ld kB after %d", residentKilobytes(), switches);
    }
    std::printf("\n");
    look.clear();
    QApplication::processEvents();

    if (!contactSheet(tiles).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("contact sheet: %s\n", argv[1]);
    return 0;
}
