#include "latiphonix_editor.h"

#include "editor_rules.h"

#include "product/latiphonix_parameters.h"
#include "product/latiphonix_processor.h"

#include "named_read_write_lock.h"
#include "ogl_draw_helpers.h"
#include "text_fit.h"
#include "vk_ogl_component.h"

#include "resources/named_resources.h"

namespace
{
using namespace latiphonix;
using vk::VkJuceButton;
using vk::VkJuceControl;

constexpr const char* constructorCaller = "LatiphonixEditor::LatiphonixEditor";
constexpr const char* destructorCaller = "LatiphonixEditor::~LatiphonixEditor";

juce::Image loadImage(const char* resourceName)
{
    int size = 0;
    const void* data = vk::getNamedResource(resourceName, size);
    if (data == nullptr)
        return {};
    return juce::ImageFileFormat::loadFrom(data, (size_t)size);
}

int choiceOf(float v) noexcept
{
    return std::min((int)(v * 1000.0f + 0.5f), 1000);
}
} // namespace

LatiphonixEditor::LatiphonixEditor(LatiphonixProcessor& p) : LatiphonixEditor(p, Options{}) {}

LatiphonixEditor::LatiphonixEditor(LatiphonixProcessor& p, const Options& options)
    : vk::VkJuceEditorBase(p, options.headlessApi), product(p),
      displayClock(options.clock != nullptr ? *options.clock : vk::DisplayClock::system()),
      listApi(options.listApi), m_graphOverlay(displayClock)
{
    build();
}

LatiphonixEditor::~LatiphonixEditor()
{
    // A drag the closing cuts short ends in the host: the controls' gestures, with them the phase drag's.
    endOpenGestures();
    if (phaseGestureDepth > 0)
    {
        phaseGestureDepth = 0;
        endPhaseGestures();
    }
    getOglComponent().stopRenderThread();
    vk::ScopedReadWriteGuard guard(getEditorLock(), vk::ScopedReadWriteGuard::exclusive,
                                   vk::ScopedReadWriteGuard::spinUntilAcquired, destructorCaller);
    destroyDisplays();
}

void LatiphonixEditor::placeButton(VkJuceButton& b, int parameter, const char* strip,
                                   juce::Rectangle<int> bounds, bool momentary)
{
    b.attachToParameter(parameter, this);
    if (strip != nullptr)
    {
        const auto image = loadImage(strip);
        if (image.getHeight() == bounds.getHeight())
            b.setStateImage(image, 0); // a one-frame picture
        else
            b.setImageStrip(image);
    }
    else
    {
        b.setFillColour(juce::Colours::transparentBlack, VkJuceButton::allStates);
    }
    addControl(&b, -1);
    b.addListener(this);
    b.setBounds(bounds);
    b.setMomentary(momentary);
}

void LatiphonixEditor::placeDrag(vk::VkJuceDragControl& d, int parameter, const char* strip,
                                 juce::Rectangle<int> bounds, int steps, bool continuous, bool displayOnly)
{
    d.attachToParameter(parameter, this);
    d.setStateImage(loadImage(strip), 0);
    addControl(&d, -1);
    d.addListener(this);
    d.setBounds(bounds);
    // The kind first: the step count chooses the frame the value shows, and a stepped value read as a
    // continuous one would show the first frame.
    d.setContinuous(continuous);
    d.setStepCount(steps);
    if (displayOnly)
    {
        d.setGreyedOut(true);
        d.setDimWhenGreyed(false);
    }
}

