#include "core/model/window.h"

namespace orvessa::model {

Window::Window(std::string name, std::string caption)
    : Control(std::move(name)), m_caption(std::move(caption)) {
    setVisible(false);
}

void Window::setCaption(std::string caption) {
    if (m_caption != caption) {
        m_caption = std::move(caption);
        notify();
    }
}

void Window::endModal(ModalResult result) {
    m_modalResult = result;
    modalEnded.send();
}

}  // namespace orvessa::model
