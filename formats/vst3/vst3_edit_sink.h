#pragma once

// A controller's line to the host's component handler. The processor's reports and gestures wait in the
// paired link's edit queue; the message thread drains them and calls the host (a gesture's edits between
// its beginEdit and endEdit, any other edit bracketed on its own, then restartComponent with the flags
// asked for; a handler just taken over is asked to read every value). The sink keeps its reference to a
// handler until a pass has handed over to the next one, and holds no lock while it calls the host, so a
// host that forwards these calls synchronously to another thread cannot deadlock against the
// controller's own calls. Passes never wait for each other: one that finds another under way leaves its
// work to that one.
//
// What waits: a report the processor made while it was being set up only confirms values it holds; it
// goes out after the first processing call since activation, as the value the processor then holds,
// unless the host restored a state, before or after the set-up (the host then has its own values). A
// restored state reports nothing. Every other report (a change of the user's) goes out at once, whether
// the processor is active or not. A request to read the values waits for the same first processing call:
// a host that restores a session parameter by parameter hands the processor its values only then, and
// reading the processor's values before would replace its own.
//
// Letting go of a handler (another one, none, or the sink closing) first delivers what waits for it and
// ends every gesture it was told of, so that a control the user still held (an editor closed mid-drag)
// is not left touched in the host.

#include "formats/vst3/vst3_pairing.h"

#include <pluginterfaces/vst/ivsteditcontroller.h>

#include <atomic>
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
    // Lets go of the previous handler as described above. Never waits for a pass under way.
    void setHandler(Steinberg::Vst::IComponentHandler* handler);
    // Lets go of the handler, then no pass starts any more; one already under way may still finish,
    // and end the gestures it was told of.
    void close();

    // [message thread] Drains the link's queue towards the host.
    void flush();

private:
    // Runs a pass, then hands over to the handler waiting, if any; again while a hand-over is asked for
    // meanwhile. Returns at once while another thread runs a pass: that thread then makes the hand-over.
    void run();
    // `final`: the last pass before the handler is let go of. [while passing]
    void runPass(ProcessorLink& link, bool final);
    // [while passing]
    void handOver();

    mutable std::mutex m_lock;
    std::shared_ptr<ProcessorLink> m_link;
    bool m_closed = false;
    // The handler to take after a final pass for the current one, while `m_handOverWanted`; one
    // reference held.
    Steinberg::Vst::IComponentHandler* m_nextHandler = nullptr;
    bool m_handOverWanted = false;

    // Set for a pass and a hand-over; only ever tried, never waited for.
    std::atomic<bool> m_passing{false};
    // Changed only by a pass's hand-over, under the lock; passes read it. One reference held.
    Steinberg::Vst::IComponentHandler* m_handler = nullptr;
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
