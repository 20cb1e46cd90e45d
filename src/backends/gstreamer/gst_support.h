#pragma once

#include <gst/gst.h>

#include <memory>
#include <string>

// Small helpers shared by the media device, its tests and its benchmark.
namespace orvessa::backends::gst {

// Initialises GStreamer once per process; later calls do nothing.
void ensureInitialised();

struct ObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) {
            gst_object_unref(object);
        }
    }
};
// An owned reference to a GstObject.
template <typename T>
using Ref = std::unique_ptr<T, ObjectUnref>;

struct MessageUnref {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
using Message = std::unique_ptr<GstMessage, MessageUnref>;

struct CapsUnref {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
using Caps = std::unique_ptr<GstCaps, CapsUnref>;

// Takes ownership of a newly made, possibly floating, object; null stays null.
template <typename T>
Ref<T> adopt(T* object) {
    if (object != nullptr) {
        gst_object_ref_sink(object);
    }
    return Ref<T>(object);
}

// A launch fragment ("fakesink sync=true", "videoconvert ! ximagesink") as one bin with ghost
// pads. Throws platform::MediaError with the parser's message.
Ref<GstElement> makeBin(const std::string& description);

// A whole pipeline from a launch description. Throws platform::MediaError with the parser's
// message.
Ref<GstElement> makePipeline(const std::string& description);

// Whether the element (or any element inside it) was made by the named factory.
bool containsFactory(GstElement* element, const char* factoryName);

// The text of an error message, without the debug details.
std::string errorText(GstMessage* message);

// Puts the element into NULL, waiting for its streaming threads, and lets it go.
void shutDown(Ref<GstElement>& element);

}  // namespace orvessa::backends::gst
