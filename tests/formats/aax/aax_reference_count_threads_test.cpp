// The host may add and release references to the module's objects on several threads at once.

#include "formats/aax/acf_unknown_object.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace
{

using namespace vk::aax;

class Counted final : public CACFUnknown
{
};

TEST(AaxReferenceCountThreads, ConcurrentReferencesBalanceAndTheLastReleaseDestroysOnce)
{
    const auto before = CACFUnknown::LiveObjectCount();
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    std::vector<Counted*> objects;
    for (int i = 0; i < 8; ++i)
    {
        objects.push_back(new Counted);
        objects.back()->AddRef(); // the test's own reference
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&objects]
            {
                for (int round = 0; round < kRounds; ++round)
                {
                    auto* object = objects[std::size_t(round) % objects.size()];
                    IACFUnknown* unknown = object->GetControllingUnknown();
                    unknown->AddRef();
                    unknown->Release();
                }
            });
    for (auto& thread : threads)
        thread.join();

    for (auto* object : objects)
        EXPECT_EQ(object->referenceCount(), 1);
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), before + 8);

    // Objects built and ended on several threads at once.
    threads.clear();
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&objects, t]
            {
                objects[std::size_t(t)]->Release();
                objects[std::size_t(t + kThreads)]->Release();
                for (int round = 0; round < 1000; ++round)
                {
                    auto* object = new Counted;
                    object->AddRef();
                    object->Release();
                }
            });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), before);
}

} // namespace
