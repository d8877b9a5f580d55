// The VST 2.4 module in a raw host: dlopen, the entry point, and the effect record driven directly the
// way hosts drive it. Texts and names are compared with a product processor built in this process.

#include "stored_state.h"
#include "vst2_raw_host.h"

#include "processor/vk_wrapper_type.h"
#include "product/latiphonix_processor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

namespace
{

constexpr Vst2::VstInt32 kVendorIndex = 0x23456789;
constexpr int kNumParameters = 35;
constexpr int kNumPrograms = 46;
constexpr std::int32_t kLtps = 0x4C545053; // 'LTPS'

using Channels = std::vector<std::vector<float>>;

bool allFinite(const Channels& channels)
{
    for (const auto& channel : channels)
        for (float sample : channel)
            if (!std::isfinite(sample))
                return false;
    return true;
}

class Vst2RawHostTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        home = new ScopedHome;
        framework = new juce::ScopedJuceInitialiser_GUI;
    }
    static void TearDownTestSuite()
    {
        delete framework;
        delete home;
    }

    void SetUp() override
    {
        ASSERT_TRUE(host.loaded()) << host.error();
        ASSERT_NE(effect = host.create(), nullptr);
        ASSERT_EQ(host.dispatch(Vst2::effOpen), 0);
    }

    void start(float sampleRate, int blockSize)
    {
        host.dispatch(Vst2::effSetSampleRate, 0, 0, nullptr, sampleRate);
        host.dispatch(Vst2::effSetBlockSize, 0, blockSize);
        host.dispatch(Vst2::effMainsChanged, 0, 1);
    }

    // Processes stereo noise in blocks; returns the output.
    Channels process(int blocks, int blockSize, bool inPlace = false, unsigned seed = 7)
    {
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        Channels in(2, std::vector<float>(size_t(blockSize)));
        Channels out = in;
        Channels all(2);
        for (int b = 0; b < blocks; ++b)
        {
            for (auto& channel : in)
                for (auto& sample : channel)
                    sample = noise(random);
            float* inputs[2] = {in[0].data(), in[1].data()};
            float* outputs[2] = {out[0].data(), out[1].data()};
            effect->processReplacing(effect, inputs, inPlace ? inputs : outputs, blockSize);
            for (int c = 0; c < 2; ++c)
                all[size_t(c)].insert(all[size_t(c)].end(), (inPlace ? in : out)[size_t(c)].begin(),
                                      (inPlace ? in : out)[size_t(c)].end());
        }
        return all;
    }

    Vst2::VstIntPtr vendor(Vst2::VstIntPtr value, void* ptr = nullptr, float opt = 0.0f,
                           Vst2::VstInt32 index = kVendorIndex)
    {
        return host.dispatch(Vst2::effVendorSpecific, index, value, ptr, opt);
    }

    static inline ScopedHome* home = nullptr;
    static inline juce::ScopedJuceInitialiser_GUI* framework = nullptr;
    RawVst2Host host{VK_VST2_MODULE};
    Vst2::AEffect* effect = nullptr;
};

TEST(Vst2RawHostEntry, ExportsTheEntryAndItsMainAliasAndRefusesAVersionZeroHost)
{
    RawVst2Host host(VK_VST2_MODULE);
    ASSERT_TRUE(host.loaded()) << host.error();
    EXPECT_EQ(host.create("VSTPluginMain", 0), nullptr);
    EXPECT_EQ(host.callbackCount(Vst2::audioMasterVersion), 1);
    // The same module still answers a real host afterwards, through either name.
    EXPECT_NE(host.create("VSTPluginMain", kVstVersion), nullptr);
    host.close();
    auto* viaMain = host.create("main");
    ASSERT_NE(viaMain, nullptr);
    EXPECT_EQ(viaMain->magic, kEffectMagic);
    EXPECT_EQ(viaMain->uniqueID, kLtps);
}

