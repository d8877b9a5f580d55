#pragma once

// A controller's line to the host's component handler. The processor's reports and gestures wait in the
// paired link's edit queue; a pass drains them and calls the host (a gesture's edits between its beginEdit
// and endEdit, any other edit bracketed on its own, each edit as the value the processor then holds, then
// restartComponent with the flags asked for, and setDirty for a changed state; a handler just taken over
// is asked to read every value). The message thread makes a pass whenever reports wait; it never waits
// for one under way: it leaves its work to that one. No lock is held while the host is called, so a host
// that calls back into the controller from inside a call cannot deadlock.
//
// Letting go of a handler (another one, none, or the sink closing) is the host's own call, and the host
// may free the handler as soon as it returns: the calling thread waits for a pass under way to finish,
// then delivers what waits for the old handler and ends every gesture it was told of (a control the user
// still held, an editor closed mid-drag), and releases it. Once that call has returned, nothing reaches the
// old handler. A host that makes the pass under way wait for the very thread that lets go (it forwards our
// calls to that thread and waits there) would wait for ever: after kPassWaitLimit the hand-over goes on
// without that pass, which then calls the old handler no more, and nothing is delivered to it.
//
// What waits: a report the processor made while it was being set up only confirms values it holds; it
// goes out after the first processing call since activation, as the value the processor then holds,
// unless the host restored a state, before or after the set-up (the host then has its own values). A
// restored state drops every report made before it, holds passes off while it is read (so that no edit
// read before it goes out after it) and has the host read the values before the restore returns, so that
// the request never lands on values the host sets afterwards. Every other report (a change of the
// user's) goes out at once, whether the processor is active or not. The request to read the values a new
// handler or a pairing asks for waits for the same first processing call: a host that restores a session
// parameter by parameter hands the processor its values only then, and reading the processor's values
// before would replace its own.

#include "formats/vst3/vst3_pairing.h"

#include <pluginterfaces/vst/ivsteditcontroller.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace vk::vst3
{

class EditSink
{
public:
    // How long a host thread that lets go of a handler or restores a state waits for a pass under way:
    // far longer than any pass takes in a host that answers its calls.
    static constexpr std::chrono::milliseconds kPassWaitLimit{2000};

    // Holds passes off while it lives: none is under way and none starts, except on the holding thread
    // (a host calling back from inside a call of a pass holds nothing more). [host thread]
    class PassHold
    {
    public:
        PassHold() = default;
        ~PassHold();
        PassHold(PassHold&& other) noexcept;
        PassHold& operator=(PassHold&&) = delete;
        PassHold(const PassHold&) = delete;
        PassHold& operator=(const PassHold&) = delete;

    private:
        friend class EditSink;
        explicit PassHold(EditSink* sink) : m_sink(sink) {}
        EditSink* m_sink = nullptr;
    };

    EditSink() = default;
    ~EditSink();
    EditSink(const EditSink&) = delete;
    EditSink& operator=(const EditSink&) = delete;

    // [host main thread] The link whose reports this sink delivers; null before the controller is
    // paired. A new link's values are read once the handler can (see above).
    void setLink(std::shared_ptr<ProcessorLink> link);
    // [host main thread] Lets go of the previous handler as described above, on the calling thread.
    void setHandler(Steinberg::Vst::IComponentHandler* handler);
    // [host main thread] Lets go of the handler; no pass starts any more.
    void close();

    // [host thread] Waits up to kPassWaitLimit for a pass under way on another thread, then holds passes
    // off for the hold's life.
    PassHold holdPasses();
    // [host thread, passes held] The host reads every value now, on the calling thread, when it has
    // given a handler; otherwise the request waits for the next one.
    void readValuesNow(const PassHold& hold);

    // [message thread] Drains the link's queue towards the host; never waits.
    void flush();

private:
    enum class Entry
    {
        Owned,  // this thread now makes the pass
        Nested, // this thread is inside a pass already (the host called back)
        Busy    // another thread makes one (and did not end within the wait)
    };
    Entry enterPass(bool wait);
    void leavePass();
    // Makes a pass with `handler` while the handler generation stays `generation`. [pass owned]
    void runPass(ProcessorLink& link, Steinberg::Vst::IComponentHandler* handler, std::uint64_t generation,
                 bool final);
    // Takes `next` (one reference given) as the handler and answers the previous one (its reference).
    Steinberg::Vst::IComponentHandler* exchangeHandler(Steinberg::Vst::IComponentHandler* next);
    // Lets go of the handler for `next` (one reference given; null when `closing`); `closing`: no pass
    // starts afterwards.
    void letGo(Steinberg::Vst::IComponentHandler* next, bool closing);

    mutable std::mutex m_lock;
    std::condition_variable m_passEnded;
    std::shared_ptr<ProcessorLink> m_link;
    bool m_closed = false;
    // The thread making a pass; none while no pass is under way.
    std::thread::id m_passer;
    // One reference held. Changed under the lock, with m_generation.
    Steinberg::Vst::IComponentHandler* m_handler = nullptr;
    // Counts the handler changes: a pass calls its handler only while the count is the one it began with.
    std::atomic<std::uint64_t> m_generation{0};
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
