#include "gui/editing/directory_dialog_view.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/fonts.h"
#include "gui/qt_text.h"

namespace orvessa::gui {

namespace {

// Folder and file icons from the style, made once here: the default provider reads the type
// of every file it lists, folders only shown or not, and the model asks from its own thread.
class StyleIcons : public QAbstractFileIconProvider {
public:
    StyleIcons()
        : m_folder(QApplication::style()->standardIcon(QStyle::SP_DirIcon)),
          m_file(QApplication::style()->standardIcon(QStyle::SP_FileIcon)) {}

    QIcon icon(IconType type) const override { return type == File ? m_file : m_folder; }
    QIcon icon(const QFileInfo& info) const override { return info.isDir() ? m_folder : m_file; }

private:
    const QIcon m_folder;
    const QIcon m_file;
};

QFileSystemModel* foldersOf(const QTreeView* tree) {
    return static_cast<QFileSystemModel*>(tree->model());
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    listFolders(false);
}

void FolderTree::listFolders(bool watching) {
    static StyleIcons icons;
    const QString current = model() != nullptr ? folderAt(currentIndex()) : QString();
    QAbstractItemModel* old = model();
    // The listing changes under the operator's current row, which stays where it was.
    m_quiet = true;
    auto* folders = new QFileSystemModel(this);
    folders->setIconProvider(&icons);
    folders->setOption(QFileSystemModel::DontWatchForChanges, !watching);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders->setRootPath(QDir::rootPath());
    setModel(folders);
    setRootIndex(folders->index(QDir::rootPath()));
    for (int column = 1; column < folders->columnCount(); ++column) {
        hideColumn(column);
    }
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    // A folder listed after the tree was set would push the current one out of sight.
    QObject::connect(folders, &QFileSystemModel::directoryLoaded, this,
                     [this] { scrollTo(currentIndex()); });
    if (!current.isEmpty()) {
        showFolder(current);
    }
    if (old != nullptr) {
        old->deleteLater();
    }
    m_quiet = false;
    m_watching = watching;
}

QString FolderTree::showFolder(const QString& folder) {
    QString path = QDir::cleanPath(folder.isEmpty() ? QDir::rootPath() : folder);
    while (!QFileInfo(path).isDir() && path != QDir::rootPath()) {
        path = QFileInfo(path).absolutePath();
    }
    const QModelIndex index = foldersOf(this)->index(path);
    const bool quiet = m_quiet;
    m_quiet = true;
    setCurrentIndex(index);
    m_quiet = quiet;
    expand(index);
    scrollTo(index);
    return path;
}

QString FolderTree::folderAt(const QModelIndex& index) const {
    return foldersOf(this)->filePath(index);
}

void FolderTree::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (!m_quiet && current.isValid() && currentFolderChanged) {
        currentFolderChanged(folderAt(current));
    }
}

void FolderTree::showEvent(QShowEvent* event) {
    if (!m_watching) {
        listFolders(true);
    }
    QTreeView::showEvent(event);
}

void FolderTree::hideEvent(QHideEvent* event) {
    QTreeView::hideEvent(event);
    if (m_watching) {
        foldersOf(this)->setOption(QFileSystemModel::DontWatchForChanges, true);
        m_watching = false;
    }
}

QString folderAt(const QTreeView* tree, const QModelIndex& index) {
    return foldersOf(tree)->filePath(index);
}

DirectoryDialogView::DirectoryDialogView(editing::DirectoryDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);

    auto* directoryEdit = new QLineEdit(this);
    bindText(model.directoryField, directoryEdit);
    layout->addWidget(directoryEdit);

    auto* middle = new QHBoxLayout;
    m_tree = new FolderTree(this);
    m_tree->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_tree->showFolder(toQt(model.treeFolder));
    QObject::connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        m_model.folderChanged(fromQt(m_tree->folderAt(index)));
    });
    middle->addWidget(m_tree, 1);

    auto* instructionLabel = new QLabel(this);
    bindText(model.instructionLine, instructionLabel);
    // Four characters a line, as the note was designed to break.
    instructionLabel->setWordWrap(true);
    instructionLabel->setFixedWidth(
        instructionLabel->fontMetrics().horizontalAdvance(QStringLiteral("请双击相")) + 4);
    instructionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* side = new QVBoxLayout;
    side->addWidget(instructionLabel);
    addButtons(side, this, {.commands = {&model.okButton}, .enterPresses = &model.okButton});
    middle->addLayout(side);
    layout->addLayout(middle, 1);
    setFixedSize(380, 300);
}

}  // namespace orvessa::gui
