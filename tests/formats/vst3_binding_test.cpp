// The VST3 binding in-process, with the framework's small test processor behind it: factory records,
// processing with parameter queues, buses, state (streams that move a few bytes at a time, the bypass
// trailer), the play head, the processor/controller pairing (interleaved creation, direct and proxied
// connections) and the deferred reports to the host.

#include "formats/identity/vk_plugin_identity.h"
#include "formats/vst3/vst3_component_state.h"
#include "formats/vst3/vst3_controller.h"
#include "formats/vst3/vst3_message_thread.h"
#include "formats/vst3/vst3_module_factory.h"
#include "formats/vst3/vst3_play_head.h"
#include "formats/vst3/vst3_processor.h"
#include "formats/vst3/vst3_published_parameters.h"
#include "platform/vk_message_box.h"
#include "tests/processor/test_processor.h"

#include <gtest/gtest.h>
#include <pluginterfaces/vst/ivstparameterchanges.h>
#include <pluginterfaces/vst/vstspeaker.h>
#include <public.sdk/source/common/memorystream.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

// The SDK's interfaces have no virtual destructors by design; the fakes below live on the stack.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace
{

VkJuceProcessorBase* createTestProcessor(int wrapperType)
{
    return new TestProcessor(wrapperType);
}

// One queue with a list of points.
class Queue : public IParamValueQueue
{
public:
    Queue(ParamID id, std::vector<double> values) : m_id(id), m_values(std::move(values)) {}
    ParamID PLUGIN_API getParameterId() override { return m_id; }
    int32 PLUGIN_API getPointCount() override { return int32(m_values.size()); }
    tresult PLUGIN_API getPoint(int32 index, int32& offset, ParamValue& value) override
    {
        offset = index;
        value = m_values[std::size_t(index)];
        return kResultTrue;
    }
    tresult PLUGIN_API addPoint(int32, ParamValue, int32&) override { return kResultFalse; }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

private:
    ParamID m_id;
    std::vector<double> m_values;
};

class Changes : public IParameterChanges
{
public:
    std::vector<Queue> queues;
    int32 PLUGIN_API getParameterCount() override { return int32(queues.size()); }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) override
    {
        return &queues[std::size_t(index)];
    }
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID&, int32&) override { return nullptr; }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

// Records the controller's calls to the host, with whether each came on the framework's message thread.
class RecordingHandler : public IComponentHandler
{
public:
    tresult PLUGIN_API beginEdit(ParamID id) override { return add("begin " + std::to_string(id)); }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue v) override
    {
        return add("perform " + std::to_string(id) + " " + std::to_string(v).substr(0, 4));
    }
    tresult PLUGIN_API endEdit(ParamID id) override { return add("end " + std::to_string(id)); }
    tresult PLUGIN_API restartComponent(int32) override { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    std::vector<std::string> events()
    {
        std::lock_guard<std::mutex> g(m_lock);
        return m_events;
    }
    bool allOnMessageThread()
    {
        std::lock_guard<std::mutex> g(m_lock);
        return m_allOnMessageThread;
    }

private:
    tresult add(const std::string& e)
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_events.push_back(e);
        m_allOnMessageThread = m_allOnMessageThread && juce::MessageManager::existsAndIsCurrentThread();
        return kResultOk;
    }
    std::mutex m_lock;
    std::vector<std::string> m_events;
    bool m_allOnMessageThread = true;
};

class Vst3Binding : public ::testing::Test
{
protected:
    void SetUp() override { vk::vst3::setProcessorFactory(&createTestProcessor); }
    void TearDown() override { vk::vst3::finishMessageThread(); }

    // A processor wrapper set up as a host does (stereo, 48 kHz, 256 samples).
    static VST3Processor* makeProcessor()
    {
        auto* p = static_cast<VST3Processor*>(static_cast<IAudioProcessor*>(VST3Processor::createInstance()));
        p->initialize(nullptr);
        ProcessSetup setup{kRealtime, kSample32, 256, 48000.0};
        p->setupProcessing(setup);
        p->setActive(true);
        return p;
    }

