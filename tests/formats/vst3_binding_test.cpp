// The VST3 binding in-process, with the framework's small test processor behind it: factory records,
// processing with parameter queues, buses, state (streams that move a few bytes at a time, the bypass
// trailer), the play head, the processor/controller pairing (interleaved creation, direct and proxied
// connections) and the deferred reports to the host.

#include "formats/vst3/vst3_component_state.h"
#include "formats/vst3/vst3_controller.h"
#include "formats/vst3/vst3_edit_queue.h"
#include "formats/vst3/vst3_message_thread.h"
#include "formats/vst3/vst3_play_head.h"
#include "formats/vst3/vst3_published_parameters.h"
#include "platform/vk_message_box.h"
#include "tests/processor/test_processor.h"
#include "vst3_test_support.h"

#include <gtest/gtest.h>
#include <pluginterfaces/gui/iplugview.h>
#include <pluginterfaces/vst/ivstparameterchanges.h>
#include <pluginterfaces/vst/vstspeaker.h>
#include <public.sdk/source/common/memorystream.h>

#include <cstring>
#include <mutex>

using namespace Steinberg;
using namespace Steinberg::Vst;
using vk::test::Changes;
using vk::test::HostEdits;
using vk::test::waitUntil;

namespace
{

VkJuceProcessorBase* createTestProcessor(int wrapperType)
{
    return new TestProcessor(wrapperType);
}

// The test processor as one with an editor, so that the controller makes views (none is attached here).
class ProcessorWithView final : public TestProcessor
{
public:
    using TestProcessor::TestProcessor;
    bool hasEditor() const override { return true; }
};

VkJuceProcessorBase* createProcessorWithView(int wrapperType)
{
    return new ProcessorWithView(wrapperType);
}

void write(IBStream& stream, const void* bytes, std::size_t size, bool rewind = true)
{
    int32 written = 0;
    stream.write(const_cast<void*>(bytes), int32(size), &written);
    if (rewind)
        stream.seek(0, IBStream::kIBSeekSet, nullptr);
}

void rewind(IBStream& stream)
{
    stream.seek(0, IBStream::kIBSeekSet, nullptr);
}

class Vst3Binding : public ::testing::Test
{
protected:
    void SetUp() override { vk::vst3::setProcessorFactory(&createTestProcessor); }
    void TearDown() override { vk::vst3::finishMessageThread(); }

    // A processor wrapper set up as a host does (stereo, 48 kHz, 256 samples).
    static VST3Processor* makeProcessor(bool activate = true)
    {
        auto* p = static_cast<VST3Processor*>(static_cast<IAudioProcessor*>(VST3Processor::createInstance()));
        p->initialize(nullptr);
        if (!activate)
            return p;
        ProcessSetup setup{kRealtime, kSample32, 256, 48000.0};
        p->setupProcessing(setup);
        p->setActive(true);
        return p;
    }
    // A controller connected to `processor` both ways, as hosts connect them (none: not connected).
    static VST3Controller* makeController(VST3Processor* processor, HostEdits* handler = nullptr)
    {
        auto* c =
            static_cast<VST3Controller*>(static_cast<IEditController*>(VST3Controller::createInstance()));
        c->initialize(nullptr);
        c->setComponentHandler(handler);
        if (processor != nullptr)
        {
            processor->connect(c);
            c->connect(processor);
        }
        return c;
    }
    static void release(VST3Controller* c)
    {
        c->setComponentHandler(nullptr);
        c->terminate();
        c->release();
    }

    static TestProcessor& testProcessor(VST3Processor& p)
    {
        return *static_cast<TestProcessor*>(p.getProcessor());
    }

    ScopedDataFolders m_folders;
};

TEST_F(Vst3Binding, FactoryPublishesTheIdentityInVersion3ClassInfo)
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

    ASSERT_EQ(factory.queryInterface(IPluginFactory3::iid, &obj), kResultOk);
    auto* f3 = static_cast<IPluginFactory3*>(obj);
    PClassInfoW unicode{};
    ASSERT_EQ(f3->getClassInfoUnicode(0, &unicode), kResultOk);
    EXPECT_EQ(std::memcmp(unicode.cid, vk::identity::kProcessorClassId.data(), 16), 0);
    EXPECT_EQ(juce::String(juce::CharPointer_UTF16(
                  reinterpret_cast<const juce::CharPointer_UTF16::CharType*>(unicode.name))),
              "VEKLA Latiphonix3");
    EXPECT_STREQ(unicode.subCategories, "Fx|Sound Field");
    EXPECT_EQ(f3->getClassInfoUnicode(2, &unicode), kInvalidArgument);
    // A context without a run loop offers nothing and changes nothing.
    EXPECT_EQ(f3->setHostContext(nullptr), kResultOk);
    f3->release();
}

