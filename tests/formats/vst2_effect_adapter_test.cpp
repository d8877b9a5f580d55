// The adapter in front of the VST 2.4 wrapper, with effect records of the test's own: thousands of live
// instances (more than any fixed route table holds) each get silence before the first resume and after
// a suspend, and reach the wrapper's block call only in between. A processor instance per record would
// take gigabytes; the adapter only routes to it, so the records share one.

#include "formats/vst2/vst2_effect_adapter.h"
#include "tests/gui/message_pump.h"
#include "tests/processor/test_processor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace
{

// The wrapper's procedures, as the adapter finds them in each record: they count what reaches them.
int g_wrapperBlocks = 0;
Vst2::VstIntPtr g_wrapperBlockSize = 0; // the block size the wrapper was told last
// When set, the chunk the host sets changes this processor's state beyond its parameters.
juce::AudioProcessor* g_chunkChangesState = nullptr;

const auto kStateChanged = juce::AudioProcessorListener::ChangeDetails{}.withNonParameterStateChanged(true);

Vst2::VstIntPtr wrapperDispatcher(Vst2::AEffect*, Vst2::VstInt32 opcode, Vst2::VstInt32,
                                  Vst2::VstIntPtr value, void*, float)
{
    if (opcode == Vst2::effSetBlockSize)
        g_wrapperBlockSize = value;
    if (opcode == Vst2::effSetChunk && g_chunkChangesState != nullptr)
        g_chunkChangesState->updateHostDisplay(kStateChanged);
    return 0;
}
void wrapperSetParameter(Vst2::AEffect*, Vst2::VstInt32, float) {}
void wrapperProcess(Vst2::AEffect*, float**, float** outputs, Vst2::VstInt32 frames)
{
    ++g_wrapperBlocks;
    for (int c = 0; c < 2; ++c)
        std::fill(outputs[c], outputs[c] + frames, 0.5f);
}

std::unique_ptr<Vst2::AEffect> makeRecord()
{
    auto effect = std::make_unique<Vst2::AEffect>();
    effect->magic = kEffectMagic;
    effect->dispatcher = &wrapperDispatcher;
    effect->setParameter = &wrapperSetParameter;
    effect->processReplacing = &wrapperProcess;
    effect->numInputs = effect->numOutputs = 2;
    return effect;
}

TEST(Vst2EffectAdapter, EveryLiveInstanceIsGuardedHoweverManyThereAre)
{
    juce::ScopedJuceInitialiser_GUI framework;
    TestProcessor processor(vk::kWrapperVst);
    constexpr int kCount = 5000;
    std::vector<std::unique_ptr<Vst2::AEffect>> records(kCount);
    const auto call = [](Vst2::AEffect& effect, Vst2::VstInt32 opcode, Vst2::VstIntPtr value = 0)
    { effect.dispatcher(&effect, opcode, 0, value, nullptr, 0.0f); };
    const auto open = [&](int i)
    {
        records[std::size_t(i)] = makeRecord();
        vk::vst2::attachVendorCommandRoute(*records[std::size_t(i)], &processor);
        call(*records[std::size_t(i)], Vst2::effOpen);
    };

    std::vector<float> in(32, 0.25f), left(32), right(32);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {left.data(), right.data()};
    // 1 when the wrapper processed the block (its output), 0 when the adapter gave silence.
    const auto block = [&](Vst2::AEffect& effect)
    {
        std::fill(left.begin(), left.end(), 1.0f);
        std::fill(right.begin(), right.end(), 1.0f);
        const int before = g_wrapperBlocks;
        effect.processReplacing(&effect, inputs, outputs, 32);
        const int ran = g_wrapperBlocks - before;
        EXPECT_TRUE(left == right && left == std::vector<float>(32, ran != 0 ? 0.5f : 0.0f));
        return ran;
    };
    const auto expectGuarded = [&](std::initializer_list<int> instances)
    {
        for (int i : instances)
        {
            auto& effect = *records[std::size_t(i)];
            EXPECT_EQ(block(effect), 0) << "instance " << i << " not resumed";
            call(effect, Vst2::effMainsChanged, 1);
            EXPECT_EQ(block(effect), 1) << "instance " << i << " resumed";
            call(effect, Vst2::effMainsChanged, 0);
            EXPECT_EQ(block(effect), 0) << "instance " << i << " suspended";
        }
    };

    for (int i = 0; i < kCount; ++i)
        open(i);
    expectGuarded({0, 1023, 1024, 1025, kCount - 1});
    // Closed instances give their routes to new ones; the rest keep theirs.
    for (int i = 0; i < kCount; i += 2)
        call(*records[std::size_t(i)], Vst2::effClose);
    for (int i = 0; i < kCount; i += 2)
        open(i);
    expectGuarded({0, 1, 2048, 2049, kCount - 1});
    for (auto& record : records)
        call(*record, Vst2::effClose);
}

// What reached the wrapper's block call: the frame count and the channel pointers (each input's samples
// read through, as the wrapper reads them).
struct BlockCall
{
    int frames;
    std::vector<const float*> inputs;
    std::vector<float*> outputs;
    bool inputsSilent;
};
std::vector<BlockCall> g_blockCalls;

void recordingProcess(Vst2::AEffect*, float** inputs, float** outputs, Vst2::VstInt32 frames)
{
    BlockCall call{frames, {inputs[0], inputs[1]}, {outputs[0], outputs[1]}, true};
    for (const float* input : call.inputs)
        for (int i = 0; i < frames; ++i)
            call.inputsSilent = call.inputsSilent && input[i] == 0.0f;
    g_blockCalls.push_back(call);
}

// The wrapper follows every channel pointer and copies as many frames as it is told into channels twice
// the announced block long: it gets silence for missing inputs, no call for no frames or no outputs, and
// longer blocks in pieces.
TEST(Vst2EffectAdapter, BlockCallsReachTheWrapperOnlyAsItCanTakeThem)
{
    juce::ScopedJuceInitialiser_GUI framework;
    TestProcessor processor(vk::kWrapperVst);
    auto effect = makeRecord();
    effect->processReplacing = &recordingProcess;
    vk::vst2::attachVendorCommandRoute(*effect, &processor);
    const auto call = [&](Vst2::VstInt32 opcode, Vst2::VstIntPtr value)
    { effect->dispatcher(effect.get(), opcode, 0, value, nullptr, 0.0f); };
    call(Vst2::effOpen, 0);
    call(Vst2::effSetBlockSize, 16);
    call(Vst2::effMainsChanged, 1);

    std::vector<float> in(100, 0.25f), left(100), right(100);
    float* given[2] = {in.data(), in.data()};
    float* noInputs[2] = {nullptr, nullptr};
    float* secondOnly[2] = {nullptr, in.data()};
    float* outputs[2] = {left.data(), right.data()};
    float* firstMissing[2] = {nullptr, right.data()};
    const auto block = [&](float** inputs, float** outs, Vst2::VstInt32 frames)
    {
        g_blockCalls.clear();
        effect->processReplacing(effect.get(), inputs, outs, frames);
        return g_blockCalls;
    };

    // As they come, up to twice the announced block.
    auto calls = block(given, outputs, 32);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].frames, 32);
    EXPECT_EQ(calls[0].inputs, (std::vector<const float*>{in.data(), in.data()}));
    EXPECT_EQ(calls[0].outputs, (std::vector<float*>{left.data(), right.data()}));

    // Missing inputs are silence; a given one stays.
    for (float** inputs : {static_cast<float**>(nullptr), noInputs})
    {
        calls = block(inputs, outputs, 20);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_TRUE(calls[0].inputsSilent);
    }
    calls = block(secondOnly, outputs, 20);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].inputs[1], in.data());

    // No frames, or nowhere to put them: nothing reaches the wrapper and the outputs stay as they were.
    left.assign(100, 1.0f);
    for (Vst2::VstInt32 frames : {0, -1, INT32_MIN})
        EXPECT_TRUE(block(given, outputs, frames).empty()) << frames;
    EXPECT_TRUE(block(given, nullptr, 32).empty());
    EXPECT_EQ(left, std::vector<float>(100, 1.0f));

    // Longer blocks in pieces of twice the announced block, every pointer moved along; a missing output
    // stays missing.
    calls = block(given, firstMissing, 100);
    ASSERT_EQ(calls.size(), 4u);
    for (std::size_t piece = 0; piece < calls.size(); ++piece)
    {
        const int done = int(piece) * 32;
        EXPECT_EQ(calls[piece].frames, std::min(32, 100 - done));
        EXPECT_EQ(calls[piece].inputs[0], in.data() + done);
        EXPECT_EQ(calls[piece].outputs[0], nullptr);
        EXPECT_EQ(calls[piece].outputs[1], right.data() + done);
    }
    call(Vst2::effClose, 0);
}

