#include "gui/qt_host.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressDialog>
#include <QTimer>
#include <thread>

#include "core/model/window.h"
#include "gui/font_dialog.h"
#include "gui/qt_text.h"
#include "gui/tools/subtitle_strip.h"

namespace orvessa::gui {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

// A pattern such as "*.log" as the dialog's filter, so that it lists those files.
QString fileFilter(const std::string& initialName) {
    const QString name = toQt(initialName);
    if (name.contains(QLatin1Char('*'))) {
        return name + QStringLiteral(";;*");
    }
    return QString();
}

// Where the dialog starts: the folder, with the name selected unless it is a pattern.
QString startPath(const std::string& initialName, const std::string& directory) {
    const QString name = toQt(initialName);
    return name.contains(QLatin1Char('*')) ? toQt(directory) : QDir(toQt(directory)).filePath(name);
}

}  // namespace

MessageAnswer QtHost::messageBox(const std::string& text, const std::string& caption,
                                 MessageIcon icon, MessageButtons buttons) {
    QMessageBox box;
    box.setWindowTitle(toQt(caption));
    box.setText(messageText(text));
    switch (icon) {
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    if (buttons != MessageButtons::Ok) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(buttons == MessageButtons::YesNoDefaultNo ? QMessageBox::No
                                                                       : QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

model::ModalResult QtHost::showModal(model::Window& window) {
    const auto it = m_views.find(&window);
    auto* dialog = it != m_views.end() ? qobject_cast<QDialog*>(it->second.data()) : nullptr;
    if (dialog == nullptr) {
        // Never an empty box in front of the operator: the command that asked is at fault.
        qWarning("orvessa: the window \"%s\" has no view", window.name().c_str());
        return model::ModalResult::Closed;
    }
    window.beginModal();
    const int connection = window.modalEnded.connect([dialog, &window] {
        dialog->done(window.modalResult() == model::ModalResult::Accepted ? QDialog::Accepted
                                                                          : QDialog::Rejected);
    });
    window.setVisible(true);
    dialog->exec();
    window.setVisible(false);
    window.modalEnded.disconnect(connection);
    return window.modalResult();
}

bool QtHost::runWithProgress(const std::string& text, const std::string& caption,
                             const std::function<void(platform::WorkProgress&)>& work) {
    constexpr int kSteps = 1000;
    platform::WorkProgress progress;
    std::atomic<bool> finished{false};
    QProgressDialog dialog(toQt(text), QStringLiteral("取消"), 0, kSteps,
                           QApplication::activeWindow());
    dialog.setWindowTitle(toQt(caption));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    // A short read shows no window at all.
    dialog.setMinimumDuration(400);
    dialog.setValue(0);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog,
                     [&progress] { progress.cancelled = true; });

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (finished) {
            loop.quit();
            return;
        }
        const std::size_t total = progress.total;
        const std::size_t done = std::min<std::size_t>(progress.done, total);
        if (total > 0 && !progress.cancelled) {
            dialog.setValue(static_cast<int>(done * (kSteps - 1) / total));
        }
    });
    std::thread worker([&] {
        work(progress);
        finished = true;
    });
    poll.start();
    loop.exec();
    worker.join();
    return !progress.cancelled;
}

std::optional<std::string> QtHost::openFileDialog(const std::string& initialName,
                                                  const std::string& directory) {
    const QString path =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                     startPath(initialName, directory), fileFilter(initialName));
    return path.isEmpty() ? std::nullopt : std::optional<std::string>(fromQt(path));
}

std::optional<std::string> QtHost::openFolderDialog(const std::string& directory) {
    const QString path =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), QString(), toQt(directory));
    return path.isEmpty() ? std::nullopt : std::optional<std::string>(fromQt(path));
}

std::optional<std::string> QtHost::saveFileDialog(const std::string& initialName,
                                                  const std::string& directory) {
    // The system asks about an existing file itself, in its own words.
    const QString path = QFileDialog::getSaveFileName(
        QApplication::activeWindow(), QString(), startPath(initialName, directory),
        fileFilter(initialName), nullptr, QFileDialog::DontConfirmOverwrite);
    return path.isEmpty() ? std::nullopt : std::optional<std::string>(fromQt(path));
}

void QtHost::aboutBox(const std::string& application, const std::string& other) {
    QMessageBox::about(QApplication::activeWindow(), toQt(application),
                       toQt(application) + QLatin1Char('\n') + toQt(other));
}

void QtHost::quitApplication() {
    m_quitRequested = true;
    // Queued, so a quit asked for before the loop runs still ends it as soon as it starts.
    // exit(), not quit(): quit() first asks every window to close, and the main window only
    // hides when asked, which cancels the quit.
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

std::optional<platform::FontDescription> QtHost::fontDialog(
    const platform::FontDescription& current) {
    return chooseFont(current, QApplication::activeWindow());
}

std::optional<model::Color> QtHost::colorDialog(model::Color current) {
    const QColor chosen = QColorDialog::getColor(qtColor(current), QApplication::activeWindow());
    return chosen.isValid() ? std::optional<model::Color>(coreColor(chosen)) : std::nullopt;
}

void QtHost::registerView(model::Window& window, QWidget* view) {
    m_views[&window] = view;
}

bool QtHost::hasView(const model::Window& window) const {
    const auto it = m_views.find(&window);
    return it != m_views.end() && it->second;
}

}  // namespace orvessa::gui
