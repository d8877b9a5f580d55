// The stereo-field graph, its overlay and the balance graph: drag geometry with the gap and link rules,
// particle geometry, display lists across context re-creation, and the balance trail and readout.

#include "editor_test_support.h"

namespace latiphonix::test
{
namespace
{

constexpr float pi = juce::MathConstants<float>::pi;

// The fan's centre in the overlay's own pixels (the overlay sits at 28, 27 in the editor).
const juce::Point<float> centre{28.0f + 263.5f, 27.0f + 298.0f};

juce::Point<float> at(float degreesFromUp, float radius)
{
    const float a = degreesFromUp * pi / 180.0f;
    return {centre.x + std::sin(a) * radius, centre.y - std::cos(a) * radius};
}

TEST_F(EditorTest, OverlayHandlesFollowWidthsAndBounds)
{
    open();
    set(kIidWidth, 0.0f, kItdWidth, 1.0f, kIidLowBound, 0.0f, kIidHighBound, 1.0f);
    frame();
    auto& overlay = editor->getOverlay();
    // IID width 0: straight up (the tiny bias aside); ITD width 1: 60 degrees right.
    EXPECT_NEAR(overlay.getHandleGeometry(0).angle, -0.001f, 1e-6f);
    EXPECT_NEAR(overlay.getHandleGeometry(4).angle, pi / 3.0f + 0.001f, 1e-6f);
    const auto high = overlay.getPoint(2), low = overlay.getPoint(3);
    EXPECT_NEAR(high.y, centre.y - 298.0f, 0.5f); // f = 1 is the top of the fan
    EXPECT_NEAR(low.y, centre.y - 122.0f, 0.5f);  // f = 0 is the inner edge
    EXPECT_NEAR(overlay.getPoint(4).angle, pi + pi / 3.0f + 0.001f, 1e-5f);

    set(kIidWidth, 1.0f);
    frame();
    EXPECT_NEAR(overlay.getHandleGeometry(0).angle, -(pi / 3.0f + 0.001f), 1e-6f);
    EXPECT_LT(overlay.getPoint(0).x, centre.x - 200.0f);
    // Handles of a path that is off are dimmer.
    set(kItdEnabled, 0.0f);
    frame();
    EXPECT_FLOAT_EQ(overlay.getPoint(4).alphaAtRest, 0.098f);
    EXPECT_FLOAT_EQ(overlay.getPoint(0).alphaAtRest, 0.39f);
}

TEST_F(EditorTest, OverlayDragsFollowTheAngleRadiusAndGapRules)
{
    set(kLink, 0.0f);
    open();
    auto& overlay = editor->getOverlay();

    overlay.dragHandleTo(0, at(-45.0f, 200.0f)); // 45 degrees left = 0.75 of the IID range
    EXPECT_NEAR(get(kIidWidth), 0.75f, 1e-4f);
    overlay.dragHandleTo(1, at(20.0f, 200.0f)); // right of the vertical: no IID width
    EXPECT_FLOAT_EQ(get(kIidWidth), 0.0f);
    overlay.dragHandleTo(4, at(30.0f, 250.0f));
    EXPECT_NEAR(get(kItdWidth), 0.5f, 1e-4f);
    overlay.dragHandleTo(5, {centre.x + 100.0f, centre.y + 40.0f}); // below the centre line: angle 0
    EXPECT_FLOAT_EQ(get(kItdWidth), 0.0f);

    // Radius fraction: 122 px is 0, 298 px is 1.
    overlay.dragHandleTo(3, at(0.0f, 122.0f + 176.0f * 0.25f));
    EXPECT_NEAR(get(kIidLowBound), 0.25f, 1e-4f);
    overlay.dragHandleTo(3, at(0.0f, 400.0f)); // past the top: 0.92, and the high bound pushed to 1
    EXPECT_FLOAT_EQ(get(kIidLowBound), 0.92f);
    EXPECT_FLOAT_EQ(get(kIidHighBound), 1.0f);
    overlay.dragHandleTo(2, at(0.0f, 50.0f)); // below the inner edge: 0.08, the low bound pushed to 0
    EXPECT_FLOAT_EQ(get(kIidHighBound), 0.08f);
    EXPECT_FLOAT_EQ(get(kIidLowBound), 0.0f);

    overlay.dragHandleTo(9, at(0.0f, 298.0f));
    EXPECT_FLOAT_EQ(get(kIidFocusLower), 0.92f);
    EXPECT_FLOAT_EQ(get(kIidFocusUpper), 1.0f);
    overlay.dragHandleTo(8, at(0.0f, 122.0f));
    EXPECT_FLOAT_EQ(get(kIidFocusUpper), 0.08f);
    EXPECT_FLOAT_EQ(get(kIidFocusLower), 0.0f);
}

TEST_F(EditorTest, LinkedDragsMoveTheTwinByTheLinkOffsetAndKeepItsGap)
{
    set(kIidLowBound, 0.3f, kItdLowBound, 0.2f, kIidHighBound, 0.9f, kItdHighBound, 0.7f, kIidWidth, 0.6f,
        kItdWidth, 0.5f, kLink, 0.0f);
    set(kLink, 1.0f); // switching on takes the offsets: low 0.1, high 0.2, width 0.1
    open();
    auto& overlay = editor->getOverlay();
    // The readout names the handle in the hand, not the twin or partner set after it.
    const auto readoutNames = [this](int index)
    {
        update();
        return readout() == processor->getParameterName(index) + ": " + processor->getParameterText(index);
    };

    overlay.dragHandleTo(3, at(0.0f, 122.0f + 176.0f * 0.5f));

    EXPECT_NEAR(get(kIidLowBound), 0.5f, 1e-4f);
    EXPECT_NEAR(get(kItdLowBound), 0.4f, 1e-4f);
    EXPECT_TRUE(readoutNames(kIidLowBound)) << readout();

    // ITD high dragged down: the IID twin follows up by the offset, and each path keeps its gap.
    overlay.dragHandleTo(6, at(10.0f, 122.0f + 176.0f * 0.45f));
    EXPECT_NEAR(get(kItdHighBound), 0.45f, 1e-3f);
    EXPECT_NEAR(get(kIidHighBound), 0.65f, 1e-3f);
    EXPECT_LE(get(kItdLowBound), get(kItdHighBound) - 0.08f + 1e-5f);
    EXPECT_LE(get(kIidLowBound), get(kIidHighBound) - 0.08f + 1e-5f);
    EXPECT_TRUE(readoutNames(kItdHighBound)) << readout();

    overlay.dragHandleTo(0, at(-30.0f, 250.0f));
    EXPECT_NEAR(get(kIidWidth), 0.5f, 1e-4f);
    EXPECT_NEAR(get(kItdWidth), 0.4f, 1e-4f);
    EXPECT_TRUE(readoutNames(kIidWidth)) << readout();

    // A drag that changes nothing leaves a change still to be shown alone.
    processor->setParameter(kAcuity, 0.42f);
    overlay.dragHandleTo(0, at(-30.0f, 250.0f));
    EXPECT_TRUE(readoutNames(kAcuity)) << readout();

    // The focus handles have no twin.
    const float itdLow = get(kItdLowBound);
    overlay.dragHandleTo(9, at(0.0f, 122.0f + 176.0f * 0.1f));
    EXPECT_FLOAT_EQ(get(kItdLowBound), itdLow);
}

TEST(LatiphonixGraphGeometry, ParticlesLeanByTheirBalanceAndVanishWhenSilent)
{
    const juce::Point<float> c{291.5f, 325.0f};
    const auto silent = LatiphonixGraph::particleFor(10, 44, 0.0f, 0.0f, 0.001f, 64.0f, c, 298.0f);
    EXPECT_FLOAT_EQ(silent.halfSize, 0.0f);
    EXPECT_FLOAT_EQ(silent.x, 291.0f); // straight up, truncated to whole pixels

    const auto left = LatiphonixGraph::particleFor(43, 44, 1.0f, 0.0f, 0.001f, 64.0f, c, 298.0f);
    EXPECT_FLOAT_EQ(left.halfSize, 13.0f);
    const float r = 298.0f - 4.0f;
    EXPECT_FLOAT_EQ(left.x, (float)(int)(c.x - std::sin(pi / 3.0f) * r));
    EXPECT_FLOAT_EQ(left.y, (float)(int)(c.y - std::cos(pi / 3.0f) * r));
    const auto right = LatiphonixGraph::particleFor(0, 44, 0.0f, 1.0f, 0.001f, 64.0f, c, 298.0f);
    EXPECT_GT(right.x, c.x); // right-heavy leans right
    EXPECT_FLOAT_EQ(right.y, (float)(int)(c.y - std::cos(pi / 3.0f) * (298.0f - 176.0f)));
    // A sum not above the row's threshold counts as silence.
    EXPECT_FLOAT_EQ(LatiphonixGraph::particleFor(5, 44, 0.3f, 0.1f, 0.5f, 64.0f, c, 298.0f).halfSize, 0.0f);

    EXPECT_FLOAT_EQ(LatiphonixGraph::ageLevel(0), 255.0f / 1700.0f);
    EXPECT_FLOAT_EQ(LatiphonixGraph::ageLevel(-50), 255.0f / 1700.0f);
    EXPECT_LT(LatiphonixGraph::ageLevel(400000), LatiphonixGraph::ageLevel(0));
}

TEST_F(EditorTest, GraphRecordsARowEveryTenMillisecondsAndRemakesItsListsInANewContext)
{
    set(kAnalysis, 1.0f);
    open();
    StereoSignal s{makeNoise(8192, 0.5f, 3), makeNoise(8192, 0.1f, 4)};
    run(s);

    frame();
    ASSERT_EQ(lists.generated, 1);
    auto* graph = editor->getGraph();
    const uint32_t first = graph->getListId(0);
    EXPECT_EQ(lists.live.size(), 10u);
    EXPECT_EQ(lists.recorded.size(), 11u); // ten empty lists, then the first row
    EXPECT_EQ(graph->getNextList(), 1);
    EXPECT_EQ(lists.depth, 0);          // attributes pushed and popped
    EXPECT_EQ(lists.called.size(), 1u); // only recorded rows are drawn

    clock.advance(5);
    frame();
    EXPECT_EQ(graph->getNextList(), 1);
    clock.advance(5);
    frame();
    EXPECT_EQ(graph->getNextList(), 2);
    // Rows wrap round the ten lists.
    for (int i = 0; i < 9; ++i)
    {
        clock.advance(10);
        frame();
    }
    EXPECT_EQ(graph->getNextList(), 1);

    // Hidden and shown again: new lists in the new context, no use of the old ids.
    lists.recreateContext();
    lists.called.clear();
    clock.advance(10);
    frame();
    EXPECT_EQ(lists.generated, 2);
    EXPECT_NE(graph->getListId(0), first);
    EXPECT_EQ(lists.live.size(), 10u);
    EXPECT_FALSE(lists.staleUse);
    EXPECT_EQ(graph->getNextList(), 2);

    // Without a context nothing is drawn and nothing is made.
    lists.token = 0;
    frame();
    EXPECT_EQ(lists.generated, 2);
}

TEST_F(EditorTest, ParticlesAreDrawnIntoACanvasAndLaidOverTheEditorWhenTheContextHasOne)
{
    set(kAnalysis, 1.0f);
    lists.hasCanvas = true;
    open();
    StereoSignal s{makeNoise(8192, 0.5f, 3), makeNoise(8192, 0.1f, 4)};
    run(s);
    gl.clearCalls();
    frame();
    EXPECT_EQ(lists.canvasSize,
              std::make_pair(640 / LatiphonixGraph::canvasDivisor, 435 / LatiphonixGraph::canvasDivisor));
    ASSERT_EQ(lists.called.size(), 1u);
    EXPECT_EQ(lists.calledInCanvas, 1);
    EXPECT_FALSE(lists.inCanvas);
    // The canvas is laid over what the row drew (every particle square inside it) and never beyond the
    // editor, each corner showing the canvas at its own place; all in the graph's coordinates.
    auto* graph = editor->getGraph();
    auto composed = [&](float leftLevel, float rightLevel)
    {
        // The display rises towards the signal at its ballistic rate: a second of frames.
        for (int i = 0; i < 50; ++i)
        {
            StereoSignal block{makeNoise(1024, leftLevel, 5 + i), makeNoise(1024, rightLevel, 60 + i)};
            run(block);
            clock.advance(20);
            frame();
        }
        gl.clearCalls();
        clock.advance(20);
        frame();
        // The graph's calls begin where it sets its texture environment (no other display does).
        const auto first =
            std::find_if(gl.calls.begin(), gl.calls.end(), [](const auto& c) { return c.name == "texEnvf"; });
        double texture = 0.0;
        std::pair<double, double> at;
        std::vector<std::pair<double, double>> particles, corners, texCoords;
        for (auto it = first; it != gl.calls.end() && corners.size() < 4; ++it)
        {
            const auto& c = *it;
            if (c.name == "bindTexture")
                texture = c.args[1];
            else if (c.name == "texCoord2f")
                at = {c.args[0], c.args[1]};
            else if (c.name == "vertex2f" && texture == 777.0)
            {
                corners.emplace_back(c.args[0], c.args[1]);
                texCoords.push_back(at);
            }
            else if (c.name == "vertex2f")
                particles.emplace_back(c.args[0], c.args[1]);
        }
        return std::make_tuple(particles, corners, texCoords);
    };
    const auto [particles, corners, texCoords] = composed(0.5f, 0.1f);
    ASSERT_EQ(corners.size(), 4u);
    ASSERT_FALSE(particles.empty());
    const double left = corners[0].first, top = corners[0].second;
    const double right = corners[2].first, bottom = corners[2].second;
    EXPECT_GE(left, -28.0);
    EXPECT_GE(top, -27.0);
    EXPECT_LE(right, -28.0 + 640.0);
    EXPECT_LE(bottom, -27.0 + 435.0);
    EXPECT_LT(right - left, 640.0); // not the whole editor
    for (const auto& [x, y] : particles)
        EXPECT_TRUE(x >= left && x <= right && y >= top && y <= bottom) << x << ", " << y;
    for (size_t k = 0; k < 4; ++k)
    {
        EXPECT_NEAR(texCoords[k].first, (corners[k].first + 28.0) / 640.0, 1e-6);
        EXPECT_NEAR(texCoords[k].second, 1.0 - (corners[k].second + 27.0) / 435.0, 1e-6);
    }
    // Rows of silence draw nothing, and nothing is laid over the editor.
    composed(0.0f, 0.0f); // the display falls
    graph->requestReset();
    EXPECT_TRUE(std::get<1>(composed(0.0f, 0.0f)).empty());

    // The canvas holds every live row exactly once, whether rows are added, replaced (subtracted), the sum
    // rebuilt, the graph reset or the context re-created; a frame draws at most two rows besides rebuilds.
    auto canvasMatchesRows = [&]
    {
        std::map<uint32_t, int> expected;
        for (int i = 0; i < LatiphonixGraph::numLists; ++i)
            if (graph->getListId(i) != 0 && graph->getListTime(i) != 0)
                expected[graph->getListId(i)] = 1;
        std::map<uint32_t, int> held;
        for (const auto& [id, n] : lists.canvasSum)
            if (n != 0)
                held[id] = n;
        return held == expected;
    };
    int rebuilds = 0;
    for (int f = 0; f < 3200; ++f)
    {
        clock.advance(f % 3 == 0 ? 4 : 10); // some frames record no row
        if (f == 500)
            graph->requestReset();
        if (f == 700)
            lists.recreateContext();
        lists.called.clear();
        frame();
        ASSERT_TRUE(canvasMatchesRows()) << "frame " << f;
        rebuilds += lists.called.size() > 2 ? 1 : 0;
        EXPECT_FALSE(lists.subtractive);
    }
    EXPECT_GE(rebuilds, 1); // the sum is made anew every rebuildInterval rows
    EXPECT_LE(rebuilds, 4); // otherwise a frame draws the new row and the one it replaces
    EXPECT_FALSE(lists.staleUse);
}

TEST(LatiphonixBalanceGraphTest, TrailMarkerAndReadout)
{
    LatiphonixBalanceGraph graph;
    graph.setSize(552, 24);
    EXPECT_EQ(graph.getReadoutText(), "");
    for (int i = 0; i < 60; ++i)
        EXPECT_FLOAT_EQ(graph.getHistory(i), 277.0f);
    EXPECT_FLOAT_EQ(graph.getSmoothed(), 277.0f);

    // Silence: the trail and the marker settle on the centre; the readout reads "0".
    float peakL = 0.0f, peakR = 0.0f;
    bool ready = true;
    graph.setPeakSource(
        [&](float& l, float& r)
        {
            l = peakL;
            r = peakR;
            return std::exchange(ready, false);
        });
    graph.render(16);
    EXPECT_FLOAT_EQ(graph.getHistory(graph.getHistoryIndex()), 276.0f);
    EXPECT_EQ(graph.getReadoutText(), "0");
    graph.render(16); // no new measurement: nothing moves
    EXPECT_EQ(graph.getHistoryIndex(), 1);

    // Only the right channel: the position is the right edge, the marker creeps there by 1 % a step.
    peakR = 0.5f;
    float previous = graph.getSmoothed();
    for (int i = 0; i < 50; ++i)
    {
        ready = true;
        graph.render(16);
        EXPECT_FLOAT_EQ(graph.getHistory(graph.getHistoryIndex()), 552.0f);
        EXPECT_NEAR(graph.getSmoothed() - previous, (552.0f - previous) * 0.01f, 1e-3f);
        previous = graph.getSmoothed();
    }
    const int q = (int)(((previous - 276.0f) / 276.0f * 0.5f + 0.5f) * 200.0f);
    EXPECT_EQ(graph.getReadoutText(), "R" + juce::String(q - 100) + "%");
    EXPECT_GT(q, 100);

    // Left only.
    peakL = 0.5f;
    peakR = 0.0f;
    for (int i = 0; i < 400; ++i)
    {
        ready = true;
        graph.render(16);
    }
    EXPECT_TRUE(graph.getReadoutText().startsWith("L"));
    EXPECT_TRUE(graph.getReadoutText().endsWith("%"));

    // A reset request puts everything back at the start positions.
    graph.requestReset();
    graph.render(16);
    EXPECT_FLOAT_EQ(graph.getSmoothed(), 277.0f);
}

} // namespace
} // namespace latiphonix::test
