#include "vk_ogl_child_component.h"

#include "vk_ogl_component.h"

#include <optional>

namespace vk
{

namespace
{
/** The render-tree lock of the OpenGL component whose frames walk the tree that c belongs to; null when no
    OpenGL component is above c, which no frame then reaches. The juce parent chain only changes on the
    message thread, which is also the only thread that asks. */
juce::CriticalSection* findRenderTreeLock(const juce::Component& c)
{
    for (auto* p = &c; p != nullptr; p = p->getParentComponent())
        if (auto* top = dynamic_cast<const VkOglComponent*>(p))
            return &const_cast<VkOglComponent*>(top)->getRenderTreeLock();
    return nullptr;
}

RenderChildList* findRenderChildList(juce::Component& c)
{
    if (auto* ogl = dynamic_cast<VkOglChildComponent*>(&c))
        return &ogl->getRenderChildren();
    if (auto* top = dynamic_cast<VkOglComponent*>(&c))
        return &top->getRenderChildren();
    return nullptr;
}
} // namespace

void RenderChildList::rebuild()
{
    std::vector<VkOglChildComponent*> fresh;
    fresh.reserve((size_t)ownerComponent.getNumChildComponents());
    for (auto* c : ownerComponent.getChildren())
        if (auto* ogl = dynamic_cast<VkOglChildComponent*>(c))
            if (!ogl->hasLeftRenderWalk())
                fresh.push_back(ogl);
    std::optional<juce::ScopedLock> sl;
    if (auto* treeLock = findRenderTreeLock(ownerComponent))
        sl.emplace(*treeLock);
    children.swap(fresh);
}

void RenderChildList::remove(const VkOglChildComponent* child)
{
    std::optional<juce::ScopedLock> sl;
    if (auto* treeLock = findRenderTreeLock(ownerComponent))
        sl.emplace(*treeLock);
    children.erase(std::remove(children.begin(), children.end(), child), children.end());
}

VkOglChildComponent::VkOglChildComponent(const juce::String& componentName) : renderChildren(*this)
{
    setName(componentName);
}

VkOglChildComponent::~VkOglChildComponent()
{
    // Too late for a derived class with members of its own (see the class comment), but still needed for one
    // without: juce's own removal from the parent comes after this object is gone.
    leaveRenderWalk();
}

void VkOglChildComponent::leaveRenderWalk()
{
    if (leftRenderWalk)
        return;
    leftRenderWalk = true;
    if (auto* parent = getParentComponent())
        if (auto* list = findRenderChildList(*parent))
            list->remove(this); // under the tree's lock: a frame drawing this component ends first
}

void VkOglChildComponent::childrenChanged()
{
    renderChildren.rebuild();
}

void VkOglChildComponent::renderTree(int elapsedMs)
{
    VkOglComponent* top = oglComponent;
    if (top == nullptr)
        return;
    GlApi& gl = top->getGlApi();
    const auto geometry = renderGeometry.get();
    top->getStateCache().resetDefaults();
    gl.pushMatrix();
    gl.translatef((float)geometry.bounds.getX(), (float)geometry.bounds.getY(), 0.0f);

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

    if (geometry.visible)
    {
        setRenderingNow(true);
        render(elapsedMs);
        setRenderingNow(false);
        for (auto* child : renderChildren.get())
            if (child->isRenderVisible())
                child->renderTree(elapsedMs);
    }
}

} // namespace vk
