#include "gui/editing/password_dialog_view.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "fakes/scripted_host.h"
#include "support/temp_dir.h"

using namespace orvessa;

namespace {

struct Password {
    Password() { config.setEntry(store::SystemConfig::kPassword, "pw"); }

    testing::TempDir dir;
    store::SystemConfig config{dir.path()};
    bool unlocked = false;
    fakes::ScriptedHost host;
    editing::PasswordDialog model{config, unlocked, host, [] { return true; }};
    gui::PasswordDialogView view{model};

    QLineEdit* field(const char* name) {
        return view.findChild<QLineEdit*>(QString::fromUtf8(name));
    }
};

}  // namespace

class PasswordDialogViewTest : public QObject {
    Q_OBJECT

private slots:
    void passwordLineAloneInTheMiddle() {
        Password p;
        p.view.show();
        QCOMPARE(p.view.windowTitle(), QStringLiteral("操作员资格论证"));
        QVERIFY(p.field("passwordField")->isVisible());
        QVERIFY(!p.field("newPasswordField")->isVisible() && !p.field("repeatField")->isVisible());
        const int middle = p.field("passwordField")->geometry().center().y();
        QVERIFY(middle > p.view.height() / 3);

        QTest::keyClicks(p.field("passwordField"), QStringLiteral("pw"));
        QCOMPARE(p.model.passwordField.text(), std::string("pw"));
        QCOMPARE(p.field("passwordField")->displayText(), QStringLiteral("**"));
        QTest::mouseClick(p.view.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QVERIFY(p.unlocked);
        QVERIFY(p.field("passwordField")->text().isEmpty());
    }

    void changeLayoutShowsThreeLines() {
        Password p;
        p.view.show();
        auto* change = p.view.findChild<QPushButton*>(QStringLiteral("changeButton"));
        QCOMPARE(change->text(), QStringLiteral("更改(&G)"));
        QTest::mouseClick(change, Qt::LeftButton);
        QVERIFY(p.model.changeLayout());
        for (const char* name : {"passwordField", "newPasswordField", "repeatField"}) {
            QTRY_VERIFY(p.field(name)->isVisible());
        }
        QTRY_VERIFY(p.field("passwordField")->y() < p.field("newPasswordField")->y());
        QVERIFY(p.field("passwordField")->y() < p.view.height() / 4);
        // The new password is as unseen as the old one.
        for (const char* name : {"newPasswordField", "repeatField"}) {
            QTest::keyClicks(p.field(name), QStringLiteral("new"));
            QCOMPARE(p.field(name)->displayText(), QStringLiteral("***"));
        }
        QCOMPARE(p.model.repeatField.text(), std::string("new"));
    }
};

QTEST_MAIN(PasswordDialogViewTest)
#include "password_dialog_view_test.moc"
