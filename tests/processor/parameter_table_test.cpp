#include "test_processor.h"

#include "processor/vk_registry.h"

#include <gtest/gtest.h>

namespace
{
using ParameterTableTest = ProcessorTest;

void storeFloat(const char* name, float value)
{
    ASSERT_TRUE(vk::registry::writeProductFloat(name, &value));
}
} // namespace

TEST_F(ParameterTableTest, IdsOutsideTheSetsShareOneDummyThatNeverTakesAKey)
{
    TestProcessor processor;
    TestProcessor other;
    auto& dummy = VkJuceProcessorBase::getDummyParameterRecord();
    for (int id : {0, 7, 9000, 9005, 9100, 9110})
        EXPECT_NE(&processor.getParameterRecord(id), &dummy) << id;
    for (int id : {-1, 8, 3000, 8999, 9006, 9099, 9111, 9999, 123456})
        EXPECT_EQ(&processor.getParameterRecord(id), &dummy) << id;
    EXPECT_EQ(processor.getParameter(8), 0.0f);
    EXPECT_EQ(processor.getParameter(-1), 0.0f);

    // One dummy for the module: a write through one processor reads back through another's.
    processor.getParameterRecord(9999).value = 0.625f;
    EXPECT_EQ(other.getParameterRecord(-7).getValue(), 0.625f);
    dummy.value = 0.0f;

    // Registration outside a processor's own sets is refused, so the shared dummy never gets a key.
    EXPECT_FALSE(processor.registerPersistentParameter("Stray", 9006, 0.5f));
    EXPECT_FALSE(processor.registerTransientParameter("Stray", 9000, 0.5f));
    EXPECT_TRUE(dummy.key.isEmpty());
}

TEST_F(ParameterTableTest, PersistentValuesReadOnlyFourBytesAndWriteClampedChangesOnly)
{
    storeFloat("RoutingDefault", 0.004f);
    const std::uint8_t two[2] = {1, 2};
    const std::uint8_t eight[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    const auto path = vk::registry::getProductRegistryPath();
    ASSERT_TRUE(vk::registry::writeRegistryValue(path, "RoutingDefault_7_1", two, 2,
                                                 vk::registry::ValueType::Binary));
    ASSERT_TRUE(
        vk::registry::writeRegistryValue(path, "ExportSupport", eight, 8, vk::registry::ValueType::Binary));

    TestProcessor processor;
    EXPECT_FLOAT_EQ(processor.getParameterRecord(9000).getValue(), 0.004f);
    EXPECT_FLOAT_EQ(processor.getParameterRecord(9001).getValue(), 0.1f);
    EXPECT_FLOAT_EQ(processor.getParameterRecord(9004).getValue(), 0.0f);

    processor.storePersistentParameter(9004, 0.0f); // equal to the current value: nothing written
    processor.flushPersistentWrites();
    EXPECT_EQ(vk::registry::readProductValue("ExportSupport")->size(), 8u);
    processor.storePersistentParameter(9004, 1.5f);
    // The write waits for the message thread.
    EXPECT_EQ(vk::registry::readProductValue("ExportSupport")->size(), 8u);
    processor.flushPersistentWrites();
    EXPECT_EQ(vk::registry::readProductFloat("ExportSupport"), 1.0f);
    // The record itself is left to the setter.
    EXPECT_EQ(processor.getParameterRecord(9004).getValue(), 0.0f);
    processor.storePersistentParameter(9004, -3.0f);
    processor.flushPersistentWrites();
    EXPECT_EQ(vk::registry::readProductFloat("ExportSupport"), 0.0f);
}

TEST_F(ParameterTableTest, PushLinkedParameterKeepsTheGapAndTheOrigin)
{
    TestProcessor processor;
    processor.editorSet(3, 0.95f);
    processor.pushLinkedParameter(3, 4, true, 0.1f);
    EXPECT_EQ(processor.getParameter(4), 1.0f);

    processor.editorSet(4, 0.5f);
    processor.editorSet(3, 0.2f);
    processor.pushLinkedParameter(3, 4, true, 0.1f); // already far enough above
    EXPECT_EQ(processor.getParameter(4), 0.5f);
    processor.pushLinkedParameter(3, 4, false, 0.1f); // 0.5 lies above 0.2 - 0.1: pulled down
    EXPECT_FLOAT_EQ(processor.getParameter(4), 0.1f);
    processor.editorSet(3, 0.05f);
    processor.pushLinkedParameter(3, 4, false, 0.1f);
    EXPECT_EQ(processor.getParameter(4), 0.0f);

    // A host's change moves its companion as the host's too, and is not reported back.
    processor.log().clear();
    processor.setParameter(3, 0.9f);
    processor.pushLinkedParameter(3, 4, true, 0.05f);
    EXPECT_TRUE(processor.getParameterRecord(4).changedByHost.load());
    EXPECT_TRUE(processor.log().eventsStartingWith("change").empty());
    processor.editorSet(3, 0.97f);
    processor.pushLinkedParameter(3, 4, true, 0.05f);
    EXPECT_EQ(processor.log().eventsStartingWith("change 4").size(), 1u);
}

TEST_F(ParameterTableTest, RefreshAllRunsEveryCommandAndGuiFlagsClear)
{
    TestProcessor processor;
    processor.clearGuiDirtyFlags();
    EXPECT_FALSE(processor.getParameterRecord(9110).guiDirty.load());
    processor.setRefreshAll(false);
    processor.log().clear();

    processor.refreshAllParameters();
    EXPECT_EQ(processor.log().eventsStartingWith("algorithm").size(), 8u + 6u + 11u);
    EXPECT_TRUE(processor.isRefreshAllPending());
    EXPECT_TRUE(processor.getParameterRecord(9107).guiDirty.load());
}