    static TestProcessor& testProcessor(VST3Processor& p)
    {
        return *static_cast<TestProcessor*>(p.getProcessor());
    }

    ScopedDataFolders m_folders;
};

TEST_F(Vst3Binding, FactoryPublishesTheIdentityClassIds)
{
    auto& factory = vk::vst3::moduleFactory();
    ASSERT_EQ(factory.countClasses(), 2);
    PClassInfo2 info{};
    ASSERT_EQ(factory.getClassInfo2(0, &info), kResultOk);
    EXPECT_EQ(std::memcmp(info.cid, vk::identity::kProcessorClassId.data(), 16), 0);
    EXPECT_STREQ(info.subCategories, "Fx|Sound Field");
    ASSERT_EQ(factory.getClassInfo2(1, &info), kResultOk);
    EXPECT_EQ(std::memcmp(info.cid, vk::identity::kControllerClassId.data(), 16), 0);

    void* obj = nullptr;
    ASSERT_EQ(factory.createInstance(reinterpret_cast<const char*>(vk::identity::kProcessorClassId.data()),
                                     IComponent::iid, &obj),
              kResultOk);
    auto* component = static_cast<IComponent*>(obj);
    TUID controller{};
    ASSERT_EQ(component->getControllerClassId(controller), kResultOk);
    EXPECT_EQ(std::memcmp(controller, vk::identity::kControllerClassId.data(), 16), 0);
    component->release();
}

TEST_F(Vst3Binding, ZeroSampleCallAppliesQueuesButOnlyPublishedIds)
{
    VST3Processor* p = makeProcessor();
    TestProcessor& tp = testProcessor(*p);
    const float undoBefore = tp.getParameterRecord(9101).getValue();
    tp.log().clear();

    Changes changes;
    changes.queues.emplace_back(4, std::vector<double>{0.1, 0.7});
    changes.queues.emplace_back(vk::vst3::kBypassParamId, std::vector<double>{0.5});
    changes.queues.emplace_back(9101, std::vector<double>{1.0}); // Undo: never published
    changes.queues.emplace_back(1, std::vector<double>{0.9});    // not exposed
    ProcessData data{};
    data.numSamples = 0;
    data.inputParameterChanges = &changes;
    EXPECT_EQ(p->process(data), kResultOk);

    EXPECT_FLOAT_EQ(tp.getParameter(4), 0.7f); // the last point of the queue
    EXPECT_FALSE(p->isBypassed());             // exactly 0.5 is not bypassed
    EXPECT_EQ(tp.getParameterRecord(9101).getValue(), undoBefore);
    EXPECT_FLOAT_EQ(tp.getParameter(1), TestProcessor::kMainDefaults[1]);
    p->release();
}

TEST_F(Vst3Binding, UnwrittenOutputChannelsAreZeroedAndNotMarkedSilent)
{
    VST3Processor* p = makeProcessor();
    constexpr int kN = 64;
    std::vector<std::vector<float>> in(2, std::vector<float>(kN, 0.25f));
    std::vector<std::vector<float>> out(6, std::vector<float>(kN, 123.0f));
    float* inPtr[2] = {in[0].data(), in[1].data()};
    float* outPtr[6];
    for (int c = 0; c < 6; ++c)
        outPtr[c] = out[std::size_t(c)].data();
    AudioBusBuffers inBus{};
    inBus.numChannels = 2;
    inBus.channelBuffers32 = inPtr;
    AudioBusBuffers outBus{};
    outBus.numChannels = 6;
    outBus.silenceFlags = ~uint64(0);
    outBus.channelBuffers32 = outPtr;
    ProcessData data{};
    data.numSamples = kN;
    data.symbolicSampleSize = kSample32;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    ASSERT_EQ(p->process(data), kResultOk);
    EXPECT_EQ(outBus.silenceFlags, 0u);
    EXPECT_TRUE(p->isStarted());
    for (int c = 2; c < 6; ++c)
        for (float x : out[std::size_t(c)])
            ASSERT_EQ(x, 0.0f);
    EXPECT_NE(out[0][0], 123.0f);
    p->release();
}

