#include "stored_state.h"

#include "processor/vk_wrapper_type.h"
#include "product/latiphonix_processor.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vk::test
{
namespace
{

// The attribute names of the product's chunks, from a processor built once.
const juce::StringArray& keys()
{
    static const juce::StringArray k = []
    {
        LatiphonixProcessor reference(kWrapperVst);
        juce::StringArray out;
        for (int i = 0; i < reference.getNumParameters(); ++i)
            out.add(reference.getParameterKey(i));
        return out;
    }();
    return k;
}

// The programs and the current program of a framed chunk (nothing when it is not one).
StoredState readStoredState(const juce::MemoryBlock& chunk)
{
    const auto* bytes = static_cast<const juce::uint8*>(chunk.getData());
    if (chunk.getSize() < 9 || std::memcmp(bytes, "VC2!", 4) != 0)
        return {};
    const std::size_t length = std::size_t(bytes[4]) | std::size_t(bytes[5]) << 8 |
                               std::size_t(bytes[6]) << 16 | std::size_t(bytes[7]) << 24;
    const auto root = juce::parseXML(juce::String::fromUTF8(reinterpret_cast<const char*>(bytes + 8),
                                                            int(std::min(length, chunk.getSize() - 8))));
    StoredState state;
    if (root == nullptr)
        return state;
    state.current = root->getIntAttribute("CURRENTPRESET", -1);
    for (auto* element : root->getChildIterator())
    {
        auto& values = state.programs.emplace_back();
        for (const auto& key : keys())
            values.push_back(float(element->getDoubleAttribute(key, -1.0)));
    }
    return state;
}

} // namespace

StoredState randomStoredState(std::mt19937& random, bool againstTheRules)
{
    constexpr int kPrograms = 46;
    std::uniform_real_distribution<float> any(0.0f, 1.0f);
    std::bernoulli_distribution coin;
    StoredState state;
    state.current = std::uniform_int_distribution<int>(0, kPrograms - 1)(random);
    state.programs.assign(kPrograms, std::vector<float>(std::size_t(keys().size())));
    for (auto& program : state.programs)
        for (auto& value : program)
            value = coin(random) ? (coin(random) ? 1.0f : 0.0f) : any(random);
    if (againstTheRules)
        for (std::size_t i : {14, 15, 29, 30})
            state.programs[std::size_t(state.current)][i] = 1.0f;
    return state;
}

juce::MemoryBlock frameStoredState(const StoredState& state)
{
    juce::XmlElement root("MYPLUGINSETTINGS");
    root.setAttribute("CURRENTPRESET", state.current);
    for (std::size_t p = 0; p < state.programs.size(); ++p)
    {
        auto* element = root.createNewChildElement("PRESET" + juce::String(int(p)));
        element->setAttribute("PRESETNAME", "Stored " + juce::String(int(p)));
        for (std::size_t j = 0; j < state.programs[p].size(); ++j)
            element->setAttribute(keys()[int(j)], double(state.programs[p][j]));
    }
    const auto text = root.toString(juce::XmlElement::TextFormat().singleLine().withoutHeader());
    const auto length = std::uint32_t(text.getNumBytesAsUTF8());
    const juce::uint8 header[8] = {'V',
                                   'C',
                                   '2',
                                   '!',
                                   juce::uint8(length),
                                   juce::uint8(length >> 8),
                                   juce::uint8(length >> 16),
                                   juce::uint8(length >> 24)};
    juce::MemoryBlock out(header, 8);
    out.append(text.toRawUTF8(), length + 1);
    return out;
}

void expectExactRoundTrips(
    unsigned seed, const std::function<void(const juce::MemoryBlock&, const StoredState&, int)>& restore,
    const std::function<juce::MemoryBlock()>& save)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr int kTrips = 100;
#else
    constexpr int kTrips = 1000;
#endif
    std::mt19937 random(seed);
    for (int trip = 0; trip < kTrips; ++trip)
    {
        const auto state = randomStoredState(random);
        restore(frameStoredState(state), state, trip);
        const auto back = readStoredState(save());
        ASSERT_EQ(back.current, state.current) << "trip " << trip;
        ASSERT_EQ(back.programs.size(), state.programs.size()) << "trip " << trip;
        for (std::size_t p = 0; p < state.programs.size(); ++p)
            EXPECT_EQ(
                std::memcmp(back.programs[p].data(), state.programs[p].data(), 4 * back.programs[p].size()),
                0)
                << "trip " << trip << ", program " << p;
    }
}

} // namespace vk::test