TEST_F(Vst3Binding, ZeroSampleCallAppliesQueuesButOnlyPublishedIds)
{
    VST3Processor* p = makeProcessor();
    TestProcessor& tp = testProcessor(*p);
    const float undoBefore = tp.getParameterRecord(9101).getValue();
    Changes changes{{4, {0.1, 0.7}},
                    {vk::vst3::kBypassParamId, {0.5}},
                    {9101, {1.0}}, // Undo: never published
                    {1, {0.9}}};   // not exposed
    EXPECT_EQ(changes.processOn(*p), kResultOk);

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
    VK_STACK_OBJECT

private:
    MemoryStream m_inner;
};

TEST_F(Vst3Binding, StateRoundTripsThroughHostStreamsAndAShortStreamIsRefusedWithoutAQuestion)
{
    VST3Processor* a = makeProcessor();
    VST3Processor* b = makeProcessor();
    testProcessor(*a).setParameterInternal(5, 0.33f, false, true, true);
    testProcessor(*a).setParameterInternal(7, 0.44f, false, true, true);
    MemoryStream plain;
    TricklingStream trickling;
    for (IBStream* stream : std::initializer_list<IBStream*>{&plain, &trickling})
    {
        ASSERT_EQ(a->getState(stream), kResultOk);
        int64 size = 0;
        stream->tell(&size);
        EXPECT_GT(size, 100);
        rewind(*stream);
        ASSERT_EQ(b->setState(stream), kResultOk);
        EXPECT_FLOAT_EQ(testProcessor(*b).getParameter(5), 0.33f);
        EXPECT_FLOAT_EQ(testProcessor(*b).getParameter(7), 0.44f);
        EXPECT_FALSE(testProcessor(*b).holdsLegacyState());
        for (int index : {5, 7}) // the next stream must bring them again
            testProcessor(*b).setParameterInternal(index, 0.5f, false, true, true);
    }

    // A host that keeps its own header in front of the plug-in's state: the state goes after it, the
    // header stays intact, and reading starts where the host positions the stream.
    MemoryStream session;
    write(session, "HOSTHDR!", 8, false);
    testProcessor(*a).setParameterInternal(5, 0.71f, false, true, true);
    ASSERT_EQ(a->getState(&session), kResultOk);
    char header[8] = {};
    int32 headerRead = 0;
    rewind(session);
    session.read(header, 8, &headerRead);
    EXPECT_EQ(std::string(header, 8), "HOSTHDR!");
    ASSERT_EQ(b->setState(&session), kResultOk);
    EXPECT_FLOAT_EQ(testProcessor(*b).getParameter(5), 0.71f);

    MemoryStream shortStream;
    write(shortStream, "VC2", 3, false);
    EXPECT_EQ(b->setState(&shortStream), kResultFalse);
    EXPECT_FALSE(testProcessor(*b).wasWarnedAboutOldState());
    EXPECT_FALSE(testProcessor(*b).holdsLegacyState());
    EXPECT_EQ(b->setState(nullptr), kInvalidArgument);
    a->release();
    b->release();
}

// A host stream that reads as the SDK's own file stream does: a short last read answers kResultFalse,
// and still hands over its bytes and their count.
class FileLikeStream : public IBStream
{
public:
    explicit FileLikeStream(const MemoryStream& bytes)
        : m_bytes(bytes.getData(), bytes.getData() + bytes.getSize())
    {
    }
    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override
    {
        const auto n = std::min<std::size_t>(std::size_t(std::max(numBytes, 0)), m_bytes.size() - m_position);
        std::memcpy(buffer, m_bytes.data() + m_position, n);
        m_position += n;
        if (numBytesRead != nullptr)
            *numBytesRead = int32(n);
        return n < std::size_t(numBytes) ? kResultFalse : kResultOk;
    }
    tresult PLUGIN_API write(void*, int32, int32*) override { return kResultFalse; }
    tresult PLUGIN_API seek(int64 pos, int32, int64*) override
    {
        m_position = std::size_t(std::clamp<int64>(pos, 0, int64(m_bytes.size())));
        return kResultOk;
    }
    tresult PLUGIN_API tell(int64* pos) override
    {
        *pos = int64(m_position);
        return kResultOk;
    }
    VK_STACK_OBJECT

private:
    std::vector<char> m_bytes;
    std::size_t m_position = 0;
};

