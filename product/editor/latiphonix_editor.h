#pragma once

// The product's editor: a fixed 640 x 435 picture of image-strip buttons and knobs bound to the product's
// parameters, a preset bar, two level indicators, the stereo-field graph with its overlay and the balance
// graph. The editor base does the generic work (timer, binding, drawing); this class holds the layout and
// the rules between controls that are not one-to-one with a parameter: the phase control (two parameters
// in one knob), the auto-level countdown, the level indicators and the balance readout.
// [message thread] everything here; the displays draw on the render thread.

#include "latiphonix_balance_graph.h"
#include "latiphonix_graph.h"
#include "latiphonix_graph_overlay.h"
#include "latiphonix_preset_browser.h"

#include "controls/vk_juce_button.h"
#include "controls/vk_juce_drag_control.h"
#include "controls/vk_juce_slider.h"
#include "controls/vk_juce_text_edit.h"
#include "editor/vk_juce_editor_base.h"

#include <memory>

class LatiphonixProcessor;

// A button that only shows text: it is bound to its parameter for the record, but a click must never
// toggle that parameter (the balance readout would throw the output balance to one end). A text wider than
// the label is drawn in the next smaller bitmap font, and so on down to the smallest, so that it stays
// inside its box instead of running under its neighbours.
class LatiphonixTextLabel : public vk::VkJuceButton
{
public:
    explicit LatiphonixTextLabel(const juce::String& componentName) : vk::VkJuceButton(componentName)
    {
        setTextFitted(true);
    }
    void mouseDown(const juce::MouseEvent&) override {}
    void mouseUp(const juce::MouseEvent&) override {}
    void mouseDrag(const juce::MouseEvent&) override {}
    void mouseDoubleClick(const juce::MouseEvent&) override {}
};

class LatiphonixEditor : public vk::VkJuceEditorBase
{
public:
    static constexpr int editorWidth = 640;
    static constexpr int editorHeight = 435;

    // Test seams: headlessApi draws without a context, listApi stands in for display lists, clock drives
    // the displays. All null/system in the product.
    struct Options
    {
        vk::GlApi* headlessApi = nullptr;
        latiphonix::GlListApi* listApi = nullptr;
        const vk::DisplayClock* clock = nullptr;
    };

    explicit LatiphonixEditor(LatiphonixProcessor& processor);
    LatiphonixEditor(LatiphonixProcessor& processor, const Options& options);
    ~LatiphonixEditor() override;

    void loadBackground() override;
    void createDisplays() override;
    void destroyDisplays() override;
    void updateProductControls() override;
    void onTimerTick() override;
    void showParameterText(const juce::String& text, int index) override;
    void controlValueChanged(vk::VkJuceControl* control) override;
    void controlDragStarted(vk::VkJuceControl* control) override;
    void controlDragEnded(vk::VkJuceControl* control) override;

    // For tests and tools.
    LatiphonixGraph* getGraph() const noexcept { return stereoGraph.get(); }
    LatiphonixBalanceGraph* getBalanceGraph() const noexcept { return balanceGraph.get(); }
    LatiphonixGraphOverlay& getOverlay() noexcept { return m_graphOverlay; }
    // The control with this member name; null when there is none.
    vk::VkJuceControl* findControl(const juce::String& memberName) const;
    juce::StringArray getControlNames() const;

private:
    void build();
    void placeButton(vk::VkJuceButton& b, int parameter, const char* strip, juce::Rectangle<int> bounds,
                     bool momentary);
    void placeDrag(vk::VkJuceDragControl& d, int parameter, const char* strip, juce::Rectangle<int> bounds,
                   int steps, bool continuous, bool displayOnly);
    void updatePhaseControl();
    void writePhaseFromControl();
    // Ends the two host gestures the phase drag opened.
    void endPhaseGestures();
    void updateAutoLevelDisplay();
    void autoLevelClicked();
    void presetNameTyped();
    void stepLevelIndicator(vk::VkJuceDragControl& indicator, float meter);
    void setAToBImage(bool bToA);

    LatiphonixProcessor& product;
    const vk::DisplayClock& displayClock;
    latiphonix::GlListApi* listApi;

    vk::VkJuceButton m_graphmask{"m_graphmask"};
    vk::VkJuceButton m_btnTitle{"m_btnTitle"};
    vk::VkJuceButton m_btnBypass{"m_btnBypass"};
    vk::VkJuceButton m_btnUndo{"m_btnUndo"};
    vk::VkJuceButton m_btnRedo{"m_btnRedo"};
    vk::VkJuceButton m_btnAB{"m_btnAB"};
    vk::VkJuceButton m_btnAToB{"m_btnAToB"};
    vk::VkJuceButton m_btnPresetPrevious{"m_btnPresetPrevious"};
    vk::VkJuceButton m_btnPresetNext{"m_btnPresetNext"};
    vk::LatiphonixPresetBrowserTriggerButton m_btnPresetBrowserTriggerButton{
        "m_btnPresetBrowserTriggerButton"};
    vk::VkJuceTextEdit m_textEditPresetName{"m_textEditPresetName"};
    vk::VkJuceDragControl m_dragResolution{"m_dragResolution"};
    vk::VkJuceDragControl m_dragAcuity{"m_dragAcuity"};
    vk::VkJuceButton m_btnInvert{"m_btnInvert"};
    vk::VkJuceButton m_btnfill{"m_btnfill"};
    vk::VkJuceDragControl m_dragLinearWidth{"m_dragLinearWidth"};
    vk::VkJuceButton m_btnAnalysis{"m_btnAnalysis"};
    vk::VkJuceDragControl m_dragLevelIn{"m_dragLevelIn"};
    vk::VkJuceDragControl m_dragLevelOut{"m_dragLevelOut"};
    vk::VkJuceButton m_btnDynamics{"m_btnDynamics"};
    vk::VkJuceDragControl m_dragDYNShape{"m_dragDYNShape"};
    vk::VkJuceDragControl m_dragDYNDepth{"m_dragDYNDepth"};
    vk::VkJuceDragControl m_dragDYNSpeed{"m_dragDYNSpeed"};
    vk::VkJuceButton m_btnTempo{"m_btnTempo"};
    vk::VkJuceDragControl m_dragPhase{"m_dragPhase"};
    vk::VkJuceButton m_btnMono{"m_btnMono"};
    vk::VkJuceDragControl m_btnAutoLevel{"m_btnAutoLevel"};
    vk::VkJuceButton m_btnAutoInvisibleOverlay{"m_btnAutoInvisibleOverlay"};
    vk::VkJuceButton m_btnIID{"m_btnIID"};
    vk::VkJuceButton m_btnITD{"m_btnITD"};
    vk::VkJuceButton m_btnLink{"m_btnLink"};
    vk::VkJuceButton m_btnSoloLeft{"m_btnSoloLeft"};
    vk::VkJuceButton m_btnSoloRight{"m_btnSoloRight"};
    LatiphonixTextLabel m_textBalanceReadout{"m_textBalanceReadout"};
    vk::VkJuceSlider m_sldBalance{"m_sldBalance"};
    LatiphonixTextLabel m_textReadout{"m_textReadout"};
    LatiphonixGraphOverlay m_graphOverlay;

    std::unique_ptr<LatiphonixGraph> stereoGraph;
    std::unique_ptr<LatiphonixBalanceGraph> balanceGraph;

    bool aToBShowsBToA = false;
    bool aToBImageSet = false;
    int phaseGestureDepth = 0;

    JUCE_DECLARE_NON_COPYABLE(LatiphonixEditor)
};
