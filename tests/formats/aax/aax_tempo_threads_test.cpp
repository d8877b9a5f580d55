// The product behind the AAX binding, in-process over the fake host. With Tempo Sync on, a change of
// Dynamics, Dynamics Speed or Tempo Sync reads the host's tempo through the play head, on whatever thread
// made the change: JUCE's message thread for the editor. Only the host's threads may call the host's
// objects, so the play head answers every thread from the position its audio thread read in its last
// block: whole positions, never the transport itself, and nothing before the first block.

#include "formats/aax/juce_aax_processor.h"
#include "product/latiphonix_processor.h"
#include "tests/formats/aax/binding_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{

using namespace vk::aax;
using namespace vk::aax::test;

constexpr int kDynamics = 21, kDynamicsSpeed = 24, kTempoSync = 25;
constexpr std::int32_t kBlockSize = 64;
#if defined(__SANITIZE_THREAD__)
constexpr int kBlocks = 1500;
constexpr int kRebuilds = 150;
#else
constexpr int kBlocks = 10000;
constexpr int kRebuilds = 1500;
#endif

double tempoOfBlock(std::int64_t block)
{
    return 60.0 + double(block % 121);
}

class AaxTempoThreads : public ::testing::Test
{
protected:
    AaxTempoThreads()
    {
        setProcessorFactory(&createPluginFilter);
        host.succeed = true;
    }

    // The host's transport at block `block` (the fake host answers from both of its transport objects).
    void moveTransportTo(std::int64_t block)
    {
        for (auto* transport : {&host.transport(), &host.transport2()})
        {
            transport->tempo = tempoOfBlock(block);
            transport->sampleLocation = block * kBlockSize;
        }
    }

    ScopedDataFolders folders;
    FakeHost host;
    std::thread::id audioThread;
    // Transport calls made on any thread but the audio thread.
    std::atomic<int> strayTransportCalls{0};
};

struct StereoBuffers
{
    std::vector<float> left = std::vector<float>(kBlockSize, 0.1f);
    std::vector<float> right = std::vector<float>(kBlockSize, -0.1f);
    std::vector<float> outLeft = std::vector<float>(kBlockSize);
    std::vector<float> outRight = std::vector<float>(kBlockSize);
    const float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
};

// [audio thread] One block through the render callback.
void renderBlock(const EffectInstance& instance, StereoBuffers& buffers)
{
    const RenderContext context = instance.context(buffers.in, buffers.out, &kBlockSize);
    const void* contexts[] = {&context};
    AAXClasses::algorithmProcessCallback(const_cast<void* const*>(contexts), contexts + 1);
}

VkJuceProcessorBase& processorOf(const EffectInstance& instance)
{
    return *dynamic_cast<AAXClasses::JuceAAX_Processor&>(*instance.parameters).getProcessor();
}

TEST_F(AaxTempoThreads, EditorChangesReadTheTempoTheAudioThreadRead)
{
    host.onTransport = [this]
    {
        if (std::this_thread::get_id() != audioThread)
            strayTransportCalls.fetch_add(1);
    };
    EffectInstance instance(AAXClasses::JuceAAX_Processor::Create(), host);
    auto& processor = processorOf(instance);
    instance.parameters->UpdateParameterNormalizedValue(std::to_string(kDynamics).c_str(), 1.0, 0);
    instance.parameters->UpdateParameterNormalizedValue(std::to_string(kTempoSync).c_str(), 1.0, 0);
    // No block yet: no position, rather than one made up or asked of the host off its audio thread.
    EXPECT_FALSE(processor.getPlayHead()->getPosition().hasValue());

    std::atomic<int> blocks{0};
    std::atomic<bool> started{false};
    std::thread audio(
        [&]
        {
            audioThread = std::this_thread::get_id();
            started.store(true);
            StereoBuffers buffers;
            for (int b = 0; b < kBlocks; ++b)
            {
                moveTransportTo(b);
                renderBlock(instance, buffers);
                blocks.store(b + 1);
            }
        });
    waitUntil([&] { return started.load(); }, std::chrono::seconds(10));

    // The editor changes the speed on the message thread while the host's main thread reads the
    // position: each position read is whole (its tempo belongs to its sample position).
    std::atomic<int> made{0};
    int posted = 0;
    int torn = 0;
    while (blocks.load() < kBlocks)
    {
        postEditorChange(processor, kDynamicsSpeed, float(posted++ % 100) / 100.0f, made);
        const auto position = processor.getPlayHead()->getPosition();
        if (position.hasValue() && position->getBpm().hasValue() && position->getTimeInSamples().hasValue())
            torn += *position->getBpm() != tempoOfBlock(*position->getTimeInSamples() / kBlockSize);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    audio.join();
    EXPECT_TRUE(waitUntil([&] { return made.load() == posted; }, std::chrono::seconds(30)));
    EXPECT_GT(posted, 10);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(strayTransportCalls.load(), 0);

    // What the audio thread read last is what every other thread hears.
    const auto last = processor.getPlayHead()->getPosition();
    ASSERT_TRUE(last.hasValue());
    EXPECT_EQ(*last->getBpm(), tempoOfBlock(kBlocks - 1));
    EXPECT_EQ(*last->getTimeInSamples(), std::int64_t(kBlocks - 1) * kBlockSize);
    host.onTransport = nullptr;
}

// The host rebuilds its parameters (and with them its transport) while the editor changes the speed: no
// change may reach a transport the host is taking away.
TEST_F(AaxTempoThreads, EditorChangesWhileTheHostRebuildsTheInstance)
{
    EffectInstance instance(AAXClasses::JuceAAX_Processor::Create(), host);
    auto& processor = processorOf(instance);
    instance.parameters->UpdateParameterNormalizedValue(std::to_string(kDynamics).c_str(), 1.0, 0);
    instance.parameters->UpdateParameterNormalizedValue(std::to_string(kTempoSync).c_str(), 1.0, 0);
    EditorChanges editor(processor, [](int) { return kDynamicsSpeed; });
    StereoBuffers buffers;
    for (int round = 0; round < kRebuilds; ++round)
    {
        EXPECT_EQ(instance.parameters->Uninitialize(), kResultOk);
        EXPECT_EQ(instance.parameters->Initialize(host.root()), kResultOk);
        EXPECT_EQ(instance.parameters->ResetFieldData(kFieldPrepared, &instance.preparedField,
                                                      sizeof instance.preparedField),
                  kResultOk);
        moveTransportTo(round);
        renderBlock(instance, buffers); // the host's audio thread, between the host's main-thread calls
        EXPECT_EQ(instance.parameters->TimerWakeup(), kResultOk);
    }
    EXPECT_TRUE(editor.stop());
}

} // namespace
