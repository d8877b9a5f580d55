#include "formats/vst3/vst3_published_parameters.h"

#include "processor/vk_processor_base.h"

namespace vk::vst3
{

bool isPublishedParameter(VkJuceProcessorBase& processor, Steinberg::Vst::ParamID id)
{
    return id < Steinberg::Vst::ParamID(processor.getNumParameters()) &&
           processor.isParameterExposedToHost(int(id));
}

} // namespace vk::vst3
