#include "gui/qt_ui_queue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace orvessa::gui {

QtUiQueue::QtUiQueue() {
    if (QCoreApplication::instance() != nullptr) {
        m_context.moveToThread(QCoreApplication::instance()->thread());
    }
}

void QtUiQueue::post(std::function<void()> work) {
    QMetaObject::invokeMethod(&m_context, std::move(work), Qt::QueuedConnection);
}

}  // namespace orvessa::gui
