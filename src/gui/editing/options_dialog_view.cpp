#include "gui/editing/options_dialog_view.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/editing/alerts_page_view.h"
#include "gui/editing/console_page_view.h"
#include "gui/editing/directory_dialog_view.h"
#include "gui/fonts.h"
#include "gui/qt_text.h"

namespace orvessa::gui {
OptionsDialogView::OptionsDialogView(editing::OptionsDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    QWidget* pages[] = {volumePage(), pathPage(), shutdownPage(), endOfDayPage(), passwordPage()};
    for (std::size_t i = 0; i < std::size(pages); ++i) {
        pages[i]->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        m_pages->addTab(pages[i], toQt(editing::OptionsDialog::kPages[i]));
    }
    if (editing::ConsolePage* console = model.consolePage()) {
        auto* page = new ConsolePageView(*console, model.closeButton);
        page->setObjectName(QStringLiteral("consolePage"));
        m_pages->addTab(page, toQt(editing::ConsolePage::kTitle));
    }
    auto* alerts = new AlertsPageView(*model.alertsPage(), model.closeButton);
    alerts->setObjectName(QStringLiteral("alertsPage"));
    m_pages->addTab(alerts, toQt(editing::AlertsPage::kTitle));
    layout->addWidget(m_pages);
    setFixedSize(sizeHint().expandedTo(QSize(460, 320)));
}

void OptionsDialogView::showEvent(QShowEvent* event) {
    m_pages->setCurrentIndex(m_model.activePage);
    QDialog::showEvent(event);
}

void OptionsDialogView::hideEvent(QHideEvent* event) {
    m_model.activePage = m_pages->currentIndex();
    QDialog::hideEvent(event);
}

QWidget* OptionsDialogView::volumePage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QString::number(m_model.volumeSlider.minimum()), page));
    auto* slider = new QSlider(Qt::Horizontal, page);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(16);
    slider->setPageStep(16);
    bindTrackBar(m_model.volumeSlider, slider);
    row->addWidget(slider, 1);
    row->addWidget(new QLabel(QStringLiteral("255"), page));
    layout->addSpacing(12);
    layout->addLayout(row);
    layout->addSpacing(12);
    auto* note = new QLabel(toQt(editing::OptionsDialog::kVolumeNote), page);
    note->setObjectName(QStringLiteral("volumeNote"));
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();
    layout->addLayout(buttonRow(page, {.commands = {&m_model.closeButton}}));
    return page;
}

QWidget* OptionsDialogView::pathPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* pathRow = new QHBoxLayout;
    m_path = new QLineEdit(page);
    bindField(m_model.pathField, m_path,
              [this](const std::string& text) { m_model.pathTyped(text); });
    syncPlaceholder();
    m_path->installEventFilter(this);
    disconnectWith(m_path, m_model.pathField.changed,
                   m_model.pathField.changed.connect([this] { syncPlaceholder(); }));
    pathRow->addWidget(m_path, 1);
    auto* file = new QToolButton(page);
    file->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    bindButton(m_model.chooseFileButton, file);
    pathRow->addWidget(file);
    layout->addLayout(pathRow);

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* jumps = new QHBoxLayout;
    auto* home = new QToolButton(page);
    home->setObjectName(QStringLiteral("homeFolder"));
    home->setText(QStringLiteral("主目录"));
    auto* program = new QToolButton(page);
    program->setObjectName(QStringLiteral("programFolder"));
    program->setText(QStringLiteral("程序目录"));
    jumps->addWidget(home);
    jumps->addWidget(program);
    jumps->addStretch();
    left->addLayout(jumps);
    m_tree = new FolderTree(page);
    m_tree->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_programFolder = toQt(m_model.treeFolder);
    goToFolder(m_programFolder, false);
    m_tree->currentFolderChanged = [this](const QString& folder) {
        m_model.folderChanged(fromQt(folder));
    };
    QObject::connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        m_model.folderChanged(fromQt(m_tree->folderAt(index)));
    });
    QObject::connect(home, &QToolButton::clicked, this,
                     [this] { goToFolder(QDir::homePath(), true); });
    QObject::connect(program, &QToolButton::clicked, this,
                     [this] { goToFolder(m_programFolder, true); });
    left->addWidget(m_tree, 1);
    body->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    auto* order = new QGroupBox(page);
    bindRadioGroup(m_model.playOrderGroup, order);
    right->addWidget(order);
    auto* asDefault = new QCheckBox(page);
    bindButton(m_model.playOrderDefaultBox, asDefault);
    right->addWidget(asDefault);
    right->addLayout(
        buttonRow(page, {.commands = {&m_model.previousRow, &m_model.nextRow}, .atEnd = false}));
    right->addStretch();
    right->addLayout(
        buttonRow(page, {.commands = {&m_model.applyPathButton, &m_model.closeButton}}));
    body->addLayout(right);
    layout->addLayout(body, 1);
    return page;
}

