// The AudioSuite processor over the processor wrapper: analysis and render windows with and without
// latency, windows no longer than the latency, empty windows, re-armed passes, and a host whose instance
// is not ours.

#include "formats/aax/aax_audiosuite_processor.h"
#include "tests/formats/aax/binding_test_support.h"

#include <algorithm>
#include <functional>
#include <new>
#include <numeric>
#include <vector>

namespace
{

using namespace vk::aax;
using namespace vk::aax::test;
using AAXClasses::AAX_AudiosuiteProcessor;

// A source signal and the host's window buffers at a location in it.
struct Source
{
    explicit Source(int length)
    {
        for (auto& channel : data)
        {
            channel.resize(std::size_t(length));
            std::iota(channel.begin(), channel.end(), &channel == &data[0] ? 0.0f : 100000.0f);
        }
    }
    std::vector<float> data[2];
};

struct Window
{
    Window(const Source& source, int location, int size) : in(2), out(2)
    {
        for (int c = 0; c < 2; ++c)
        {
            in[std::size_t(c)].assign(source.data[c].begin() + location,
                                      source.data[c].begin() + location + size);
            out[std::size_t(c)].assign(std::size_t(size), -1.0f);
            inPointers.push_back(in[std::size_t(c)].data());
            outPointers.push_back(out[std::size_t(c)].data());
        }
    }
    std::vector<std::vector<float>> in, out;
    std::vector<const float*> inPointers;
    std::vector<float*> outPointers;
};

// A processor whose offline blocks fail as an allocation fails, until told otherwise.
class FailingProcessor : public TestProcessor
{
public:
    using TestProcessor::TestProcessor;
    void processOfflineAnalysisBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
    {
        if (m_failing)
            throw std::bad_alloc();
        TestProcessor::processOfflineAnalysisBlock(buffer, midi);
    }
    void processOfflineRenderBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
    {
        if (m_failing)
            throw std::bad_alloc();
        TestProcessor::processOfflineRenderBlock(buffer, midi);
    }
    bool m_failing = true;
};

class AaxAudioSuite : public BindingTest
{
protected:
    explicit AaxAudioSuite(std::function<VkJuceProcessorBase*(int)> maker = nullptr)
        : instance((processorMaker() = std::move(maker), host))
    {
        host.setEffectParameters(instance.object->GetControllingUnknown());
        void* facing = nullptr;
        AAX_AudiosuiteProcessor::Create()->QueryInterface(kIID_HostProcessor, &facing);
        suite = static_cast<AAX_IACFHostProcessor*>(facing);
        EXPECT_EQ(suite->Initialize(host.root()), kResultOk);
    }
    ~AaxAudioSuite() override
    {
        suite->Uninitialize();
        suite->Release();
        host.setEffectParameters(nullptr);
    }

    // Renders one window at `location` of `source`, expecting `result`; the reported size.
    std::int32_t render(const Source& source, int location, int size, Window** kept = nullptr,
                        Result result = kResultOk)
    {
        windows.push_back(std::make_unique<Window>(source, location, size));
        auto& w = *windows.back();
        std::int32_t window = size;
        EXPECT_EQ(suite->RenderAudio(w.inPointers.data(), 2, w.outPointers.data(), 2, &window), result);
        if (kept != nullptr)
            *kept = &w;
        return window;
    }

    Instance instance;
    AAX_IACFHostProcessor* suite = nullptr;
    std::vector<std::unique_ptr<Window>> windows;
};

TEST_F(AaxAudioSuite, WithoutLatencyEveryWindowIsProcessedInPlace)
{
    Source source(2048);
    ASSERT_EQ(suite->PreRender(), kResultOk);
    Window* w = nullptr;
    EXPECT_EQ(render(source, 0, 512, &w), 512);
    // The test processor's offline render leaves the audio as it is.
    EXPECT_EQ(w->out[0], w->in[0]);
    EXPECT_EQ(render(source, 512, 512, &w), 512);
    EXPECT_EQ(w->out[1], w->in[1]);
    ASSERT_EQ(suite->PostRender(), kResultOk);
    const auto events = instance.processor().log().events();
    EXPECT_NE(std::find(events.begin(), events.end(), "begin render"), events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), "end render"), events.end());
    EXPECT_EQ(instance.processor().m_renderBlocks.load(), 2);
}

