#include "test_processor.h"

#include <gtest/gtest.h>

namespace
{
using Events = std::vector<std::string>;

class GesturesTest : public ProcessorTest
{
protected:
    TestProcessor m_processor;

    // What the editor does at the start of a drag.
    void startDrag(int index)
    {
        m_processor.getParameterRecord(index).gestureHeld = true;
        m_processor.queueParameterChange(index, false, true);
    }
    void endDrag(int index)
    {
        m_processor.getParameterRecord(index).gestureHeld = false;
        m_processor.endParameterGesture(index);
    }
    void editorSet(int index, float value) { m_processor.editorSet(index, value); }
    void hostSet(int index, float value) { m_processor.setParameter(index, value); }
    Events gestures()
    {
        Events result;
        for (const auto& e : m_processor.log().events())
            if (e.rfind("begin", 0) == 0 || e.rfind("end", 0) == 0)
                result.push_back(e);
        return result;
    }
};
} // namespace

TEST_F(GesturesTest, DragWithCompanionAndInterleavedHostChanges)
{
    startDrag(3);
    editorSet(3, 0.3f);
    editorSet(3, 0.35f);
    hostSet(5, 0.1f);    // the host automates something else meanwhile: no gesture for it
    editorSet(4, 0.2f);  // moved by the dragged control: a companion gesture
    editorSet(4, 0.25f); // already open
    hostSet(4, 0.3f);
    endDrag(3);

    EXPECT_EQ(gestures(), (Events{"begin 3", "begin 4", "end 3", "end 4"}));

    // With nothing held, editor changes open no gestures.
    m_processor.log().clear();
    editorSet(4, 0.6f);
    EXPECT_TRUE(gestures().empty());
}

TEST_F(GesturesTest, CompanionsEndWithTheLastHeldGesture)
{
    startDrag(3);
    startDrag(6);
    editorSet(4, 0.2f);
    editorSet(6, 0.4f); // held: nothing new
    endDrag(3);
    EXPECT_EQ(gestures(), (Events{"begin 3", "begin 6", "begin 4", "end 3"}));
    endDrag(6);
    EXPECT_EQ(gestures(), (Events{"begin 3", "begin 6", "begin 4", "end 3", "end 6", "end 4"}));

    // A second round starts from empty lists.
    m_processor.log().clear();
    startDrag(6);
    editorSet(4, 0.7f);
    endDrag(6);
    EXPECT_EQ(gestures(), (Events{"begin 6", "begin 4", "end 6", "end 4"}));
}

TEST_F(GesturesTest, EndingAnUnheldGestureStillEndsItAndItsCompanionsAndOtherIdsHaveNone)
{
    startDrag(3);
    editorSet(5, 0.9f);
    m_processor.getParameterRecord(3).gestureHeld = false;
    m_processor.endParameterGesture(7); // never held
    EXPECT_EQ(gestures(), (Events{"begin 3", "begin 5", "end 7"}));

    m_processor.endParameterGesture(3);
    EXPECT_EQ(gestures(), (Events{"begin 3", "begin 5", "end 7", "end 3", "end 5"}));

    m_processor.log().clear();
    m_processor.endParameterGesture(1); // empty lists: only its own end
    EXPECT_EQ(gestures(), (Events{"end 1"}));

    m_processor.log().clear();
    for (int index : {9000, 9101, 9999, -1, 8, 2999})
    {
        m_processor.getParameterRecord(index).gestureHeld = true;
        m_processor.queueParameterChange(index, false, true);
        m_processor.endParameterGesture(index);
        m_processor.getParameterRecord(index).gestureHeld = false;
    }
    EXPECT_TRUE(gestures().empty());
}