TEST_F(Vst2RawHostTest, EffectRecordCarriesTheIdentity)
{
    EXPECT_EQ(effect->uniqueID, kLtps);
    EXPECT_EQ(effect->version, 3293);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->numParams, kNumParameters);
    EXPECT_EQ(effect->numPrograms, kNumPrograms);
    EXPECT_EQ(effect->flags & (Vst2::effFlagsCanReplacing | Vst2::effFlagsProgramChunks |
                               Vst2::effFlagsIsSynth | Vst2::effFlagsHasEditor),
              Vst2::effFlagsCanReplacing | Vst2::effFlagsProgramChunks | Vst2::effFlagsHasEditor);

    EXPECT_EQ(host.dispatchForText(Vst2::effGetVendorString), "VEKLA Audio");
    EXPECT_EQ(host.dispatchForText(Vst2::effGetEffectName), "VEKLA Latiphonix3");
    EXPECT_EQ(host.dispatch(Vst2::effGetVendorVersion), 3293);
    EXPECT_EQ(host.dispatch(Vst2::effGetPlugCategory), Vst2::kPlugCategEffect);
    char noMidi[] = "receiveVstMidiEvent";
    EXPECT_EQ(host.dispatch(Vst2::effCanDo, 0, 0, noMidi), -1);
}

TEST_F(Vst2RawHostTest, ProcessesStereoBlocksInAndOutOfPlace)
{
    start(48000.0f, 512);
    host.timeInfo.sampleRate = 48000.0;
    host.timeInfo.tempo = 120.0;
    host.timeInfo.smpteFrameRate = Vst2::kVstSmpte25fps;
    host.timeInfo.flags = Vst2::kVstTransportPlaying | Vst2::kVstTempoValid | Vst2::kVstSmpteValid;

    double energy = 0.0;
    for (const auto& signal : {process(40, 512), process(10, 512, true)})
    {
        ASSERT_TRUE(allFinite(signal));
        for (const auto& channel : signal)
            for (float sample : channel)
                energy += double(sample) * sample;
    }
    EXPECT_GT(energy, 1.0);
    EXPECT_GE(host.callbackCount(Vst2::audioMasterGetTime), 50);
    EXPECT_TRUE(allFinite(process(3, 100))) << "a shorter block than announced";
}

TEST_F(Vst2RawHostTest, ProcessingWhileNotResumedGivesSilence)
{
    std::vector<float> left(256, 0.25f), right(256, -0.25f);
    std::vector<double> leftDouble(256, 0.25), rightDouble(256, -0.25);
    // Outputs full of something else, or the input itself (in place): both come back silent.
    const auto expectSilence = [&](const char* when)
    {
        for (bool inPlace : {false, true})
        {
            std::vector<float> outLeft(256, 1.0f), outRight(256, 1.0f);
            float* inputs[2] = {left.data(), right.data()};
            float* outputs[2] = {outLeft.data(), outRight.data()};
            effect->processReplacing(effect, inputs, inPlace ? inputs : outputs, 256);
            for (const auto* channel : inPlace ? std::vector<std::vector<float>*>{&left, &right}
                                               : std::vector<std::vector<float>*>{&outLeft, &outRight})
                for (float sample : *channel)
                    ASSERT_EQ(sample, 0.0f) << when << (inPlace ? ", in place" : "");
            std::fill(left.begin(), left.end(), 0.25f);
            std::fill(right.begin(), right.end(), -0.25f);
        }
        double* inputs[2] = {leftDouble.data(), rightDouble.data()};
        effect->processDoubleReplacing(effect, inputs, inputs, 256);
        for (const auto* channel : {&leftDouble, &rightDouble})
            for (double sample : *channel)
                ASSERT_EQ(sample, 0.0) << when << ", double";
    };

    expectSilence("before the first resume");
    start(48000.0f, 256);
    EXPECT_NE(process(4, 256)[0][1000], 0.0f);
    host.dispatch(Vst2::effMainsChanged, 0, 0);
    expectSilence("while suspended");
    // Suspended twice, then resumed at another rate and block size: processing carries on.
    host.dispatch(Vst2::effMainsChanged, 0, 0);
    expectSilence("while suspended again");
    start(44100.0f, 64);
    EXPECT_TRUE(allFinite(process(8, 64)));
    EXPECT_NE(process(1, 64)[0][10], 0.0f);
}

