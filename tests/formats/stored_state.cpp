#include "stored_state.h"

#include "processor/vk_wrapper_type.h"
#include "product/latiphonix_processor.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vk::test
{

const juce::StringArray& productParameterKeys()
{
    static const juce::StringArray keys = []
    {
        LatiphonixProcessor reference(kWrapperVst);
        juce::StringArray k;
        for (int i = 0; i < reference.getNumParameters(); ++i)
            k.add(reference.getParameterKey(i));
        return k;
    }();
    return keys;
}

StoredState randomStoredState(std::mt19937& random, int numPrograms, int numParameters)
{
    std::uniform_real_distribution<float> any(0.0f, 1.0f);
    std::bernoulli_distribution coin;
    StoredState state;
    state.current = std::uniform_int_distribution<int>(0, numPrograms - 1)(random);
    state.programs.assign(std::size_t(numPrograms), std::vector<float>(std::size_t(numParameters)));
    for (auto& program : state.programs)
        for (auto& value : program)
            value = coin(random) ? (coin(random) ? 1.0f : 0.0f) : any(random);
    return state;
}

juce::MemoryBlock frameStoredState(const StoredState& state, const juce::StringArray& keys)
{
    juce::XmlElement root("MYPLUGINSETTINGS");
    root.setAttribute("CURRENTPRESET", state.current);
    for (std::size_t p = 0; p < state.programs.size(); ++p)
    {
        auto* element = root.createNewChildElement("PRESET" + juce::String(int(p)));
        element->setAttribute("PRESETNAME", "Stored " + juce::String(int(p)));
        for (std::size_t j = 0; j < state.programs[p].size(); ++j)
            element->setAttribute(keys[int(j)], double(state.programs[p][j]));
    }
    const auto text = root.toString(juce::XmlElement::TextFormat().singleLine().withoutHeader());
    const auto length = std::uint32_t(text.getNumBytesAsUTF8());
    juce::MemoryBlock out;
    out.append("VC2!", 4);
    const juce::uint8 le[4] = {juce::uint8(length), juce::uint8(length >> 8), juce::uint8(length >> 16),
                               juce::uint8(length >> 24)};
    out.append(le, 4);
    out.append(text.toRawUTF8(), length);
    out.append("", 1);
    return out;
}

std::optional<StoredState> readStoredState(const void* data, std::size_t size, const juce::StringArray& keys)
{
    const auto* bytes = static_cast<const juce::uint8*>(data);
    if (size < 9 || std::memcmp(bytes, "VC2!", 4) != 0)
        return std::nullopt;
    const std::size_t length = std::size_t(bytes[4]) | std::size_t(bytes[5]) << 8 |
                               std::size_t(bytes[6]) << 16 | std::size_t(bytes[7]) << 24;
    if (length > size - 8)
        return std::nullopt;
    const auto root =
        juce::parseXML(juce::String::fromUTF8(reinterpret_cast<const char*>(bytes + 8), int(length)));
    if (root == nullptr)
        return std::nullopt;
    StoredState state;
    state.current = root->getIntAttribute("CURRENTPRESET", -1);
    for (auto* element : root->getChildIterator())
    {
        std::vector<float> values;
        for (const auto& key : keys)
            values.push_back(float(element->getDoubleAttribute(key, -1.0)));
        state.programs.push_back(std::move(values));
    }
    return state;
}

int firstDifference(const StoredState& a, const StoredState& b)
{
    if (a.current != b.current || a.programs.size() != b.programs.size())
        return 0;
    int index = 0;
    for (std::size_t p = 0; p < a.programs.size(); ++p)
        for (std::size_t j = 0; j < a.programs[p].size(); ++j, ++index)
            if (j >= b.programs[p].size() ||
                std::memcmp(&a.programs[p][j], &b.programs[p][j], sizeof(float)) != 0)
                return index;
    return -1;
}

int countExactRoundTrips(
    int trips, unsigned seed,
    const std::function<void(const juce::MemoryBlock&, const StoredState&, int)>& restore,
    const std::function<juce::MemoryBlock()>& save)
{
    constexpr int kPrograms = 46;
    const int parameters = productParameterKeys().size();
    std::mt19937 random(seed);
    int exact = 0;
    for (int trip = 0; trip < trips; ++trip)
    {
        const auto state = randomStoredState(random, kPrograms, parameters);
        restore(frameStoredState(state, productParameterKeys()), state, trip);
        const auto saved = save();
        const auto back = readStoredState(saved.getData(), saved.getSize(), productParameterKeys());
        if (!back.has_value())
        {
            ADD_FAILURE() << "trip " << trip << ": the saved state does not read back";
            continue;
        }
        const int difference = firstDifference(state, *back);
        EXPECT_EQ(difference, -1) << "trip " << trip << ": program " << difference / parameters
                                  << ", parameter " << difference % parameters;
        exact += difference == -1;
    }
    return exact;
}

} // namespace vk::test
