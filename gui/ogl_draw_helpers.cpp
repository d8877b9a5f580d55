#include "ogl_draw_helpers.h"

#include "named_resources.h"
#include "vk_ogl_child_component.h"
#include "vk_ogl_component.h"

namespace vk
{

void drawRectOutline(VkOglComponent& target, juce::Rectangle<int> r)
{
    auto& cache = target.getStateCache();
    GlApi& gl = target.getGlApi();
    const int x = r.getX(), y = r.getY(), w = r.getWidth(), h = r.getHeight();
    cache.apply();
    gl.recti(x, y, x + w, y + 1);
    gl.recti(x, y + h - 1, x + w, y + h);
    gl.recti(x, y, x + 1, y + h);
    gl.recti(x + w - 1, y, x + w, y + h);
}

void drawPlaceholderBox(VkOglComponent& target, juce::Rectangle<int> r, int phaseSeed)
{
    auto& cache = target.getStateCache();
    cache.setTexturing(false);
    cache.setColour(juce::Colour((uint8_t)255, (uint8_t)128, (uint8_t)255, (uint8_t)200));
    drawRectOutline(target, r);

    double p = (double)juce::Time::getCurrentTime().getMilliseconds() * 0.001 + (double)phaseSeed / 255.0;
    if (p > 1.0)
        p -= 1.0;
    const auto v = (uint8_t)(int)((p * 0.5 + 0.25) * 255.0);
    cache.setColour(juce::Colour(v, (uint8_t)0, v, (uint8_t)50));
    const auto inner = juce::Rectangle<int>(r.getX() + 1, r.getY() + 1, juce::jmax(0, r.getWidth() - 2),
                                            juce::jmax(0, r.getHeight() - 2));
    cache.apply();
    target.getGlApi().recti(inner.getX(), inner.getY(), inner.getRight(), inner.getBottom());
}

juce::Colour interpolateColour(juce::Colour a, juce::Colour b, float t)
{
    if (t <= 0.0f)
        return a;
    if (t >= 1.0f)
        return b;
    auto mix = [t](uint8_t x, uint8_t y) { return (uint8_t)(int)((float)x * (1.0f - t) + (float)y * t); };
    return juce::Colour(mix(a.getRed(), b.getRed()), mix(a.getGreen(), b.getGreen()),
                        mix(a.getBlue(), b.getBlue()), mix(a.getAlpha(), b.getAlpha()));
}

juce::Rectangle<int> getImageStripFrameBounds(const juce::Image& image, int frame, int count)
{
    if (image.isNull())
        return {};
    if (count < 1)
        return image.getBounds();
    const int frameHeight = image.getHeight() / count;
    return {0, frame * frameHeight, image.getWidth(), frameHeight};
}

juce::Image getImageStripFrame(const juce::Image& image, int frame, int count)
{
    if (image.isNull())
        return {};
    // A frame outside the strip would ask juce for pixels it does not have.
    const auto bounds = getImageStripFrameBounds(image, frame, count).getIntersection(image.getBounds());
    if (bounds.isEmpty())
        return {};
    return image.getClippedImage(bounds);
}

juce::Image getImageFromResource(const juce::String& shortName)
{
    const juce::String full = shortName + "_png";
    int size = 0;
    const void* data = getNamedResource(full.toRawUTF8(), size);
    if (data == nullptr)
        return {};
    return juce::ImageFileFormat::loadFrom(data, (size_t)size);
}

juce::Rectangle<int> getLocalBoundsOf(const juce::Component& c)
{
    // Drawn components answer from their render copy, so that frames never read juce's live bounds; on the
    // message thread the copy equals them.
    if (auto* child = dynamic_cast<const VkOglChildComponent*>(&c))
        return child->getRenderBounds().withZeroOrigin();
    if (auto* top = dynamic_cast<const VkOglComponent*>(&c))
        return top->getRenderBounds().withZeroOrigin();
    return c.getBounds().withZeroOrigin();
}

} // namespace vk
