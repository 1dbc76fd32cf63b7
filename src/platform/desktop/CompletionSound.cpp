#include "platform/desktop/CompletionSound.h"

#include <canberra.h>

namespace CompletionSound {

void play()
{
    static ca_context* context = [] {
        ca_context* created = nullptr;
        if (ca_context_create(&created) != CA_SUCCESS)
            return static_cast<ca_context*>(nullptr);
        // Only through a sound server (PulseAudio, or PipeWire's stand-in
        // for it): straight ALSA on a machine without a sound card prints
        // its complaints on our standard error.
        if (ca_context_set_driver(created, "pulse") != CA_SUCCESS) {
            ca_context_destroy(created);
            return static_cast<ca_context*>(nullptr);
        }
        ca_context_change_props(created, CA_PROP_APPLICATION_NAME, "Flingdial",
                                CA_PROP_APPLICATION_ID, "org.flingdial.Flingdial", nullptr);
        return created;
    }();
    if (context)
        ca_context_play(context, 0, CA_PROP_EVENT_ID, "complete", CA_PROP_EVENT_DESCRIPTION,
                        "Work done", nullptr);
}

} // namespace CompletionSound
