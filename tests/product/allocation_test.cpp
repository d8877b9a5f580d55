#include "product_test_support.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Counts every allocation while armed, on any thread.
namespace
{
std::atomic<bool> g_armed{false};
std::atomic<long> g_allocations{0};
} // namespace

// The replacements pair malloc with free themselves; the compiler cannot see that through inlining.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    if (g_armed.load(std::memory_order_relaxed))
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

#pragma GCC diagnostic pop

using namespace latiphonix;

namespace
{

using AllocationTest = ProductTest;

TEST_F(AllocationTest, ProcessDoesNotAllocate)
{
    prepare(48000.0, 512);
    set(kIidEnabled, 1.0f);
    set(kResolution, 0.009f);
    set(kItdEnabled, 1.0f);
    set(kItdFill, 1.0f);
    set(kDynamics, 1.0f);
    set(kDynamicsShape, 0.004f);
    set(kAnalysis, 1.0f);
    set(kPhaseShift, 0.2f);
    set(kBalance, 0.3f);
    set(kAutoLevel, 1.0f);
    tick();
    settle(8192);

    for (int blockSize : {64, 512, 4096})
    {
        auto signal = makeMonoNoise(200 * 1024, 0.5f, unsigned(blockSize));
        juce::MidiBuffer midi;
        g_allocations.store(0);
        g_armed.store(true);
        for (int start = 0; start + blockSize <= signal.size(); start += blockSize)
        {
            float* channels[] = {signal.left.data() + start, signal.right.data() + start};
            juce::AudioBuffer<float> buffer(channels, 2, blockSize);
            processor->processBlock(buffer, midi);
        }
        g_armed.store(false);
        EXPECT_EQ(g_allocations.load(), 0) << blockSize;
    }
    // The counter does see allocations: the check above is not vacuous.
    g_armed.store(true);
    auto* probe = new std::vector<float>(16);
    g_armed.store(false);
    delete probe;
    EXPECT_GT(g_allocations.load(), 0);
}

} // namespace