// A block size of nothing (0 or below) says nothing of the blocks to come: the wrapper keeps the size it
// holds (its own default before any announcement, else the last size announced) and every block reaches
// it, a longer one in pieces. Such a size used to prepare the wrapper for no frames: all blocks silent.
TEST(Vst2EffectAdapter, ABlockSizeOfNothingKeepsTheSizeHeldAndEveryBlockIsProcessed)
{
    juce::ScopedJuceInitialiser_GUI framework;
    TestProcessor processor(vk::kWrapperVst);
    std::vector<float> in(5000, 0.25f), left(5000), right(5000);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {left.data(), right.data()};
    for (int meaningful : {0, 16})
        for (Vst2::VstIntPtr nothing : std::initializer_list<Vst2::VstIntPtr>{0, -1, -65536, INT32_MIN})
        {
            auto effect = makeRecord();
            effect->processReplacing = &recordingProcess;
            vk::vst2::attachVendorCommandRoute(*effect, &processor);
            const auto call = [&](Vst2::VstInt32 opcode, Vst2::VstIntPtr value)
            { effect->dispatcher(effect.get(), opcode, 0, value, nullptr, 0.0f); };
            call(Vst2::effOpen, 0);
            if (meaningful > 0)
                call(Vst2::effSetBlockSize, meaningful);
            const int held = meaningful > 0 ? meaningful : 1024;
            g_wrapperBlockSize = held;
            call(Vst2::effSetBlockSize, nothing);
            call(Vst2::effMainsChanged, 1);
            call(Vst2::effSetBlockSize, nothing); // while resumed: nothing for the next resume either
            call(Vst2::effMainsChanged, 0);
            call(Vst2::effMainsChanged, 1);
            EXPECT_EQ(g_wrapperBlockSize, held) << nothing;

            g_blockCalls.clear();
            effect->processReplacing(effect.get(), inputs, outputs, 5000);
            int frames = 0;
            for (const auto& piece : g_blockCalls)
            {
                EXPECT_LE(piece.frames, 2 * held) << nothing;
                EXPECT_EQ(piece.inputs[0], in.data() + frames) << nothing;
                frames += piece.frames;
            }
            EXPECT_EQ(frames, 5000) << "after " << meaningful << ", " << nothing;
            call(Vst2::effClose, 0);
        }
}

