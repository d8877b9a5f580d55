#include "processor/vk_wrapper_type.h"

namespace vk
{

juce::String formatNameForWrapperType(int wrapperType)
{
    switch (wrapperType)
    {
    case kWrapperVst:
        return "VST";
    case kWrapperAu:
        return "AU";
    case kWrapperRtas:
        return "RTAS";
    case kWrapperAax:
        return "AAX";
    case kWrapperAudioSuite:
        return "AS";
    case kWrapperVst3:
        return "VST3";
    default:
        return "UNDEFINED_PLUGIN_TYPE";
    }
}

} // namespace vk
