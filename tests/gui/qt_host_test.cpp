#include "gui/qt_host.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace orvessa;
using platform::MessageAnswer;
using platform::MessageButtons;

class QtHostTest : public QObject {
    Q_OBJECT

private slots:
    // Enter answers a question with its default button; where Yes drops data, that is No.
    void enterAnswersTheDefaultButton() {
        gui::QtHost host;
        const std::pair<MessageButtons, MessageAnswer> cases[] = {
            {MessageButtons::YesNo, MessageAnswer::Yes},
            {MessageButtons::YesNoDefaultNo, MessageAnswer::No}};
        for (const auto& [buttons, enter] : cases) {
            QTimer::singleShot(0, [] {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                        QTest::keyClick(box, Qt::Key_Return);
                    }
                }
            });
            QCOMPARE(
                host.messageBox("确实要保存吗？", "确认", platform::MessageIcon::Question, buttons),
                enter);
        }
    }
};

QTEST_MAIN(QtHostTest)
#include "qt_host_test.moc"
