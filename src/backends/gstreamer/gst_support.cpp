#include "backends/gstreamer/gst_support.h"

#include <mutex>

#include "core/platform/media_device.h"

namespace orvessa::backends::gst {
namespace {

Ref<GstElement> parse(const std::string& description, bool asBin) {
    ensureInitialised();
    GError* error = nullptr;
    GstElement* element =
        asBin ? gst_parse_bin_from_description_full(description.c_str(), TRUE, nullptr,
                                                    GST_PARSE_FLAG_FATAL_ERRORS, &error)
              : gst_parse_launch_full(description.c_str(), nullptr, GST_PARSE_FLAG_FATAL_ERRORS,
                                      &error);
    Ref<GstElement> owned = adopt(element);
    if (error != nullptr) {
        std::string text = error->message;
        g_error_free(error);
        throw platform::MediaError(text + " (\"" + description + "\")");
    }
    if (!owned) {
        throw platform::MediaError("Cannot make \"" + description + "\"");
    }
    return owned;
}

}  // namespace

void ensureInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

Ref<GstElement> makeBin(const std::string& description) {
    return parse(description, true);
}

Ref<GstElement> makePipeline(const std::string& description) {
    return parse(description, false);
}

bool containsFactory(GstElement* element, const char* factoryName) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory != nullptr &&
        g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), factoryName) == 0) {
        return true;
    }
    if (!GST_IS_BIN(element)) {
        return false;
    }
    GstIterator* it = gst_bin_iterate_all_by_element_factory_name(GST_BIN(element), factoryName);
    GValue item = G_VALUE_INIT;
    const bool found = gst_iterator_next(it, &item) == GST_ITERATOR_OK;
    if (found) {
        g_value_unset(&item);
    }
    gst_iterator_free(it);
    return found;
}

std::string errorText(GstMessage* message) {
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    std::string text = error != nullptr && error->message != nullptr ? error->message : "";
    if (error != nullptr) {
        g_error_free(error);
    }
    return text.empty() ? "Unknown media error" : text;
}

void shutDown(Ref<GstElement>& element) {
    if (element) {
        gst_element_set_state(element.get(), GST_STATE_NULL);
        element.reset();
    }
}

}  // namespace orvessa::backends::gst
