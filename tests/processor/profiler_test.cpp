#include "processor/vk_profiler.h"

#include <gtest/gtest.h>

namespace
{
// The decay is a float32 weight; the averages are doubles mixed with exactly that weight.
const double a = double(VkJuceProfilerItem::kDecay);
const double b = 1.0 - a;
} // namespace

TEST(Profiler, AveragesAgainstTheBudget)
{
    VkJuceProfilerItem item("Block");
    item.setEnabled(true);
    item.startAt(1000.0, 20.0);
    item.stopAt(1010.0);
    EXPECT_DOUBLE_EQ(item.getAverageElapsed(), b * 10.0);
    EXPECT_DOUBLE_EQ(item.getMaximumElapsed(), 10.0);
    EXPECT_DOUBLE_EQ(item.getAverageRatio(), b * 0.5);
    EXPECT_DOUBLE_EQ(item.getMaximumRatio(), 0.5);
    EXPECT_DOUBLE_EQ(item.getAverageInterval(), b * 1000.0); // the first interval counts from 0
    EXPECT_EQ(item.getReportLine(), "Block 0.50% (50.00%)");

    item.startAt(1100.0, 20.0);
    item.stopAt(1130.0);
    EXPECT_DOUBLE_EQ(item.getAverageElapsed(), a * (b * 10.0) + b * 30.0);
    EXPECT_DOUBLE_EQ(item.getMaximumRatio(), 1.5);
    EXPECT_DOUBLE_EQ(item.getAverageRatio(), a * (b * 0.5) + b * 1.5);
    EXPECT_DOUBLE_EQ(item.getAverageInterval(), a * (b * 1000.0) + b * 100.0);
}

TEST(Profiler, ReportWithoutBudgetAndWithFrequency)
{
    VkJuceProfilerItem timer("Timer");
    timer.setEnabled(true);
    timer.startAt(50.0, 0.0);
    timer.stopAt(53.0);
    EXPECT_EQ(timer.getReportLine(), "Timer 0.03 (3.00)");

    VkJuceProfilerItem render("Render", true);
    render.setEnabled(true);
    render.startAt(20.0, 0.0);
    render.stopAt(21.0);
    // average interval about 0.2 ms -> 5000 Hz
    EXPECT_EQ(render.getReportLine(), "Render 0.01 (1.00), freq = 5000.0Hz");
}

TEST(Profiler, DisabledItemKeepsItsValuesAndResumes)
{
    VkJuceProfilerItem item("X");
    item.startAt(10.0, 0.0); // disabled: nothing starts
    item.stopAt(20.0);
    EXPECT_EQ(item.getMaximumElapsed(), 0.0);

    item.setEnabled(true);
    item.startAt(100.0, 0.0);
    item.stopAt(104.0);
    item.setEnabled(false);
    item.startAt(200.0, 0.0);
    item.stopAt(300.0);
    EXPECT_EQ(item.getMaximumElapsed(), 4.0);

    item.setEnabled(true);
    item.startAt(400.0, 0.0);
    item.stopAt(401.0);
    // The interval runs from the last start before disabling.
    EXPECT_DOUBLE_EQ(item.getAverageInterval(), a * (b * 100.0) + b * 300.0);
    item.stopAt(500.0); // no measurement running: ignored
    EXPECT_EQ(item.getMaximumElapsed(), 4.0);
}

TEST(Profiler, OnlyTheRenderItemReportsAFrequencyAndScopesMeasureTheRealClock)
{
    VkJuceProfiler profiler;
    profiler.setEnabled(true);
    for (int i = 0; i < profiler.getNumItems(); ++i)
    {
        profiler.getItem(i)->startAt(10.0, 0.0);
        profiler.getItem(i)->stopAt(11.0);
        EXPECT_EQ(profiler.getItem(i)->getReportLine().contains("freq = "), i == 2) << i;
    }
    EXPECT_EQ(profiler.getItem(profiler.getNumItems()), nullptr);

    const double intervalBefore = profiler.getItem(1)->getAverageInterval();
    {
        VkJuceScopedProfile scoped(*profiler.getItem(1), 0.0);
    }
    EXPECT_GT(profiler.getItem(1)->getAverageInterval(), intervalBefore);
}
