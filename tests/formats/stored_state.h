#pragma once

// Host state chunks made and read by the tests themselves, value by value: random banks of the product's
// programs to restore, and what a module gives back, compared bit for bit.

#include "processor/vk_wrapper_type.h"
#include "product/latiphonix_processor.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace vk::test
{

struct StoredState
{
    int current = 0;
    std::vector<std::vector<float>> programs; // [program][parameter]
};

// The attribute names of the product's chunks, from a processor built once.
inline const juce::StringArray& storedStateKeys()
{
    static const juce::StringArray keys = []
    {
        LatiphonixProcessor reference(kWrapperVst);
        juce::StringArray out;
        for (int i = 0; i < reference.getNumParameters(); ++i)
            out.add(reference.getParameterKey(i));
        return out;
    }();
    return keys;
}

// Every program random, half of the values exactly 0 or 1 (bounds at the ends, switches on and off).
// `againstTheRules` sets, in the current program, what the rules between values would move: both IID bounds
// at the top and both solos on.
inline StoredState randomStoredState(std::mt19937& random, bool againstTheRules = false)
{
    constexpr int kPrograms = 46;
    std::uniform_real_distribution<float> any(0.0f, 1.0f);
    std::bernoulli_distribution coin;
    StoredState state;
    state.current = std::uniform_int_distribution<int>(0, kPrograms - 1)(random);
    state.programs.assign(kPrograms, std::vector<float>(std::size_t(storedStateKeys().size())));
    for (auto& program : state.programs)
        for (auto& value : program)
            value = coin(random) ? (coin(random) ? 1.0f : 0.0f) : any(random);
    if (againstTheRules)
        for (std::size_t i : {14, 15, 29, 30})
            state.programs[std::size_t(state.current)][i] = 1.0f;
    return state;
}

// The framed chunk of `state`: magic, little-endian length, the settings' XML and its terminating zero.
inline juce::MemoryBlock frameStoredState(const StoredState& state)
{
    juce::XmlElement root("MYPLUGINSETTINGS");
    root.setAttribute("CURRENTPRESET", state.current);
    for (std::size_t p = 0; p < state.programs.size(); ++p)
    {
        auto* element = root.createNewChildElement("PRESET" + juce::String(int(p)));
        element->setAttribute("PRESETNAME", "Stored " + juce::String(int(p)));
        for (std::size_t j = 0; j < state.programs[p].size(); ++j)
            element->setAttribute(storedStateKeys()[int(j)], double(state.programs[p][j]));
    }
    const auto text = root.toString(juce::XmlElement::TextFormat().singleLine().withoutHeader());
    juce::MemoryOutputStream out;
    out.write("VC2!", 4);
    out.writeInt(int(text.getNumBytesAsUTF8()));
    out.write(text.toRawUTF8(), text.getNumBytesAsUTF8() + 1);
    return out.getMemoryBlock();
}

// The programs and the current program of a framed chunk (none when it is not one); bytes after the frame
// are ignored.
inline StoredState readStoredState(const juce::MemoryBlock& chunk)
{
    const auto* bytes = static_cast<const char*>(chunk.getData());
    if (chunk.getSize() < 8 || std::memcmp(bytes, "VC2!", 4) != 0)
        return {};
    const auto length =
        std::min<std::size_t>(juce::ByteOrder::littleEndianInt(bytes + 4), chunk.getSize() - 8);
    const auto root = juce::parseXML(juce::String::fromUTF8(bytes + 8, int(length)));
    StoredState state;
    if (root == nullptr)
        return state;
    state.current = root->getIntAttribute("CURRENTPRESET", -1);
    for (auto* element : root->getChildIterator())
    {
        auto& values = state.programs.emplace_back();
        for (const auto& key : storedStateKeys())
            values.push_back(float(element->getDoubleAttribute(key, -1.0)));
    }
    return state;
}

// Random banks (1,000; 100 under sanitizers) each handed to `restore` as a framed chunk with its trip number,
// and compared bit for bit with what `save` gives back then. Each difference is a test failure.
inline void
expectExactRoundTrips(unsigned seed,
                      const std::function<void(const juce::MemoryBlock&, const StoredState&, int)>& restore,
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
            EXPECT_EQ(std::memcmp(back.programs[p].data(), state.programs[p].data(),
                                  sizeof(float) * back.programs[p].size()),
                      0)
                << "trip " << trip << ", program " << p;
    }
}

} // namespace vk::test
