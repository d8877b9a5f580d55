#pragma once

#include "controls/vk_juce_button.h"
#include "controls/vk_juce_control.h"
#include "menu/vk_juce_menu.h"
#include "named_read_write_lock.h"
#include "vk_juce_audio_processor_editor.h"
#include "vk_ogl_component.h"
#include "vk_ogl_editor_owner.h"

#include "processor/vk_channel_user.h"
#include "processor/vk_processor_base.h"

#include <atomic>
#include <vector>

namespace vk
{

/** The framework's editor: owns the OpenGL component that draws everything, the editor lock and the list of
    bound controls, and connects controls and processor both ways.

    A control's gesture becomes one host gesture and one undo transaction; its value changes become
    parameter changes. A 30 ms timer, started by the first rendered frame, brings changes made elsewhere (host
    automation, undo, programs) back into the controls and checks the parameter-map versions.

    [message thread] construction, destruction, timer, control listener, updates, layout.
    [render thread] drawDebugOverlay, startEditorTimer, isEditorTimerRunning, getRenderProfilerItem.
*/
class VkJuceEditorBase : public VkJuceAudioProcessorEditor,
                         public VkJuceControl::Listener,
                         public juce::Timer,
                         public ::VkJuceChannelUser,
                         public VkOglEditorOwner
{
public:
    static constexpr int timerIntervalMs = 30;

    /** headlessApi: draw through this table without an OpenGL context (tests); null = the real context. */
    explicit VkJuceEditorBase(VkJuceProcessorBase& processor, GlApi* headlessApi = nullptr);
    ~VkJuceEditorBase() override;

    /** Puts the control into the OpenGL component, visible, at the z-order (-1 = on top), owned by this
        editor. */
    void addControl(VkJuceControl* control, int zOrder);
    /** Adds the control to the OpenGL component without showing it. */
    void addHiddenControl(VkJuceControl* control);
    /** Keeps the list of bound controls in step with the control's parameter index. */
    void registerControl(VkJuceControl* control);
    /** A control going away: it leaves every list of this editor. */
    void forgetControl(VkJuceControl* control);
    bool isControlRegistered(const VkJuceControl* control) const;
    /** Decodes the image and gives it to the OpenGL component's background. False for undecodable data. */
    bool setBackgroundImage(const void* data, size_t size);
    /** For a parameter stored in programs: "name: text" to showParameterText. 9999 shows nothing. */
    void showParameterValue(int index);

    //==================================================================================================
    // Operations a product editor refines.
    virtual void showParameterText(const juce::String& text, int index) { juce::ignoreUnused(text, index); }
    void startEditorTimer() override;
    /** The disabling screen covers the editor and takes every mouse event while disabled. */
    virtual void updateLayout(bool disabled);
    void drawDebugOverlay() override;
    /** [render thread] Called at the end of drawDebugOverlay. */
    virtual void drawOverlayHook() {}
    virtual void updateGui();
    virtual void updateControls();
    virtual void updateMenuAndProgramState();
    virtual void loadBackground() = 0;
    virtual void createDisplays() {}
    virtual void updateProductControls() {}
    virtual void onTimerTick() {}
    virtual void destroyDisplays() {}
    /** Asked by the credits and options screen, which the hooks may add lines to through getMenu(). */
    virtual bool isOptionsSideBySide() const { return false; }
    virtual void addExtraOptions() {}
    virtual juce::StringArray getCreditNames() const { return {}; }
    virtual void addExtraCredits() {}

    //==================================================================================================
    void controlValueChanged(VkJuceControl* control) override;
    void controlDragStarted(VkJuceControl* control) override;
    void controlDragEnded(VkJuceControl* control) override;
    void timerCallback() override;
    void resized() override;

    VkOglComponent& getOglComponent() override { return oglComponent; }
    bool isEditorTimerRunning() const override { return timerRequested.load(); }
    VkJuceProfilerItem* getRenderProfilerItem() override;
    VkJuceProcessorBase* getProcessor() const override { return &processor; }

    VkJuceProcessorBase& getProcessorBase() const noexcept { return processor; }
    NamedReadWriteLock& getEditorLock() noexcept { return editorLock; }
    VkJuceButton& getDisablingScreen() noexcept { return screenDisablePlugin; }
    const juce::Image& getBackgroundImage() const noexcept { return backgroundImage; }
    VkJuceMenu& getMenu() noexcept { return menu; }
    int getNumRegisteredControls() const noexcept { return (int)attachedControls.size(); }

    /** Ends every gesture the editor's controls hold open, so that the host hears the end of a drag the
        editor's closing cuts short. A product editor calls it first in its destructor, while its own
        gesture handling still runs; the base destructor calls it again for the rest. Never throws. */
    void endOpenGestures() noexcept;

    /** Runs the parameter-map version check once (updateGui does it at every update). */
    void checkParamMapVersions();

    /** The text of the warning about a session saved by a newer version. */
    static juce::String getNewerSessionWarningText();
    /** The OpenGL driver is too old: version below 2 and no non-power-of-two textures. */
    static bool isOpenGlDriverTooOld(const juce::String& version, const juce::String& extensions);
    /** [message thread] The warning about an old OpenGL driver, unless the user asked not to see it again;
        logs the answer. */
    static void showOpenGlDriverWarning();
    /** Tests: lets the next editor show the once-per-process warnings again. */
    static void resetOncePerProcessWarningsForTests();

private:
    void checkOneMapVersion(int index, int running, bool persistent);
    void checkOpenGlDriver();

    VkJuceProcessorBase& processor;
    NamedReadWriteLock editorLock{juce::String()};
    VkOglComponent oglComponent;
    VkJuceButton screenDisablePlugin{"m_btnScreenDisablePlugin"};
    juce::Image backgroundImage;
    // After the OpenGL component: its items leave the component's render walk when they go.
    VkJuceMenu menu;
    std::vector<VkJuceControl*> attachedControls;
    // Every control placed in the OpenGL component, so that none keeps this editor after it is gone.
    std::vector<VkJuceControl*> placedControls;
    std::atomic<bool> timerRequested{false};

    JUCE_DECLARE_NON_COPYABLE(VkJuceEditorBase)
};

} // namespace vk
