#include "processor/vk_channel_orders.h"

namespace vk::channels
{
namespace
{
// Module-start objects: built before any entry point can ask for them.
const juce::StringArray g_orders51{"Film", "ITU", "DTS"};
const juce::StringArray g_orders71{"DTS1", "DTS2", "Dolby1", "Dolby2", "SDDS1", "SDDS2"};

struct SpeakerOrder
{
    const char* name;
    const char* speakers;
};
constexpr SpeakerOrder kSpeakerOrders[] = {
    {"Film", "L C R Ls Rs LFE"},
    {"ITU", "L R C LFE Ls Rs"},
    {"DTS", "L R Ls Rs C LFE"},
    {"DTS1", "L C R Ls Rs Lsr Rsr LFE"},
    {"DTS2", "L R C LFE Ls Rs Lsr Rsr"},
    {"Dolby1", "L C R Ls Rs Lsr Rsr LFE"},
    {"Dolby2", "L R C LFE Ls Rs Lsr Rsr"},
    {"SDDS1", "L Lsr C Rsr R Ls Rs LFE"},
    {"SDDS2", "L R C LFE Ls Rs Lsr Rsr"},
};
} // namespace

const juce::StringArray& orders51()
{
    return g_orders51;
}

const juce::StringArray& orders71()
{
    return g_orders71;
}

juce::String speakerOrder(const juce::String& orderName)
{
    for (const auto& order : kSpeakerOrders)
        if (orderName == order.name)
            return order.speakers;
    return {};
}

juce::String routingChoiceName(int choice)
{
    return choice < kFirst71Choice ? g_orders51[choice] : g_orders71[choice - kFirst71Choice];
}

} // namespace vk::channels