void OptionsDialogView::goToFolder(const QString& folder, bool chosen) {
    const QString shown = m_tree->showFolder(folder);
    if (chosen) {
        m_model.folderChanged(fromQt(shown));
    }
}

void OptionsDialogView::syncPlaceholder() {
    // The two hints stand at either end of the field, pointing at the tree below and the file
    // button beside it.
    const QString left = QStringLiteral("↓选择目录");
    const QString right = QStringLiteral("选择文件→");
    const QFontMetrics metrics = m_path->fontMetrics();
    const int room = m_path->contentsRect().width() - 16 - metrics.horizontalAdvance(left + right);
    const QString gap(std::max(1, room / metrics.horizontalAdvance(QLatin1Char(' '))), u' ');
    m_path->setPlaceholderText(m_model.pathPlaceholder ? left + gap + right : QString());
    const model::Color c = m_model.pathField.color();
    if (c == model::kBlack) {
        // The skin's, or the desktop's, ordinary text.
        m_path->setPalette(QPalette());
        return;
    }
    QPalette colors = m_path->palette();
    const QColor color(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    colors.setColor(QPalette::Text, color);
    colors.setColor(QPalette::PlaceholderText, color);
    m_path->setPalette(colors);
}

bool OptionsDialogView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_path && event->type() == QEvent::Resize) {
        syncPlaceholder();
    }
    if (event->type() == QEvent::KeyPress) {
        for (const auto& [field, control] : m_timeFields) {
            if (watched == field && hourTyped(field, *control, static_cast<QKeyEvent*>(event))) {
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool OptionsDialogView::hourTyped(QLineEdit* field, model::TextControl& control, QKeyEvent* key) {
    // The field's mask lets the first hour digit be left out, but Qt fills a mask from the left:
    // "7:30:00" typed as it is read would give "7_:30:00". A colon after one digit moves it to the
    // second place, as the mask of the dialog's time fields does.
    const QString typed = key->text();
    const QString shown = field->displayText();
    if ((typed != QStringLiteral(":") && typed != QStringLiteral("：")) ||
        field->cursorPosition() != 1 || field->hasSelectedText() || shown.size() != 8 ||
        !shown[0].isDigit() || shown[1] != u'_') {
        return false;
    }
    field->setText(u'_' + shown.left(1) + shown.mid(2));
    field->setCursorPosition(3);
    control.setText(fromQt(field->displayText()));
    return true;
}

QWidget* OptionsDialogView::shutdownPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* box = new QGroupBox(page);
    box->setObjectName(QStringLiteral("shutdownGroup"));
    box->setToolTip(toQt(editing::OptionsDialog::kShutdownHint));
    auto* fields = new QGridLayout(box);
    const std::pair<const char*, model::TextControl*> times[] = {
        {"自定义关机时间一", &m_model.firstShutdownField},
        {"自定义关机时间二", &m_model.secondShutdownField}};
    int row = 0;
    for (const auto& [caption, control] : times) {
        auto* edit = new QLineEdit(box);
        // Eight characters with the colons; the first hour digit may be left out.
        edit->setInputMask(QStringLiteral("09:99:99;_"));
        bindField(*control, edit);
        edit->installEventFilter(this);
        m_timeFields[static_cast<std::size_t>(row)] = {edit, control};
        auto* label = new QLabel(toQt(caption), box);
        label->setBuddy(edit);
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row, 1);
        ++row;
    }
    auto* off = new QCheckBox(box);
    bindButton(m_model.shutdownOffBox, off);
    fields->addWidget(off, row, 0, 1, 2);
    fields->setColumnStretch(2, 1);
    layout->addWidget(box);
    // Shown only where the desktop's autostart is offered, with the box.
    auto* unattended = new QGroupBox(toQt(editing::OptionsDialog::kUnattendedTitle), page);
    unattended->setObjectName(QStringLiteral("unattendedBox"));
    auto* unattendedLayout = new QVBoxLayout(unattended);
    auto* autostart = new QCheckBox(unattended);
    bindButton(m_model.autostart, autostart);
    unattendedLayout->addWidget(autostart);
    auto* note = new QLabel(toQt(editing::OptionsDialog::kAutostartNote), unattended);
    note->setObjectName(QStringLiteral("autostartNote"));
    note->setWordWrap(true);
    unattendedLayout->addWidget(note);
    unattended->setVisible(m_model.autostart.visible());
    layout->addWidget(unattended);
    layout->addWidget(wakeBox(page));
    layout->addStretch();
    layout->addLayout(
        buttonRow(page, {.commands = {&m_model.resetShutdownButton, &m_model.saveShutdownButton,
                                      &m_model.closeButton}}));
    return page;
}

QWidget* OptionsDialogView::wakeBox(QWidget* page) {
    // Shown only where the system keeps a wake time.
    auto* box = new QGroupBox(toQt(editing::OptionsDialog::kWakeTitle), page);
    box->setObjectName(QStringLiteral("wakeBox"));
    auto* layout = new QVBoxLayout(box);
    auto* row = new QHBoxLayout;
    auto* margin = new QSpinBox(box);
    model::TrackBar& bar = m_model.wakeMarginBox;
    margin->setObjectName(toQt(bar.name()));
    margin->setRange(bar.minimum(), bar.maximum());
    // Stored once the operator has finished typing, not at each digit.
    margin->setKeyboardTracking(false);
    auto sync = [&bar, margin] {
        const QSignalBlocker quiet(margin);
        margin->setValue(bar.position());
        margin->setEnabled(bar.enabled());
    };
    sync();
    disconnectWith(margin, bar.changed, bar.changed.connect(sync));
    QObject::connect(margin, &QSpinBox::valueChanged, margin,
                     [&bar](int value) { bar.setPosition(value); });
    auto* before = new QLabel(toQt(editing::OptionsDialog::kWakeMarginBefore), box);
    before->setBuddy(margin);
    row->addWidget(before);
    row->addWidget(margin);
    row->addWidget(new QLabel(toQt(editing::OptionsDialog::kWakeMarginAfter), box));
    row->addStretch();
    layout->addLayout(row);
    auto* line = new QLabel(box);
    bindText(m_model.wakeLine, line);
    line->setWordWrap(true);
    layout->addWidget(line);
    box->setVisible(bar.visible());
    return box;
}

QWidget* OptionsDialogView::endOfDayPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* box = new QGroupBox(page);
    bindRadioGroup(m_model.endActionGroup, box);
    layout->addWidget(box);
    auto* asDefault = new QCheckBox(page);
    bindButton(m_model.endActionDefaultBox, asDefault);
    layout->addWidget(asDefault);
    layout->addStretch();
    layout->addLayout(
        buttonRow(page, {.commands = {&m_model.endActionOkButton, &m_model.closeButton}}));
    return page;
}

QWidget* OptionsDialogView::passwordPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* box = new QGroupBox(page);
    bindRadioGroup(m_model.accessGroup, box);
    layout->addWidget(box);
    layout->addStretch();
    layout->addLayout(
        buttonRow(page, {.commands = {&m_model.accessOkButton, &m_model.closeButton}}));
    return page;
}

}  // namespace orvessa::gui