// Block calls with pointers missing or a frame count of no block, through the real wrapper: missing
// inputs are silence, no frames or no output array process nothing, an output missing on a block longer
// than announced is survived (the adapter's own test checks what reaches the wrapper). Missing inputs and
// an output array of null used to end the host (SIGSEGV), -1 frames made the wrapper copy a negative size,
// and the longer block wrote past the wrapper's channel for the missing output.
TEST_F(Vst2RawHostTest, BlocksWithMissingPointersOrNoFramesAreSurvived)
{
    start(48000.0f, 256);
    std::vector<float> noise(8192, 0.25f), left(8192, 1.0f), right(8192, 1.0f);
    for (std::size_t i = 0; i < noise.size(); i += 2)
        noise[i] = -0.25f;
    float* outputs[2] = {left.data(), right.data()};
    float* noInputs[2] = {nullptr, nullptr};
    float* rightOnly[2] = {nullptr, noise.data()};
    float* inputs[2] = {noise.data(), noise.data()};
    float* leftMissing[2] = {nullptr, right.data()};
    const auto peak = [](const std::vector<float>& channel, int frames)
    {
        return std::abs(*std::max_element(channel.begin(), channel.begin() + frames,
                                          [](float a, float b) { return std::abs(a) < std::abs(b); }));
    };

    for (float** missing : {static_cast<float**>(nullptr), noInputs})
    {
        effect->processReplacing(effect, missing, outputs, 256);
        EXPECT_LT(peak(left, 256), 1e-3f) << "silence in, silence out";
    }
    for (Vst2::VstInt32 frames : {0, -1, INT32_MIN})
    {
        std::fill(left.begin(), left.end(), 1.0f);
        effect->processReplacing(effect, inputs, outputs, frames);
        EXPECT_EQ(left, std::vector<float>(8192, 1.0f)) << frames << " frames";
    }
    effect->processReplacing(effect, inputs, nullptr, 256);
    effect->processReplacing(effect, inputs, leftMissing, 8192);
    effect->processReplacing(effect, rightOnly, outputs, 8192);
    const Channels out = {left, right};
    EXPECT_TRUE(allFinite(out));
    EXPECT_GT(peak(right, 8192), 0.01f);

    double* noDoubleInputs[2] = {nullptr, nullptr};
    std::vector<double> doubleLeft(512), doubleRight(512);
    double* doubleOutputs[2] = {doubleLeft.data(), doubleRight.data()};
    effect->processDoubleReplacing(effect, noDoubleInputs, doubleOutputs, 512);
    effect->processDoubleReplacing(effect, nullptr, doubleOutputs, -1);
    EXPECT_TRUE(std::all_of(doubleLeft.begin(), doubleLeft.end(), [](double x) { return std::isfinite(x); }));

    // Processing carries on as before.
    EXPECT_TRUE(allFinite(process(4, 256)));
    EXPECT_NE(process(1, 256)[0][100], 0.0f);
}

// A host that announces a larger block while the effect runs, with an output missing or two outputs on
// one buffer: the wrapper built its own channel for that output at the size in force then and keeps it
// until the next suspend, so the longer blocks must still reach it in pieces that fit (they used to be
// cut by the new size and written past that channel's end).
TEST_F(Vst2RawHostTest, BlockSizeRaisedWhileResumedStaysWithinTheWrapperChannels)
{
    for (int raised : {1025, 65536})
    {
        const auto frames = std::size_t(raised);
        std::vector<float> noise(frames), right(frames);
        for (std::size_t i = 0; i < noise.size(); ++i)
            noise[i] = i % 2 == 0 ? 0.25f : -0.25f;
        float* inputs[2] = {noise.data(), noise.data()};
        float* leftMissing[2] = {nullptr, right.data()};
        float* shared[2] = {right.data(), right.data()};
        for (float** outputs : {leftMissing, shared})
        {
            start(48000.0f, 512);
            for (int block = 0; block < 10; ++block)
                effect->processReplacing(effect, inputs, outputs, 512);
            host.dispatch(Vst2::effSetBlockSize, 0, raised);
            std::fill(right.begin(), right.end(), 0.0f);
            effect->processReplacing(effect, inputs, outputs, raised);
            EXPECT_TRUE(allFinite({right}));
            EXPECT_GT(std::abs(right.back()), 0.01f) << raised;
            host.dispatch(Vst2::effMainsChanged, 0, 0);
        }
    }
}