void LatiphonixEditor::build()
{
    vk::ScopedReadWriteGuard guard(getEditorLock(), vk::ScopedReadWriteGuard::exclusive,
                                   vk::ScopedReadWriteGuard::spinUntilAcquired, constructorCaller);
    loadBackground();
    if (getBackgroundImage().isValid())
        setSize(getBackgroundImage().getWidth(), getBackgroundImage().getHeight());

    constexpr int none = VkJuceControl::noParameter;
    placeButton(m_graphmask, none, "graph_mask_png", {0, 0, 640, 349}, false);
    placeButton(m_btnTitle, kShowMenu, nullptr, {400, 353, 200, 35}, false);
    placeButton(m_btnBypass, kBypass, "btn_bypass_png", {19, 4, 50, 22}, false);
    placeButton(m_btnUndo, kUndo, "btn_undo_png", {127, 4, 44, 22}, true);
    placeButton(m_btnRedo, kRedo, "btn_redo_png", {178, 4, 44, 22}, true);
    placeButton(m_btnAB, kAB, "btn_ab_png", {526, 4, 44, 22}, false);
    placeButton(m_btnAToB, kAToB, "btn_atob_png", {577, 4, 44, 22}, true);
    placeButton(m_btnPresetPrevious, kPresetPrevious, "btn_preset_previous_png", {232, 8, 13, 14}, true);
    placeButton(m_btnPresetNext, kPresetNext, "btn_preset_next_png", {480, 8, 13, 14}, true);
    placeButton(m_btnPresetBrowserTriggerButton, none, "btn_preset_browser_png", {495, 7, 16, 16}, true);

    m_textEditPresetName.attachToParameter(none, this);
    addControl(&m_textEditPresetName, -1);
    m_textEditPresetName.addListener(this);
    m_textEditPresetName.setBounds(255, 8, 220, 15);
    m_textEditPresetName.setFont(getOglComponent().getFontForSize(12));

    placeDrag(m_dragResolution, kResolution, "drag_resolution_png", {20, 214, 112, 133}, 10, false, false);
    placeDrag(m_dragAcuity, kAcuity, "drag_acuity_png", {509, 216, 111, 131}, 101, true, false);
    placeButton(m_btnInvert, kIidInvert, "btn_invert_png", {110, 262, 99, 84}, false);
    placeButton(m_btnfill, kItdFill, "btn_fill_png", {431, 262, 99, 84}, false);
    placeDrag(m_dragLinearWidth, kLinearWidth, "drag_linear_width_png", {243, 272, 156, 81}, 201, true,
              false);
    placeButton(m_btnAnalysis, kAnalysis, "btn_analysis_png", {289, 332, 62, 16}, false);
    placeDrag(m_dragLevelIn, none, "level_led_png", {530, 45, 12, 12}, 30, false, true);
    placeDrag(m_dragLevelOut, none, "level_led_png", {577, 45, 12, 12}, 30, false, true);
    placeButton(m_btnDynamics, kDynamics, "btn_dynamics_png", {20, 100, 43, 22}, false);
    placeDrag(m_dragDYNShape, kDynamicsShape, "drag_dyn_shape_png", {20, 70, 43, 24}, 5, false, false);
    placeDrag(m_dragDYNDepth, kDynamicsDepth, "drag_dyn_depth_png", {70, 70, 44, 24}, 101, true, false);
    placeDrag(m_dragDYNSpeed, kDynamicsSpeed, "drag_dyn_speed_png", {70, 38, 44, 25}, 101, true, false);
    placeButton(m_btnTempo, kTempoSync, "btn_tempo_png", {20, 40, 43, 22}, false);
    placeDrag(m_dragPhase, none, "drag_phase_png", {578, 100, 43, 23}, editor_rules::phaseFrames, true,
              false);
    placeButton(m_btnMono, kMono, "btn_mono_png", {578, 70, 43, 22}, false);
    placeDrag(m_btnAutoLevel, none, "auto_level_png", {527, 70, 44, 22}, 5, false, true);
    placeButton(m_btnAutoInvisibleOverlay, none, nullptr, {527, 70, 44, 22}, false);
    placeButton(m_btnIID, kIidEnabled, "btn_iid_png", {244, 354, 32, 28}, false);
    placeButton(m_btnITD, kItdEnabled, "btn_itd_png", {363, 353, 34, 30}, false);
    placeButton(m_btnLink, kLink, "btn_link_png", {289, 354, 62, 28}, false);
    placeButton(m_btnSoloLeft, kSoloLeft, "btn_solo_left_png", {20, 405, 20, 24}, false);
    placeButton(m_btnSoloRight, kSoloRight, "btn_solo_right_png", {601, 405, 20, 24}, false);
    placeButton(m_textBalanceReadout, kBalance, nullptr, {294, 404, 50, 28}, false);

    m_sldBalance.attachToParameter(kBalance, this);
    m_sldBalance.setStateImage(loadImage("slider_thumb_png"), 0);
    addControl(&m_sldBalance, -1);
    m_sldBalance.addListener(this);
    m_sldBalance.setTrackBounds(27, 393, 585, 10, true);

    placeButton(m_textReadout, none, nullptr, {24, 355, 220, 30}, false);

    createDisplays();

    getOglComponent().setRenderingEnabled(true);
    updateGui();
}

