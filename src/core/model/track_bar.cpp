#include "core/model/track_bar.h"

#include <algorithm>

namespace orvessa::model {

TrackBar::TrackBar(std::string name, int minimum, int maximum, int position)
    : Control(std::move(name)),
      m_minimum(minimum),
      m_maximum(maximum),
      m_position(std::clamp(position, minimum, maximum)) {}

void TrackBar::setPosition(int position) {
    position = std::clamp(position, m_minimum, m_maximum);
    if (position == m_position) {
        return;
    }
    m_position = position;
    notify();
    if (m_handler) {
        m_handler();
    }
}

}  // namespace orvessa::model
