#pragma once

// A controller's line to the host's component handler. The processor's reports wait in the paired
// link's edit queue; the message thread drains them and calls the host (each performEdit bracketed by
// beginEdit and endEdit, then restartComponent when asked). The sink takes its own reference to the
// handler for each pass and holds no lock while it calls the host, so a host that forwards these calls
// synchronously to another thread cannot deadlock against the controller's own calls.
//
// What waits: a report the processor made while it was being set up only confirms values it holds; it
// goes out after the first processing call since activation, as the value the processor then holds,
// unless a restored state came first (the host then has its own values). A restored state reports
// nothing. Every other report (a change of the user's) goes out at once, whether the processor is
// active or not.

#include "formats/vst3/vst3_pairing.h"

#include <pluginterfaces/vst/ivsteditcontroller.h>

#include <memory>
#include <mutex>

namespace vk::vst3
{

class EditSink
{
public:
    explicit EditSink(std::shared_ptr<ProcessorLink> link);
    ~EditSink();
    EditSink(const EditSink&) = delete;
    EditSink& operator=(const EditSink&) = delete;

    // [host main thread]
    void setLink(std::shared_ptr<ProcessorLink> link);
    std::shared_ptr<ProcessorLink> link() const;
    void setHandler(Steinberg::Vst::IComponentHandler* handler);
    // No pass starts after this returns; one already under way may still finish its current call.
    void close();

    // [message thread] Drains the link's queue towards the host.
    void flush();

private:
    mutable std::mutex m_lock;
    std::shared_ptr<ProcessorLink> m_link;
    Steinberg::Vst::IComponentHandler* m_handler = nullptr; // one reference held
    bool m_closed = false;
};

// The sinks the message thread flushes. [any thread]
void registerEditSink(const std::shared_ptr<EditSink>& sink);
void unregisterEditSink(const EditSink* sink);
// Asks for a flush pass soon. [any thread, the audio thread included] Lock-free.
void requestFlush() noexcept;
bool flushRequested() noexcept;
// One flush pass over every registered sink, when one was asked for. [message thread] No lock is held
// while the host is called.
void flushEditSinks();

} // namespace vk::vst3
