#include "formats/vst3/vst3_editor_view.h"

#include "formats/vst3/vst3_controller.h"
#include "processor/vk_processor_base.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include <pluginterfaces/gui/iplugview.h>

#include <cstring>
#include <utility>

namespace Steinberg::Vst
{

VST3ContentWrapper::VST3ContentWrapper(VST3Editor& view, juce::AudioProcessorEditor* editor)
    : m_view(&view), m_editor(editor)
{
    setOpaque(true);
    m_editor->setOpaque(true);
    setVisible(true);
    setSize(m_editor->getWidth(), m_editor->getHeight());
    m_editor->setTopLeftPosition(0, 0);
    setBroughtToFrontOnMouseClick(true);
    addAndMakeVisible(m_editor.get());
}

VST3ContentWrapper::~VST3ContentWrapper()
{
    if (m_editor != nullptr)
    {
        juce::PopupMenu::dismissAllActiveMenus();
        m_editor->processor.editorBeingDeleted(m_editor.get());
        removeChildComponent(m_editor.get());
        m_editor.reset();
    }
}

void VST3ContentWrapper::resized()
{
    followEditor();
}

void VST3ContentWrapper::childBoundsChanged(juce::Component* child)
{
    if (child == m_editor.get())
        followEditor();
}

void VST3ContentWrapper::followEditor()
{
    if (m_editor == nullptr)
        return;
    // The host's frame first, so that it is never asked for a size the editor does not have.
    if (m_view != nullptr)
        m_view->editorResized(m_editor->getWidth(), m_editor->getHeight());
    setSize(m_editor->getWidth(), m_editor->getHeight());
    m_editor->setTopLeftPosition(0, 0);
}

VST3Editor::VST3Editor(VST3Controller& controller, std::shared_ptr<vk::vst3::ProcessorLink> link)
    : m_controller(&controller), m_link(std::move(link))
{
}

VST3Editor::~VST3Editor()
{
    if (m_controller != nullptr)
        m_controller->viewGone(this);
    {
        vk::vst3::MessageThreadScope scope;
        closeContent();
    }
    m_runLoopOffer = {};
}

tresult PLUGIN_API VST3Editor::isPlatformTypeSupported(FIDString type)
{
    // Linux hosts embed plug-in views in an X window; the other platforms' types have no use here.
    return type != nullptr && std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue
                                                                                    : kResultFalse;
}

tresult PLUGIN_API VST3Editor::attached(void* parent, FIDString type)
{
    if (isPlatformTypeSupported(type) != kResultTrue || m_controller == nullptr)
        return kResultFalse;
    // The frame's run loop (when it offers one) drives the framework while the editor is open.
    if (!m_runLoopOffer.offersRunLoop())
        m_runLoopOffer = vk::vst3::RunLoopOffer(plugFrame);

    vk::vst3::MessageThreadScope scope;
    if (m_content == nullptr)
    {
        auto* processor = linkedProcessor();
        // The processor has one editor: while another view shows it, this one gets none (two owners would
        // both delete it).
        if (processor != nullptr && processor->getActiveEditor() != nullptr)
            return kResultFalse;
        // The processor is deleted on the message thread, which this thread is until the scope ends.
        auto* editor = processor != nullptr ? processor->createEditorIfNeeded() : nullptr;
        if (editor == nullptr)
            return kResultFalse;
        m_content = std::make_unique<VST3ContentWrapper>(*this, editor);
        m_link->closeEditor = [this] { closeContent(); };
    }
    if (parent == nullptr)
        return kResultFalse;
    m_content->addToDesktop(0, parent);
    return CPluginView::attached(parent, type);
}

tresult PLUGIN_API VST3Editor::removed()
{
    {
        vk::vst3::MessageThreadScope scope;
        closeContent();
    }
    m_runLoopOffer = {};
    return CPluginView::removed();
}

tresult PLUGIN_API VST3Editor::getSize(ViewRect* size)
{
    if (size == nullptr)
        return kInvalidArgument;
    if (m_content == nullptr && rect.getWidth() == 0 && rect.getHeight() == 0)
    {
        vk::vst3::MessageThreadScope scope;
        if (auto* processor = linkedProcessor())
        {
            const auto* open = processor->getActiveEditor();
            const auto bounds =
                open != nullptr ? open->getLocalBounds() : processor->getInitialEditorBounds();
            rect = ViewRect(0, 0, bounds.getWidth(), bounds.getHeight());
        }
    }
    return CPluginView::getSize(size);
}

tresult PLUGIN_API VST3Editor::onSize(ViewRect* newSize)
{
    if (newSize == nullptr)
        return kInvalidArgument;
    // The editor keeps its own size: the host's frame learns it again when it asks for another.
    vk::vst3::MessageThreadScope scope;
    if (m_content != nullptr &&
        (newSize->getWidth() != m_content->getWidth() || newSize->getHeight() != m_content->getHeight()))
        editorResized(m_content->getWidth(), m_content->getHeight());
    else
        rect = *newSize;
    return kResultOk;
}

tresult PLUGIN_API VST3Editor::checkSizeConstraint(ViewRect* newSize)
{
    if (newSize == nullptr)
        return kInvalidArgument;
    vk::vst3::MessageThreadScope scope;
    if (m_content == nullptr)
        return kResultFalse;
    *newSize = ViewRect(newSize->left, newSize->top, newSize->left + m_content->getWidth(),
                        newSize->top + m_content->getHeight());
    return kResultTrue;
}

void VST3Editor::editorResized(int width, int height)
{
    ViewRect wanted(0, 0, width, height);
    if (plugFrame != nullptr && !m_askingFrame && (rect.getWidth() != width || rect.getHeight() != height))
    {
        // A host may answer with onSize from inside its resizeView. The frame is asked without the
        // message-thread part, so it is kept for the call.
        const juce::ScopedValueSetter<bool> asking(m_askingFrame, true);
        rect = wanted;
        const IPtr<IPlugFrame> frame(plugFrame);
        const vk::vst3::HostCallScope call;
        if (call.allowed())
            frame->resizeView(this, &wanted);
    }
    rect = ViewRect(0, 0, width, height);
}

void VST3Editor::controllerGone()
{
    {
        vk::vst3::MessageThreadScope scope;
        closeContent();
    }
    m_controller = nullptr;
    m_runLoopOffer = {};
}

VkJuceProcessorBase* VST3Editor::linkedProcessor() const
{
    if (m_link == nullptr)
        return nullptr;
    std::lock_guard<std::mutex> guard(m_link->lock);
    return m_link->processor;
}

void VST3Editor::closeContent()
{
    auto content = std::move(m_content);
    if (content == nullptr)
        return;
    // Only the view that shows the editor holds the link's closer; a refused view leaves it alone.
    if (m_link != nullptr)
        m_link->closeEditor = nullptr;
    content->detachFromView();
    content->removeFromDesktop();
    // The message thread may be inside the content, waiting for the host's frame: the content
    // goes once that call has unwound.
    if (vk::vst3::messageThreadIsInHostCall())
        vk::vst3::postToMessageThread([raw = content.release()] { delete raw; });
    else
        content.reset();
}

} // namespace Steinberg::Vst
