#pragma once

#include "vk_ogl_component.h"
#include "vk_ogl_editor_owner.h"

#include "processor/vk_profiler.h"

#include <atomic>

namespace vk::test
{

/** Stands in for the product editor: owns a full-size OpenGL component (of a type the test may derive) and
    counts what the component asks of its owner. */
template <typename Ogl = VkOglComponent>
class TestEditorOf : public juce::Component, public VkOglEditorOwner
{
public:
    explicit TestEditorOf(GlApi* headlessApi = nullptr, int width = 200, int height = 120) : ogl(headlessApi)
    {
        addAndMakeVisible(ogl);
        setSize(width, height);
        ogl.setName("Base OpenGL Component");
        ogl.setOglOwner(this);
    }
    ~TestEditorOf() override { ogl.stopRenderThread(); }

    void resized() override
    {
        ogl.setBounds(getLocalBounds());
        ogl.setProjectionDirty();
    }

    VkOglComponent& getOglComponent() override { return ogl; }
    bool isEditorTimerRunning() const override { return timerStarted.load(); }
    void startEditorTimer() override
    {
        timerStarted.store(true);
        timerStarts.fetch_add(1);
    }
    void drawDebugOverlay() override { overlayCalls.fetch_add(1); }
    VkJuceProfilerItem* getRenderProfilerItem() override { return profilerItem; }

    Ogl ogl;
    std::atomic<bool> timerStarted{false};
    std::atomic<int> timerStarts{0};
    std::atomic<int> overlayCalls{0};
    VkJuceProfilerItem* profilerItem = nullptr;
};

using TestEditor = TestEditorOf<>;

} // namespace vk::test
