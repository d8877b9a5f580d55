#pragma once

// A processor with an editor, for opening editors through the format bindings in tests: the framework's
// test processor whose editor is a product editor in miniature, a red/lime button on parameter 5 and a
// blue/yellow two-frame knob on parameter 3, on the editor base with OpenGL rendering. It grows from
// 200 x 120 to 260 x 150 while parameter 6 is above 0.5, so that a host in another process can make it
// change its size.

#include "controls/vk_juce_button.h"
#include "controls/vk_juce_drag_control.h"
#include "editor_test_support.h"

#include <atomic>

namespace vk::test
{

class ViewEditor : public TestEditorBase
{
public:
    explicit ViewEditor(TestProcessor& p);
    ~ViewEditor() override;
    void onTimerTick() override;

    static constexpr int kSizeParameter = 6;

    VkJuceButton button{"m_btnMode"};
    VkJuceDragControl knob{"m_knobWidth"};

    // The editor that is open; null when none.
    static std::atomic<ViewEditor*> open;
};

class EditorProcessor : public TestProcessor
{
public:
    explicit EditorProcessor(int wrapperType) : TestProcessor(wrapperType) {}
    bool hasEditor() const override { return true; }
    juce::AudioProcessorEditor* createEditor() override { return new ViewEditor(*this); }
    juce::Rectangle<int> getInitialEditorBounds() const override { return {200, 120}; }
};

inline VkJuceProcessorBase* createEditorProcessor(int wrapperType)
{
    return new EditorProcessor(wrapperType);
}

} // namespace vk::test
