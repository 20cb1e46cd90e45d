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
        QVERIFY(view.findChild<QLineEdit*>(QStringLiteral("directoryField"))->isReadOnly());
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("instructionLine"))->text(),
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
        QCOMPARE(view.findChild<QLineEdit*>(QStringLiteral("directoryField"))->text(),
                 root + QStringLiteral("/music/"));
        QCOMPARE(model.chosenDirectory, (dir / "music").string() + "/");

        QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        QCOMPARE(model.modalResult(), model::ModalResult::Accepted);
    }

    // Shown, the tree follows the disk; hidden, it watches nothing, and shown again it lists
    // what changed meanwhile. The operator's own moves are reported, the program's are not.
    void theTreeFollowsTheDiskOnlyWhileShown() {
        testing::TempDir dir;
        std::filesystem::create_directory(dir / "a");
        const QString root = QString::fromStdString(dir.path().string());
        gui::FolderTree tree(nullptr);
        QStringList moves;
        tree.currentFolderChanged = [&moves](const QString& folder) { moves.append(folder); };
        QCOMPARE(tree.showFolder(root + QStringLiteral("/gone/deeper")), root);
        const auto rows = [&tree] { return tree.model()->rowCount(tree.currentIndex()); };

        tree.show();
        QTRY_COMPARE(rows(), 1);
        std::filesystem::create_directory(dir / "b");
        QTRY_COMPARE(rows(), 2);

        tree.hide();
        std::filesystem::create_directory(dir / "c");
        tree.show();
        QCOMPARE(tree.folderAt(tree.currentIndex()), root);
        QTRY_COMPARE(rows(), 3);
        QVERIFY2(moves.isEmpty(), qPrintable(moves.join(u',')));

        // The model sorts its rows when it likes; the folder is found by its name.
        QModelIndex a;
        for (int r = 0; r < rows(); ++r) {
            const QModelIndex i = tree.model()->index(r, 0, tree.currentIndex());
            if (tree.folderAt(i) == root + QStringLiteral("/a")) {
                a = i;
            }
        }
        QVERIFY(a.isValid());
        tree.setCurrentIndex(a);
        QCOMPARE(moves, QStringList{root + QStringLiteral("/a")});
    }
};

QTEST_MAIN(DirectoryDialogViewTest)
#include "directory_dialog_view_test.moc"