TEST_F(Vst3Binding, RefusedArrangementLeavesBusesAndCounts)
{
    VST3Processor* p = makeProcessor();
    SpeakerArrangement quad = SpeakerArr::k40Cine;
    EXPECT_EQ(p->setBusArrangements(&quad, 1, &quad, 1), kResultFalse);
    EXPECT_EQ(p->getInputChannels(), 2);
    EXPECT_EQ(p->getOutputChannels(), 2);

    SpeakerArrangement surround = SpeakerArr::k51;
    EXPECT_EQ(p->setBusArrangements(&surround, 1, &surround, 1), kResultOk);
    EXPECT_EQ(p->getInputChannels(), 6);
    BusInfo info{};
    ASSERT_EQ(p->getBusInfo(kAudio, kInput, 0, info), kResultOk);
    EXPECT_EQ(info.channelCount, 6);

    SpeakerArrangement mono = SpeakerArr::kMono;
    EXPECT_EQ(p->setBusArrangements(&mono, 1, &mono, 1), kResultOk);
    EXPECT_EQ(p->getOutputChannels(), 1);
    EXPECT_EQ(p->canProcessSampleSize(kSample64), kResultFalse);
    EXPECT_EQ(p->canProcessSampleSize(kSample32), kResultTrue);
    p->release();
}

TEST_F(Vst3Binding, StateRoundTripsAndAShortStreamIsRefusedWithoutAQuestion)
{
    VST3Processor* a = makeProcessor();
    testProcessor(*a).setParameterInternal(5, 0.33f, false, true, true);
    MemoryStream saved;
    ASSERT_EQ(a->getState(&saved), kResultOk);

    VST3Processor* b = makeProcessor();
    saved.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(b->setState(&saved), kResultOk);
    EXPECT_FLOAT_EQ(testProcessor(*b).getParameter(5), 0.33f);

    // A host that keeps its own header in front of the plug-in's state: the state goes after it, the
    // header stays intact, and reading starts where the host positions the stream.
    MemoryStream session;
    int32 headerWritten = 0;
    session.write(const_cast<char*>("HOSTHDR!"), 8, &headerWritten);
    testProcessor(*a).setParameterInternal(5, 0.71f, false, true, true);
    ASSERT_EQ(a->getState(&session), kResultOk);
    char header[8] = {};
    int32 headerRead = 0;
    session.seek(0, IBStream::kIBSeekSet, nullptr);
    session.read(header, 8, &headerRead);
    EXPECT_EQ(std::string(header, 8), "HOSTHDR!");
    ASSERT_EQ(b->setState(&session), kResultOk);
    EXPECT_FLOAT_EQ(testProcessor(*b).getParameter(5), 0.71f);

    MemoryStream shortStream;
    int32 written = 0;
    shortStream.write(const_cast<char*>("VC2"), 3, &written);
    EXPECT_EQ(b->setState(&shortStream), kResultFalse);
    EXPECT_FALSE(testProcessor(*b).wasWarnedAboutOldState());
    EXPECT_FALSE(testProcessor(*b).holdsLegacyState());
    EXPECT_EQ(b->setState(nullptr), kInvalidArgument);
    a->release();
    b->release();
}

