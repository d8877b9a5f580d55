#include "test_processor.h"

#include "processor/vk_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
class ParameterChangesTest : public ProcessorTest
{
protected:
    TestProcessor m_processor;

    void editorSet(int index, float value) { m_processor.editorSet(index, value); }
    void undo() { editorSet(9101, 1.0f); }
    void redo() { editorSet(9102, 1.0f); }
    float slotValue(int index)
    {
        return m_processor.getProgram(m_processor.getCurrentProgram()).values[size_t(index)];
    }
};
} // namespace

TEST_F(ParameterChangesTest, EditorChangeAppliesInOrderAndReportsLastButHostAndHiddenOnesAreNotReported)
{
    m_processor.setRefreshAll(false);
    m_processor.log().clear();
    editorSet(4, 0.3f);

    const auto& record = m_processor.getParameterRecord(4);
    EXPECT_EQ(record.getValue(), 0.3f);
    EXPECT_EQ(record.lastValue.load(), 0.5f);
    EXPECT_FALSE(record.changedByHost.load());
    EXPECT_EQ(slotValue(4), 0.3f);
    EXPECT_EQ(m_processor.getLastChangedParameter(), 4);
    EXPECT_TRUE(m_processor.isRefreshAllPending());
    // The algorithm hears of the change before the host does.
    EXPECT_EQ(m_processor.log().events(), (std::vector<std::string>{"algorithm 4", changeEvent(4, 0.3f)}));

    m_processor.log().clear();
    m_processor.setParameter(5, 0.2f);
    EXPECT_EQ(m_processor.getParameter(5), 0.2f);
    EXPECT_TRUE(m_processor.getParameterRecord(5).changedByHost.load());

    editorSet(1, 0.5f);                // not exposed to the host
    m_processor.setParameter(8, 0.5f); // outside the host's range: ignored
    m_processor.setParameter(9004, 0.5f);
    EXPECT_EQ(m_processor.getParameterRecord(9004).getValue(), 0.0f);
    EXPECT_TRUE(m_processor.log().eventsStartingWith("change").empty());
}

TEST_F(ParameterChangesTest, EqualValueIsDroppedUnlessForced)
{
    m_processor.beginNewTransaction();
    editorSet(3, 0.6f);
    m_processor.beginNewTransaction();
    m_processor.log().clear();

    editorSet(3, 0.6f);
    EXPECT_TRUE(m_processor.log().events().empty());

    m_processor.setParameterInternal(3, 0.6f, true, true, false);
    EXPECT_EQ(m_processor.log().events(), (std::vector<std::string>{"algorithm 3", changeEvent(3, 0.6f)}));

    // The forced action is a step of its own that changes nothing; the one before it still undoes.
    undo();
    EXPECT_EQ(m_processor.getParameter(3), 0.6f);
    undo();
    EXPECT_EQ(m_processor.getParameter(3), 0.25f);
}

TEST_F(ParameterChangesTest, ValuesAreClampedWhenAppliedNotWhenComparedAndNanIsDropped)
{
    editorSet(6, 1.7f);
    EXPECT_EQ(m_processor.getParameter(6), 1.0f);
    EXPECT_EQ(slotValue(6), 1.0f);

    m_processor.setRefreshAll(false);
    m_processor.setLastChangedParameter(9999);
    m_processor.log().clear();
    editorSet(6, 1.7f); // 1.7 differs from the stored 1.0, so an action runs but changes nothing
    EXPECT_FALSE(m_processor.isRefreshAllPending());
    EXPECT_EQ(m_processor.getLastChangedParameter(), 9999);
    EXPECT_EQ(m_processor.log().eventsStartingWith("algorithm 6").size(), 1u);

    editorSet(6, -0.5f);
    EXPECT_EQ(m_processor.getParameter(6), 0.0f);
    editorSet(6, std::numeric_limits<float>::infinity());
    EXPECT_EQ(m_processor.getParameter(6), 1.0f);

    // A NaN can be neither clamped nor compared: it is dropped by the setter from any source.
    m_processor.log().clear();
    editorSet(3, std::numeric_limits<float>::quiet_NaN());
    m_processor.setParameter(3, std::nanf(""));
    EXPECT_EQ(m_processor.getParameter(3), 0.25f);
    EXPECT_EQ(slotValue(3), 0.25f);
    EXPECT_TRUE(m_processor.log().events().empty());
}

TEST_F(ParameterChangesTest, ChangesWithinOneTransactionUndoAsOneStep)
{
    m_processor.beginNewTransaction();
    editorSet(4, 0.1f);
    m_processor.beginNewTransaction();
    for (float v : {0.2f, 0.4f, 0.6f})
        editorSet(4, v);
    editorSet(5, 0.0f); // another parameter in the same transaction
    EXPECT_EQ(m_processor.getParameter(4), 0.6f);

    undo();
    EXPECT_EQ(m_processor.getParameter(4), 0.1f);
    EXPECT_EQ(m_processor.getParameter(5), 0.75f);
    EXPECT_EQ(slotValue(4), 0.1f);
    undo();
    EXPECT_EQ(m_processor.getParameter(4), 0.5f);

    redo();
    EXPECT_EQ(m_processor.getParameter(4), 0.1f);
    redo();
    EXPECT_EQ(m_processor.getParameter(4), 0.6f);
    EXPECT_EQ(m_processor.getParameter(5), 0.0f);
}

