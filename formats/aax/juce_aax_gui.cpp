#include "formats/aax/juce_aax_gui.h"

#include "formats/aax/aax_host_facing.h"
#include "formats/aax/juce_aax_processor.h"
#include "formats/vst3/vst3_message_thread.h"
#include "processor/vk_processor_base.h"

#include <cstdio>

namespace AAXClasses
{

using namespace vk::aax;

// Holds the processor's editor at the editor's size; its size changes and its parameter mouse events
// travel to the owner until the owner lets go of it.
class JuceAAX_GUI::ContentWrapperComponent final : public juce::Component,
                                                   public juce::AudioProcessorEditorListener
{
public:
    ContentWrapperComponent(JuceAAX_GUI& owner, juce::AudioProcessor& processor)
        : m_owner(&owner), m_processor(processor)
    {
        setOpaque(true);
        m_editor.reset(processor.createEditorIfNeeded());
        if (m_editor != nullptr)
        {
            addAndMakeVisible(*m_editor);
            setBounds(m_editor->getLocalBounds());
        }
        setBroughtToFrontOnMouseClick(true);
    }

    ~ContentWrapperComponent() override
    {
        if (m_editor != nullptr)
        {
            juce::PopupMenu::dismissAllActiveMenus();
            m_processor.editorBeingDeleted(m_editor.get());
            m_editor.reset();
        }
    }

    juce::AudioProcessorEditor* editor() const noexcept { return m_editor.get(); }
    void detachFromOwner() noexcept { m_owner = nullptr; }

    bool handleParameterMouseDown(juce::AudioProcessorEditor* e, const juce::MouseEvent& event,
                                  int index) override
    {
        return m_owner != nullptr && m_owner->handleParameterMouseDown(e, event, index);
    }
    bool handleParameterMouseDrag(juce::AudioProcessorEditor* e, const juce::MouseEvent& event,
                                  int index) override
    {
        return m_owner != nullptr && m_owner->handleParameterMouseDrag(e, event, index);
    }
    bool handleParameterMouseUp(juce::AudioProcessorEditor* e, const juce::MouseEvent& event,
                                int index) override
    {
        return m_owner != nullptr && m_owner->handleParameterMouseUp(e, event, index);
    }

    void paint(juce::Graphics& g) override { g.fillAll(juce::Colours::black); }

    void childBoundsChanged(juce::Component*) override
    {
        if (m_editor == nullptr)
            return;
        const int width = m_editor->getWidth();
        const int height = m_editor->getHeight();
        setSize(width, height);
        if (m_owner != nullptr)
            m_owner->viewSizeChanged(width, height);
    }

private:
    JuceAAX_GUI* m_owner;
    juce::AudioProcessor& m_processor;
    std::unique_ptr<juce::AudioProcessorEditor> m_editor;
};

JuceAAX_GUI::~JuceAAX_GUI()
{
    const vk::vst3::MessageThreadScope messageThread;
    deleteContent();
}

IACFUnknown* JuceAAX_GUI::Create()
{
    return createForHost<JuceAAX_GUI>();
}

std::uint32_t JuceAAX_GUI::modifierWord(const juce::ModifierKeys& modifiers) noexcept
{
    std::uint32_t word = 0;
    if (modifiers.isShiftDown())
        word |= 0x1;
    if (modifiers.isCtrlDown())
        word |= 0x2 | 0x8;
    if (modifiers.isAltDown())
        word |= 0x4;
    if (modifiers.isRightButtonDown())
        word |= 0x10;
    return word;
}

// A new Initialize lets go of the effect's parameters object: the editor that points into it goes first.
Result JuceAAX_GUI::Initialize(IACFUnknown* host)
{
    const vk::vst3::MessageThreadScope messageThread;
    deleteContent();
    return AAX_CEffectGUI::Initialize(host);
}

Result JuceAAX_GUI::Uninitialize()
{
    const vk::vst3::MessageThreadScope messageThread;
    deleteContent();
    return AAX_CEffectGUI::Uninitialize();
}

// Mouse events reach the view container on the message thread; it is replaced only with the message-thread
// part held, and a call under way keeps the one it started with.
Result JuceAAX_GUI::SetViewContainer(IACFUnknown* viewContainer)
{
    const vk::vst3::MessageThreadScope messageThread;
    return AAX_CEffectGUI::SetViewContainer(viewContainer);
}

Result JuceAAX_GUI::GetViewSize(ViewSize* size) const
{
    if (!m_hasContent.load())
        return kResultNoHostInterface;
    if (size == nullptr)
        return kResultNullArgument;
    size->height = m_height.load();
    size->width = m_width.load();
    return kResultOk;
}

void JuceAAX_GUI::CreateViewContents()
{
    if (m_content != nullptr)
        return;
    auto* effect = dynamic_cast<JuceAAX_Processor*>(GetEffectParameters());
    if (effect == nullptr || effect->getProcessor() == nullptr)
        return;
    const vk::vst3::MessageThreadScope messageThread;
    m_content = std::make_unique<ContentWrapperComponent>(*this, *effect->getProcessor());
    m_width.store(float(m_content->getWidth()));
    m_height.store(float(m_content->getHeight()));
    m_hasContent.store(true);
    if (auto* editor = dynamic_cast<vk::VkJuceAudioProcessorEditor*>(m_content->editor()))
        editor->addListener(m_content.get());
}

void JuceAAX_GUI::CreateViewContainer()
{
    CreateViewContents();
    auto* container = GetViewContainer();
    if (m_content == nullptr || container == nullptr)
        return;
    void* nativeWindow = container->GetPtr();
    if (nativeWindow == nullptr || container->GetType() != kViewTypeNativeWindow)
        return;
    const vk::vst3::MessageThreadScope messageThread;
    m_content->setVisible(true);
    m_content->addToDesktop(0, nativeWindow);
}

void JuceAAX_GUI::DeleteViewContainer()
{
    const vk::vst3::MessageThreadScope messageThread;
    deleteContent();
}

void JuceAAX_GUI::deleteContent()
{
    if (m_content == nullptr)
        return;
    m_hasContent.store(false);
    m_content->detachFromOwner();
    m_content->removeFromDesktop();
    // The message thread may be inside the editor, waiting for the host's answer to a mouse event: the
    // content goes once that call has unwound (before the processor, which goes on the same queue).
    if (vk::vst3::messageThreadIsInHostCall())
        vk::vst3::postToMessageThread([content = m_content.release()] { delete content; });
    else
        m_content.reset();
}

void JuceAAX_GUI::viewSizeChanged(int width, int height)
{
    m_width.store(float(width));
    m_height.store(float(height));
    if (const auto container = ViewContainerRef())
    {
        const vk::vst3::HostCallScope call;
        if (call.allowed())
            container->SetViewSize(ViewSize{float(height), float(width)});
    }
}

juce::Component* JuceAAX_GUI::getContent() const noexcept
{
    return m_content.get();
}

juce::AudioProcessorEditor* JuceAAX_GUI::getEditor() const noexcept
{
    return m_content != nullptr ? m_content->editor() : nullptr;
}

bool JuceAAX_GUI::offerToHost(ContainerOperation operation, const juce::MouseEvent& event, int index)
{
    const auto container = ViewContainerRef();
    if (container == nullptr)
        return false;
    char id[16];
    std::snprintf(id, sizeof id, "%d", index);
    const std::uint32_t modifiers = modifierWord(event.mods);
    const vk::vst3::HostCallScope call;
    return call.allowed() && ((*container).*operation)(id, modifiers) == kResultOk;
}

bool JuceAAX_GUI::handleParameterMouseDown(juce::AudioProcessorEditor*, const juce::MouseEvent& event,
                                           int index)
{
    return offerToHost(&AAX_IViewContainer::HandleParameterMouseDown, event, index);
}

bool JuceAAX_GUI::handleParameterMouseDrag(juce::AudioProcessorEditor*, const juce::MouseEvent& event,
                                           int index)
{
    return offerToHost(&AAX_IViewContainer::HandleParameterMouseDrag, event, index);
}

bool JuceAAX_GUI::handleParameterMouseUp(juce::AudioProcessorEditor*, const juce::MouseEvent& event,
                                         int index)
{
    return offerToHost(&AAX_IViewContainer::HandleParameterMouseUp, event, index);
}

} // namespace AAXClasses
