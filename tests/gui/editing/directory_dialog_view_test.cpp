#include "gui/editing/directory_dialog_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "support/temp_dir.h"

using namespace orvessa;

class DirectoryDialogViewTest : public QObject {
    Q_OBJECT

private slots:
    void doubleClickedFolderBecomesTheDirectory() {
        testing::TempDir dir;
        std::filesystem::create_directory(dir / "music");
        const QString root = QString::fromStdString(dir.path().string());
        // A folder that is gone opens the tree at its nearest existing parent.
        editing::DirectoryDialog model((dir / "AUDIO" / "old").string());
        gui::DirectoryDialogView view(model);
        QCOMPARE(view.windowTitle(), QStringLiteral("设置系统默认目录"));
        QVERIFY(view.findChild<QLineEdit*>(QStringLiteral("Edit1"))->isReadOnly());
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("请双击相          应目录名"));
        QTreeView* tree = view.tree();
        QCOMPARE(gui::folderAt(tree, tree->currentIndex()), root);

        view.show();
        const QModelIndex folder = tree->currentIndex();
        QTRY_COMPARE(tree->model()->rowCount(folder), 1);
        const QModelIndex music = tree->model()->index(0, 0, folder);
        tree->scrollTo(music);
        // A double click reaches a widget as the press and release before it, then itself.
        const QPoint at = tree->visualRect(music).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(view.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(),
                 root + QStringLiteral("/music/"));
        QCOMPARE(model.chosenDirectory, (dir / "music").string() + "/");

        QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
        QCOMPARE(model.modalResult(), model::ModalResult::Accepted);
    }
};

QTEST_MAIN(DirectoryDialogViewTest)
#include "directory_dialog_view_test.moc"