TEST_F(ParameterChangesTest, UndoAndRedoActOnlyOnExactlyOne)
{
    m_processor.beginNewTransaction();
    editorSet(3, 0.3f);
    m_processor.beginNewTransaction();
    editorSet(3, 0.4f);

    m_processor.setRefreshAll(false);
    editorSet(9101, 0.5f);
    EXPECT_EQ(m_processor.getParameter(3), 0.4f);
    EXPECT_FALSE(m_processor.isRefreshAllPending());

    undo();
    EXPECT_TRUE(m_processor.isRefreshAllPending());
    undo(); // the same value twice: the command still runs, stepping back again
    EXPECT_EQ(m_processor.getParameter(3), 0.25f);
    EXPECT_FALSE(m_processor.canUndo());

    editorSet(9102, 0.99f);
    EXPECT_EQ(m_processor.getParameter(3), 0.25f);
    redo();
    redo();
    EXPECT_EQ(m_processor.getParameter(3), 0.4f);
    // The commands never enter the history and keep their last value.
    EXPECT_EQ(m_processor.getParameterRecord(9101).getValue(), 0.0f);
}

TEST_F(ParameterChangesTest, UndoOfAHostChangeIsReportedToTheHost)
{
    m_processor.beginNewTransaction();
    m_processor.setParameter(5, 0.2f);
    m_processor.log().clear();
    undo();
    EXPECT_EQ(m_processor.log().eventsStartingWith("change"),
              (std::vector<std::string>{changeEvent(5, 0.75f)}));
    m_processor.log().clear();
    redo();
    EXPECT_EQ(m_processor.log().eventsStartingWith("change"),
              (std::vector<std::string>{changeEvent(5, 0.2f)}));
}

TEST_F(ParameterChangesTest, AbSwapsOnBothEdgesOnlyWhenChangedOrForcedAndAtoBCopiesOnOne)
{
    editorSet(3, 0.9f); // A
    ASSERT_EQ(m_processor.getProgramB().values[3], 0.25f);

    editorSet(9103, 1.0f);
    EXPECT_EQ(m_processor.getParameter(3), 0.25f);
    EXPECT_EQ(m_processor.getProgramB().values[3], 0.9f);

    editorSet(9103, 0.0f);
    EXPECT_EQ(m_processor.getParameter(3), 0.9f);

    editorSet(9103, 0.0f); // unchanged: dropped, no swap
    EXPECT_EQ(m_processor.getParameter(3), 0.9f);

    m_processor.setParameterInternal(9103, 0.0f, true, true, false);
    EXPECT_EQ(m_processor.getParameter(3), 0.25f);

    editorSet(9103, 0.5f); // neither edge
    EXPECT_EQ(m_processor.getParameter(3), 0.25f);

    m_processor.changeProgramName(m_processor.getCurrentProgram(), "Mine");
    editorSet(7, 0.33f);

    editorSet(9104, 0.5f);
    EXPECT_EQ(m_processor.getProgramB().values[7], 0.9f);

    editorSet(9104, 1.0f);
    EXPECT_EQ(m_processor.getProgramB().values[7], 0.33f);
    EXPECT_EQ(m_processor.getProgramB().name, "Mine");
    EXPECT_EQ(m_processor.getParameter(7), 0.33f);
}

TEST_F(ParameterChangesTest, PersistentChangesAndDraggedRoutingReachTheSettingsStore)
{
    editorSet(9004, 1.0f);
    EXPECT_EQ(m_processor.getParameterRecord(9004).getValue(), 1.0f);
    m_processor.flushPersistentWrites();
    EXPECT_EQ(vk::registry::readProductFloat("ExportSupport"), 1.0f);
    // Persistent values are not program values.
    EXPECT_EQ(slotValue(4), 0.5f);

    editorSet(0, 0.002f); // not dragged: no default written
    EXPECT_FLOAT_EQ(m_processor.getParameterRecord(9000).getValue(), 0.1f);

    m_processor.getParameterRecord(0).gestureHeld = true;
    editorSet(0, 0.001f);
    EXPECT_EQ(m_processor.getParameterRecord(9000).getValue(), 0.001f);
    m_processor.flushPersistentWrites();
    EXPECT_EQ(vk::registry::readProductFloat("RoutingDefault"), 0.001f);
    EXPECT_FLOAT_EQ(m_processor.getParameterRecord(9001).getValue(), 0.1f);
    m_processor.getParameterRecord(0).gestureHeld = false;

    TestProcessor surround(vk::kWrapperVst3, 8);
    surround.getParameterRecord(0).gestureHeld = true;
    surround.editorSet(0, 0.005f);
    EXPECT_EQ(surround.getParameterRecord(9001).getValue(), 0.005f);
    surround.flushPersistentWrites();
    EXPECT_EQ(vk::registry::readProductFloat("RoutingDefault_7_1"), 0.005f);
}

