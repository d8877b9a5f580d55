// Stem formats and the channel mapping of a block: the layouts of the channel-order table, every count
// relation, in-place hosts, missing channels, and that nothing outside the host's samples is touched.

#include "formats/aax/aax_channel_router.h"
#include "formats/aax/aax_stem_formats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace vk::aax;

TEST(AaxStemFormats, ComponentsDeclareAndHostsReportTheSameLayoutsAndStrangeOnesAreRefused)
{
    for (int channels = 0; channels <= 8; ++channels)
    {
        const auto format = stemFormatForChannels(channels);
        EXPECT_EQ(stemLayout(format).channels, channels) << channels;
    }
    EXPECT_EQ(stemFormatForChannels(9), kStemFormatNone);
    EXPECT_EQ(stemFormatForChannels(-1), kStemFormatNone);
    EXPECT_EQ(stemLayout(0x12345678u).channels, 0);
    EXPECT_STREQ(stemLayout(kStemFormatNone).speakers, "");
    // A layout choice outside the table falls back to left and right at 0 and 1.
    for (int outside : {9, 10, -1, 1000})
        EXPECT_EQ(stereoOutputPositions(outside), std::make_pair(0, 1)) << outside;
}

// Host channels with a guard zone after each, so that any write past the block shows.
struct Channels
{
    static constexpr int kGuard = 16;
    static constexpr float kGuardValue = -77.0f;

    Channels(int count, int samples, float base) : samples(samples)
    {
        for (int c = 0; c < count; ++c)
        {
            data.emplace_back(std::size_t(samples + kGuard), kGuardValue);
            for (int i = 0; i < samples; ++i)
                data.back()[std::size_t(i)] = base + float(c) + 0.001f * float(i);
        }
        for (auto& channel : data)
            pointers.push_back(channel.data());
    }
    float at(int c, int i) const { return data[std::size_t(c)][std::size_t(i)]; }
    bool guardsIntact() const
    {
        for (const auto& channel : data)
            for (int i = samples; i < samples + kGuard; ++i)
                if (channel[std::size_t(i)] != kGuardValue)
                    return false;
        return true;
    }
    int samples;
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
};

struct Recorded
{
    std::vector<int> counts;
    std::vector<int> lengths;
};

// Routes one block and doubles every processed sample, recording each processing call.
Recorded routeDoubling(ChannelRouter& router, const float* const* in, float* const* out, int samples,
                       int layoutChoice = 1)
{
    Recorded recorded;
    router.route(
        in, out, samples, [layoutChoice] { return stereoOutputPositions(layoutChoice); },
        [&](float* const* channels, int count, int length)
        {
            recorded.counts.push_back(count);
            recorded.lengths.push_back(length);
            for (int c = 0; c < count; ++c)
                for (int i = 0; i < length; ++i)
                    channels[c][i] *= 2.0f;
        });
    return recorded;
}

TEST(AaxChannelRouter, EqualCountsProcessTheOutputs)
{
    ChannelRouter router;
    router.configure(2, 2);
    Channels in(2, 40, 1.0f);
    Channels out(2, 40, 50.0f);
    const auto recorded = routeDoubling(router, in.pointers.data(), out.pointers.data(), 40);
    EXPECT_EQ(recorded.counts, std::vector<int>{2});
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 40; ++i)
            ASSERT_EQ(out.at(c, i), 2.0f * in.at(c, i));
    EXPECT_TRUE(out.guardsIntact());

    // In place: the host's inputs are its outputs.
    Channels both(2, 40, 1.0f);
    routeDoubling(router, both.pointers.data(), both.pointers.data(), 40);
    EXPECT_EQ(both.at(1, 39), 2.0f * in.at(1, 39));
}

TEST(AaxChannelRouter, MonoGoesToEveryOutputWhateverTheLayout)
{
    ChannelRouter router;
    router.configure(1, 2);
    Channels in(1, 30, 1.0f);
    Channels out(2, 30, 50.0f);
    routeDoubling(router, in.pointers.data(), out.pointers.data(), 30, 7);
    for (int i = 0; i < 30; ++i)
    {
        ASSERT_EQ(out.at(0, i), 2.0f * in.at(0, i));
        ASSERT_EQ(out.at(1, i), 2.0f * in.at(0, i));
    }
    // In place: input 0 is output 0.
    Channels inPlace(2, 30, 1.0f);
    const float* monoIn[] = {inPlace.pointers[0]};
    const float first = inPlace.at(0, 5);
    routeDoubling(router, monoIn, inPlace.pointers.data(), 30);
    EXPECT_EQ(inPlace.at(1, 5), 2.0f * first);
    EXPECT_EQ(inPlace.at(0, 5), 2.0f * first);
}