// A tracing host puts its own block procedure in front of the effect's after every dispatcher call and
// forwards to what it found there: the module must still reach the framework's (it used to take the
// tracer's for the framework's own and call it back without end).
namespace tracer
{
Vst2::AEffectDispatcherProc g_dispatcher = nullptr;
Vst2::AEffectProcessProc g_found = nullptr;
int g_blocks = 0;

void process(Vst2::AEffect* effect, float** inputs, float** outputs, Vst2::VstInt32 frames)
{
    ++g_blocks;
    g_found(effect, inputs, outputs, frames);
}

Vst2::VstIntPtr dispatch(Vst2::AEffect* effect, Vst2::VstInt32 opcode, Vst2::VstInt32 index,
                         Vst2::VstIntPtr value, void* ptr, float opt)
{
    const auto result = g_dispatcher(effect, opcode, index, value, ptr, opt);
    if (opcode != Vst2::effClose && effect->processReplacing != &process)
    {
        g_found = effect->processReplacing;
        effect->processReplacing = &process;
    }
    return result;
}
} // namespace tracer

TEST_F(Vst2RawHostTest, AHostProcedureInFrontOfTheEffectsIsNeverTakenForTheFrameworks)
{
    tracer::g_dispatcher = effect->dispatcher;
    effect->dispatcher = &tracer::dispatch;
    start(48000.0f, 256);
    const auto out = process(4, 256);
    EXPECT_EQ(tracer::g_blocks, 4);
    EXPECT_TRUE(allFinite(out));
    EXPECT_NE(out[0][1000], 0.0f);
}

TEST_F(Vst2RawHostTest, HostParameterChangesReachTheProcessorWithoutEchoToTheHost)
{
    constexpr int kSoloLeft = 29, kSoloRight = 30;
    start(44100.0f, 256);
    host.resetCallbackCounts();
    for (int index = 0; index < kNumParameters; ++index)
    {
        // The two solo switches exclude each other (and report that); they stay off here.
        const float value =
            index == kSoloLeft || index == kSoloRight ? 0.0f : float(index % 7) / 7.0f + 0.01f;
        effect->setParameter(effect, index, value);
        EXPECT_FLOAT_EQ(effect->getParameter(effect, index), value) << "parameter " << index;
    }
    process(4, 256);
    EXPECT_TRUE(host.automatedIndexes().empty());
    // Values outside 0..1 are clamped by the setter.
    effect->setParameter(effect, 3, 1.5f);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 3), 1.0f);

    // A change the processor makes itself is reported to the host as automation: Solo Left switches
    // Solo Right off.
    effect->setParameter(effect, kSoloRight, 1.0f);
    process(1, 256);
    EXPECT_TRUE(host.automatedIndexes().empty());
    effect->setParameter(effect, kSoloLeft, 1.0f);
    process(1, 256);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, kSoloRight), 0.0f);
    EXPECT_EQ(host.automatedIndexes(), std::vector<int>{kSoloRight});
}