TEST(Vst3PlayHead, FrameRatesFromFlagsAndNothingBeforeStart)
{
    ProcessContext c{};
    c.state = ProcessContext::kSmpteValid | ProcessContext::kPlaying;
    c.tempo = 0.0;
    EXPECT_FALSE(vk::vst3::positionFromContext(c, false).hasValue());

    c.frameRate.framesPerSecond = 30;
    c.frameRate.flags = FrameRate::kPullDownRate;
    auto pos = vk::vst3::positionFromContext(c, true);
    ASSERT_TRUE(pos.hasValue());
    EXPECT_EQ(pos->getFrameRate()->getType(), juce::AudioPlayHead::fps2997);
    EXPECT_EQ(*pos->getBpm(), 1.0);
    EXPECT_TRUE(pos->getIsPlaying());

    c.frameRate.flags = FrameRate::kPullDownRate | FrameRate::kDropRate;
    EXPECT_EQ(vk::vst3::positionFromContext(c, true)->getFrameRate()->getType(),
              juce::AudioPlayHead::fps2997drop);
    c.frameRate.flags = FrameRate::kDropRate;
    EXPECT_EQ(vk::vst3::positionFromContext(c, true)->getFrameRate()->getType(),
              juce::AudioPlayHead::fps30drop);
    c.frameRate.framesPerSecond = 29;
    c.frameRate.flags = 0;
    EXPECT_EQ(vk::vst3::positionFromContext(c, true)->getFrameRate()->getType(),
              juce::AudioPlayHead::fps2997);
    c.frameRate.framesPerSecond = 24;
    EXPECT_EQ(vk::vst3::positionFromContext(c, true)->getFrameRate()->getType(), juce::AudioPlayHead::fps24);
    c.state = ProcessContext::kPlaying;
    EXPECT_FALSE(vk::vst3::positionFromContext(c, true)->getFrameRate().hasValue());
}

TEST_F(Vst3Binding, ControllerPublishesExposedParametersAndRefusesOthers)
{
    VST3Processor* p = makeProcessor();
    auto* c = static_cast<VST3Controller*>(static_cast<IEditController*>(VST3Controller::createInstance()));
    ASSERT_EQ(c->initialize(nullptr), kResultOk);
    // The bypass, then main parameters 3..7 (the test processor exposes those).
    ASSERT_EQ(c->getParameterCount(), 6);
    ParameterInfo info{};
    c->getParameterInfo(0, info);
    EXPECT_EQ(info.id, vk::vst3::kBypassParamId);
    EXPECT_NE(info.flags & ParameterInfo::kIsBypass, 0);
    c->getParameterInfo(1, info);
    EXPECT_EQ(info.id, 3u);

    EXPECT_EQ(c->setParamNormalized(9101, 1.0), kInvalidArgument);
    EXPECT_EQ(c->setParamNormalized(6, 0.4), kResultOk);
    EXPECT_FLOAT_EQ(testProcessor(*p).getParameter(6), 0.4f);
    EXPECT_DOUBLE_EQ(c->getParamNormalized(vk::vst3::kProgramParamId), 0.0);
    EXPECT_NEAR(c->getParamNormalized(1), TestProcessor::kMainDefaults[1], 1e-6);
    c->terminate();
    c->release();
    p->release();
}

TEST_F(Vst3Binding, ControllerOutlivesItsProcessorSafely)
{
    VST3Processor* p = makeProcessor();
    auto* c = static_cast<VST3Controller*>(static_cast<IEditController*>(VST3Controller::createInstance()));
    c->initialize(nullptr);
    EXPECT_TRUE(c->hasProcessor());
    p->release(); // the host releases the processor first
    EXPECT_FALSE(c->hasProcessor());
    EXPECT_DOUBLE_EQ(c->getParamNormalized(4), 0.0);
    EXPECT_EQ(c->setParamNormalized(4, 0.5), kResultOk);
    MemoryStream stream;
    EXPECT_EQ(c->setComponentState(&stream), kResultFalse);
    c->terminate();
    c->release();
}

