#include "core/model/action.h"

namespace orvessa::model {

bool Action::run() {
    if (!m_handler) {
        return false;
    }
    m_handler();
    return true;
}

}  // namespace orvessa::model
