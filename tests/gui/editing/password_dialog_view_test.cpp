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
        QVERIFY(p.field("Edit1")->isVisible());
        QVERIFY(!p.field("Edit2")->isVisible() && !p.field("Edit3")->isVisible());
        const int middle = p.field("Edit1")->geometry().center().y();
        QVERIFY(middle > p.view.height() / 3);

        QTest::keyClicks(p.field("Edit1"), QStringLiteral("pw"));
        QCOMPARE(p.model.Edit1.text(), std::string("pw"));
        QCOMPARE(p.field("Edit1")->displayText(), QStringLiteral("**"));
        QTest::mouseClick(p.view.findChild<QPushButton*>(QStringLiteral("Button2")),
                          Qt::LeftButton);
        QVERIFY(p.unlocked);
        QVERIFY(p.field("Edit1")->text().isEmpty());
    }

    void changeLayoutShowsThreeLines() {
        Password p;
        p.view.show();
        auto* change = p.view.findChild<QPushButton*>(QStringLiteral("Button1"));
        QCOMPARE(change->text(), QStringLiteral("更改(&G)"));
        QTest::mouseClick(change, Qt::LeftButton);
        QVERIFY(p.model.changeLayout());
        for (const char* name : {"Edit1", "Edit2", "Edit3"}) {
            QTRY_VERIFY(p.field(name)->isVisible());
        }
        QTRY_VERIFY(p.field("Edit1")->y() < p.field("Edit2")->y());
        QVERIFY(p.field("Edit1")->y() < p.view.height() / 4);
        // The new password is as unseen as the old one.
        for (const char* name : {"Edit2", "Edit3"}) {
            QTest::keyClicks(p.field(name), QStringLiteral("new"));
            QCOMPARE(p.field(name)->displayText(), QStringLiteral("***"));
        }
        QCOMPARE(p.model.Edit3.text(), std::string("new"));
    }
};

QTEST_MAIN(PasswordDialogViewTest)
#include "password_dialog_view_test.moc"
