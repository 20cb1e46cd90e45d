#pragma once

#include <QDialog>
#include <QString>

#include "core/editing/tform5.h"

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
class Form5View : public QDialog {
public:
    explicit Form5View(editing::TForm5& model, QWidget* parent = nullptr);

    QTreeView* tree() const { return m_tree; }

private:
    editing::TForm5& m_model;
    QTreeView* m_tree;
};

}  // namespace orvessa::gui