// Host automation that jumps every parameter between 0 and 1, the ITD path on, while audio runs and the
// module's own message thread applies the changes, as in a sequencer's automation lanes.
TEST_F(Vst2RawHostTest, AutomationJumpsOfEveryParameterStayWithinTwelveDecibelsOfTheInput)
{
    start(48000.0f, 512);
    effect->setParameter(effect, 17, 1.0f); // ITD on, at its widest
    effect->setParameter(effect, 20, 1.0f);
    std::mt19937 random(99u);
    float peak = 0.0f;
    // About 1.5 s of real time, so that the module's 50 ms processor timer takes the changes over some 30
    // times; 4 blocks between pauses keep the audio ahead of real time as a host's would be.
    for (unsigned cycle = 0; cycle < 150; ++cycle)
    {
        for (int index = 0; index < kNumParameters; ++index)
            if (random() % 4 == 0)
                effect->setParameter(effect, index, float(random() % 2));
        for (const auto& channel : process(4, 512, false, cycle))
            for (float sample : channel)
                peak = std::max(peak, std::isfinite(sample) ? std::abs(sample) : INFINITY);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_LT(20.0 * std::log10(peak / 0.5f), 12.0) << "noise of peak 0.5 in";
}

TEST_F(Vst2RawHostTest, ParameterAndProgramNamesAndDisplayTextsAreTheProducts)
{
    LatiphonixProcessor reference(vk::kWrapperVst);
    for (int index = 0; index < kNumParameters; ++index)
    {
        EXPECT_EQ(host.dispatchForText(Vst2::effGetParamName, index),
                  reference.getParameterName(index).substring(0, 32).toStdString());
        for (float value : {0.0f, 0.001f, 0.0035f, 0.1f, 0.25f, 0.5f, 0.75f, 0.9f, 1.0f})
        {
            effect->setParameter(effect, index, value);
            reference.setParameter(index, value);
            const auto expected = reference.getParameterText(index).substring(0, 24).toStdString();
            EXPECT_EQ(host.dispatchForText(Vst2::effGetParamDisplay, index), expected)
                << "parameter " << index << " at " << value;
            EXPECT_FALSE(expected.empty()) << "parameter " << index << " at " << value;
        }
    }

    for (int index = 0; index < kNumPrograms; ++index)
    {
        const auto name = host.dispatchForText(Vst2::effGetProgramNameIndexed, index);
        EXPECT_EQ(name, reference.getProgramName(index).substring(0, 24).toStdString()) << index;
        EXPECT_FALSE(name.empty()) << index;
    }
    EXPECT_EQ(host.dispatchForText(Vst2::effGetProgramNameIndexed, 40), "User01");
    EXPECT_EQ(host.dispatchForText(Vst2::effGetProgramNameIndexed, 45), "User06");
    char unused[64] = {};
    EXPECT_EQ(host.dispatch(Vst2::effGetProgramNameIndexed, kNumPrograms, 0, unused), 0);
    host.dispatch(Vst2::effSetProgram, 0, 3);
    EXPECT_EQ(host.dispatch(Vst2::effGetProgram), 3);
    EXPECT_EQ(host.dispatchForText(Vst2::effGetProgramName),
              reference.getProgramName(3).substring(0, 24).toStdString());
}

TEST_F(Vst2RawHostTest, ChunkRoundTripRestoresTheParameters)
{
    effect->setParameter(effect, 5, 0.3f);
    effect->setParameter(effect, 9, 0.7f);
    void* data = nullptr;
    const auto size = host.dispatch(Vst2::effGetChunk, 0, 0, &data);
    ASSERT_GT(size, 4);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(std::memcmp(data, "VC2!", 4), 0);
    const std::vector<char> saved(static_cast<const char*>(data), static_cast<const char*>(data) + size);

    effect->setParameter(effect, 5, 0.9f);
    effect->setParameter(effect, 9, 0.1f);
    std::vector<char> copy = saved;
    host.dispatch(Vst2::effSetChunk, 0, Vst2::VstIntPtr(copy.size()), copy.data());
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 5), 0.3f);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 9), 0.7f);

    // The restored state saves as the same chunk.
    void* again = nullptr;
    ASSERT_EQ(host.dispatch(Vst2::effGetChunk, 0, 0, &again), size);
    EXPECT_EQ(std::memcmp(again, saved.data(), saved.size()), 0);
}

// A state the host restores is no edit of the user's: nothing of it is reported back, then or after the
// resume that follows, and every value is the stored one, also against the rules between values.
TEST_F(Vst2RawHostTest, RestoredChunkIsNoEditAndEveryValueIsTheStoredOne)
{
    start(48000.0f, 256);
    process(2, 256);
    host.resetCallbackCounts();
    std::mt19937 random(24);
    for (int trial = 0; trial < 6; ++trial)
    {
        const auto state = vk::test::randomStoredState(random, true);
        auto chunk = vk::test::frameStoredState(state);
        host.dispatch(Vst2::effSetChunk, 0, Vst2::VstIntPtr(chunk.getSize()), chunk.getData());
        EXPECT_EQ(host.dispatch(Vst2::effGetProgram), state.current);
        std::vector<float> values;
        for (int i = 0; i < kNumParameters; ++i)
            values.push_back(effect->getParameter(effect, i));
        EXPECT_EQ(values, state.programs[std::size_t(state.current)]) << "trial " << trial;
        host.dispatch(Vst2::effMainsChanged, 0, 0);
        host.dispatch(Vst2::effMainsChanged, 0, 1);
        process(4, 256);
        host.dispatch(Vst2::effEditIdle);
        EXPECT_TRUE(host.automatedIndexes().empty()) << "trial " << trial;
    }
    // A change the processor makes itself is still reported.
    effect->setParameter(effect, 29, 0.0f);
    effect->setParameter(effect, 29, 1.0f);
    EXPECT_EQ(host.automatedIndexes(), std::vector<int>{30});
}

