#include "gui/ui/main_window_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

#include "core/store/table_file.h"
#include "fakes/fake_power.h"
#include "fakes/fixed_monitors.h"
#include "fakes/recording_screen_saver_flag.h"
#include "fakes/recording_shell.h"
#include "fakes/scripted_host.h"
#include "fakes/settable_clock.h"
#include "gui/qt_text.h"
#include "support/temp_dir.h"

using namespace orvessa;

namespace {

struct Expected {
    const char* name;
    const char* caption;
    const char* shortcut;
    bool enabled;  // as designed, before start-up changes anything
};

// Every command of the main window as the operator sees it.
const Expected kMenuItems[] = {
    {"systemMenu", "系统(&S)", "", true},
    {"enterSystem", "进入系统", "F2", true},
    {"lockSystem", "屏蔽系统", "F3", true},
    {"hideSystem", "隐藏系统(&X)", "", true},
    {"skinItem", "换    肤(&G)", "", true},
    {"changePassword", "更改密码...", "F4", true},
    {"quitSystem", "退出系统(&Q)", "Ctrl+Q", true},
    {"tableMenu", "表操作(&B)", "", false},
    {"moveUpItem", "上  移(&F)", "", true},
    {"moveDownItem", "下  移(&N)", "", true},
    {"insertRowItem", "插入行(&I)", "", true},
    {"deleteRowItem", "删除行(&D)", "", true},
    {"addRowItem", "添加行(&A)", "", true},
    {"saveItem", "存  盘(&R)", "", true},
    {"settingsMenu", "设置(&T)", "", true},
    {"manualOperation", "手动操作 (&L)", "F5", true},
    {"automaticOperation", "自动播出 (&U)", "F6", false},
    {"forcedWeekdayMenu", "指定作息时间 (&Z)", "", false},
    {"forcedAutomatic", "自动(&U)", "", true},
    {"forcedMonday", "星期一", "", true},
    {"forcedSunday", "星期日", "", true},
    {"weekSettingItem", "周 设 置(&W)", "", false},
    {"importTableItem", "导    入(&J)", "", false},
    {"exportTableItem", "导    出(&K)", "", false},
    {"holidaysItem", "节 假 日(&P)", "", false},
    {"schoolCalendar", "校历(&C)", "", false},
    {"optionsItem", "选    项 ", "F8", false},
    {"preflightItem", "预演检查", "", false},
    {"subtitleItem", "字幕(&E)", "", false},
    {"mediaMenu", "音视频(&M)", "", true},
    {"mediaLibraryItem", "我的影音库(&Y)", "", false},
    {"findItem", "查找", "Ctrl+F", true},
    {"playItem", "播放", "Ctrl+P", false},
    {"stopItem", "停止", "Ctrl+S", false},
    {"recordItem", "录音    ", "Ctrl+R", false},
    {"helpMenu", "帮助(&H)", "", true},
    {"aboutItem", "关于...", "F12", true},
    {"helpItem", "帮助   ", "F1", true},
    {"homePageItem", "主页   ", "F10", true},
    {"showWindowTrayItem", "主窗口(&C)", "", true},
    {"helpTrayItem", "帮  助(&H)", "", true},
    {"quitTrayItem", "退出系统(&Q)", "", true},
};

struct ExpectedButton {
    const char* name;
    const char* caption;
    const char* hint;
};

const ExpectedButton kToolbar[] = {
    {"weekSettingTool", "周设置", "一周表设置"},
    {"importTableTool", "导入", "从已存在表中复制数据"},
    {"exportTableTool", "导出", "将当前表保存为模板"},
    {"optionsTool", "选项", "向表中添加目录或文件等"},
    {"findTool", "查找", "查看当前文件是否存在"},
    {"playTool", "播放", "播放当前文件"},
    {"stopTool", "停止", "停止播放"},
    {"recordTool", "录音", "录音"},
    {"skinTool", "换肤", "更换界面"},
    {"helpTool", "帮助", "帮助"},
};

const ExpectedButton kButtons[] = {
    {"quitButton", "退出(&Q)", ""},
    {"hideButton", "隐藏(&X)", ""},
    {"insertRowButton", "插入(&I)", ""},
    {"addRowButton", "添加(&A)", ""},
    {"deleteRowButton", "删除(&D)", ""},
    {"moveUpButton", "上移(&F)", ""},
    {"moveDownButton", "下移(&N)", ""},
    {"saveButton", "保存(&R)", ""},
    {"hideAtStartBox", "启动时隐藏主窗口", ""},
    {"secondMonitorBox", "输出到第二显示器", ""},
};

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

class MainWindowViewTest : public QObject {
    Q_OBJECT

private:
    testing::TempDir m_dir;
    store::SystemConfig m_config{m_dir.path()};
    fakes::ScriptedHost m_host;
    fakes::SettableClock m_clock{platform::LocalDateTime{2026, 12, 9, 8, 0, 0}};
    fakes::FakePower m_power;
    fakes::RecordingScreenSaverFlag m_screenSaver;
    fakes::RecordingShell m_shell;
    fakes::FixedMonitors m_monitors;
    model::Timer m_ticker{"ticker"};

