#include "station/glib_ui_queue.h"

#include <glib.h>

namespace orvessa::station {
namespace {

struct Posted {
    std::function<void()> work;
    std::shared_ptr<std::atomic<bool>> alive;
};

gboolean runPosted(gpointer data) {
    const auto* posted = static_cast<const Posted*>(data);
    if (posted->alive->load()) {
        posted->work();
    }
    return G_SOURCE_REMOVE;
}

void deletePosted(gpointer data) {
    delete static_cast<Posted*>(data);
}

}  // namespace

GlibUiQueue::GlibUiQueue(GMainContext* context)
    : m_context(context), m_alive(std::make_shared<std::atomic<bool>>(true)) {}

GlibUiQueue::~GlibUiQueue() {
    m_alive->store(false);
}

void GlibUiQueue::post(std::function<void()> work) {
    // Attaching a source is safe from any thread, and wakes the context's loop.
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, runPosted, new Posted{std::move(work), m_alive}, deletePosted);
    g_source_attach(source, m_context);
    g_source_unref(source);
}

}  // namespace orvessa::station
