#pragma once

#include <QWidget>

#include "core/editing/alerts_page.h"

namespace orvessa::gui {

// The options dialog's page of the emergency: the alarm, the message and the key above, the
// notices below, the page's buttons at the foot.
class AlertsPageView : public QWidget {
public:
    // `close` is the dialog's own "关闭(&E)", shown on every page.
    AlertsPageView(editing::AlertsPage& model, model::Command& close, QWidget* parent = nullptr);
};

}  // namespace orvessa::gui
