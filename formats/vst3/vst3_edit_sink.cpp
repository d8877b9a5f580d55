#include "formats/vst3/vst3_edit_sink.h"

#include "processor/vk_processor_base.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

namespace vk::vst3
{
namespace
{

struct SinkRegistry
{
    std::mutex lock;
    std::vector<std::shared_ptr<EditSink>> sinks;
    std::atomic<bool> requested{false};
};

SinkRegistry& registry()
{
    static SinkRegistry r;
    return r;
}

} // namespace

EditSink::PassHold::~PassHold()
{
    if (m_sink != nullptr)
        m_sink->leavePass();
}

EditSink::PassHold::PassHold(PassHold&& other) noexcept : m_sink(std::exchange(other.m_sink, nullptr)) {}

EditSink::~EditSink()
{
    close();
}

void EditSink::setLink(std::shared_ptr<ProcessorLink> link)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_link = std::move(link);
}

EditSink::Entry EditSink::enterPass(bool wait)
{
    const auto self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_passer == self)
        return Entry::Nested;
    const auto idle = [this] { return m_passer == std::thread::id(); };
    if (!idle() && (!wait || !m_passEnded.wait_for(lock, kPassWaitLimit, idle)))
        return Entry::Busy;
    m_passer = self;
    return Entry::Owned;
}

void EditSink::leavePass()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_passer = std::thread::id();
    }
    m_passEnded.notify_all();
}

EditSink::PassHold EditSink::holdPasses()
{
    return PassHold(enterPass(true) == Entry::Owned ? this : nullptr);
}

Steinberg::Vst::IComponentHandler* EditSink::exchangeHandler(Steinberg::Vst::IComponentHandler* next)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_generation.fetch_add(1, std::memory_order_acq_rel);
    return std::exchange(m_handler, next);
}

void EditSink::setHandler(Steinberg::Vst::IComponentHandler* handler)
{
    if (handler != nullptr)
        handler->addRef();
    bool unchanged = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        unchanged = m_closed || handler == m_handler;
    }
    if (!unchanged)
        letGo(handler, false);
    else if (handler != nullptr)
        handler->release();
}

void EditSink::close()
{
    letGo(nullptr, true);
}

void EditSink::letGo(Steinberg::Vst::IComponentHandler* next, bool closing)
{
    {
        // Without a handler there is nothing to deliver and nobody to keep from a pass: closing waits for
        // nothing (a pass under way holds the sink alive, and calls nobody).
        std::unique_lock<std::mutex> lock(m_lock);
        if (m_closed || (m_handler == nullptr && next == nullptr))
        {
            m_closed = m_closed || closing;
            lock.unlock();
            if (next != nullptr)
                next->release();
            return;
        }
    }
    // Nested: the host let go from inside one of our calls to the handler; the pass around it calls it no
    // more once the handler has changed, and delivers nothing further.
    const Entry entry = enterPass(true);
    std::shared_ptr<ProcessorLink> link;
    Steinberg::Vst::IComponentHandler* current = nullptr;
    std::uint64_t generation = 0;
    bool closed = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        closed = m_closed;
        m_closed = m_closed || closing;
        link = m_link;
        current = m_handler;
        generation = m_generation.load();
    }
    if (closed)
    {
        if (entry == Entry::Owned)
            leavePass();
        if (next != nullptr)
            next->release();
        return;
    }
    if (entry == Entry::Owned && link != nullptr && current != nullptr)
        runPass(*link, current, generation, true);
    auto* previous = exchangeHandler(next);
    if (entry == Entry::Owned)
        leavePass();
    if (previous != nullptr)
        previous->release();
    // A new handler knows only the declared defaults, and the processor holds its own values (its start-up
    // program, a state, a program chosen meanwhile): the handler reads them first.
    if (next != nullptr && link != nullptr)
    {
        link->reporter.queue.requestRestart(Steinberg::Vst::kParamValuesChanged);
        requestFlush();
    }
}

