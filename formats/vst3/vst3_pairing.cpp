#include "formats/vst3/vst3_pairing.h"

#include "formats/vst3/vst3_edit_sink.h"
#include "formats/vst3/vst3_published_parameters.h"
#include "processor/vk_processor_base.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace vk::vst3
{
namespace
{

struct PairingRecord
{
    std::mutex lock;
    std::vector<std::weak_ptr<ProcessorLink>> links;
};

std::atomic<std::uint64_t> g_nextToken{1};

PairingRecord& record()
{
    static PairingRecord r;
    return r;
}

bool isPublished(juce::AudioProcessor* processor, int index)
{
    // Only our processors register this listener.
    return processor != nullptr && index >= 0 &&
           isPublishedParameter(*static_cast<VkJuceProcessorBase*>(processor),
                                Steinberg::Vst::ParamID(index));
}

} // namespace

void EditReporter::audioProcessorParameterChanged(juce::AudioProcessor* processor, int index, float)
{
    const bool confirmation = settingUp.load();
    if (confirmation && m_hostRestoredValues.load())
        return;
    // The value goes out as the processor holds it when the report is sent.
    if (!isPublished(processor, index) || !queue.push(index, confirmation))
        return;
    m_lastReportBlock.store(m_blocks.load(std::memory_order_acquire), std::memory_order_release);
    m_lastReportTime.store(std::chrono::steady_clock::now().time_since_epoch().count(),
                           std::memory_order_release);
    requestFlush();
}

bool EditReporter::reportsAwaitNextBlock() const noexcept
{
    if (m_lastReportBlock.load(std::memory_order_acquire) != m_blocks.load(std::memory_order_acquire))
        return false;
    const auto since = std::chrono::steady_clock::now().time_since_epoch() -
                       std::chrono::steady_clock::duration(m_lastReportTime.load(std::memory_order_acquire));
    return since < kBlockWait;
}

void EditReporter::audioProcessorParameterChangeGestureBegin(juce::AudioProcessor* processor, int index)
{
    if (isPublished(processor, index) && queue.beginGesture(index))
        requestFlush();
}

void EditReporter::audioProcessorParameterChangeGestureEnd(juce::AudioProcessor* processor, int index)
{
    if (isPublished(processor, index) && queue.endGesture(index))
        requestFlush();
}

void EditReporter::hostRestoredValues() noexcept
{
    m_hostRestoredValues.store(true);
    queue.dropReports();
}

void EditReporter::audioProcessorChanged(juce::AudioProcessor* processor, const ChangeDetails& details)
{
    using namespace Steinberg::Vst;
    std::int32_t flags = 0;
    // A program loaded (a preset chosen, stepped to or applied) changes the values as a whole.
    if (details.programChanged)
        flags |= kParamValuesChanged;
    // Only our processors register this listener.
    if (details.latencyChanged && processor != nullptr)
    {
        const int latency = static_cast<VkJuceProcessorBase*>(processor)->getLatencyInSamples();
        if (m_hostLatency.exchange(latency) != latency)
            flags |= kLatencyChanged;
    }
    // A set-up changes no value the host has to read again: what the processor reports then waits for the
    // host's own values (see EditQueue). Only a new latency is news.
    if (settingUp.load())
        flags &= kLatencyChanged;
    if (details.nonParameterStateChanged)
        flags |= EditQueue::kStateChanged;
    if (flags != 0)
    {
        queue.requestRestart(flags);
        requestFlush();
    }
}

ProcessorLink::ProcessorLink() : token(g_nextToken.fetch_add(1)) {}

float heldParameterValue(ProcessorLink& link, int index)
{
    constexpr int kTries = 1000;
    float value = link.processor->getParameter(index);
    for (int attempt = 0; attempt < kTries; ++attempt)
    {
        const auto before = link.applyingHostChanges.load(std::memory_order_acquire);
        if ((before & 1u) == 0)
        {
            value = link.processor->getParameter(index);
            // A read-modify-write rather than a fence (which the thread sanitizer does not follow): no read
            // before it moves after it.
            if (link.applyingHostChanges.fetch_add(0, std::memory_order_acq_rel) == before)
                return value;
        }
        std::this_thread::yield();
    }
    return value;
}

void recordCreatedProcessor(const std::shared_ptr<ProcessorLink>& link)
{
    auto& r = record();
    std::lock_guard<std::mutex> guard(r.lock);
    r.links.erase(std::remove_if(r.links.begin(), r.links.end(),
                                 [](const std::weak_ptr<ProcessorLink>& l) { return l.expired(); }),
                  r.links.end());
    r.links.push_back(link);
}

std::shared_ptr<ProcessorLink> findProcessorLink(std::uint64_t token)
{
    auto& r = record();
    std::lock_guard<std::mutex> guard(r.lock);
    for (const auto& weak : r.links)
        if (auto link = weak.lock(); link != nullptr && link->token == token)
            return link;
    return nullptr;
}

std::shared_ptr<ProcessorLink> anyLiveProcessor()
{
    auto& r = record();
    std::lock_guard<std::mutex> guard(r.lock);
    for (auto it = r.links.rbegin(); it != r.links.rend(); ++it)
        if (auto link = it->lock())
            return link;
    return nullptr;
}

} // namespace vk::vst3