TEST_F(Vst3Binding, AStateIsReadWholeFromAStreamThatAnswersItsShortLastReadFalse)
{
    VST3Processor* a = makeProcessor();
    VST3Processor* b = makeProcessor();
    VST3Controller* c = makeController(b);
    testProcessor(*a).setParameterInternal(5, 0.33f, false, true, true);
    Changes{{vk::vst3::kBypassParamId, {1.0}}}.processOn(*a);
    MemoryStream saved;
    ASSERT_EQ(a->getState(&saved), kResultOk);
    FileLikeStream stream(saved);
    EXPECT_EQ(b->setState(&stream), kResultOk);
    EXPECT_FLOAT_EQ(testProcessor(*b).getParameter(5), 0.33f);
    EXPECT_TRUE(b->isBypassed());

    testProcessor(*b).setParameterInternal(5, 0.5f, false, true, true);
    stream.seek(0, IBStream::kIBSeekSet, nullptr);
    EXPECT_EQ(c->setComponentState(&stream), kResultOk);
    EXPECT_FLOAT_EQ(testProcessor(*b).getParameter(5), 0.33f);
    release(c);
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
    EXPECT_EQ(*pos->getBpm(), 1.0);
    EXPECT_TRUE(pos->getIsPlaying());

    const struct
    {
        uint32 fps, flags;
        juce::AudioPlayHead::FrameRateType expected;
    } cases[] = {{30, FrameRate::kPullDownRate, juce::AudioPlayHead::fps2997},
                 {30, FrameRate::kPullDownRate | FrameRate::kDropRate, juce::AudioPlayHead::fps2997drop},
                 {30, FrameRate::kDropRate, juce::AudioPlayHead::fps30drop},
                 {29, 0, juce::AudioPlayHead::fps2997},
                 {24, 0, juce::AudioPlayHead::fps24}};
    for (const auto& rate : cases)
    {
        c.frameRate.framesPerSecond = rate.fps;
        c.frameRate.flags = rate.flags;
        EXPECT_EQ(vk::vst3::positionFromContext(c, true)->getFrameRate()->getType(), rate.expected)
            << rate.fps << " flags " << rate.flags;
    }
    c.state = ProcessContext::kPlaying;
    EXPECT_FALSE(vk::vst3::positionFromContext(c, true)->getFrameRate().hasValue());
}

TEST_F(Vst3Binding, NoPositionAfterAnActivationUntilItsFirstContext)
{
    VST3Processor* p = makeProcessor();
    ProcessContext context{};
    ProcessData data{};
    data.processContext = &context;
    p->process(data);
    ASSERT_TRUE(p->getPosition().hasValue());
    p->setActive(false);
    p->setActive(true);
    EXPECT_FALSE(p->getPosition().hasValue()) << "the context from before the activation";
    p->release();
}

TEST_F(Vst3Binding, ControllerPublishesExposedParametersAndRefusesOthers)
{
    VST3Processor* p = makeProcessor();
    VST3Controller* c = makeController(p);
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
    release(c);
    p->release();
}

TEST_F(Vst3Binding, ControllerOutlivesItsProcessorSafely)
{
    VST3Processor* p = makeProcessor();
    VST3Controller* c = makeController(p);
    EXPECT_TRUE(c->hasProcessor());
    // The host terminates and releases the processor first (terminating disconnects it).
    p->terminate();
    p->release();
    EXPECT_FALSE(c->hasProcessor());
    EXPECT_DOUBLE_EQ(c->getParamNormalized(4), 0.0);
    EXPECT_EQ(c->setParamNormalized(4, 0.5), kResultOk);
    MemoryStream stream;
    EXPECT_EQ(c->setComponentState(&stream), kResultFalse);
    release(c);
}

TEST_F(Vst3Binding, ReportsReachTheHostOnTheMessageThreadBracketed)
{
    VST3Processor* p = makeProcessor();
    HostEdits handler;
    VST3Controller* c = makeController(p, &handler);

    // A change the processor reports from another thread (as the algorithm does on the audio thread),
    // and one for a parameter the host never saw.
    std::thread(
        [&]
        {
            testProcessor(*p).setParameterInternal(5, 0.625f, true, true, false);
            testProcessor(*p).setParameterInternal(1, 0.5f, true, true, false);
        })
        .join();

    ASSERT_TRUE(waitUntil([&] { return handler.count("end 5") > 0; }));
    const auto calls = handler.calls();
    auto begin = std::find_if(calls.begin(), calls.end(), [](const auto& e) { return e.what == "begin 5"; });
    ASSERT_NE(begin, calls.end());
    ASSERT_LE(begin + 2, calls.end() - 1);
    EXPECT_EQ((begin + 1)->what, "perform 5");
    EXPECT_NEAR((begin + 1)->value, 0.625, 1e-3);
    EXPECT_EQ((begin + 2)->what, "end 5");
    EXPECT_TRUE(handler.of(1).empty());
    for (const auto& e : calls)
        EXPECT_TRUE(e.onMessageThread) << e.what;
    release(c);
    p->release();
}

