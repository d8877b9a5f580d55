// The product behind the VST3 binding, in-process: the host changes parameters on its UI thread while
// its audio thread processes blocks whose tempo moves. A parameter change of the tempo-synced Dynamics
// reads the host tempo there, from the context the audio thread hands over: it must only ever see whole
// contexts (each block's tempo belongs to its position here).

#include "formats/vst3/vst3_message_thread.h"
#include "product/latiphonix_processor.h"
#include "tests/processor/test_processor.h"
#include "vst3_stereo_block.h"
#include "vst3_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{

#if defined(__SANITIZE_THREAD__)
constexpr int kBlocks = 3000;
#else
constexpr int kBlocks = 20000;
#endif
constexpr int kBlockSize = 64;
constexpr ParamID kDynamics = 21, kDynamicsSpeed = 24, kTempoSync = 25;

double tempoOfBlock(std::int64_t block)
{
    return 60.0 + double(block % 121);
}

TEST(Vst3TempoThreads, HostParameterChangesReadWholeContextsWhileTheTempoMoves)
{
    ScopedDataFolders folders;
    vk::vst3::setProcessorFactory(&createPluginFilter);
    vk::test::Instance instance;
    instance.create(nullptr, false);
    auto* processor = static_cast<VST3Processor*>(instance.audio);
    IEditController* controller = instance.controller;
    ProcessSetup setup{kRealtime, kSample32, kBlockSize, 48000.0};
    processor->setupProcessing(setup);
    processor->setActive(true);
    controller->setParamNormalized(kDynamics, 1.0);
    controller->setParamNormalized(kTempoSync, 1.0);
    // Active but given no context yet: no made-up position (an empty record would read as 1 bpm at 0).
    EXPECT_FALSE(processor->getPosition().hasValue());

    std::atomic<int> blocks{0};
    std::thread audio(
        [&]
        {
            vk::test::StereoBlock block(kBlockSize);
            std::fill(block.left.begin(), block.left.end(), 0.1f);
            std::fill(block.right.begin(), block.right.end(), -0.1f);
            for (int b = 0; b < kBlocks; ++b)
            {
                block.context.tempo = tempoOfBlock(b);
                block.context.projectTimeSamples = std::int64_t(b) * kBlockSize;
                processor->process(block.data);
                blocks.store(b + 1);
            }
        });
    // The host's UI thread: speed changes (each reads the tempo) and the position itself, checked whole.
    int changes = 0;
    int torn = 0;
    while (blocks.load() < kBlocks)
    {
        controller->setParamNormalized(kDynamicsSpeed, double(changes++ % 100) / 100.0);
        if (const auto position = processor->getPosition(); blocks.load() > 0 && position.hasValue())
            torn += *position->getBpm() != tempoOfBlock(*position->getTimeInSamples() / kBlockSize);
    }
    audio.join();
    EXPECT_EQ(torn, 0);
    EXPECT_GT(changes, 10);

    instance.destroy();
    vk::vst3::finishMessageThread();
}

} // namespace
