#include "vk_juce_editor_base.h"

#include "vk_juce_ogl_font.h"

#include "platform/vk_message_box.h"
#include "processor/vk_profiler.h"
#include "processor/vk_registry.h"

#include <algorithm>
#include <utility>

namespace vk
{

namespace
{
// Once per process, not per editor: a host that opens several editors warns the user once.
std::atomic<bool> newerSessionWarned{false};
std::atomic<bool> openGlWarned{false};
std::atomic<bool> openGlChecked{false};

// The "do not show again" answer of the OpenGL warning is the product key's unnamed value.
const char* const openGlWarningSettingName = "";

constexpr const char* timerCaller = "void __cdecl VkJuceEditorBase::timerCallback(void)";
constexpr const char* updateCaller = "void __cdecl VkJuceEditorBase::updateGui(void)";

int versionFromValue(float value) noexcept
{
    return std::min((int)(value * 1000.0f + 0.5f), 1000);
}
} // namespace

VkJuceEditorBase::VkJuceEditorBase(VkJuceProcessorBase& processorToEdit, GlApi* headlessApi)
    : VkJuceAudioProcessorEditor(processorToEdit), processor(processorToEdit), oglComponent(headlessApi)
{
    oglComponent.setName("Base OpenGL Component");
    addAndMakeVisible(oglComponent);
    oglComponent.setOglOwner(this);

    screenDisablePlugin.setOglOwner(this);
    screenDisablePlugin.setFillColour(juce::Colours::transparentBlack, VkJuceButton::allStates);
    addControl(&screenDisablePlugin, -1);
    screenDisablePlugin.setVisible(false);

    menu.setOwner(this);
}

VkJuceEditorBase::~VkJuceEditorBase()
{
    endOpenGestures();
    // No frame and no tick may run into a half-destroyed editor.
    oglComponent.stopRenderThread();
    stopTimer();
    // Controls the product still holds must not call back into this editor. Moved, not copied: a
    // destructor must not ask for memory it may not get.
    const auto placed = std::move(placedControls);
    placedControls.clear();
    attachedControls.clear();
    for (auto* control : placed)
    {
        control->removeListener(this);
        control->setOglOwner(nullptr);
    }
}

void VkJuceEditorBase::endOpenGestures() noexcept
{
    // Destructors call this: without the memory to walk the controls, their gestures stay open.
    try
    {
        // A copy: ending a gesture runs listeners, which may change the lists.
        const auto placed = placedControls;
        for (auto* control : placed)
            if (std::find(placedControls.begin(), placedControls.end(), control) != placedControls.end())
                control->cancelChangeGesture();
    }
    catch (...)
    {
    }
}

void VkJuceEditorBase::addControl(VkJuceControl* control, int zOrder)
{
    if (control == nullptr)
        return;
    // Owner and visibility are set while the control is out of the render walk: a frame reads both.
    oglComponent.removeChildComponent(control);
    control->setOglOwner(this);
    control->setVisible(true);
    oglComponent.addChildComponent(control, zOrder);
    if (std::find(placedControls.begin(), placedControls.end(), control) == placedControls.end())
        placedControls.push_back(control);
}

void VkJuceEditorBase::addHiddenControl(VkJuceControl* control)
{
    if (control == nullptr)
        return;
    control->setOglOwner(this);
    oglComponent.addChildComponent(control, -1);
    if (std::find(placedControls.begin(), placedControls.end(), control) == placedControls.end())
        placedControls.push_back(control);
}

void VkJuceEditorBase::registerControl(VkJuceControl* control)
{
    if (control == nullptr)
        return;
    const auto found = std::find(attachedControls.begin(), attachedControls.end(), control);
    if (control->getParameterIndex() == VkJuceControl::noParameter)
    {
        if (found != attachedControls.end())
            attachedControls.erase(found);
    }
    else if (found == attachedControls.end())
    {
        attachedControls.push_back(control);
    }
    if (std::find(placedControls.begin(), placedControls.end(), control) == placedControls.end())
        placedControls.push_back(control);
}

void VkJuceEditorBase::forgetControl(VkJuceControl* control)
{
    attachedControls.erase(std::remove(attachedControls.begin(), attachedControls.end(), control),
                           attachedControls.end());
    placedControls.erase(std::remove(placedControls.begin(), placedControls.end(), control),
                         placedControls.end());
}

bool VkJuceEditorBase::isControlRegistered(const VkJuceControl* control) const
{
    return std::find(attachedControls.begin(), attachedControls.end(), control) != attachedControls.end();
}

bool VkJuceEditorBase::setBackgroundImage(const void* data, size_t size)
{
    if (data == nullptr || size == 0)
        return false;
    const juce::Image decoded = juce::ImageFileFormat::loadFrom(data, size);
    if (decoded.isNull())
        return false;
    backgroundImage = decoded;
    oglComponent.getBackground().setImage(backgroundImage);
    return true;
}

void VkJuceEditorBase::showParameterValue(int index)
{
    if (index == VkJuceControl::noParameter || !processor.isParameterStoredInProgram(index))
        return;
    showParameterText(processor.getParameterName(index) + ": " + processor.getParameterText(index), index);
}

void VkJuceEditorBase::startEditorTimer()
{
    // [render thread] juce::Timer guards its own list, so starting from here is safe; the flag answers the
    // renderer's question without touching the timer's fields.
    if (!timerRequested.exchange(true))
        startTimer(timerIntervalMs);
}

void VkJuceEditorBase::updateLayout(bool disabled)
{
    {
        // Frames read component bounds during their walk; a change falls between two walks.
        const juce::ScopedLock sl(oglComponent.getRenderTreeLock());
        screenDisablePlugin.setBounds(getLocalBounds());
    }
    screenDisablePlugin.setFillColour(juce::Colours::transparentBlack, VkJuceButton::allStates);
    if (disabled && !screenDisablePlugin.isVisible())
        addControl(&screenDisablePlugin, -1);
    else
        screenDisablePlugin.setVisible(disabled);
}

void VkJuceEditorBase::timerCallback()
{
    ScopedReadWriteGuard guard(editorLock, ScopedReadWriteGuard::exclusive, ScopedReadWriteGuard::oneAttempt,
                               timerCaller);
    if (!guard.isAcquired())
        return;
    updateLayout(processor.isEditorVendorFlagRaised());
    if (processor.isRefreshAllPending())
    {
        processor.setRefreshAll(false);
        updateGui();
    }
    onTimerTick();
}

void VkJuceEditorBase::updateGui()
{
    ScopedReadWriteGuard guard(oglComponent.getLock(), ScopedReadWriteGuard::shared,
                               ScopedReadWriteGuard::oneAttempt, updateCaller);
    if (!guard.isAcquired())
        return;
    auto* item = processor.getProfiler().getItem(VkJuceProfiler::kEditorUpdateGui);
    VkJuceScopedProfile profile(*item);

    updateControls();
    updateMenuAndProgramState();
    updateProductControls();
    processor.clearGuiDirtyFlags();

    const int last = processor.takeLastChangedParameter(VkJuceControl::noParameter);
    if (last != VkJuceControl::noParameter)
        showParameterValue(last);

    checkParamMapVersions();
}

void VkJuceEditorBase::updateControls()
{
    // A copy: setting a value may make a control re-register.
    const auto controls = attachedControls;
    for (auto* control : controls)
    {
        const int index = control->getParameterIndex();
        if (index == VkJuceControl::noParameter)
            continue;
        const float v = processor.getParameterRecord(index).getValue();
        control->setValue(control->isInverted() ? 1.0f - v : v, false);
    }
}

void VkJuceEditorBase::updateMenuAndProgramState()
{
    auto& showMenu = processor.getParameterRecord(processor.getShowMenuParameterId());
    if (showMenu.guiDirty.load())
        menu.setOpen(showMenu.getValue() != 0.0f);

    if (!processor.isPresetFileMode())
        return;
    const int current = processor.getCurrentProgram();
    const juce::String name = processor.getProgramName(current);
    if (!name.endsWithChar('*') && processor.isProgramModified())
        processor.changeProgramName(current, name + "*");
}

void VkJuceEditorBase::checkParamMapVersions()
{
    checkOneMapVersion(processor.getPersistentParamMapVersionParameterId(),
                       processor.getRunningPersistentParamMapVersion(), true);
    checkOneMapVersion(processor.getParamMapVersionParameterId(), processor.getRunningParamMapVersion(),
                       false);
}

void VkJuceEditorBase::checkOneMapVersion(int index, int running, bool persistent)
{
    if (!processor.isParamMapVersionKnown(persistent))
    {
        // Not a user edit: the write is part of the session's state.
        processor.writeParamMapVersion(index, 0.001f);
        processor.setParamMapVersionKnown(persistent);
    }
    const int stored = versionFromValue(processor.getParameterRecord(index).getValue());
    if (stored < running)
    {
        for (int v = stored; v < running; ++v)
            processor.upgradeParamMap(v, persistent);
        processor.writeParamMapVersion(index, (float)std::min(running, 1000) / 1000.0f);
    }
    else if (!persistent && stored > running && !newerSessionWarned.exchange(true))
    {
        // Posted, so that the box opens after the tick has released the editor and OpenGL locks.
        juce::MessageManager::callAsync(
            [] { platform::showNoticeAsync("WARNING", getNewerSessionWarningText(), false, {}); });
    }
}

juce::String VkJuceEditorBase::getNewerSessionWarningText()
{
    return juce::String(" This session was saved with a newer version of ") +
           VkJuceProcessorBase::getProductKey() + " than the one you have installed." +
           "You may lose session data if saving out with this plugin. " +
           " Please update to the latest version. ";
}

bool VkJuceEditorBase::isOpenGlDriverTooOld(const juce::String& version, const juce::String& extensions)
{
    const int major = version.upToFirstOccurrenceOf(".", false, false).trim().getIntValue();
    return major < 2 && !extensions.contains("GL_ARB_texture_non_power_of_two");
}

void VkJuceEditorBase::resetOncePerProcessWarningsForTests()
{
    newerSessionWarned.store(false);
    openGlWarned.store(false);
    openGlChecked.store(false);
}

VkJuceProfilerItem* VkJuceEditorBase::getRenderProfilerItem()
{
    auto& profiler = processor.getProfiler();
    return profiler.isEnabled() ? profiler.getItem(VkJuceProfiler::kEditorRender) : nullptr;
}

void VkJuceEditorBase::checkOpenGlDriver()
{
    // Only a real context can answer; a test's recording table cannot.
    if (openGlChecked.load() || !oglComponent.isContextReady() ||
        oglComponent.getContext().getRawContext() == nullptr || openGlChecked.exchange(true))
        return;
    const auto* ext = juce::gl::glGetString(juce::gl::GL_EXTENSIONS);
    const auto* ver = juce::gl::glGetString(juce::gl::GL_VERSION);
    const juce::String extensions(ext != nullptr ? (const char*)ext : "");
    const juce::String version(ver != nullptr ? (const char*)ver : "");
    if (!isOpenGlDriverTooOld(version, extensions) || openGlWarned.exchange(true))
        return;

    // [render thread] Nothing here may block: the settings are read and the box is shown on the message
    // thread, later.
    juce::MessageManager::callAsync([] { showOpenGlDriverWarning(); });
}

void VkJuceEditorBase::showOpenGlDriverWarning()
{
    const auto logResult = [](int result)
    {
        juce::Logger::writeToLog("OpenGL incompatibility detected, windows message returned: " +
                                 juce::String(result));
    };
    if (vk::registry::readProductString(openGlWarningSettingName) == "1")
    {
        logResult(-1); // the box's default result when the user asked not to see it again
        return;
    }
    platform::showNoticeAsync(
        "Warning",
        "The plugin has detected that your graphics driver does not support OpenGL2.0 and above. If your "
        "plugin does not look right, please update your graphics drivers. ",
        true,
        [logResult](bool doNotShowAgain)
        {
            if (doNotShowAgain)
                vk::registry::writeProductString(openGlWarningSettingName, "1");
            logResult(1);
        });
}

void VkJuceEditorBase::drawDebugOverlay()
{
    juce::StringArray lines;
    auto& profiler = processor.getProfiler();
    if (profiler.isEnabled())
        for (int i = 0; i < profiler.getNumItems(); ++i)
            if (auto* item = profiler.getItem(i))
                lines.add(item->getReportLine());

    checkOpenGlDriver();

    if (!lines.isEmpty())
    {
        auto& cache = oglComponent.getStateCache();
        cache.setTexturing(false);
        cache.setBlending(true);
        cache.setColour(juce::Colour((uint8_t)0, (uint8_t)0, (uint8_t)0, (uint8_t)150));
        cache.apply();
        oglComponent.getGlApi().recti(0, 0, 320, lines.size() * 12 + 20);
        if (auto* font = oglComponent.getFontForSize(10))
            for (int i = 0; i < lines.size(); ++i)
                font->drawTextInColour({10, 10 + 12 * i, 300, 12}, lines[i].toRawUTF8(),
                                       juce::Colours::white);
    }
    drawOverlayHook();
}

void VkJuceEditorBase::controlDragStarted(VkJuceControl* control)
{
    const int index = control->getParameterIndex();
    if (index == VkJuceControl::noParameter)
        return;
    processor.getParameterRecord(index).gestureHeld.store(true);
    processor.queueParameterChange(index, false, true);
    processor.beginNewTransaction();
}

void VkJuceEditorBase::controlValueChanged(VkJuceControl* control)
{
    const int index = control->getParameterIndex();
    if (index == VkJuceControl::noParameter)
        return;
    const float v = control->isInverted() ? 1.0f - control->getValue() : control->getValue();
    auto& record = processor.getParameterRecord(index);
    if (v != record.getValue())
    {
        if (control->isInGesture())
        {
            record.gestureHeld.store(true);
            processor.setParameterInternal(index, v, true, false, false);
        }
        else
        {
            // A change without a gesture (typed text, a wheel notch of a control that opens none) is its
            // own undo step and reaches the host as a complete begin/end pair.
            processor.beginNewTransaction();
            record.gestureHeld.store(true);
            processor.setParameterInternal(index, v, true, false, false);
            record.gestureHeld.store(false);
            processor.endParameterGesture(index);
        }
    }

    if (index == processor.getProfilingParameterId())
    {
        processor.getProfiler().setEnabled(processor.getParameterRecord(index).getValue() != 0.0f);
        processor.setParameterInternal(processor.getShowMenuParameterId(), 0.0f, true, false, false);
    }
}

void VkJuceEditorBase::controlDragEnded(VkJuceControl* control)
{
    const int index = control->getParameterIndex();
    if (index == VkJuceControl::noParameter)
        return;
    processor.getParameterRecord(index).gestureHeld.store(false);
    processor.endParameterGesture(index);
}

void VkJuceEditorBase::resized()
{
    {
        const juce::ScopedLock sl(oglComponent.getRenderTreeLock());
        oglComponent.setBounds(getLocalBounds());
    }
    oglComponent.setProjectionDirty();
    menu.refresh();
}

} // namespace vk
