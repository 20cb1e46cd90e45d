#include "gui/editing/directory_dialog_view.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/fonts.h"
#include "gui/qt_text.h"

namespace orvessa::gui {

QTreeView* makeFolderTree(QWidget* parent) {
    auto* tree = new QTreeView(parent);
    auto* folders = new QFileSystemModel(tree);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders->setRootPath(QDir::rootPath());
    tree->setModel(folders);
    tree->setRootIndex(folders->index(QDir::rootPath()));
    for (int column = 1; column < folders->columnCount(); ++column) {
        tree->hideColumn(column);
    }
    tree->setHeaderHidden(true);
    tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree->header()->setStretchLastSection(false);
    // A folder listed after the tree was set would push the current one out of sight.
    QObject::connect(folders, &QFileSystemModel::directoryLoaded, tree,
                     [tree] { tree->scrollTo(tree->currentIndex()); });
    return tree;
}

QString showFolder(QTreeView* tree, const QString& folder) {
    auto* folders = static_cast<QFileSystemModel*>(tree->model());
    QString path = QDir::cleanPath(folder.isEmpty() ? QDir::rootPath() : folder);
    while (!QFileInfo(path).isDir() && path != QDir::rootPath()) {
        path = QFileInfo(path).absolutePath();
    }
    const QModelIndex index = folders->index(path);
    tree->setCurrentIndex(index);
    tree->expand(index);
    tree->scrollTo(index);
    return path;
}

QString folderAt(const QTreeView* tree, const QModelIndex& index) {
    return static_cast<const QFileSystemModel*>(tree->model())->filePath(index);
}

DirectoryDialogView::DirectoryDialogView(editing::DirectoryDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);

    auto* edit1 = new QLineEdit(this);
    bindText(model.Edit1, edit1);
    layout->addWidget(edit1);

    auto* middle = new QHBoxLayout;
    m_tree = makeFolderTree(this);
    m_tree->setObjectName(QStringLiteral("DirectoryListBox1"));
    showFolder(m_tree, toQt(model.treeFolder));
    QObject::connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        m_model.folderChanged(fromQt(folderAt(m_tree, index)));
    });
    middle->addWidget(m_tree, 1);

    auto* label1 = new QLabel(this);
    bindText(model.Label1, label1);
    // Four characters a line, as the note was designed to break.
    label1->setWordWrap(true);
    label1->setFixedWidth(label1->fontMetrics().horizontalAdvance(QStringLiteral("请双击相")) + 4);
    label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* side = new QVBoxLayout;
    side->addWidget(label1);
    addButtons(side, this, {.commands = {&model.Button1}, .enterPresses = &model.Button1});
    middle->addLayout(side);
    layout->addLayout(middle, 1);
    setFixedSize(380, 300);
}

}  // namespace orvessa::gui
