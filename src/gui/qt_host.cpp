#include "gui/qt_host.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QMetaObject>

#include "core/model/window.h"
#include "gui/qt_text.h"

namespace orvessa::gui {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

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
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

void QtHost::showModal(model::Window& window) {
    const auto it = m_views.find(&window);
    if (it != m_views.end() && it->second) {
        if (auto* dialog = qobject_cast<QDialog*>(it->second.data())) {
            window.setVisible(true);
            dialog->exec();
            window.setVisible(false);
            return;
        }
    }
    QDialog placeholder;
    placeholder.setObjectName(toQt(window.name()));
    placeholder.setWindowTitle(toQt(window.caption()));
    placeholder.resize(320, 160);
    window.setVisible(true);
    placeholder.exec();
    window.setVisible(false);
}

void QtHost::aboutBox(const std::string& application, const std::string& other) {
    QMessageBox::about(QApplication::activeWindow(), toQt(application),
                       toQt(application) + QLatin1Char('\n') + toQt(other));
}

void QtHost::quitApplication() {
    m_quitRequested = true;
    // Queued, so a quit asked for before the loop runs still ends it as soon as it starts.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void QtHost::registerView(model::Window& window, QWidget* view) {
    m_views[&window] = view;
}

}  // namespace orvessa::gui