    std::unique_ptr<ui::MainWindow> makeModel() {
        return std::make_unique<ui::MainWindow>(
            ui::MainWindowServices{m_host, m_clock, m_shell, m_monitors, m_dir.path(), m_config,
                                   [this] { return m_config.save().ok; }, m_ticker});
    }

private slots:
    void everyCommandHasItsCaptionShortcutAndDesignedState() {
        auto model = makeModel();
        gui::MainWindowView view(*model);
        for (const Expected& e : kMenuItems) {
            auto* action = view.findChild<QAction*>(q(e.name));
            QVERIFY2(action != nullptr, e.name);
            QString text = q(e.caption);
            if (*e.shortcut != '\0') {
                text += QLatin1Char('\t') + q(e.shortcut);
            }
            QCOMPARE(action->text(), text);
            QCOMPARE(action->isEnabled(), e.enabled);
        }
        for (const ExpectedButton& e : kToolbar) {
            auto* button = view.findChild<QAbstractButton*>(q(e.name));
            QVERIFY2(button != nullptr, e.name);
            QCOMPARE(button->text(), q(e.caption));
            QCOMPARE(button->toolTip(), q(e.hint));
            QCOMPARE(button->isEnabled(), model->command(e.name)->enabled());
        }
        for (const ExpectedButton& e : kButtons) {
            auto* button = view.findChild<QAbstractButton*>(q(e.name));
            QVERIFY2(button != nullptr, e.name);
            QCOMPARE(button->text(), q(e.caption));
        }
        QVERIFY(view.findChild<QAbstractButton*>(QStringLiteral("holidayOkButton"))->isHidden());
        for (const char* hidden : {"clockText", "weekSelector"}) {
            auto* w = view.findChild<QWidget*>(q(hidden));
            QVERIFY2(w != nullptr && w->isHidden(), hidden);
        }
    }

    void menusAndToolbarAreInTheirOrder() {
        auto model = makeModel();
        gui::MainWindowView view(*model);
        QStringList menus;
        for (QAction* a : view.menuBar()->actions()) {
            menus << a->text();
        }
        QCOMPARE(menus, (QStringList{q("系统(&S)"), q("表操作(&B)"), q("设置(&T)"), q("字幕(&E)"),
                                     q("音视频(&M)"), q("帮助(&H)")}));

        auto* bar = view.findChild<QToolBar*>(QStringLiteral("ToolBar1"));
        QVERIFY(bar != nullptr);
        QStringList tools;
        for (QAction* a : bar->actions()) {
            if (a->isSeparator()) {
                tools << QStringLiteral("|");
            } else if (auto* b = qobject_cast<QAbstractButton*>(bar->widgetForAction(a))) {
                tools << b->text();
            }
        }
        QCOMPARE(tools.join(QLatin1Char(' ')),
                 q("| 周设置 导入 导出 选项 | 查找 播放 停止 | 录音 | 换肤 帮助 | 紧急广播"));
        // The media menu ends with the notices and the emergency, apart from the rest.
        auto* media = view.findChild<QMenu*>(QStringLiteral("mediaMenu"));
        QVERIFY(media != nullptr);
        QStringList mediaTail;
        for (QAction* a : media->actions().mid(media->actions().size() - 3)) {
            mediaTail << (a->isSeparator() ? QStringLiteral("|") : a->text());
        }
        QCOMPARE(mediaTail, (QStringList{QStringLiteral("|"), q("插播..."), q("紧急广播")}));

        QStringList tray;
        for (QAction* a : view.trayMenu()->actions()) {
            tray << (a->isSeparator() ? QStringLiteral("|") : a->text());
        }
        QCOMPARE(tray, (QStringList{q("主窗口(&C)"), q("紧急广播"), q("插播..."), q("帮  助(&H)"),
                                    QStringLiteral("|"), q("退出系统(&Q)")}));
    }

