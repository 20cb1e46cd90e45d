#pragma once

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <vector>

#include "core/ui/main_window.h"

class QLabel;
class QTableWidget;
class QMenu;
class QButtonGroup;

namespace orvessa::gui {

// The main window: menus, toolbar, grid, status lines, buttons and the tray icon, each widget
// named after its model control. Every rule lives in the model; this class only shows it.
class MainWindowView : public QMainWindow {
public:
    explicit MainWindowView(ui::MainWindow& model, QWidget* parent = nullptr);
    ~MainWindowView() override;

    QSystemTrayIcon* trayIcon() const { return m_tray; }
    QMenu* trayMenu() const { return m_trayMenu; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenuBar();
    void buildToolBar(QWidget* parent);
    void buildClientArea(QWidget* client);
    void buildGrid(QWidget* client);
    void buildWeekSelector(QWidget* client);
    void buildHolidayPanel(QWidget* client);
    void buildEmergencyBanner(QWidget* client);
    void placeEmergencyBanner();
    // The banner's whole text in its place: wrapped, at the largest size that lets it fit.
    void fitEmergencyText();
    void buildTray();
    void buildShortcuts();
    void syncGrid();
    // Places `widget` where the layout says, now and after every run of the layout.
    void place(QWidget* widget, const model::Rect& rect);
    void applyLayout();
    void syncWindow();

    ui::MainWindow& m_model;
    QTableWidget* m_grid = nullptr;
    QButtonGroup* m_weekButtons = nullptr;
    QWidget* m_emergencyBanner = nullptr;
    QLabel* m_emergencyText = nullptr;
    QWidget* m_emergencyEnd = nullptr;
    bool m_emergencyShown = false;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    bool m_syncingGrid = false;
    std::vector<std::pair<model::Signal<>*, int>> m_connections;
    std::vector<std::pair<QWidget*, const model::Rect*>> m_placed;
};

}  // namespace orvessa::gui
