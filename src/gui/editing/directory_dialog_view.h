#pragma once

#include <QDialog>
#include <QString>
#include <QTreeView>
#include <functional>

#include "core/editing/directory_dialog.h"

namespace orvessa::gui {

// A tree of the machine's folders, directories only, rooted at "/". It watches the folders it
// has listed only while it is shown: hidden all day behind the main window, it would read a
// folder again at every change in it. Shown again, it lists them afresh.
class FolderTree : public QTreeView {
public:
    explicit FolderTree(QWidget* parent);

    // Makes `folder` the current folder, or its nearest existing parent when it is gone, and
    // returns the folder it shows. Not a move of the operator's: currentFolderChanged is quiet.
    QString showFolder(const QString& folder);
    // The folder of a row.
    QString folderAt(const QModelIndex& index) const;

    // The operator moved the current row to this folder.
    std::function<void(const QString&)> currentFolderChanged;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void listFolders(bool watching);

    bool m_watching = false;
    bool m_quiet = false;
};

// The folder of a folder tree's row.
QString folderAt(const QTreeView* tree, const QModelIndex& index);

// The default directory dialog: the chosen directory above, the folder tree whose double-clicked
// folder becomes it, and the note beside the tree.
class DirectoryDialogView : public QDialog {
public:
    explicit DirectoryDialogView(editing::DirectoryDialog& model, QWidget* parent = nullptr);

    FolderTree* tree() const { return m_tree; }

private:
    editing::DirectoryDialog& m_model;
    FolderTree* m_tree;
};

}  // namespace orvessa::gui
