#include "vk_ogl_child_component.h"

#include "vk_ogl_component.h"

namespace vk
{

juce::CriticalSection& getRenderTreeLock()
{
    static juce::CriticalSection lock;
    return lock;
}

void RenderChildList::rebuildFrom(const juce::Component& parent)
{
    std::vector<VkOglChildComponent*> fresh;
    fresh.reserve((size_t)parent.getNumChildComponents());
    for (auto* c : parent.getChildren())
        if (auto* ogl = dynamic_cast<VkOglChildComponent*>(c))
            fresh.push_back(ogl);
    const juce::ScopedLock sl(getRenderTreeLock());
    children.swap(fresh);
}

void RenderChildList::remove(const VkOglChildComponent* child)
{
    const juce::ScopedLock sl(getRenderTreeLock());
    children.erase(std::remove(children.begin(), children.end(), child), children.end());
}

VkOglChildComponent::VkOglChildComponent(const juce::String& componentName)
{
    setName(componentName);
}

VkOglChildComponent::~VkOglChildComponent()
{
    // juce's own removal from the parent comes later, after this object is gone; the render walk must
    // forget it now.
    if (auto* parent = getParentComponent())
    {
        if (auto* oglParent = dynamic_cast<VkOglChildComponent*>(parent))
            oglParent->getRenderChildren().remove(this);
        else if (auto* top = dynamic_cast<VkOglComponent*>(parent))
            top->getRenderChildren().remove(this);
    }
}

void VkOglChildComponent::childrenChanged()
{
    renderChildren.rebuildFrom(*this);
}

void VkOglChildComponent::renderTree(int elapsedMs)
{
    VkOglComponent* top = oglComponent;
    if (top == nullptr)
        return;
    GlApi& gl = top->getGlApi();
    top->getStateCache().resetDefaults();
    gl.pushMatrix();
    gl.translatef((float)getX(), (float)getY(), 0.0f);

    // The matrix and the flag are restored even when a component's drawing throws.
    struct Restore
    {
        VkOglChildComponent& c;
        GlApi& g;
        ~Restore()
        {
            c.setRenderingNow(false);
            g.popMatrix();
        }
    } restore{*this, gl};

    if (isVisible())
    {
        setRenderingNow(true);
        render(elapsedMs);
        setRenderingNow(false);
        for (auto* child : renderChildren.get())
            if (child->isVisible())
                child->renderTree(elapsedMs);
    }
}

} // namespace vk