TEST_F(AaxAudioSuite, LatencyIsDroppedFromTheFrontAndLaterWindowsReadAhead)
{
    instance.processor().setLatencySamples(64);
    Source source(4096);
    ASSERT_EQ(suite->PreRender(), kResultOk);
    Window* w = nullptr;
    EXPECT_EQ(render(source, 0, 1024, &w), 960);
    for (int i = 0; i < 960; ++i)
        ASSERT_EQ(w->out[0][std::size_t(i)], source.data[0][std::size_t(64 + i)]) << i;
    // The host's next window starts where the reported output ended; it is read 64 samples in, also when
    // the processor's latency changes within the pass.
    instance.processor().setLatencySamples(10);
    EXPECT_EQ(render(source, 960, 1024, &w), 960);
    for (int i = 0; i < 960; ++i)
        ASSERT_EQ(w->out[1][std::size_t(i)], source.data[1][std::size_t(1024 + i)]) << i;

    // A new pass reads the latency again.
    ASSERT_EQ(suite->PreRender(), kResultOk);
    EXPECT_EQ(render(source, 0, 1024, &w), 1014);
    EXPECT_EQ(w->out[0][0], source.data[0][10]);
}

TEST_F(AaxAudioSuite, WindowsWithinTheLatencyAreRefusedAndChangeNothing)
{
    instance.processor().setLatencySamples(64);
    Source source(1024);
    ASSERT_EQ(suite->PreRender(), kResultOk);
    Window* w = nullptr;
    for (const int size : {40, 64, 0})
    {
        EXPECT_EQ(render(source, 0, size, &w, kResultNullArgument), 0) << size;
        EXPECT_TRUE(std::all_of(w->out[0].begin(), w->out[0].end(), [](float x) { return x == -1.0f; }));
    }
    EXPECT_EQ(instance.processor().m_renderBlocks.load(), 0);
    // The first window the pass accepts drops the latency from its front.
    EXPECT_EQ(render(source, 0, 100, &w), 36);
    for (int i = 0; i < 36; ++i)
        ASSERT_EQ(w->out[0][std::size_t(i)], source.data[0][std::size_t(64 + i)]) << i;
    EXPECT_EQ(render(source, 36, 64, &w, kResultNullArgument), 0);
    EXPECT_EQ(w->out[0][0], -1.0f);
    EXPECT_EQ(render(source, 36, 65, &w), 1);
    EXPECT_EQ(w->out[0][0], source.data[0][100]);
}

TEST_F(AaxAudioSuite, AnalysisSeesTheWindowLessTheLatency)
{
    instance.processor().setLatencySamples(100);
    Source source(1024);
    ASSERT_EQ(suite->PreAnalyze(), kResultOk);
    Window w(source, 0, 512);
    std::int32_t window = 512;
    EXPECT_EQ(suite->AnalyzeAudio(w.inPointers.data(), 2, &window), kResultOk);
    EXPECT_EQ(window, 412);
    const auto& sizes = instance.processor().m_offlineChunkSizes;
    EXPECT_EQ(std::accumulate(sizes.begin(), sizes.end(), 0), 412);
    EXPECT_EQ(instance.processor().m_analysisBlocks.load(), 1);

    for (std::int32_t shortWindow : {100, 50, 0, -7})
    {
        window = shortWindow;
        EXPECT_EQ(suite->AnalyzeAudio(w.inPointers.data(), 2, &window), kResultNullArgument);
        EXPECT_EQ(window, 0) << shortWindow;
    }
    EXPECT_EQ(instance.processor().m_analysisBlocks.load(), 1);
    EXPECT_EQ(suite->AnalyzeAudio(w.inPointers.data(), 2, nullptr), kResultNullArgument);
    ASSERT_EQ(suite->PostAnalyze(), kResultOk);
}