TEST_F(ParameterChangesTest, PresetStepsStayInsideTheBankAndResetRestoresTheLastLoaded)
{
    m_processor.setCurrentProgram(45);
    m_processor.log().clear();
    editorSet(9105, 1.0f);
    EXPECT_EQ(m_processor.getCurrentProgram(), 45);
    EXPECT_EQ(m_processor.log().eventsStartingWith("display").size(), 1u);

    m_processor.setCurrentProgram(0);
    editorSet(9106, 1.0f);
    EXPECT_EQ(m_processor.getCurrentProgram(), 0);

    editorSet(9105, 0.0f);
    editorSet(9105, 1.0f);
    EXPECT_EQ(m_processor.getCurrentProgram(), 1);
    EXPECT_EQ(m_processor.getParameter(3), 1.0f); // "Wide" preset
    EXPECT_EQ(m_processor.getParameter(4), 0.0f);
    editorSet(9106, 0.0f);
    editorSet(9106, 1.0f);
    EXPECT_EQ(m_processor.getCurrentProgram(), 0);
    EXPECT_EQ(m_processor.getParameter(3), 0.25f);
    EXPECT_EQ(m_processor.getParameter(4), 0.5f);

    m_processor.setCurrentProgram(1);
    editorSet(3, 0.1f);
    editorSet(5, 0.2f);
    editorSet(9109, 1.0f);
    EXPECT_EQ(m_processor.getParameter(3), 1.0f);
    EXPECT_EQ(m_processor.getParameter(5), 0.75f);
}

TEST_F(ParameterChangesTest, IdsOutsideTheSetsStillGoThroughTheHistory)
{
    m_processor.beginNewTransaction();
    editorSet(9050, 0.5f);
    EXPECT_EQ(VkJuceProcessorBase::getDummyParameterRecord().getValue(), 0.5f);
    EXPECT_TRUE(m_processor.canUndo());
    undo();
    EXPECT_EQ(VkJuceProcessorBase::getDummyParameterRecord().getValue(), 0.0f);
}

TEST_F(ParameterChangesTest, HostAutomationKeepsTheUndoHistoryBoundedAndDragsInOneStep)
{
    // Whichever way the history fills, the manager may keep its minimum of whole transactions, each
    // closed at the cap, or its unit budget; nothing beyond.
    constexpr int kActionUnits = 10;
    constexpr int kMaxUnits = std::max(VkJuceProcessorBase::kUndoMaxUnits + 1 + kActionUnits,
                                       VkJuceProcessorBase::kUndoMinTransactions *
                                           VkJuceProcessorBase::kUndoMaxActionsPerTransaction * kActionUnits);
    constexpr int kMaxTransactions = VkJuceProcessorBase::kUndoMaxUnits / kActionUnits + 1;
    juce::AudioBuffer<float> block(2, 16);
    juce::MidiBuffer midi;
    const auto expectBounded = [&](const char* phase)
    {
        EXPECT_LE(m_processor.getUndoUnitsStored(), kMaxUnits) << phase;
        EXPECT_LE(m_processor.getNumUndoTransactions(), kMaxTransactions) << phase;
    };

    // Two parameters in turn never merge into one action: four changes per block, then a host that
    // sends changes without processing at all.
    for (int i = 0; i < 60000; ++i)
    {
        m_processor.setParameter(3 + i % 2, float(i % 1000) / 1000.0f);
        if (i % 4 == 3)
            m_processor.processBlock(block, midi);
    }
    expectBounded("with blocks");
    for (int i = 0; i < 60000; ++i)
        m_processor.setParameter(3 + i % 2, float(i % 997) / 997.0f);
    expectBounded("without blocks");
    m_processor.log().clear();

    // A user's drag while the host automates another parameter undoes in one step, and the host's
    // changes after the drag are a step of their own.
    const float hostBefore = m_processor.getParameter(3);
    m_processor.processBlock(block, midi);
    m_processor.beginNewTransaction();
    m_processor.getParameterRecord(5).gestureHeld = true;
    for (float v : {0.2f, 0.4f, 0.6f})
    {
        editorSet(5, v);
        m_processor.setParameter(3, v / 2.0f);
        m_processor.processBlock(block, midi);
    }
    m_processor.getParameterRecord(5).gestureHeld = false;
    m_processor.endParameterGesture(5);
    m_processor.setParameter(3, 0.9f);
    m_processor.setParameter(4, 0.8f);
    undo();
    EXPECT_EQ(m_processor.getParameter(3), 0.3f);
    EXPECT_EQ(m_processor.getParameter(5), 0.6f);
    undo();
    EXPECT_EQ(m_processor.getParameter(5), 0.75f);
    EXPECT_EQ(m_processor.getParameter(3), hostBefore);

    // Without a gesture, a user's changes after host automation form their own step too.
    m_processor.setParameter(4, 0.1f);
    editorSet(6, 0.3f);
    editorSet(6, 0.4f);
    undo();
    EXPECT_EQ(m_processor.getParameter(6), 0.1f);
    EXPECT_EQ(m_processor.getParameter(4), 0.1f);
}
