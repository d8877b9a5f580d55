#pragma once

// The VST3 editor view: shows the processor's editor inside a content wrapper embedded in the host's
// window. On Linux the host hands over an X window ("X11EmbedWindowID") and a plug frame; the frame's
// run loop, when it offers one, becomes the framework's message thread for as long as the view is
// attached (vst3_message_thread.h), so the editor repaints and takes input while the host idles.
//
// Size: the editor decides it. The content wrapper follows the editor and asks the host's frame to
// follow too (resizeView); the host's own resize requests are answered with the editor's size.
//
// Threads: every view call comes on the host's UI thread; the work on the framework's windows is done
// with that thread as the message thread (MessageThreadScope).

#include "formats/vst3/vst3_framework_lifetime.h"
#include "formats/vst3/vst3_message_thread.h"
#include "formats/vst3/vst3_pairing.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <public.sdk/source/common/pluginview.h>

#include <memory>

namespace Steinberg::Vst
{

class VST3Controller;
class VST3Editor;

// Holds the editor on the desktop, as a child of the host's window. Owns the editor. [message thread]
class VST3ContentWrapper : public juce::Component
{
public:
    // Allocates nothing of its own beyond the component; takes ownership of `editor`.
    VST3ContentWrapper(VST3Editor& view, juce::AudioProcessorEditor* editor);
    ~VST3ContentWrapper() override;

    void resized() override;
    void childBoundsChanged(juce::Component* child) override;

    juce::AudioProcessorEditor* getEditor() const { return m_editor.get(); }
    // The view closes: its size changes no longer reach it.
    void detachFromView() { m_view = nullptr; }

private:
    void followEditor();

    vk::vst3::FrameworkLifetime m_framework;
    VST3Editor* m_view;
    std::unique_ptr<juce::AudioProcessorEditor> m_editor;
};

// The SDK's interfaces have no virtual destructors by design: objects are freed through release().
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class VST3Editor : public CPluginView
{
public:
    VST3Editor(VST3Controller& controller, std::shared_ptr<vk::vst3::ProcessorLink> link);
    ~VST3Editor() override;

    tresult PLUGIN_API isPlatformTypeSupported(FIDString type) SMTG_OVERRIDE;
    tresult PLUGIN_API attached(void* parent, FIDString type) SMTG_OVERRIDE;
    tresult PLUGIN_API removed() SMTG_OVERRIDE;
    // Before the view is attached: the size the processor's editor will open at.
    tresult PLUGIN_API getSize(ViewRect* size) SMTG_OVERRIDE;
    tresult PLUGIN_API onSize(ViewRect* newSize) SMTG_OVERRIDE;
    tresult PLUGIN_API checkSizeConstraint(ViewRect* rect) SMTG_OVERRIDE;

    // The editor has taken this size: the host's frame is asked to follow. [message thread]
    void editorResized(int width, int height);
    // The controller is terminated or gone: the editor closes, the view stays an empty husk until the
    // host releases it. [host UI thread]
    void controllerGone();

    VST3ContentWrapper* getContentWrapper() const { return m_content.get(); }

private:
    // [host UI thread, as message thread]
    void closeContent();
    // The processor while it lives; null once the processor wrapper has cleared the link.
    VkJuceProcessorBase* linkedProcessor() const;

    vk::vst3::FrameworkLifetime m_framework;
    VST3Controller* m_controller;
    std::shared_ptr<vk::vst3::ProcessorLink> m_link;
    vk::vst3::RunLoopOffer m_runLoopOffer;
    std::unique_ptr<VST3ContentWrapper> m_content;
    bool m_askingFrame = false;
};
#pragma GCC diagnostic pop

} // namespace Steinberg::Vst