void LatiphonixEditor::loadBackground()
{
    int size = 0;
    if (const void* data = vk::getNamedResource("background_png", size))
        setBackgroundImage(data, (size_t)size);
}

void LatiphonixEditor::createDisplays()
{
    auto& ogl = getOglComponent();
    m_textReadout.setFillColour(juce::Colours::transparentBlack, VkJuceButton::allStates);
    m_textReadout.setTextColour(juce::Colour(50, 152, 193), VkJuceButton::allStates);
    m_textReadout.setFont(ogl.getFontForSize(18));
    m_textBalanceReadout.setTextColour(juce::Colours::white, VkJuceButton::allStates);
    m_textBalanceReadout.setFillColour(juce::Colours::transparentBlack, VkJuceButton::allStates);
    m_textBalanceReadout.setFont(ogl.getFontForSize(18));

    auto& algo = product.getAlgorithm();
    stereoGraph = std::make_unique<LatiphonixGraph>(displayClock, listApi);
    addControl(stereoGraph.get(), 0);
    stereoGraph->setBounds(28, 27, 527, 298);
    stereoGraph->setInterceptsMouseClicks(false, false);
    stereoGraph->setSource(0, algo.getObserver(0));
    stereoGraph->setSource(1, algo.getObserver(1));

    balanceGraph = std::make_unique<LatiphonixBalanceGraph>();
    balanceGraph->setPeakSource([&algo](float& l, float& r) { return algo.takePublishedPeaks(l, r); });
    balanceGraph->setOglOwner(this);
    balanceGraph->setInterceptsMouseClicks(false, false);
    balanceGraph->setBounds(43, 405, 552, 24);
    balanceGraph->setVisible(true);
    ogl.addChildComponent(balanceGraph.get(), -1);

    addControl(&m_graphOverlay, -1);
    m_graphOverlay.addListener(this);
    m_graphOverlay.setBounds(28, 27, 577, 338);
    m_graphOverlay.setFan({28.0f, 27.0f, 527.0f, 298.0f}, 176.0f);

    m_textEditPresetName.setBackgroundColour(juce::Colours::transparentBlack);
    m_textEditPresetName.setEditingBackgroundColour(juce::Colour(100, 100, 100));
}

void LatiphonixEditor::destroyDisplays()
{
    if (stereoGraph != nullptr)
    {
        forgetControl(stereoGraph.get());
        stereoGraph.reset();
    }
    if (balanceGraph != nullptr)
    {
        getOglComponent().removeChildComponent(balanceGraph.get());
        balanceGraph.reset();
    }
}

vk::VkJuceControl* LatiphonixEditor::findControl(const juce::String& memberName) const
{
    for (auto* child : const_cast<LatiphonixEditor*>(this)->getOglComponent().getChildren())
        if (auto* control = dynamic_cast<VkJuceControl*>(child))
            if (control->getName() == memberName && memberName.isNotEmpty())
                return control;
    return nullptr;
}

