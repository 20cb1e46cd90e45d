#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <utility>

#include "core/editing/options_dialog.h"
#include "gui/editing/directory_dialog_view.h"

class QLineEdit;
class QTabWidget;

namespace orvessa::gui {

// The options dialog: five pages of settings (six with the web console's), each with its own
// way out. It opens at the page
// that was shown when it last closed.
class OptionsDialogView : public QDialog {
public:
    explicit OptionsDialogView(editing::OptionsDialog& model, QWidget* parent = nullptr);

    QTabWidget* pages() const { return m_pages; }
    FolderTree* tree() const { return m_tree; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* volumePage();
    QWidget* pathPage();
    QWidget* shutdownPage();
    // The wake time's margin and line, on the shutdown page.
    QWidget* wakeBox(QWidget* page);
    QWidget* endOfDayPage();
    QWidget* passwordPage();
    // Moves the tree to `folder`; with `chosen`, as the operator's choice.
    void goToFolder(const QString& folder, bool chosen);
    void syncPlaceholder();
    // A colon typed after a single hour digit: the digit is the second one, the first is blank.
    bool hourTyped(QLineEdit* field, model::TextControl& control, QKeyEvent* key);

    editing::OptionsDialog& m_model;
    QTabWidget* m_pages;
    FolderTree* m_tree = nullptr;
    QLineEdit* m_path = nullptr;
    // The folder the tree showed at start, the program directory.
    QString m_programFolder;
    // The two shutdown time fields with their model fields.
    std::array<std::pair<QLineEdit*, model::TextControl*>, 2> m_timeFields{};
};

}  // namespace orvessa::gui