TEST_F(Vst3Binding, ReportsReachTheHostOnTheMessageThreadBracketed)
{
    VST3Processor* p = makeProcessor();
    auto* c = static_cast<VST3Controller*>(static_cast<IEditController*>(VST3Controller::createInstance()));
    c->initialize(nullptr);
    RecordingHandler handler;
    c->setComponentHandler(&handler);

    // A change the processor reports from another thread (as the algorithm does on the audio thread),
    // and one for a parameter the host never saw.
    std::thread audio(
        [&]
        {
            testProcessor(*p).setParameterInternal(5, 0.625f, true, true, false);
            testProcessor(*p).setParameterInternal(1, 0.5f, true, true, false);
        });
    audio.join();

    std::vector<std::string> events;
    for (int i = 0; i < 200; ++i)
    {
        events = handler.events();
        if (std::find(events.begin(), events.end(), "end 5") != events.end())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    auto begin = std::find(events.begin(), events.end(), "begin 5");
    ASSERT_NE(begin, events.end());
    ASSERT_LE(begin + 2, events.end() - 1);
    EXPECT_EQ(*(begin + 1), "perform 5 0.62");
    EXPECT_EQ(*(begin + 2), "end 5");
    for (const auto& e : events)
        EXPECT_EQ(e.find(" 1 "), std::string::npos) << e;
    EXPECT_TRUE(handler.allOnMessageThread());

    c->setComponentHandler(nullptr);
    c->terminate();
    c->release();
    p->release();
}

TEST_F(Vst3Binding, UserEditsReachAnInactiveHostButStateReportsWaitForProcessing)
{
    // A host that keeps the plug-in deactivated while the user edits (before playback) still hears of
    // the edits; what the processor reports while it reads a state the host gave it waits for the first
    // processing call, as the values the processor then holds.
    VST3Processor* p = makeProcessor();
    MemoryStream saved;
    testProcessor(*p).setParameterInternal(6, 0.2f, false, true, true);
    ASSERT_EQ(p->getState(&saved), kResultOk);
    p->setActive(false);
    auto* c = static_cast<VST3Controller*>(static_cast<IEditController*>(VST3Controller::createInstance()));
    c->initialize(nullptr);
    RecordingHandler handler;
    c->setComponentHandler(&handler);

    auto has = [&](const std::string& e)
    {
        const auto events = handler.events();
        return std::find(events.begin(), events.end(), e) != events.end();
    };
    testProcessor(*p).setParameterInternal(5, 0.625f, true, true, false);
    for (int i = 0; i < 2000 && !has("perform 5 0.62"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(has("perform 5 0.62")) << ::testing::PrintToString(handler.events());

    saved.seek(0, IBStream::kIBSeekSet, nullptr);
    testProcessor(*p).setParameterInternal(6, 0.9f, false, true, true);
    ASSERT_EQ(c->setComponentState(&saved), kResultOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(has("perform 6 0.20")) << "a state the host gave is no edit of the user's";

    p->setActive(true);
    ProcessData data{};
    data.numSamples = 0;
    p->process(data);
    for (int i = 0; i < 2000 && !has("perform 6 0.20"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(has("perform 6 0.20")) << ::testing::PrintToString(handler.events());

    c->setComponentHandler(nullptr);
    c->terminate();
    c->release();
    p->release();
}

// A host stream that moves at most a few bytes per call, as some hosts' streams do.
class TricklingStream : public IBStream
{
public:
    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override
    {
        return m_inner.read(buffer, std::min(numBytes, int32(7)), numBytesRead);
    }
    tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) override
    {
        return m_inner.write(buffer, std::min(numBytes, int32(5)), numBytesWritten);
    }
    tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) override
    {
        return m_inner.seek(pos, mode, result);
    }
    tresult PLUGIN_API tell(int64* pos) override { return m_inner.tell(pos); }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

private:
    MemoryStream m_inner;
};

TEST_F(Vst3Binding, StateSurvivesStreamsThatMoveAFewBytesAtATime)
{
    VST3Processor* a = makeProcessor();
    VST3Processor* b = makeProcessor();
    testProcessor(*a).setParameterInternal(5, 0.33f, false, true, true);
    testProcessor(*a).setParameterInternal(7, 0.44f, false, true, true);
    TricklingStream stream;
    ASSERT_EQ(a->getState(&stream), kResultOk);
    int64 size = 0;
    stream.tell(&size);
    EXPECT_GT(size, 100);

    stream.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(b->setState(&stream), kResultOk);
    EXPECT_FLOAT_EQ(testProcessor(*b).getParameter(5), 0.33f);
    EXPECT_FLOAT_EQ(testProcessor(*b).getParameter(7), 0.44f);
    EXPECT_FALSE(testProcessor(*b).holdsLegacyState());
    a->release();
    b->release();
}

TEST_F(Vst3Binding, BypassRoundTripsThroughTheComponentStateAndTheController)
{
    VST3Processor* a = makeProcessor();
    auto* c = static_cast<VST3Controller*>(static_cast<IEditController*>(VST3Controller::createInstance()));
    c->initialize(nullptr);

    // The host keeps what it sets in the controller.
    EXPECT_EQ(c->setParamNormalized(vk::vst3::kBypassParamId, 1.0), kResultOk);
    EXPECT_DOUBLE_EQ(c->getParamNormalized(vk::vst3::kBypassParamId), 1.0);
    EXPECT_EQ(c->setParamNormalized(vk::vst3::kBypassParamId, 0.0), kResultOk);
    EXPECT_DOUBLE_EQ(c->getParamNormalized(vk::vst3::kBypassParamId), 0.0);

    // Bypassed through the audio stream, saved, and reloaded into a fresh pair: both halves bypassed.
    Changes changes;
    changes.queues.emplace_back(vk::vst3::kBypassParamId, std::vector<double>{1.0});
    ProcessData data{};
    data.inputParameterChanges = &changes;
    a->process(data);
    ASSERT_TRUE(a->isBypassed());
    MemoryStream saved;
    ASSERT_EQ(a->getState(&saved), kResultOk);

    VST3Processor* b = makeProcessor();
    auto* d = static_cast<VST3Controller*>(static_cast<IEditController*>(VST3Controller::createInstance()));
    d->initialize(nullptr);
    saved.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(b->setState(&saved), kResultOk);
    EXPECT_TRUE(b->isBypassed());
    saved.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(d->setComponentState(&saved), kResultOk);
    EXPECT_DOUBLE_EQ(d->getParamNormalized(vk::vst3::kBypassParamId), 1.0);

    // The chunk the other formats share is untouched: the processor reads exactly its own bytes.
    juce::MemoryBlock whole(saved.getData(), std::size_t(saved.getSize()));
    const auto split = vk::vst3::splitBypassTrailer(whole);
    EXPECT_TRUE(split.bypassed);
    EXPECT_EQ(std::size_t(split.chunkSize) + std::size_t(vk::vst3::kBypassTrailerSize), whole.getSize());
    juce::MemoryBlock chunk;
    testProcessor(*a).writeStateChunk(chunk);
    EXPECT_EQ(juce::MemoryBlock(whole.getData(), std::size_t(split.chunkSize)), chunk);

    // A state without the trailer (another format's chunk, or an earlier save) is not bypassed.
    MemoryStream plain;
    int32 written = 0;
    plain.write(chunk.getData(), int32(chunk.getSize()), &written);
    plain.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(b->setState(&plain), kResultOk);
    EXPECT_FALSE(b->isBypassed());
    plain.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(d->setComponentState(&plain), kResultOk);
    EXPECT_DOUBLE_EQ(d->getParamNormalized(vk::vst3::kBypassParamId), 0.0);

    d->terminate();
    d->release();
    c->terminate();
    c->release();
    a->release();
    b->release();
}

TEST_F(Vst3Binding, EarlierVersionBytesKeptAfterCancelAreSavedBackWithoutTheTrailer)
{
    // The question comes on the message thread.
    std::mutex questionLock;
    vk::platform::MessageBoxAnswer pending;
    vk::platform::setMessageBoxPresenterOverride(
        [&](const juce::String&, const juce::String&, vk::platform::MessageBoxAnswer answer)
        {
            std::lock_guard<std::mutex> g(questionLock);
            pending = std::move(answer);
        });
    VST3Processor* p = makeProcessor();
    const std::string earlier = "an earlier version's own state bytes";
    MemoryStream in;
    int32 written = 0;
    in.write(const_cast<char*>(earlier.data()), int32(earlier.size()), &written);
    in.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(p->setState(&in), kResultOk);
    vk::platform::MessageBoxAnswer answer;
    for (int i = 0; i < 6000 && !answer; ++i)
    {
        {
            std::lock_guard<std::mutex> g(questionLock);
            answer = std::move(pending);
        }
        if (!answer)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(answer) << "no question about the earlier state";
    answer(false); // Cancel: keep the earlier state

    Changes changes;
    changes.queues.emplace_back(vk::vst3::kBypassParamId, std::vector<double>{1.0});
    ProcessData data{};
    data.inputParameterChanges = &changes;
    p->process(data);
    MemoryStream out;
    ASSERT_EQ(p->getState(&out), kResultOk);
    EXPECT_EQ(std::string(out.getData(), std::size_t(out.getSize())), earlier);
    p->release();
    vk::platform::setMessageBoxPresenterOverride({});
}

// A connection point that stands between the two halves, as some hosts' proxies do: it only forwards.
class ProxyConnection : public IConnectionPoint
{
public:
    explicit ProxyConnection(IConnectionPoint* target) : m_target(target) {}
    tresult PLUGIN_API connect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API disconnect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API notify(IMessage* message) override { return m_target->notify(message); }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

private:
    IConnectionPoint* m_target;
};

TEST_F(Vst3Binding, ControllersPairWithTheProcessorTheHostConnectsThemTo)
{
    // Two processors created before their controllers: by creation order alone both controllers would
    // take the second processor.
    VST3Processor* p1 = makeProcessor();
    VST3Processor* p2 = makeProcessor();
    auto* c1 = static_cast<VST3Controller*>(static_cast<IEditController*>(VST3Controller::createInstance()));
    auto* c2 = static_cast<VST3Controller*>(static_cast<IEditController*>(VST3Controller::createInstance()));
    c1->initialize(nullptr);
    c2->initialize(nullptr);
    EXPECT_EQ(c1->pairedProcessor(), p2->getProcessor()) << "the fallback: the processor created last";

    // Direct connection for the first pair, through a proxy for the second, in the host's own order.
    p1->connect(c1);
    c1->connect(p1);
    ProxyConnection toC2(c2);
    ProxyConnection toP2(p2);
    c2->connect(&toP2);
    p2->connect(&toC2);
    EXPECT_EQ(c1->pairedProcessor(), p1->getProcessor());
    EXPECT_EQ(c2->pairedProcessor(), p2->getProcessor());

    // Each controller now drives its own processor, and reports of each processor reach its own host.
    EXPECT_EQ(c1->setParamNormalized(4, 0.125), kResultOk);
    EXPECT_EQ(c2->setParamNormalized(4, 0.875), kResultOk);
    EXPECT_FLOAT_EQ(testProcessor(*p1).getParameter(4), 0.125f);
    EXPECT_FLOAT_EQ(testProcessor(*p2).getParameter(4), 0.875f);
    RecordingHandler h1;
    RecordingHandler h2;
    c1->setComponentHandler(&h1);
    c2->setComponentHandler(&h2);
    testProcessor(*p1).setParameterInternal(7, 0.5f, true, true, false);
    auto has = [](RecordingHandler& h, const std::string& e)
    {
        const auto events = h.events();
        return std::find(events.begin(), events.end(), e) != events.end();
    };
    for (int i = 0; i < 2000 && !has(h1, "perform 7 0.50"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(has(h1, "perform 7 0.50"));
    EXPECT_FALSE(has(h2, "perform 7 0.50"));

    for (auto* c : {c1, c2})
    {
        c->setComponentHandler(nullptr);
        c->terminate();
        c->release();
    }
    p1->release();
    p2->release();
}

TEST_F(Vst3Binding, FactoryIsAVersion3FactoryWithUnicodeClassInfo)
{
    auto& factory = vk::vst3::moduleFactory();
    void* obj = nullptr;
    ASSERT_EQ(factory.queryInterface(IPluginFactory3::iid, &obj), kResultOk);
    auto* f3 = static_cast<IPluginFactory3*>(obj);
    PClassInfoW info{};
    ASSERT_EQ(f3->getClassInfoUnicode(0, &info), kResultOk);
    EXPECT_EQ(std::memcmp(info.cid, vk::identity::kProcessorClassId.data(), 16), 0);
    EXPECT_EQ(juce::String(juce::CharPointer_UTF16(
                  reinterpret_cast<const juce::CharPointer_UTF16::CharType*>(info.name))),
              "VEKLA Latiphonix3");
    EXPECT_STREQ(info.subCategories, "Fx|Sound Field");
    EXPECT_EQ(f3->getClassInfoUnicode(2, &info), kInvalidArgument);
    // A context without a run loop offers nothing and changes nothing.
    EXPECT_EQ(f3->setHostContext(nullptr), kResultOk);
    f3->release();
}

TEST_F(Vst3Binding, SetUpReportWaitsForTheHostsValuesAndCarriesTheCurrentOnes)
{
    // The host's order when it restores a session: both halves created and connected, set up, activated,
    // then its saved values handed to the processor in the first processing call.
    auto* p = static_cast<VST3Processor*>(static_cast<IAudioProcessor*>(VST3Processor::createInstance()));
    p->initialize(nullptr);
    auto* c = static_cast<VST3Controller*>(static_cast<IEditController*>(VST3Controller::createInstance()));
    c->initialize(nullptr);
    RecordingHandler handler;
    c->setComponentHandler(&handler);
    ProcessSetup setup{kRealtime, kSample32, 256, 48000.0};

    auto performs = [&]
    {
        std::vector<std::string> found;
        for (const auto& e : handler.events())
            if (e.rfind("perform", 0) == 0)
                found.push_back(e);
        return found;
    };
    auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); };

    p->setupProcessing(setup);
    p->setActive(true);
    settle();
    EXPECT_TRUE(performs().empty()) << ::testing::PrintToString(performs());

    ASSERT_NE(TestProcessor::kMainDefaults[5], 0.625f);
    Changes restored;
    restored.queues.emplace_back(5, std::vector<double>{0.625});
    ProcessData data{};
    data.numSamples = 0;
    data.inputParameterChanges = &restored;
    EXPECT_EQ(p->process(data), kResultOk);
    settle();
    const auto afterRestore = performs();
    EXPECT_EQ(afterRestore.size(), 5u) << "every published value once";
    EXPECT_NE(std::find(afterRestore.begin(), afterRestore.end(), "perform 5 0.62"), afterRestore.end());
    EXPECT_EQ(std::find(afterRestore.begin(), afterRestore.end(), "perform 5 0.75"), afterRestore.end())
        << "the value from before the host's own";
    EXPECT_FLOAT_EQ(testProcessor(*p).getParameter(5), 0.625f);

    // A real change made while the set-up report waits is an edit at once.
    p->setActive(false);
    p->setupProcessing(setup);
    testProcessor(*p).setParameterInternal(4, 0.125f, true, true, false);
    p->setActive(true);
    settle();
    const auto afterChange = performs();
    ASSERT_EQ(afterChange.size(), 6u) << ::testing::PrintToString(afterChange);
    EXPECT_EQ(afterChange.back(), "perform 4 0.12");

    c->setComponentHandler(nullptr);
    c->terminate();
    c->release();
    p->release();
}

TEST_F(Vst3Binding, FrameworkRunsWhileObjectsLive)
{
    EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 0);
    VST3Processor* p = makeProcessor();
    EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 1);
    EXPECT_NE(juce::MessageManager::getInstanceWithoutCreating(), nullptr);
    p->release();
    EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 0);
}

} // namespace