    void gridShowsTheTableWithItsWidthsAndEditsThroughGbk() {
        testing::writeBytes(m_dir / "zxsj3.log",
                            "1,7:30:00,\xD4\xE7\xB2\xD9,a.mp3,7:45:00,200,\r\n2,,\x81\x7F,,,,\r\n");
        auto model = makeModel();
        store::setScheduleHeaders(model->grid.table());
        store::loadTableFile(model->grid.table(), m_dir.path(), "zxsj3.log");
        gui::MainWindowView view(*model);
        auto* grid = view.findChild<QTableWidget*>(QStringLiteral("grid"));
        QVERIFY(grid != nullptr);
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(grid->horizontalHeaderItem(3)->text(), q("             目 录 或 文 件"));
        const int widths[] = {30, 60, 60, 240, 60, 30};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(grid->columnWidth(c), widths[c]);
        }
        QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 18);
        QCOMPARE(grid->item(0, 2)->text(), q("早操"));
        // A byte that is not GBK shows as one replacement mark and stays in the table.
        QCOMPARE(grid->item(1, 2)->text(),
                 QString(QChar(QChar::ReplacementCharacter)) + QChar(0x7F));
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

        model->grid.setEditable(true);
        QVERIFY(grid->editTriggers() != QAbstractItemView::NoEditTriggers);
        grid->item(0, 2)->setText(QString::fromUtf8("早操😀"));
        QCOMPARE(model->grid.cell(2, 1), std::string("早操?"));
        QCOMPARE(grid->item(0, 2)->text(), q("早操?"));
    }

    // Status messages are green in a 13-pixel font with Chinese glyphs; only warnings are red.
    void theStatusLineIsGreenAndDrawsChinese() {
        auto model = makeModel();
        gui::MainWindowView view(*model);
        auto* statusLabel = view.findChild<QLabel*>(QStringLiteral("statusLine"));
        QVERIFY(statusLabel != nullptr);
        QVERIFY(statusLabel->styleSheet().contains(QStringLiteral("#008000")));
        QCOMPARE(statusLabel->font().pixelSize(), 13);
        QVERIFY(QFontDatabase::writingSystems(QFontInfo(statusLabel->font()).family())
                    .contains(QFontDatabase::SimplifiedChinese));
        model->statusLine.setColor(model::kRed);
        QVERIFY(statusLabel->styleSheet().contains(QStringLiteral("#ff0000")));
    }

    // The emergency's banner takes a band of its own: it covers no button and no row, and its
    // whole text shows at the usual window sizes.
    void theEmergencyBannerCoversNothingAndShowsItsWholeText() {
        auto model = makeModel();
        gui::MainWindowView view(*model);
        model->showFromTray();
        const std::string text =
            "紧急广播中　10:00:30 起　发起：wang@console:198.18.100.200　作息表已停止　"
            "警报声文件不存在，已改用内置警报声：/home/广播室/媒体库/AUDIO/警报声/防空警报.mp3";
        model->emergencyBanner.setText(text);
        model->emergencyBanner.setVisible(true);
        auto* bar = view.findChild<QWidget*>(QStringLiteral("emergencyBannerBar"));
        auto* label = view.findChild<QLabel*>(QStringLiteral("emergencyBanner"));
        QVERIFY(bar != nullptr && label != nullptr);
        for (const QSize size : {QSize(700, 438), QSize(1016, 700), QSize(800, 520)}) {
            view.resize(size.width(), size.height() + view.menuBar()->height());
            QCoreApplication::processEvents();
            QVERIFY(bar->isVisible());
            QVERIFY(view.centralWidget()->rect().contains(bar->geometry()));
            for (QAbstractButton* b : view.centralWidget()->findChildren<QAbstractButton*>()) {
                if (b->isVisible() && !bar->isAncestorOf(b) && b->parentWidget() != nullptr &&
                    b->parentWidget() == view.centralWidget()) {
                    QVERIFY2(!bar->geometry().intersects(b->geometry()),
                             qPrintable(b->objectName() + QStringLiteral(" is covered")));
                }
            }
            auto* grid = view.findChild<QTableWidget*>();
            QVERIFY(!bar->geometry().intersects(grid->geometry()));
            QCOMPARE(label->text(), gui::toQt(text));
            const QRect needed =
                QFontMetrics(label->font())
                    .boundingRect(label->contentsRect(), Qt::TextWordWrap, label->text());
            QVERIFY2(needed.height() <= label->contentsRect().height(),
                     qPrintable(QStringLiteral("%1 by %2").arg(size.width()).arg(size.height())));
        }
        model->emergencyBanner.setVisible(false);
        QVERIFY(!bar->isVisible());
    }

    void closingHidesAndTheTrayBringsTheWindowBack() {
        auto model = makeModel();
        gui::MainWindowView view(*model);
        model->showFromTray();
        QVERIFY(view.isVisible());
        view.close();
        QVERIFY(!model->visible());
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            QVERIFY(!view.isVisible());
        } else {
            // Without a notification area the window stays reachable in the taskbar.
            QVERIFY(view.isMinimized());
        }
        model->trayLeftReleased();
        QVERIFY(view.isVisible());
        QVERIFY(!view.isMinimized());
        QCOMPARE(m_host.quitRequests, 0);
    }
};

QTEST_MAIN(MainWindowViewTest)
#include "main_window_view_test.moc"