// The editor's side of a drag, as the editor base does it: take hold of a parameter's control, let go.
void hold(VkJuceProcessorBase& processor, int index)
{
    processor.getParameterRecord(index).gestureHeld.store(true);
    processor.queueParameterChange(index, false, true);
}

void letGo(VkJuceProcessorBase& processor, int index)
{
    processor.getParameterRecord(index).gestureHeld.store(false);
    processor.endParameterGesture(index);
}

std::vector<std::string> bracketed(Steinberg::Vst::ParamID id, int performs)
{
    std::vector<std::string> calls{"begin " + std::to_string(id)};
    calls.insert(calls.end(), std::size_t(performs), "perform " + std::to_string(id));
    calls.push_back("end " + std::to_string(id));
    return calls;
}

TEST_F(Vst3Binding, AGesturesEditsReachTheHostBetweenOneBeginAndOneEnd)
{
    VST3Processor* p = makeProcessor();
    HostEdits handler;
    VST3Controller* c = makeController(p, &handler);
    auto& processor = testProcessor(*p);

    // Two parameters dragged in one gesture (as the phase control does), and one the host never saw.
    for (int index : {3, 4, 1})
        hold(processor, index);
    // Edits made on another thread, each delivered before the next is made.
    for (float v : {0.2f, 0.4f, 0.6f})
    {
        std::thread(
            [&]
            {
                processor.setParameterInternal(3, v, true, false, false);
                processor.setParameterInternal(4, 1.0f - v, true, false, false);
                processor.setParameterInternal(1, v, true, false, false);
            })
            .join();
        ASSERT_TRUE(
            waitUntil([&] { return handler.has("perform 3", v) && handler.has("perform 4", 1.0 - v); }));
    }
    // A parameter the drag moves along (a rule between values) joins the gesture until its end.
    processor.setParameterInternal(7, 0.3f, true, false, false);
    ASSERT_TRUE(waitUntil([&] { return handler.has("perform 7", 0.3); }));
    EXPECT_EQ(handler.count("end 3") + handler.count("end 4") + handler.count("end 7"), 0);
    for (int index : {1, 3, 4})
        letGo(processor, index);
    // An edit outside every gesture keeps its own pair.
    processor.setParameterInternal(5, 0.1f, true, false, false);
    ASSERT_TRUE(waitUntil(
        [&] { return handler.count("end 3") && handler.count("end 7") && handler.count("end 5"); }));

    EXPECT_EQ(handler.of(3), bracketed(3, 3));
    EXPECT_EQ(handler.of(4), bracketed(4, 3));
    EXPECT_EQ(handler.of(7), bracketed(7, 1));
    EXPECT_EQ(handler.of(5), bracketed(5, 1));
    EXPECT_TRUE(handler.of(1).empty());
    for (const auto& e : handler.calls())
        EXPECT_TRUE(e.onMessageThread) << e.what;
    release(c);
    p->release();
}

TEST_F(Vst3Binding, AGestureTheHostHeardOfEndsThereWhenTheControllerLetsGoOfIt)
{
    // The host takes its handler away, or terminates the controller, while the user still drags.
    for (const bool handlerFirst : {true, false})
    {
        VST3Processor* p = makeProcessor();
        HostEdits handler;
        VST3Controller* c = makeController(p, &handler);
        auto& processor = testProcessor(*p);
        hold(processor, 3);
        processor.setParameterInternal(3, 0.6f, true, false, false);
        ASSERT_TRUE(waitUntil([&] { return handler.has("perform 3", 0.6); }));
        if (handlerFirst)
            c->setComponentHandler(nullptr);
        c->terminate();
        c->setComponentHandler(nullptr);
        EXPECT_TRUE(waitUntil([&] { return handler.count("end 3") > 0; }))
            << "handler first: " << handlerFirst;
        letGo(processor, 3);
        c->release();
        p->release();
        EXPECT_EQ(handler.of(3), bracketed(3, 1)) << "handler first: " << handlerFirst;
    }
}

