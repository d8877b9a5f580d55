#pragma once

// The effect GUI of one AAX instance: puts the processor's editor into the window the host provides (on
// Linux an X11 window, embedded as a child as the VST3 view embeds into its host's window), keeps the
// host's view size in step with the editor's, and offers the editor's parameter mouse events to the host
// first, so that the host's own gestures on a parameter (automation shortcuts, control-surface
// assignment) work on the plug-in's controls.
//
// Threads: host calls come on the host's main thread, which takes the message-thread part for them (they
// create, attach and delete JUCE components: vk::vst3::MessageThreadScope); the editor's mouse events and
// size changes arrive on JUCE's message thread, which calls the host's view container without holding that
// part (vk::vst3::HostCallScope), so a host call never waits for a thread that waits for the host. Content
// that the module's thread may be inside of while it calls the host is deleted after that call, on the
// message thread. The content (and with it the editor) always goes before the effect's parameters object
// it points to.

#include "formats/aax/aax_effect_gui.h"
#include "formats/aax/aax_juce_runtime.h"

#include "gui/editor/vk_juce_audio_processor_editor.h"

#include <atomic>
#include <memory>

namespace AAXClasses
{

class JuceAAX_GUI : public vk::aax::AAX_CEffectGUI, public juce::AudioProcessorEditorListener
{
public:
    JuceAAX_GUI() = default;
    ~JuceAAX_GUI() override;

    // The factory procedure (id 1): the new object, with no reference yet, or null.
    static vk::aax::IACFUnknown* Create();

    // The modifier word the host takes with a parameter mouse event: shift 0x1, control 0xA (0x2 | 0x8),
    // alt 0x4, right button 0x10.
    static std::uint32_t modifierWord(const juce::ModifierKeys& modifiers) noexcept;

    vk::aax::Result Initialize(vk::aax::IACFUnknown* host) override;
    vk::aax::Result Uninitialize() override;
    vk::aax::Result SetViewContainer(vk::aax::IACFUnknown* viewContainer) override;
    // -20004 until there is content.
    vk::aax::Result GetViewSize(vk::aax::ViewSize* size) const override;

    void CreateViewContents() override;
    void CreateViewContainer() override;
    void DeleteViewContainer() override;

    // [message thread] True when the host took the event.
    bool handleParameterMouseDown(juce::AudioProcessorEditor*, const juce::MouseEvent& event,
                                  int index) override;
    bool handleParameterMouseDrag(juce::AudioProcessorEditor*, const juce::MouseEvent& event,
                                  int index) override;
    bool handleParameterMouseUp(juce::AudioProcessorEditor*, const juce::MouseEvent& event,
                                int index) override;

    // The content component and the editor in it (null when there is none). [message thread]
    juce::Component* getContent() const noexcept;
    juce::AudioProcessorEditor* getEditor() const noexcept;

private:
    class ContentWrapperComponent;
    using ContainerOperation = vk::aax::Result (vk::aax::AAX_IViewContainer::*)(const char*, std::uint32_t);

    bool offerToHost(ContainerOperation operation, const juce::MouseEvent& event, int index);
    // [message thread held] Removes the content from the desktop and deletes it with its editor (later
    // on the message thread when the module's thread is calling the host).
    void deleteContent();
    // [message thread] The content's size changed: remember it and tell the host.
    void viewSizeChanged(int width, int height);

    // Declared first: JUCE stays up until the content is gone.
    vk::aax::JuceGuiUse m_juce;
    std::unique_ptr<ContentWrapperComponent> m_content;
    std::atomic<bool> m_hasContent{false};
    std::atomic<float> m_width{0.0f};
    std::atomic<float> m_height{0.0f};
};

} // namespace AAXClasses
