#include "gui/button_row.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "core/model/command.h"

using namespace orvessa;

class ButtonRowTest : public QObject {
    Q_OBJECT

private slots:
    // The foot of a dialog: the buttons at the right end, in the order given, Enter in a field
    // pressing the one named for it; a button follows its command both ways.
    void theFootOfADialogEndsRightAndEnterPressesItsButton() {
        model::Command ok("Button1", model::CommandKind::Button, "确定");
        model::Command cancel("Button2", model::CommandKind::Button, "取消");
        int okClicks = 0;
        ok.setHandler([&] { ++okClicks; });
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        auto* field = new QLineEdit(&dialog);
        layout->addWidget(field);
        QHBoxLayout* row =
            gui::buttonRow(&dialog, {.commands = {&ok, &cancel}, .enterPresses = &ok});
        layout->addLayout(row);

        QCOMPARE(row->count(), 3);
        QVERIFY(row->itemAt(0)->spacerItem() != nullptr);
        auto* first = qobject_cast<QPushButton*>(row->itemAt(1)->widget());
        auto* second = qobject_cast<QPushButton*>(row->itemAt(2)->widget());
        QVERIFY(first != nullptr && second != nullptr);
        QCOMPARE(first->objectName(), QStringLiteral("Button1"));
        QCOMPARE(first->text(), QStringLiteral("确定"));
        QCOMPARE(second->objectName(), QStringLiteral("Button2"));
        QVERIFY(first->isDefault());
        QVERIFY(!second->isDefault());
        QCOMPARE(first->parent(), &dialog);

        dialog.show();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(okClicks, 1);
        cancel.setEnabled(false);
        QVERIFY(!second->isEnabled());
    }

    // Buttons among fields share their row and leave Enter alone; a column of the side ends
    // with its button at the bottom.
    void buttonsAmongFieldsShareTheRowAndTakeNoEnter() {
        model::Command bold("Button1", model::CommandKind::Button, "粗体");
        model::Command italic("Button2", model::CommandKind::Button, "斜体");
        model::Command ok("Button3", model::CommandKind::Button, "确定");
        QDialog dialog;
        auto* side = new QVBoxLayout(&dialog);
        QHBoxLayout* styles = gui::buttonRow(
            &dialog, {.commands = {&bold, &italic}, .atEnd = false, .focusedTakesEnter = false});
        side->addLayout(styles);
        gui::addButtons(side, &dialog, {.commands = {&ok}});

        QCOMPARE(styles->count(), 2);
        for (int i = 0; i < 2; ++i) {
            auto* button = qobject_cast<QPushButton*>(styles->itemAt(i)->widget());
            QVERIFY(button != nullptr);
            QVERIFY(!button->autoDefault());
            QVERIFY(!button->isDefault());
        }
        QCOMPARE(side->count(), 3);
        QVERIFY(side->itemAt(1)->spacerItem() != nullptr);
        auto* last = qobject_cast<QPushButton*>(side->itemAt(2)->widget());
        QVERIFY(last != nullptr);
        QCOMPARE(last->objectName(), QStringLiteral("Button3"));
        QVERIFY(last->autoDefault());
        QVERIFY(!last->isDefault());
    }
};

QTEST_MAIN(ButtonRowTest)
#include "button_row_test.moc"
