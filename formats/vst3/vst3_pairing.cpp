#include "formats/vst3/vst3_pairing.h"

#include "formats/vst3/vst3_framework_lifetime.h"
#include "formats/vst3/vst3_published_parameters.h"
#include "processor/vk_processor_base.h"

namespace vk::vst3
{
namespace
{

struct PairingRecord
{
    std::mutex lock;
    std::weak_ptr<ProcessorLink> processor;
};

PairingRecord& record()
{
    static PairingRecord r;
    return r;
}

} // namespace

void EditReporter::audioProcessorParameterChanged(juce::AudioProcessor* processor, int index, float value)
{
    // Only our processors register this listener.
    if (processor != nullptr && index >= 0 &&
        isPublishedParameter(*static_cast<VkJuceProcessorBase*>(processor), Steinberg::Vst::ParamID(index)))
        if (queue.push(index, value, settingUp.load()))
            requestFlush();
}

void EditReporter::audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&)
{
    queue.requestRestart();
    requestFlush();
}

void recordCreatedProcessor(const std::shared_ptr<ProcessorLink>& link)
{
    std::lock_guard<std::mutex> guard(record().lock);
    record().processor = link;
}

std::shared_ptr<ProcessorLink> lastCreatedProcessor()
{
    std::lock_guard<std::mutex> guard(record().lock);
    return record().processor.lock();
}

} // namespace vk::vst3
