#include "gui/editing/console_page_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>

#include "core/model/grid.h"
#include "fakes/fake_media_device.h"
#include "fakes/fake_secrets.h"
#include "fakes/scripted_host.h"
#include "gui/editing/options_dialog_view.h"
#include "support/temp_dir.h"

using namespace orvessa;

namespace {

// The options dialog of a program directory whose console has its secrets.
struct Options {
    Options() {
        std::string lines;
        for (int k = 0; k < store::SystemConfig::kEntryCount; ++k) {
            lines += "0\r\n";
        }
        testing::writeBytes(dir / "orvessa.sys", lines);
        config.load();
        grid.table().setRowCount(2);
    }

    testing::TempDir dir;
    store::SystemConfig config{dir.path()};
    store::LiveSettings settings;
    model::Grid grid{"Grid"};
    fakes::ScriptedHost host;
    fakes::FakeMediaDevice output;
    fakes::FakeSecrets secrets;
    editing::OptionsDialog model{config, settings, grid,
                                 editing::OptionsServices{.host = host,
                                                          .output = output,
                                                          .saveConfiguration = [] { return true; },
                                                          .programDirectory = dir.path(),
                                                          .consoleSecrets = &secrets}};
    gui::OptionsDialogView view{model};
    editing::ConsolePage& page = *model.consolePage();

    template <typename T>
    T* widget(const char* name) {
        return view.findChild<T*>(QString::fromUtf8(name));
    }
};

}  // namespace

class ConsolePageViewTest : public QObject {
    Q_OBJECT

private slots:
    // The page comes after the five, and what is typed and ticked there reaches the file only
    // through its button; the note under the address follows what is typed.
    void pageEditsTheSettings() {
        Options o;
        QCOMPARE(o.view.pages()->count(), 7);
        QCOMPARE(o.view.pages()->tabText(5), QStringLiteral("网页控制台"));
        o.model.activePage = 5;
        o.view.show();
        QCOMPARE(o.view.pages()->currentWidget()->objectName(), QStringLiteral("consolePage"));

        auto* address = o.widget<QLineEdit>("consoleAddressField");
        auto* note = o.widget<QLabel>("consoleAddressNote");
        QCOMPARE(address->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(note->text(), QString::fromUtf8(editing::ConsolePage::kLoopbackNote));
        address->selectAll();
        QTest::keyClicks(address, QStringLiteral("0.0.0.0"));
        QCOMPARE(note->text(), QString::fromUtf8(editing::ConsolePage::kNetworkNote));
        address->selectAll();
        QTest::keyClicks(address, QStringLiteral("127.0.0.1"));

        auto* port = o.widget<QLineEdit>("consolePortField");
        port->selectAll();
        QTest::keyClicks(port, QStringLiteral("99999"));
        o.widget<QCheckBox>("consoleEnabledBox")->click();
        QTest::mouseClick(o.widget<QPushButton>("consoleSaveButton"), Qt::LeftButton);
        QCOMPARE(o.host.messages.size(), std::size_t{1});
        QVERIFY(!std::filesystem::exists(o.dir / "console.conf"));

        int restarts = 0;
        o.page.consoleSettingsChanged.connect([&restarts] { ++restarts; });
        port->selectAll();
        QTest::keyClicks(port, QStringLiteral("8470"));
        QTest::mouseClick(o.widget<QPushButton>("consoleSaveButton"), Qt::LeftButton);
        QCOMPARE(restarts, 1);
        const std::string file = testing::readBytes(o.dir / "console.conf");
        QVERIFY(file.find("port=8470") != std::string::npos);
        QVERIFY(file.find("enabled=1") != std::string::npos);
        QCOMPARE(o.widget<QLineEdit>("consoleFingerprint")->text(), QStringLiteral("（无）"));
    }

    // The token dialog shows the new token with a button that copies it; the account dialog
    // hides the name and role when it only changes a password.
    void dialogsShowWhatTheirModelsDo() {
        Options o;
        editing::ConsoleTokenDialog& tokens = o.page.tokenDialog();
        gui::ConsoleTokenDialogView tokenView(tokens);
        tokens.prepare();
        tokenView.show();
        auto* token = tokenView.findChild<QLineEdit*>(QStringLiteral("tokenField"));
        auto* copy = tokenView.findChild<QPushButton*>(QStringLiteral("tokenCopyButton"));
        QVERIFY(!token->isVisible());
        QVERIFY(!copy->isVisible());
        QTest::keyClicks(tokenView.findChild<QLineEdit*>(QStringLiteral("tokenNameField")),
                         QStringLiteral("panel"));
        QTest::mouseClick(tokenView.findChild<QPushButton*>(QStringLiteral("tokenAddButton")),
                          Qt::LeftButton);
        QVERIFY(token->isVisible());
        QVERIFY(token->isReadOnly());
        QCOMPARE(token->text(), QStringLiteral("token1"));
        QVERIFY(copy->isVisible());
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("token1"));
        QCOMPARE(o.page.tokenList.items().size(), std::size_t{1});
        tokens.clear();
        QVERIFY(token->text().isEmpty());
        QVERIFY(!copy->isVisible());

        editing::ConsoleAccountDialog& account = o.page.accountDialog();
        gui::ConsoleAccountDialogView accountView(account);
        account.prepare(false, "alice");
        accountView.show();
        QCOMPARE(accountView.windowTitle(), QStringLiteral("修改密码：alice"));
        QVERIFY(
            !accountView.findChild<QLineEdit*>(QStringLiteral("accountNameField"))->isVisible());
        QVERIFY(!accountView.findChild<QWidget*>(QStringLiteral("accountRoleGroup"))->isVisible());
        auto* password = accountView.findChild<QLineEdit*>(QStringLiteral("accountPasswordField"));
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        account.prepare(true, {});
        QCOMPARE(accountView.windowTitle(), QStringLiteral("添加用户"));
        QVERIFY(accountView.findChild<QLineEdit*>(QStringLiteral("accountNameField"))->isVisible());
    }
};

QTEST_MAIN(ConsolePageViewTest)
#include "console_page_view_test.moc"