// The passes run on the host's offline thread, outside any render call. The processor reads its play
// head as each pass starts: it answers from the last block the audio thread rendered (none here), and the
// host's transport is never asked.
TEST_F(AaxAudioSuite, PassesReadThePlayHeadWithoutAskingTheTransport)
{
    Source source(1024);
    host.clearLog();
    ASSERT_EQ(suite->PreAnalyze(), kResultOk);
    Window w(source, 0, 512);
    std::int32_t window = 512;
    EXPECT_EQ(suite->AnalyzeAudio(w.inPointers.data(), 2, &window), kResultOk);
    ASSERT_EQ(suite->PostAnalyze(), kResultOk);
    ASSERT_EQ(suite->PreRender(), kResultOk);
    EXPECT_EQ(render(source, 0, 512), 512);
    ASSERT_EQ(suite->PostRender(), kResultOk);
    EXPECT_EQ(host.calls("transport"), std::vector<std::string>{});
    EXPECT_EQ(host.calls("transport2"), std::vector<std::string>{});
    EXPECT_FALSE(instance.processor().getPlayHead()->getPosition().hasValue());
}

TEST_F(AaxAudioSuite, TooFewHostOutputsAreRefused)
{
    Source source(64);
    Window w(source, 0, 64);
    std::int32_t window = 64;
    EXPECT_EQ(suite->RenderAudio(w.inPointers.data(), 2, w.outPointers.data(), 1, &window),
              kResultNullArgument);
    EXPECT_EQ(window, 0);
    EXPECT_EQ(w.out[0][0], -1.0f);
}

class AaxAudioSuiteFailing : public AaxAudioSuite
{
protected:
    AaxAudioSuiteFailing() : AaxAudioSuite([](int type) { return new FailingProcessor(type); }) {}
};

TEST_F(AaxAudioSuiteFailing, AWindowWhoseProcessingThrowsAnswersAnErrorAndTheNextOneWorks)
{
    Source source(256);
    Window w(source, 0, 256);
    for (const bool failing : {true, false})
    {
        dynamic_cast<FailingProcessor&>(instance.processor()).m_failing = failing;
        std::int32_t window = 256;
        ASSERT_EQ(suite->PreAnalyze(), kResultOk);
        EXPECT_EQ(suite->AnalyzeAudio(w.inPointers.data(), 2, &window),
                  failing ? kResultUnexpected : kResultOk);
        EXPECT_EQ(window, failing ? 0 : 256);
        ASSERT_EQ(suite->PreRender(), kResultOk);
        EXPECT_EQ(render(source, 0, 256, nullptr, failing ? kResultUnexpected : kResultOk),
                  failing ? 0 : 256);
    }
}

TEST_F(BindingTest, AudioSuiteWithoutOurInstanceRefusesEveryPass)
{
    void* facing = nullptr;
    AAX_AudiosuiteProcessor::Create()->QueryInterface(kIID_HostProcessor, &facing);
    auto* suite = static_cast<AAX_IACFHostProcessor*>(facing);
    EXPECT_EQ(suite->Initialize(host.root()), kResultOk);
    std::int32_t window = 16;
    float sample = 0.0f;
    float* channels[] = {&sample, &sample};
    EXPECT_EQ(suite->PreAnalyze(), kResultNoHostInterface);
    EXPECT_EQ(suite->AnalyzeAudio(channels, 2, &window), kResultNoHostInterface);
    EXPECT_EQ(suite->PostAnalyze(), kResultNoHostInterface);
    EXPECT_EQ(suite->PreRender(), kResultNoHostInterface);
    EXPECT_EQ(suite->RenderAudio(channels, 2, channels, 2, &window), kResultNoHostInterface);
    EXPECT_EQ(suite->PostRender(), kResultNoHostInterface);
    EXPECT_EQ(window, 16);
    suite->Release();
    EXPECT_TRUE(host.balanced());
}

} // namespace