void EditSink::readValuesNow(const PassHold&)
{
    std::shared_ptr<ProcessorLink> link;
    Steinberg::Vst::IComponentHandler* handler = nullptr;
    std::uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_closed)
            return;
        link = m_link;
        handler = m_handler;
        generation = m_generation.load();
    }
    if (link == nullptr || handler == nullptr)
        return; // the request the restore made waits for the handler that comes
    link->reporter.queue.takeRestart(Steinberg::Vst::kParamValuesChanged);
    if (m_generation.load(std::memory_order_acquire) == generation)
        handler->restartComponent(Steinberg::Vst::kParamValuesChanged);
}

void EditSink::flush()
{
    // Another thread's pass under way may have gone past what was asked for: another one follows.
    if (enterPass(false) != Entry::Owned)
    {
        requestFlush();
        return;
    }
    std::shared_ptr<ProcessorLink> link;
    Steinberg::Vst::IComponentHandler* handler = nullptr;
    std::uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_closed)
        {
            link = m_link;
            handler = m_handler;
            generation = m_generation.load();
        }
    }
    // Without a handler yet, what waits is kept for the one that comes.
    if (link != nullptr && handler != nullptr)
        runPass(*link, handler, generation, false);
    leavePass();
}

void EditSink::runPass(ProcessorLink& link, Steinberg::Vst::IComponentHandler* handler,
                       std::uint64_t generation, bool final)
{
    using Call = EditQueue::HostCall;
    const auto live = [&] { return m_generation.load(std::memory_order_acquire) == generation; };
    // While the host processes, a report made between two blocks goes out after the next one, as the value
    // the host's changes of that block leave (see EditReporter).
    if (!final && link.active.load() && link.processedSinceActivation.load() &&
        link.reporter.reportsAwaitNextBlock())
    {
        requestFlush();
        return;
    }
    link.reporter.queue.drain(
        [&](Call call, int id, float value)
        {
            if (!live())
                return;
            const auto tag = Steinberg::Vst::ParamID(id);
            if (call == Call::Begin)
                handler->beginEdit(tag);
            else if (call == Call::End)
                handler->endEdit(tag);
            else
                handler->performEdit(tag, value);
        },
        [&](int id, float& value)
        {
            std::lock_guard<std::mutex> guard(link.lock);
            if (link.processor == nullptr)
                return false;
            value = heldParameterValue(link, id);
            return true;
        },
        link.processedSinceActivation.load(), final);
    // A handler about to be let go of has nothing more to read: what it was asked waits for the next.
    if (final || !live())
        return;
    // After the edits, so that the host reads again what they left. The request to read the values waits,
    // like the set-up's reports, until the host's own values have reached the processor: read before, the
    // values the processor still holds would replace those the host restored to hand it.
    const std::int32_t wanted =
        link.processedSinceActivation.load() ? ~0 : ~Steinberg::Vst::kParamValuesChanged;
    const auto flags = link.reporter.queue.takeRestart(wanted);
    if (const auto restart = flags & ~EditQueue::kStateChanged; restart != 0)
        handler->restartComponent(restart);
    if ((flags & EditQueue::kStateChanged) != 0 && live())
    {
        // Only the extended handler can mark the host's session modified; a host without it has no way.
        void* extended = nullptr;
        if (handler->queryInterface(Steinberg::Vst::IComponentHandler2::iid, &extended) ==
                Steinberg::kResultOk &&
            extended != nullptr)
        {
            auto* handler2 = static_cast<Steinberg::Vst::IComponentHandler2*>(extended);
            handler2->setDirty(true);
            handler2->release();
        }
    }
}

void registerEditSink(const std::shared_ptr<EditSink>& sink)
{
    auto& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    if (std::find(r.sinks.begin(), r.sinks.end(), sink) == r.sinks.end())
        r.sinks.push_back(sink);
}

void unregisterEditSink(const EditSink* sink)
{
    auto& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.sinks.erase(std::remove_if(r.sinks.begin(), r.sinks.end(),
                                 [sink](const std::shared_ptr<EditSink>& s) { return s.get() == sink; }),
                  r.sinks.end());
}

void requestFlush() noexcept
{
    registry().requested.store(true);
}

bool flushRequested() noexcept
{
    return registry().requested.load();
}

void flushEditSinks()
{
    auto& r = registry();
    if (!r.requested.exchange(false))
        return;
    std::vector<std::shared_ptr<EditSink>> sinks;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        sinks = r.sinks;
    }
    for (const auto& sink : sinks)
        sink->flush();
}

} // namespace vk::vst3