TEST_F(Vst2RawHostTest, RandomStatesRoundTripBitForBit)
{
    vk::test::expectExactRoundTrips(
        1000,
        [&](const juce::MemoryBlock& chunk, const vk::test::StoredState&, int)
        {
            host.dispatch(Vst2::effSetChunk, 0, Vst2::VstIntPtr(chunk.getSize()),
                          const_cast<void*>(chunk.getData()));
        },
        [&]
        {
            void* data = nullptr;
            const auto size = host.dispatch(Vst2::effGetChunk, 0, 0, &data);
            return juce::MemoryBlock(data, std::size_t(std::max<Vst2::VstIntPtr>(size, 0)));
        });
}

// A program name the host sets, whatever its bytes, saves into a chunk that loads back: control
// characters are dropped from it (one of them used to make the whole chunk unreadable: the state came
// back on program 0 with the factory values); other bytes, not UTF-8 ones too, stay as the host gave them.
TEST_F(Vst2RawHostTest, ProgramNamesTheHostSetsSaveIntoChunksThatLoadBack)
{
    constexpr int kLinearWidth = 8;
    const std::vector<std::pair<std::string, std::string>> names = {
        {"My\x01Preset", "MyPreset"},
        {"\x1b\aEsc Bel", "Esc Bel"},
        {"Tab\t&<>\"\x7f", "Tab\t&<>\"\x7f"},
        {"\xe9t\xe9 \xff\xc0\x80", "\xc3\xa9t\xc3\xa9 \xc3\xbf\xc3\x80\xc2\x80"}, // no UTF-8: read as Latin-1
        {"Caf\xc3\xa9 \xe2\x80\x93 \xf0\x9f\x8e\xb9",
         "Caf\xc3\xa9 \xe2\x80\x93 \xf0\x9f\x8e\xb9"}, // UTF-8 as given
    };
    for (const auto& [given, shown] : names)
    {
        host.dispatch(Vst2::effSetProgram, 0, 41);
        effect->setParameter(effect, kLinearWidth, 0.9f);
        std::string name = given;
        host.dispatch(Vst2::effSetProgramName, 0, 0, name.data());
        EXPECT_EQ(host.dispatchForText(Vst2::effGetProgramName), shown);

        void* data = nullptr;
        const auto size = host.dispatch(Vst2::effGetChunk, 0, 0, &data);
        ASSERT_GT(size, 8);
        std::vector<char> chunk(static_cast<const char*>(data), static_cast<const char*>(data) + size);
        RawVst2Host other(VK_VST2_MODULE);
        auto* loaded = other.create();
        ASSERT_NE(loaded, nullptr);
        other.dispatch(Vst2::effOpen);
        other.dispatch(Vst2::effSetChunk, 0, Vst2::VstIntPtr(chunk.size()), chunk.data());
        EXPECT_EQ(other.dispatch(Vst2::effGetProgram), 41) << shown;
        EXPECT_FLOAT_EQ(loaded->getParameter(loaded, kLinearWidth), 0.9f) << shown;
        EXPECT_EQ(other.dispatchForText(Vst2::effGetProgramNameIndexed, 41), shown);
    }
}