juce::StringArray LatiphonixEditor::getControlNames() const
{
    juce::StringArray names;
    for (auto* child : const_cast<LatiphonixEditor*>(this)->getOglComponent().getChildren())
        if (auto* control = dynamic_cast<VkJuceControl*>(child))
            if (control->getName().startsWith("m_"))
                names.add(control->getName());
    return names;
}

//==============================================================================================================
// Phase: one knob for two parameters.

void LatiphonixEditor::updatePhaseControl()
{
    const float invert = product.getParameterRecord(kPhaseInvert).getValue();
    const float shift = product.getParameterRecord(kPhaseShift).getValue();
    // Silent: showing a value is not an edit. The knob's grid is coarser than the parameters (0.7777 shows
    // as 78 %), and writing its frame back would change the sound, the host's undo history and its session
    // merely because the editor is open. Only the user's own moves write (controlValueChanged).
    m_dragPhase.setValue(editor_rules::phaseControlValue(m_dragPhase.getValue(), invert != 0.0f, shift),
                         false);
}

void LatiphonixEditor::writePhaseFromControl()
{
    const auto target =
        editor_rules::phaseParametersForFrame(editor_rules::phaseFrame(m_dragPhase.getValue()));
    const std::array<std::pair<int, float>, 2> writes{
        {{kPhaseInvert, target.invert}, {kPhaseShift, target.shift}}};
    std::array<int, 2> changed{};
    int count = 0;
    for (auto [index, value] : writes)
        if (product.getParameterRecord(index).getValue() != value)
            changed[(size_t)count++] = index;
    // A move within the frame already written is neither an undo step nor a host edit.
    if (count == 0)
        return;
    const bool ownStep = phaseGestureDepth == 0;
    if (ownStep)
        product.beginNewTransaction();
    for (int i = 0; i < count; ++i)
    {
        const int index = changed[(size_t)i];
        product.getParameterRecord(index).gestureHeld.store(true);
        product.setParameterInternal(index, index == kPhaseInvert ? target.invert : target.shift, true, false,
                                     false);
    }
    if (ownStep)
        for (int i = 0; i < count; ++i)
        {
            product.getParameterRecord(changed[(size_t)i]).gestureHeld.store(false);
            product.endParameterGesture(changed[(size_t)i]);
        }
}

//==============================================================================================================
// Auto level.

void LatiphonixEditor::updateAutoLevelDisplay()
{
    auto& algo = product.getAlgorithm();
    const int frame = editor_rules::autoLevelFrame(algo.getAnalysisStartMs(), algo.getClockMs(),
                                                   product.getParameterRecord(kAutoLevel).getValue() != 0.0f);
    m_btnAutoLevel.setValue((float)frame / 1000.0f, false);
}

void LatiphonixEditor::autoLevelClicked()
{
    const int frame = choiceOf(m_btnAutoLevel.getValue());
    if (frame == 0)
    {
        product.getAlgorithm().markAnalysisStart();
    }
    else if (frame == 1)
    {
        product.beginNewTransaction();
        auto& record = product.getParameterRecord(kAutoLevel);
        record.gestureHeld.store(true);
        product.setParameterInternal(kAutoLevel, 0.0f, true, false, false);
        record.gestureHeld.store(false);
        product.endParameterGesture(kAutoLevel);
    }
    product.setRefreshAll(true);
}

void LatiphonixEditor::presetNameTyped()
{
    const juce::String name = m_textEditPresetName.getText();
    product.changeProgramName(product.getCurrentProgram(), name);
    juce::String folder, file;
    product.getCurrentProgramInfo(folder, file);
    product.setCurrentProgramInfo(folder, name);
    product.updateHostDisplay();
}

void LatiphonixEditor::setAToBImage(bool bToA)
{
    if (aToBImageSet && aToBShowsBToA == bToA)
        return;
    aToBImageSet = true;
    aToBShowsBToA = bToA;
    m_btnAToB.setImageStrip(loadImage(bToA ? "btn_atob_b_to_a_png" : "btn_atob_a_to_b_png"));
}

//==============================================================================================================

