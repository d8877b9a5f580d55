#include "vk_ogl_component_user.h"

#include "vk_ogl_component.h"
#include "vk_ogl_editor_owner.h"

#include <juce_core/juce_core.h>

namespace vk
{

void VkOglComponentUser::setOglOwner(VkOglEditorOwner* editor)
{
    if (editor == owner)
        return;
    if (owner != nullptr)
        while (isRenderingNow())
            juce::Thread::sleep(1);
    owner = editor;
    oglComponent = editor != nullptr ? &editor->getOglComponent() : nullptr;
}

VkJuceProcessorBase* VkOglComponentUser::getProcessor() const
{
    return owner != nullptr ? owner->getProcessor() : nullptr;
}

} // namespace vk