// Calls whose pointer is missing (or is no address) are refused, not followed, while the same calls with
// their pointers still work; and every call the host can make without its pointer, with the value 0 or
// -1, is survived (the editor opens only in a window: see the editor test).
TEST_F(Vst2RawHostTest, CallsWithoutTheirPointerAreRefusedAndSurvived)
{
    Vst2::VstSpeakerArrangement* arrangement = nullptr;
    Vst2::VstSpeakerArrangement* input = nullptr;
    Vst2::VstSpeakerArrangement stereo{};
    stereo.type = Vst2::kSpeakerArrStereo;
    stereo.numChannels = 2;
    Vst2::VstPinProperties pin{};
    for (Vst2::VstInt32 opcode :
         {Vst2::effEditGetRect, Vst2::effEditOpen, Vst2::effGetChunk, Vst2::effGetInputProperties,
          Vst2::effGetOutputProperties, Vst2::effCanDo, Vst2::effGetSpeakerArrangement})
        EXPECT_EQ(host.dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
    EXPECT_EQ(host.dispatch(Vst2::effGetChunk, 0, 1, nullptr), 0);
    EXPECT_EQ(host.dispatch(Vst2::effSetSpeakerArrangement, 0, -1, nullptr), 0);
    for (Vst2::VstIntPtr value : {0, -1})
        EXPECT_EQ(host.dispatch(Vst2::effGetSpeakerArrangement, 0, value, &arrangement), 0) << value;
    for (Vst2::VstIntPtr value : {-1, 8})
        EXPECT_EQ(host.dispatch(Vst2::effSetSpeakerArrangement, 0, value, &stereo), 0) << value;

    EXPECT_EQ(host.dispatch(Vst2::effGetSpeakerArrangement, 0, Vst2::VstIntPtr(&input), &arrangement), 1);
    ASSERT_NE(arrangement, nullptr);
    EXPECT_EQ(arrangement->numChannels, 2);
    EXPECT_EQ(host.dispatch(Vst2::effSetSpeakerArrangement, 0, Vst2::VstIntPtr(&stereo), &stereo), 1);
    EXPECT_EQ(host.dispatch(Vst2::effGetInputProperties, 0, 0, &pin), 1);

    start(48000.0f, 64);
    for (Vst2::VstIntPtr value : {0, -1})
        for (Vst2::VstInt32 opcode = 0; opcode < 80; ++opcode)
            if (opcode != Vst2::effClose && opcode != Vst2::effEditOpen)
                host.dispatch(opcode, 0, value, nullptr, 0.0f);
    EXPECT_TRUE(allFinite(process(2, 64)));
}

TEST_F(Vst2RawHostTest, EditorAnnouncesItsFixedSizeAndClosesWithoutAWindow)
{
    Vst2::ERect* rect = nullptr;
    ASSERT_NE(host.dispatch(Vst2::effEditGetRect, 0, 0, &rect), 0);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 640);
    EXPECT_EQ(rect->bottom - rect->top, 435);
    // Closing an editor that never got a window must be harmless, and a second close too.
    host.dispatch(Vst2::effEditClose);
    host.dispatch(Vst2::effEditClose);
    EXPECT_EQ(vendor(212), 0);
}

// Our vendor index reaches the processor with its full result; other indexes stay with the wrapper.
TEST_F(Vst2RawHostTest, VendorCommandsReachTheProcessorOrTheFramework)
{
    EXPECT_EQ(vendor(214, nullptr, 1.0f), 1);
    EXPECT_EQ(vendor(214, nullptr, 0.0f), 0);
    EXPECT_EQ(vendor(206), 1); // stereo: layout choice 1
    char tokens[] = "one,\"two,three\",four";
    EXPECT_EQ(vendor(219, tokens), 1);
    EXPECT_EQ(vendor(999), 0);

    EXPECT_EQ(vendor(214, nullptr, 1.0f, 0x12345678), 0);
    EXPECT_EQ(vendor(206, nullptr, 0.0f, 0x23456788), 0);
    // The framework's own content-scale call ('AeCs' at index 'PreS'): answered by the wrapper itself.
    EXPECT_EQ(vendor(0x41654373, nullptr, 1.0f, 0x50726553), 1);
}

TEST_F(Vst2RawHostTest, CloseReleasesTheEffect)
{
    start(44100.0f, 128);
    process(2, 128);
    host.dispatch(Vst2::effMainsChanged, 0, 0);
    EXPECT_EQ(effect->dispatcher(effect, Vst2::effClose, 0, 0, nullptr, 0.0f), 1);
    // A second instance after closing the first works as the first did.
    ASSERT_NE(effect = host.create(), nullptr);
    EXPECT_EQ(host.dispatch(Vst2::effOpen), 0);
    EXPECT_EQ(vendor(214, nullptr, 1.0f), 1);
}

} // namespace
