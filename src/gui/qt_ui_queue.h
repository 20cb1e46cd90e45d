#pragma once

#include <QObject>
#include <functional>

#include "core/console/system_actions.h"

namespace orvessa::gui {

// Runs work on the thread of the application's event loop. Work still queued when the queue
// goes is dropped: it belonged to a console that is gone.
class QtUiQueue : public console::UiQueue {
public:
    QtUiQueue();
    void post(std::function<void()> work) override;

private:
    // Lives on the interface thread; queued calls die with it.
    QObject m_context;
};

}  // namespace orvessa::gui
