#pragma once

// A product processor with its editor drawn through recording GL tables (no display needed), a manual
// display clock and a manual auto-level clock.

#include "tests/gui/recording_gl_api.h"
#include "tests/product/product_test_support.h"

#include "product/editor/latiphonix_editor.h"

#include "display_clock.h"

#include <map>
#include <set>

namespace latiphonix::test
{

/** Display lists as a context would keep them: ids live until deleted or until the context goes. */
class RecordingListApi : public GlListApi
{
public:
    uint64_t contextToken() override { return token; }
    uint32_t genLists(int n) override
    {
        const uint32_t first = nextId;
        nextId += (uint32_t)n;
        for (int i = 0; i < n; ++i)
            live.insert(first + (uint32_t)i);
        ++generated;
        return first;
    }
    void deleteLists(uint32_t first, int n) override
    {
        for (int i = 0; i < n; ++i)
            live.erase(first + (uint32_t)i);
    }
    void newList(uint32_t id) override
    {
        recorded.push_back(id);
        staleUse |= live.count(id) == 0;
    }
    void endList() override {}
    void callList(uint32_t id) override
    {
        called.push_back(id);
        calledInCanvas += inCanvas ? 1 : 0;
        if (inCanvas)
            canvasSum[id] += subtractive ? -1 : 1;
        staleUse |= live.count(id) == 0;
    }
    void pushAllAttrib() override { ++depth; }
    void popAttrib() override { --depth; }
    void discardTransparentFragments() override {}
    Canvas beginOffscreen(int w, int h) override
    {
        canvasSize = {w, h};
        inCanvas = hasCanvas;
        if (!hasCanvas)
            return Canvas::none;
        if (canvasMade)
            return Canvas::kept;
        canvasMade = true;
        canvasSum.clear();
        return Canvas::fresh;
    }
    void clearOffscreen() override { canvasSum.clear(); }
    void endOffscreen() override { inCanvas = false; }
    void setSubtractive(bool subtract) override { subtractive = subtract; }
    uint32_t offscreenTexture() override { return hasCanvas ? canvasTexture : 0; }

    // The window was hidden and shown: the context and every list in it are gone.
    void recreateContext()
    {
        ++token;
        live.clear();
        canvasMade = false;
    }

    uint64_t token = 1;
    uint32_t nextId = 1;
    std::set<uint32_t> live;
    std::vector<uint32_t> recorded, called;
    int generated = 0;
    int depth = 0;
    bool staleUse = false;
    // A context that offers an offscreen canvas.
    bool hasCanvas = false;
    bool inCanvas = false;
    uint32_t canvasTexture = 777;
    int calledInCanvas = 0;
    bool canvasMade = false, subtractive = false;
    std::map<uint32_t, int> canvasSum; // how often each list's drawing is in the canvas
    std::pair<int, int> canvasSize{0, 0};
};

class EditorTest : public ProductTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the editor on a prepared processor.
    void open();
    void frame() { editor->getOglComponent().renderOpenGL(); }
    // One editor update as the timer runs it after a parameter change.
    void update() { editor->updateGui(); }
    vk::VkJuceControl& control(const char* name);
    juce::String readout();

    vk::test::RecordingGlApi gl;
    RecordingListApi lists;
    vk::ManualDisplayClock clock{1000000};
    std::unique_ptr<LatiphonixEditor> editor;
};

} // namespace latiphonix::test