// The wrapper sets aside twice the announced block for each output it has to stand in for, on the audio
// thread: an absurd size reaches it as the largest the module serves, and a block it fails on anyway
// (here it throws) is answered with silence, not an exception through the host.
TEST(Vst2EffectAdapter, AbsurdBlockSizesAreClampedAndNoBlockThrowsToTheHost)
{
    juce::ScopedJuceInitialiser_GUI framework;
    TestProcessor processor(vk::kWrapperVst);
    auto effect = makeRecord();
    effect->processReplacing = [](Vst2::AEffect*, float**, float**, Vst2::VstInt32)
    { throw std::bad_alloc(); };
    vk::vst2::attachVendorCommandRoute(*effect, &processor);
    const auto call = [&](Vst2::VstInt32 opcode, Vst2::VstIntPtr value)
    { effect->dispatcher(effect.get(), opcode, 0, value, nullptr, 0.0f); };
    call(Vst2::effOpen, 0);
    call(Vst2::effSetBlockSize, INT32_MAX);
    EXPECT_EQ(g_wrapperBlockSize, vk::vst2::kLargestBlockSize);

    call(Vst2::effMainsChanged, 1);
    std::vector<float> in(64, 0.25f), left(64, 1.0f);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {left.data(), nullptr};
    EXPECT_NO_THROW(effect->processReplacing(effect.get(), inputs, outputs, 64));
    EXPECT_EQ(left, std::vector<float>(64, 0.0f));
    call(Vst2::effClose, 0);
}

