#pragma once

#include <functional>
#include <string>

#include "core/model/control.h"

namespace orvessa::model {

// A slider. Every change of its position, by the operator or by code, runs the handler; setting
// the position it already has runs nothing.
class TrackBar : public Control {
public:
    TrackBar(std::string name, int minimum, int maximum, int position);

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int position() const { return m_position; }
    // Clamped to minimum..maximum.
    void setPosition(int position);

    void setHandler(std::function<void()> handler) { m_handler = std::move(handler); }

private:
    int m_minimum;
    int m_maximum;
    int m_position;
    std::function<void()> m_handler;
};

}  // namespace orvessa::model
