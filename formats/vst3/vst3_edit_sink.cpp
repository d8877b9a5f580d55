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
    Steinberg::Vst::IComponentHandler* previous = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        previous = m_handler;
        m_handler = m_closed ? nullptr : handler;
        if (m_closed && handler != nullptr)
            previous = handler;
    }
    if (previous != nullptr)
        previous->release();
}

void EditSink::close()
{
    Steinberg::Vst::IComponentHandler* previous = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_closed = true;
        previous = std::exchange(m_handler, nullptr);
    }
    if (previous != nullptr)
        previous->release();
}

void EditSink::flush()
{
    std::shared_ptr<ProcessorLink> link;
    Steinberg::IPtr<Steinberg::Vst::IComponentHandler> handler;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_closed)
            return;
        link = m_link;
        handler = m_handler; // takes a reference of its own
    }
    if (link == nullptr)
        return;
    const bool restart = link->reporter.queue.drain(
        [&](int id, float value, bool confirmation)
        {
            if (confirmation)
            {
                std::lock_guard<std::mutex> guard(link->lock);
                if (link->processor == nullptr)
                    return;
                value = link->processor->getParameter(id);
            }
            if (handler == nullptr)
                return;
            const auto tag = Steinberg::Vst::ParamID(id);
            handler->beginEdit(tag);
            handler->performEdit(tag, value);
            handler->endEdit(tag);
        },
        link->processedSinceActivation.load());
    if (restart && handler != nullptr)
        handler->restartComponent(0);
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