// A name cut inside a character, by a host's own name buffer (24 bytes in the interface) or by the longest
// name read, is read as the UTF-8 it is up to the character the cut splits, which is left out. It used to
// be taken for Latin-1 as a whole unless cut at exactly the longest length.
TEST(Vst2EffectAdapter, AProgramNameCutInsideACharacterKeepsItsWholeCharacters)
{
    juce::ScopedJuceInitialiser_GUI framework;
    TestProcessor processor(vk::kWrapperVst);
    auto effect = makeRecord();
    vk::vst2::attachVendorCommandRoute(*effect, &processor);
    const std::string start = "\xc3\xa9" + std::string(1021, 'a'); // 1,023 bytes
    for (const char* last : {"\xe2\x82\xac", "\xf0\x9f\x8e\xb9"})
    {
        std::string name = start + last;
        effect->dispatcher(effect.get(), Vst2::effSetProgramName, 0, 0, name.data(), 0.0f);
        EXPECT_EQ(processor.getProgramName(processor.getCurrentProgram()),
                  juce::String::fromUTF8(start.c_str()));
    }
    // Cut after every byte of a name of 1- to 4-byte characters: after 9 bytes inside the "ü", after 23
    // (the interface's buffer and its terminator) inside the "ß".
    const std::string whole = "Breite B\xc3\xbchne \xe2\x80\x93 Gr\xc3\xb6\xc3\x9f"
                              "e \xf0\x9f\x8e\xb9!";
    std::size_t wholeCharacters = 0; // the bytes of the whole characters before the cut
    for (std::size_t cut = 1; cut <= whole.size(); ++cut)
    {
        if (cut == whole.size() || (static_cast<unsigned char>(whole[cut]) & 0xC0) != 0x80)
            wholeCharacters = cut;
        std::string name = whole.substr(0, cut);
        effect->dispatcher(effect.get(), Vst2::effSetProgramName, 0, 0, name.data(), 0.0f);
        EXPECT_EQ(processor.getProgramName(processor.getCurrentProgram()),
                  juce::String::fromUTF8(whole.data(), int(wholeCharacters)))
            << cut << " bytes";
    }
    // No cut: nothing whole before the lead byte, or a byte that starts no character, stays Latin-1.
    const std::pair<std::string, const char*> latin1[] = {{"\xe9", "\xc3\xa9"}, {"Caf\xff", "Caf\xc3\xbf"}};
    for (auto [name, read] : latin1)
    {
        effect->dispatcher(effect.get(), Vst2::effSetProgramName, 0, 0, name.data(), 0.0f);
        EXPECT_EQ(processor.getProgramName(processor.getCurrentProgram()), juce::String::fromUTF8(read));
    }
    effect->dispatcher(effect.get(), Vst2::effClose, 0, 0, nullptr, 0.0f);
}

// The host's callback: what reached it (opcode, index, value), and on which thread.
using HostCall = std::tuple<Vst2::VstInt32, Vst2::VstInt32, float, std::thread::id>;
std::mutex g_hostCallsLock;
std::vector<HostCall> g_hostCalls;

Vst2::VstIntPtr recordingHost(Vst2::AEffect*, Vst2::VstInt32 opcode, Vst2::VstInt32 index, Vst2::VstIntPtr,
                              void*, float opt)
{
    const std::lock_guard<std::mutex> guard(g_hostCallsLock);
    g_hostCalls.emplace_back(opcode, index, opt, std::this_thread::get_id());
    return 0;
}

std::vector<HostCall> hostCalls()
{
    const std::lock_guard<std::mutex> guard(g_hostCallsLock);
    return g_hostCalls;
}

// A change of the saved state that is no parameter edit (a program renamed) reaches the host afterwards,
// on the message thread and once for several notices, as the display notice and the map-version
// parameter's report at its unchanged value (what Qtractor marks its session modified by); a change the
// host's own chunk brings is not passed back. The wrapper passed no such notice on: the session a user
// renamed a program in was not modified, and quitting lost the name.
TEST(Vst2EffectAdapter, AStateChangeThatIsNoParameterEditReachesTheHostOnTheMessageThread)
{
    juce::ScopedJuceInitialiser_GUI framework;
    TestProcessor processor(vk::kWrapperVst);
    auto effect = makeRecord();
    effect->numParams = 8;
    vk::vst2::attachVendorCommandRoute(*effect, &processor, &recordingHost);
    effect->dispatcher(effect.get(), Vst2::effOpen, 0, 0, nullptr, 0.0f);

    std::thread([&] { processor.updateHostDisplay(kStateChanged); }).join();
    processor.updateHostDisplay(kStateChanged);
    processor.updateHostDisplay(); // the wrapper's own notices are the wrapper's matter
    EXPECT_TRUE(hostCalls().empty()) << "not inside the processor's call";
    vk::test::pumpUntil([] { return false; }, 300);
    const auto messageThread = std::this_thread::get_id();
    EXPECT_EQ(hostCalls(), (std::vector<HostCall>{
                               {Vst2::audioMasterUpdateDisplay, 0, 0.0f, messageThread},
                               {Vst2::audioMasterAutomate, 2, processor.getParameter(2), messageThread}}));

    g_chunkChangesState = &processor;
    char chunk[] = "state";
    effect->dispatcher(effect.get(), Vst2::effSetChunk, 0, sizeof chunk, chunk, 0.0f);
    g_chunkChangesState = nullptr;
    vk::test::pumpUntil([] { return false; }, 300);
    EXPECT_EQ(hostCalls().size(), 2u);
    effect->dispatcher(effect.get(), Vst2::effClose, 0, 0, nullptr, 0.0f);
}

} // namespace