TEST(AaxChannelRouter, StereoIntoSixOutputsUsesTheLayoutRow)
{
    ChannelRouter router;
    router.configure(2, 6);
    Channels in(2, 20, 1.0f);
    Channels out(6, 20, 50.0f);
    const auto recorded = routeDoubling(router, in.pointers.data(), out.pointers.data(), 20, 7);
    EXPECT_EQ(recorded.counts, std::vector<int>{6});
    for (int i = 0; i < 20; ++i)
    {
        ASSERT_EQ(out.at(0, i), 2.0f * in.at(0, i));
        ASSERT_EQ(out.at(4, i), 2.0f * in.at(1, i));
        for (int c : {1, 2, 3, 5})
            ASSERT_EQ(out.at(c, i), 0.0f) << c;
    }
    // A choice outside the table: left and right at 0 and 1. In place, the right input survives.
    Channels inPlace(6, 20, 1.0f);
    const float right = inPlace.at(1, 3);
    routeDoubling(router, inPlace.pointers.data(), inPlace.pointers.data(), 20, 9);
    EXPECT_EQ(inPlace.at(1, 3), 2.0f * right);
    EXPECT_EQ(inPlace.at(2, 3), 0.0f);
    // Row 0 moves right to output 2, in place too.
    Channels rowZero(6, 20, 1.0f);
    const float rightZero = rowZero.at(1, 3);
    routeDoubling(router, rowZero.pointers.data(), rowZero.pointers.data(), 20, 0);
    EXPECT_EQ(rowZero.at(2, 3), 2.0f * rightZero);
    EXPECT_EQ(rowZero.at(1, 3), 0.0f);
    EXPECT_TRUE(rowZero.guardsIntact());
}

TEST(AaxChannelRouter, ThreeInputsIntoFiveOutputsKeepTheirNumbers)
{
    ChannelRouter router;
    router.configure(3, 5);
    Channels in(3, 10, 1.0f);
    Channels out(5, 10, 50.0f);
    routeDoubling(router, in.pointers.data(), out.pointers.data(), 10);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(out.at(c, 4), 2.0f * in.at(c, 4));
    EXPECT_EQ(out.at(3, 4), 0.0f);
    EXPECT_EQ(out.at(4, 4), 0.0f);
}

TEST(AaxChannelRouter, ExtraInputsUseScratchInPieces)
{
    ChannelRouter router;
    router.configure(6, 2);
    const int samples = 2 * ChannelRouter::kScratchSamples + 100;
    Channels in(6, samples, 1.0f);
    const auto original = in.data;
    Channels out(2, samples, 50.0f);
    const auto recorded = routeDoubling(router, in.pointers.data(), out.pointers.data(), samples);
    EXPECT_EQ(recorded.counts, (std::vector<int>{6, 6, 6}));
    EXPECT_EQ(recorded.lengths, (std::vector<int>{1024, 1024, 100}));
    EXPECT_EQ(in.data, original);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < samples; ++i)
            ASSERT_EQ(out.at(c, i), 2.0f * in.at(c, i));
    EXPECT_TRUE(out.guardsIntact());
}

TEST(AaxChannelRouter, MissingChannelsAndEmptyBlocks)
{
    ChannelRouter router;
    router.configure(2, 2);
    Channels out(2, 8, 50.0f);
    // No inputs: silence is processed.
    EXPECT_EQ(routeDoubling(router, nullptr, out.pointers.data(), 8).counts, std::vector<int>{2});
    EXPECT_EQ(out.at(1, 7), 0.0f);
    // A missing output channel, no outputs, no samples: nothing happens.
    float* oneMissing[] = {out.pointers[0], nullptr};
    EXPECT_TRUE(routeDoubling(router, nullptr, oneMissing, 8).counts.empty());
    EXPECT_TRUE(routeDoubling(router, nullptr, nullptr, 8).counts.empty());
    EXPECT_TRUE(routeDoubling(router, nullptr, out.pointers.data(), 0).counts.empty());
    EXPECT_TRUE(routeDoubling(router, nullptr, out.pointers.data(), -5).counts.empty());
    router.configure(2, 0);
    EXPECT_TRUE(routeDoubling(router, nullptr, out.pointers.data(), 8).counts.empty());
}

} // namespace
