#pragma once

#include <QDialog>
#include <QString>

#include "core/editing/directory_dialog.h"

class QTreeView;

namespace orvessa::gui {

// A tree of the machine's folders, directories only, rooted at "/".
QTreeView* makeFolderTree(QWidget* parent);
// Makes `folder` the tree's current folder, or its nearest existing parent when it is gone, and
// returns the folder it shows.
QString showFolder(QTreeView* tree, const QString& folder);
// The folder of a tree row.
QString folderAt(const QTreeView* tree, const QModelIndex& index);

// The default directory dialog: the chosen directory above, the folder tree whose double-clicked
// folder becomes it, and the note beside the tree.
class DirectoryDialogView : public QDialog {
public:
    explicit DirectoryDialogView(editing::DirectoryDialog& model, QWidget* parent = nullptr);

    QTreeView* tree() const { return m_tree; }

private:
    editing::DirectoryDialog& m_model;
    QTreeView* m_tree;
};

}  // namespace orvessa::gui
