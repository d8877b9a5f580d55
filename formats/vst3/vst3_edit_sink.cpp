#include "formats/vst3/vst3_edit_sink.h"

#include "processor/vk_processor_base.h"

#include <algorithm>
#include <atomic>
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

EditSink::EditSink(std::shared_ptr<ProcessorLink> link) : m_link(std::move(link)) {}

EditSink::~EditSink()
{
    close();
}

void EditSink::setLink(std::shared_ptr<ProcessorLink> link)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_link = std::move(link);
}

std::shared_ptr<ProcessorLink> EditSink::link() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_link;
}

void EditSink::setHandler(Steinberg::Vst::IComponentHandler* handler)
{
    if (handler != nullptr)
        handler->addRef();
    bool wanted = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        // The same handler again changes nothing; a hand-over not yet made is overtaken.
        wanted = !m_closed && (m_handOverWanted || handler != m_handler);
        if (wanted)
        {
            std::swap(handler, m_nextHandler);
            m_handOverWanted = true;
        }
    }
    if (handler != nullptr)
        handler->release();
    if (wanted)
        run();
}

void EditSink::close()
{
    Steinberg::Vst::IComponentHandler* overtaken = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_closed)
            return;
        m_closed = true;
        overtaken = std::exchange(m_nextHandler, nullptr);
        m_handOverWanted = true;
    }
    if (overtaken != nullptr)
        overtaken->release();
    run();
}

void EditSink::flush()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_closed && !m_handOverWanted)
            return;
    }
    run();
}

void EditSink::run()
{
    for (;;)
    {
        // A flag rather than a mutex: the host may call back into the sink from inside a pass.
        if (m_passing.exchange(true, std::memory_order_acquire))
        {
            // The pass under way may have gone past what was asked for: another one follows.
            requestFlush();
            return;
        }
        std::shared_ptr<ProcessorLink> link;
        bool handingOver = false;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            link = m_link;
            handingOver = m_handOverWanted;
        }
        // Without a handler yet, what waits is kept for the one that comes.
        if (link != nullptr && !(handingOver && m_handler == nullptr))
            runPass(*link, handingOver);
        if (handingOver)
            handOver();
        m_passing.store(false, std::memory_order_release);
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_handOverWanted)
            return;
    }
}

void EditSink::runPass(ProcessorLink& link, bool final)
{
    using Call = EditQueue::HostCall;
    auto* handler = m_handler;
    link.reporter.queue.drain(
        [&](Call call, int id, float value)
        {
            if (handler == nullptr)
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
            // A confirmation carries the value the processor holds now, if there still is one.
            std::lock_guard<std::mutex> guard(link.lock);
            if (link.processor == nullptr)
                return false;
            value = link.processor->getParameter(id);
            return true;
        },
        link.processedSinceActivation.load(), final || handler == nullptr);
    // After the edits, so that the host reads again what they left. Without a handler the flags wait, and
    // so do the values, like the set-up's reports, until the host's own values have reached the processor:
    // read before, the values the processor still holds would replace those the host restored to hand it.
    if (handler == nullptr)
        return;
    const std::int32_t wanted =
        link.processedSinceActivation.load() ? ~0 : ~Steinberg::Vst::kParamValuesChanged;
    if (const auto flags = link.reporter.queue.takeRestart(wanted); flags != 0)
        handler->restartComponent(flags);
}

void EditSink::handOver()
{
    Steinberg::Vst::IComponentHandler* previous = nullptr;
    std::shared_ptr<ProcessorLink> link;
    bool taken = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        previous = std::exchange(m_handler, std::exchange(m_nextHandler, nullptr));
        m_handOverWanted = false;
        taken = m_handler != nullptr;
        link = m_link;
    }
    if (previous != nullptr)
        previous->release();
    // A new handler knows only the declared defaults, and the processor holds its own values (its start-up
    // program, a state, a program chosen meanwhile): the handler reads them first.
    if (taken && link != nullptr)
    {
        link->reporter.queue.requestRestart(Steinberg::Vst::kParamValuesChanged);
        requestFlush();
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