void LatiphonixEditor::updateProductControls()
{
    if (product.getParameterRecord(kPhaseShift).guiDirty.load() ||
        product.getParameterRecord(kPhaseInvert).guiDirty.load())
        updatePhaseControl();

    updateAutoLevelDisplay();

    if (product.getParameterRecord(kAnalysis).guiDirty.load())
    {
        const bool on = product.getParameterRecord(kAnalysis).getValue() != 0.0f;
        if (stereoGraph != nullptr)
            stereoGraph->setVisible(on);
        if (balanceGraph != nullptr)
            balanceGraph->setVisible(on);
        if (!on)
            m_textBalanceReadout.setText(" ", VkJuceButton::allStates);
    }

    m_textEditPresetName.setText(product.getProgramName(product.getCurrentProgram()));
    m_btnUndo.setGreyedOut(!product.canUndo());
    m_btnRedo.setGreyedOut(!product.canRedo());
    setAToBImage(product.getParameterRecord(kAB).getValue() != 0.0f);
}

void LatiphonixEditor::stepLevelIndicator(vk::VkJuceDragControl& indicator, float meter)
{
    indicator.setValue((float)editor_rules::levelIndicatorFrame(indicator.getValue(), meter) / 1000.0f, true);
}

void LatiphonixEditor::onTimerTick()
{
    auto& algo = product.getAlgorithm();
    stepLevelIndicator(m_dragLevelIn, algo.getInputMeter());
    stepLevelIndicator(m_dragLevelOut, algo.getOutputMeter());
    if (balanceGraph != nullptr && product.getParameterRecord(kAnalysis).getValue() != 0.0f)
        m_textBalanceReadout.setText(balanceGraph->getReadoutText(), VkJuceButton::allStates);
}

void LatiphonixEditor::showParameterText(const juce::String& text, int index)
{
    juce::String shown = text;
    if (index == kPhaseShift || index == kPhaseInvert)
        shown = "Phase Shift: " + editor_rules::phaseText(editor_rules::phaseFrame(m_dragPhase.getValue()));
    else if (index == kPresetNext || index == kPresetPrevious)
        shown = m_textEditPresetName.getText();
    // A text too wide even for the smallest font (a long preset name) is cut to fit, with "..." at its end.
    if (auto* smallest = getOglComponent().getFont(0); smallest != nullptr)
    {
        char cut[256];
        shown = juce::String::fromUTF8(
            vk::fitNameToWidth(*smallest, shown.toRawUTF8(), m_textReadout.getWidth(), cut, sizeof(cut)));
    }
    m_textReadout.setText(shown, VkJuceButton::allStates);
}

void LatiphonixEditor::controlValueChanged(VkJuceControl* control)
{
    if (control == &m_dragPhase)
        writePhaseFromControl();
    else if (control == &m_btnAutoInvisibleOverlay)
        autoLevelClicked();
    else if (control == &m_textEditPresetName)
        presetNameTyped();
    vk::VkJuceEditorBase::controlValueChanged(control);
}

void LatiphonixEditor::controlDragStarted(VkJuceControl* control)
{
    if (control == &m_dragPhase && phaseGestureDepth++ == 0)
    {
        for (int index : {kPhaseInvert, kPhaseShift})
        {
            product.getParameterRecord(index).gestureHeld.store(true);
            product.queueParameterChange(index, false, true);
        }
        product.beginNewTransaction();
    }
    vk::VkJuceEditorBase::controlDragStarted(control);
}

void LatiphonixEditor::controlDragEnded(VkJuceControl* control)
{
    if (control == &m_dragPhase && phaseGestureDepth > 0 && --phaseGestureDepth == 0)
        endPhaseGestures();
    vk::VkJuceEditorBase::controlDragEnded(control);
}

void LatiphonixEditor::endPhaseGestures()
{
    for (int index : {kPhaseInvert, kPhaseShift})
    {
        product.getParameterRecord(index).gestureHeld.store(false);
        product.endParameterGesture(index);
    }
}