// A host removing the plug-in while automating it: it deactivates, lets go of its handler and terminates
// the controller, and may free the handler as soon as that call has returned. Its handler takes a while per
// call (it records automation), so the module's thread is often inside a pass when the host lets go.
TEST_F(Vst3Binding, NothingReachesTheHostsHandlerOnceTheHostLetGoOfIt)
{
    int lateCalls = 0;
    int heldReferences = 0;
    for (int lifecycle = 0; lifecycle < 20; ++lifecycle)
    {
        VST3Processor* p = makeProcessor();
        HostEdits handler;
        VST3Controller* c = makeController(p, &handler);
        std::atomic<bool> letGo{false};
        std::atomic<int> late{0};
        handler.onCall = [&](ParamID)
        {
            late.fetch_add(letGo.load() ? 1 : 0);
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        };
        std::atomic<bool> automating{true};
        std::thread automation(
            [&]
            {
                for (int step = 0; automating.load(); ++step)
                {
                    for (int id = 3; id <= 7; ++id)
                        testProcessor(*p).setParameterInternal(id, float(step % 10) / 10.0f, true, true,
                                                               false);
                    std::this_thread::sleep_for(std::chrono::microseconds(300));
                }
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        p->setActive(false);
        c->setComponentHandler(nullptr);
        letGo.store(true);
        heldReferences += handler.references();
        automating.store(false);
        automation.join();
        c->terminate();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        lateCalls += late.load();
        c->release();
        p->release();
    }
    EXPECT_EQ(lateCalls, 0);
    EXPECT_EQ(heldReferences, 0);
}

// A host whose handler offers IComponentHandler2: a change of the saved state that no parameter edit
// tells it (the program renamed, as the editor's preset name field does) marks its session modified; a
// parameter edit, a restored state and the same name again do not.
TEST_F(Vst3Binding, ARenameMarksTheHostsSessionModified)
{
    class Host2 : public HostEdits, public IComponentHandler2
    {
    public:
        tresult PLUGIN_API setDirty(TBool state) override
        {
            dirty.fetch_add(state ? 1 : 0);
            return kResultOk;
        }
        tresult PLUGIN_API requestOpenEditor(FIDString) override { return kResultFalse; }
        tresult PLUGIN_API startGroupEdit() override { return kResultOk; }
        tresult PLUGIN_API finishGroupEdit() override { return kResultOk; }
        tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
        {
            if (FUnknownPrivate::iidEqual(iid, IComponentHandler2::iid))
            {
                addRef();
                *obj = static_cast<IComponentHandler2*>(this);
                return kResultOk;
            }
            return HostEdits::queryInterface(iid, obj);
        }
        uint32 PLUGIN_API addRef() override { return HostEdits::addRef(); }
        uint32 PLUGIN_API release() override { return HostEdits::release(); }
        std::atomic<int> dirty{0};
    };
    VST3Processor* p = makeProcessor();
    Host2 handler;
    VST3Controller* c = makeController(p, &handler);
    auto& processor = testProcessor(*p);
    MemoryStream saved;
    ASSERT_EQ(p->getState(&saved), kResultOk);
    processor.setParameterInternal(5, 0.125f, true, true, false);
    ASSERT_TRUE(waitUntil([&] { return handler.has("perform 5", 0.125); }));
    rewind(saved);
    ASSERT_EQ(p->setState(&saved), kResultOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(handler.dirty.load(), 0);

    processor.changeProgramName(processor.getCurrentProgram(), "Wide Evening");
    EXPECT_TRUE(waitUntil([&] { return handler.dirty.load() == 1; }));
    // The same name again (a rename the user left with Escape) changes nothing.
    processor.changeProgramName(processor.getCurrentProgram(), "Wide Evening");
    processor.setParameterInternal(5, 0.25f, true, true, false);
    ASSERT_TRUE(waitUntil([&] { return handler.has("perform 5", 0.25); }));
    EXPECT_EQ(handler.dirty.load(), 1);
    release(c);
    p->release();
}

// A host that guards its objects with a lock of its own, held by its UI thread while it calls the view,
// and taken inside the edits the module sends it: while the module's own message thread is inside such an
// edit, the view's calls still go through.
TEST_F(Vst3Binding, ViewCallsDoNotWaitForTheMessageThreadWhileItWaitsForTheHost)
{
    vk::vst3::setProcessorFactory(&createProcessorWithView);
    VST3Processor* p = makeProcessor();
    HostEdits handler;
    std::mutex hostLock;
    const auto hostThread = std::this_thread::get_id(); // holds it, and may enter it again
    std::atomic<int> entered{0};
    std::atomic<int> left{0};
    handler.onCall = [&](ParamID)
    {
        if (std::this_thread::get_id() == hostThread)
            return;
        entered.fetch_add(1);
        // A host that waited here for ever would hang the test: this one gives up after a while.
        if (waitUntil([&] { return hostLock.try_lock(); }, std::chrono::seconds(4)))
            hostLock.unlock();
        left.fetch_add(1);
    };
    // Nothing of the module's is in flight from here on but what this test starts.
    auto quiet = [&]
    {
        return waitUntil(
            [&]
            {
                const int before = entered.load();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                return !vk::vst3::flushRequested() && entered.load() == before && left.load() == before;
            });
    };
    VST3Controller* c = makeController(p, &handler);
    IPlugView* view = c->createView(ViewType::kEditor);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(quiet());

    hostLock.lock();
    const int callsBefore = entered.load();
    std::thread([&] { testProcessor(*p).setParameterInternal(5, 0.625f, true, true, false); }).join();
    // The module's thread is inside a call to the host, waiting for the host's lock.
    const bool reached = waitUntil([&] { return entered.load() > callsBefore; }, std::chrono::seconds(2));
    const auto start = std::chrono::steady_clock::now();
    ViewRect rect(0, 0, 300, 200);
    view->checkSizeConstraint(&rect);
    view->onSize(&rect);
    view->removed();
    const auto waited = std::chrono::steady_clock::now() - start;
    hostLock.unlock();

    EXPECT_TRUE(reached);
    EXPECT_LT(waited, std::chrono::seconds(2));
    EXPECT_TRUE(waitUntil([&] { return handler.count("end 5") > 0; }));
    EXPECT_TRUE(quiet());
    view->release();
    release(c);
    p->release();
}

TEST_F(Vst3Binding, UserEditsReachAnInactiveHostButARestoredStateNeverDoes)
{
    // A host that keeps the plug-in deactivated while the user edits (before playback) still hears of
    // the edits; a state the host gave is no edit of the user's, neither then nor after processing: the
    // host reads the restored values from the controller.
    VST3Processor* p = makeProcessor();
    MemoryStream saved;
    testProcessor(*p).setParameterInternal(6, 0.2f, false, true, true);
    ASSERT_EQ(p->getState(&saved), kResultOk);
    p->setActive(false);
    HostEdits handler;
    VST3Controller* c = makeController(p, &handler);

    testProcessor(*p).setParameterInternal(5, 0.625f, true, true, false);
    EXPECT_TRUE(waitUntil([&] { return handler.has("perform 5", 0.625); }));

    rewind(saved);
    testProcessor(*p).setParameterInternal(6, 0.9f, false, true, true);
    ASSERT_EQ(c->setComponentState(&saved), kResultOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(handler.has("perform 6", 0.2)) << "a state the host gave is no edit of the user's";

    EXPECT_FLOAT_EQ(float(c->getParamNormalized(6)), 0.2f);
    p->setActive(true);
    ProcessData data{};
    for (int i = 0; i < 3; ++i)
        p->process(data);
    // Reports go out in one pass per flush: once a later edit of the user's has arrived, nothing of the
    // restore is still waiting.
    testProcessor(*p).setParameterInternal(5, 0.375f, true, true, false);
    EXPECT_TRUE(waitUntil([&] { return handler.has("perform 5", 0.375); }));
    EXPECT_TRUE(handler.of(6).empty());
    release(c);
    p->release();
}

TEST_F(Vst3Binding, BypassRoundTripsThroughTheComponentStateAndTheController)
{
    VST3Processor* a = makeProcessor();
    VST3Controller* c = makeController(a);

    // The host keeps what it sets in the controller.
    for (double value : {1.0, 0.0})
    {
        EXPECT_EQ(c->setParamNormalized(vk::vst3::kBypassParamId, value), kResultOk);
        EXPECT_DOUBLE_EQ(c->getParamNormalized(vk::vst3::kBypassParamId), value);
    }

    // Bypassed through the audio stream, saved, and reloaded into a fresh pair: both halves bypassed.
    Changes{{vk::vst3::kBypassParamId, {1.0}}}.processOn(*a);
    ASSERT_TRUE(a->isBypassed());
    MemoryStream saved;
    ASSERT_EQ(a->getState(&saved), kResultOk);

    VST3Processor* b = makeProcessor();
    VST3Controller* d = makeController(b);
    // A state without the trailer (another format's chunk, or an earlier save) is not bypassed.
    juce::MemoryBlock chunk;
    testProcessor(*a).writeStateChunk(chunk);
    MemoryStream plain;
    write(plain, chunk.getData(), chunk.getSize());
    for (auto [stream, bypassed] :
         std::initializer_list<std::pair<MemoryStream*, bool>>{{&saved, true}, {&plain, false}})
    {
        rewind(*stream);
        ASSERT_EQ(b->setState(stream), kResultOk);
        EXPECT_EQ(b->isBypassed(), bypassed);
        rewind(*stream);
        ASSERT_EQ(d->setComponentState(stream), kResultOk);
        EXPECT_DOUBLE_EQ(d->getParamNormalized(vk::vst3::kBypassParamId), bypassed ? 1.0 : 0.0);
    }

    // The chunk the other formats share is untouched: the processor reads exactly its own bytes.
    juce::MemoryBlock whole(saved.getData(), std::size_t(saved.getSize()));
    const auto split = vk::vst3::splitBypassTrailer(whole);
    EXPECT_TRUE(split.bypassed);
    EXPECT_EQ(std::size_t(split.chunkSize) + std::size_t(vk::vst3::kBypassTrailerSize), whole.getSize());
    EXPECT_EQ(juce::MemoryBlock(whole.getData(), std::size_t(split.chunkSize)), chunk);

    release(d);
    release(c);
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
    write(in, earlier.data(), earlier.size());
    ASSERT_EQ(p->setState(&in), kResultOk);
    vk::platform::MessageBoxAnswer answer;
    ASSERT_TRUE(waitUntil(
        [&]
        {
            std::lock_guard<std::mutex> g(questionLock);
            answer = std::move(pending);
            return bool(answer);
        }))
        << "no question about the earlier state";
    answer(false); // Cancel: keep the earlier state

    Changes{{vk::vst3::kBypassParamId, {1.0}}}.processOn(*p);
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
    VK_STACK_OBJECT

private:
    IConnectionPoint* m_target;
};

TEST_F(Vst3Binding, ControllersPairWithTheProcessorTheHostConnectsThemTo)
{
    // Two processors created before their controllers: by creation order alone both controllers would
    // take the second processor.
    VST3Processor* p1 = makeProcessor();
    VST3Processor* p2 = makeProcessor();
    HostEdits h1;
    HostEdits h2;
    VST3Controller* c1 = makeController(nullptr, &h1);
    VST3Controller* c2 = makeController(nullptr, &h2);

    // Until the host connects it, a controller changes no processor: what it is told waits for its own.
    auto& first = testProcessor(*p1);
    first.setParameterInternal(5, 0.3f, false, true, true);
    MemoryStream state;
    ASSERT_EQ(p1->getState(&state), kResultOk);
    first.setParameterInternal(5, 0.6f, false, true, true);
    rewind(state);
    EXPECT_EQ(c1->pairedProcessor(), nullptr);
    EXPECT_EQ(c1->getParameterCount(), 6) << "the layout every instance shares";
    EXPECT_EQ(c1->setComponentState(&state), kResultOk);
    EXPECT_EQ(c1->setParamNormalized(4, 0.875), kResultOk);
    EXPECT_DOUBLE_EQ(c1->getParamNormalized(4), 0.875);
    for (auto* p : {p1, p2})
    {
        EXPECT_FLOAT_EQ(testProcessor(*p).getParameter(4), TestProcessor::kMainDefaults[4]);
        EXPECT_FLOAT_EQ(testProcessor(*p).getParameter(5), p == p1 ? 0.6f : TestProcessor::kMainDefaults[5]);
    }

    // Direct connection for the first pair, through a proxy for the second, in the host's own order.
    p1->connect(c1);
    c1->connect(p1);
    ProxyConnection toC2(c2);
    ProxyConnection toP2(p2);
    c2->connect(&toP2);
    p2->connect(&toC2);
    EXPECT_EQ(c1->pairedProcessor(), p1->getProcessor());
    EXPECT_EQ(c2->pairedProcessor(), p2->getProcessor());
    EXPECT_FLOAT_EQ(first.getParameter(5), 0.3f) << "the state told before pairing";
    EXPECT_FLOAT_EQ(first.getParameter(4), 0.875f) << "the value told after it";

    // Each controller now drives its own processor, and reports of each processor reach its own host.
    EXPECT_EQ(c1->setParamNormalized(4, 0.125), kResultOk);
    EXPECT_EQ(c2->setParamNormalized(4, 0.875), kResultOk);
    EXPECT_FLOAT_EQ(testProcessor(*p1).getParameter(4), 0.125f);
    EXPECT_FLOAT_EQ(testProcessor(*p2).getParameter(4), 0.875f);
    testProcessor(*p1).setParameterInternal(7, 0.5f, true, true, false);
    EXPECT_TRUE(waitUntil([&] { return h1.has("perform 7", 0.5); }));
    EXPECT_FALSE(h2.has("perform 7", 0.5));

    release(c1);
    release(c2);
    p1->release();
    p2->release();
}

TEST_F(Vst3Binding, SetUpReportWaitsForTheHostsValuesAndCarriesTheCurrentOnes)
{
    // The host's order when it restores a session: both halves created and connected, set up, activated,
    // then its saved values handed to the processor in the first processing call.
    VST3Processor* p = makeProcessor(false);
    HostEdits handler;
    VST3Controller* c = makeController(p, &handler);
    ProcessSetup setup{kRealtime, kSample32, 256, 48000.0};
    auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); };
    auto performs = [&]
    {
        std::vector<std::pair<std::string, double>> found;
        for (const auto& e : handler.calls())
            if (e.what.rfind("perform", 0) == 0)
                found.emplace_back(e.what, e.value);
        return found;
    };

    p->setupProcessing(setup);
    p->setActive(true);
    settle();
    EXPECT_TRUE(performs().empty()) << ::testing::PrintToString(performs());
    EXPECT_FALSE(handler.has("restart", kParamValuesChanged)) << "nor is the host to read the values yet";

    ASSERT_NE(TestProcessor::kMainDefaults[5], 0.625f);
    EXPECT_EQ((Changes{{5, {0.625}}}.processOn(*p)), kResultOk);
    EXPECT_TRUE(waitUntil([&] { return handler.has("restart", kParamValuesChanged); }));
    settle();
    EXPECT_EQ(performs().size(), 5u) << "every published value once";
    EXPECT_TRUE(handler.has("perform 5", 0.625));
    EXPECT_FALSE(handler.has("perform 5", 0.75)) << "the value from before the host's own";
    EXPECT_FLOAT_EQ(testProcessor(*p).getParameter(5), 0.625f);

    // A real change made while the set-up report waits is an edit at once.
    p->setActive(false);
    p->setupProcessing(setup);
    testProcessor(*p).setParameterInternal(4, 0.125f, true, true, false);
    p->setActive(true);
    settle();
    const auto afterChange = performs();
    ASSERT_EQ(afterChange.size(), 6u) << ::testing::PrintToString(afterChange);
    EXPECT_EQ(afterChange.back().first, "perform 4");
    EXPECT_NEAR(afterChange.back().second, 0.125, 1e-3);
    release(c);
    p->release();
}

// A set-up confirmation goes out as the value the processor holds when it is sent; one whose processor
// has gone by then is not sent at all, not even as a begin and end with no edit between.
TEST(Vst3EditQueue, AConfirmationIsSentWholeOrNotAtAll)
{
    vk::vst3::EditQueue queue;
    queue.push(5, true);
    queue.push(6, true);
    std::vector<std::string> calls;
    queue.drain(
        [&](vk::vst3::EditQueue::HostCall call, int id, float value)
        {
            const char* names[] = {"begin", "perform", "end"};
            calls.push_back(
                std::string(names[int(call)]) + " " + std::to_string(id) +
                (call == vk::vst3::EditQueue::HostCall::Perform ? " " + std::to_string(value) : ""));
        },
        [](int id, float& value)
        {
            value = 0.5f;
            return id != 5;
        });
    EXPECT_EQ(calls, (std::vector<std::string>{"begin 6", "perform 6 0.500000", "end 6"}));
    EXPECT_FALSE(queue.hasPending());
}

// Without a host run loop the module's own thread is the message thread; the host's set-up and state calls
// change what the processor's timer work there reads (the sample rate, the programs): that work waits.
TEST_F(Vst3Binding, SetUpAndStateCallsNeverOverlapTheProcessorsTimerWork)
{
    vk::vst3::setProcessorFactory([](int type) -> VkJuceProcessorBase*
                                  { return new TimerOverlapProbe(type); });
    VST3Processor* p = makeProcessor(false);
    auto& probe = static_cast<TimerOverlapProbe&>(*p->getProcessor());
    for (int round = 0; round < 100; ++round)
    {
        ProcessSetup setup{kRealtime, kSample32, 256, round % 2 != 0 ? 48000.0 : 44100.0};
        EXPECT_EQ(p->setupProcessing(setup), kResultOk);
        MemoryStream state;
        ASSERT_EQ(p->getState(&state), kResultOk);
        rewind(state);
        EXPECT_EQ(p->setState(&state), kResultOk);
    }
    EXPECT_GT(probe.m_timerHookCalls.load(), 20);
    EXPECT_EQ(probe.overlaps.load(), 0);
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
