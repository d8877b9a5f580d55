#include "vk_juce_ogl_font.h"

#include "utf8_decoder.h"
#include "vk_ogl_component.h"

namespace vk
{

void VkJuceOglFont::setOglOwner(VkOglEditorOwner* editor)
{
    VkOglComponentUser::setOglOwner(editor);
    glyphTexture.setOglOwner(editor);
}

void VkJuceOglFont::load(const char* resourceName, const FontMetricsTable* table,
                         VkOglComponent* ownerComponent)
{
    if (ownerComponent != nullptr)
        setOglOwner(ownerComponent->getOglOwner());
    metrics = table;
    if (table != nullptr)
    {
        name = resourceName;
        glyphTexture.loadFromResource(resourceName);
    }
}

int VkJuceOglFont::measureText(const char* utf8) const
{
    if (metrics == nullptr || utf8 == nullptr)
        return 0;
    int width = 0;
    const char* p = utf8;
    while (*p != 0)
        width += (int)metrics->getAdvance(decodeUtf8AndAdvance(p));
    return width;
}

void VkJuceOglFont::drawText(juce::Rectangle<int> rect, const char* utf8, uint32_t justification,
                             const char* widthText)
{
    if (metrics == nullptr || oglComponent == nullptr || utf8 == nullptr || *utf8 == 0)
        return;
    auto& cache = oglComponent->getStateCache();
    GlApi& gl = oglComponent->getGlApi();
    cache.saveRequested();

    const int lineHeight = metrics->getLineHeight();
    int x = rect.getX();
    const int y = rect.getY() + (rect.getHeight() - lineHeight) / 2;
    if (justification == right || justification == centred)
    {
        const bool useWidthText = widthText != nullptr && *widthText != 0;
        int offset = rect.getWidth() - measureText(useWidthText ? widthText : utf8);
        if (justification == centred)
            offset /= 2;
        x += offset;
    }

    glyphTexture.upload(*this);
    // Without a glyph image the quads would come out as solid boxes; such a font draws nothing.
    if (glyphTexture.getTextureId() != 0)
    {
        const float su = glyphTexture.getTexelWidth();
        const float sv = glyphTexture.getTexelHeight();
        const float top = (float)y;
        const float bottom = (float)(y + lineHeight);
        cache.apply();
        gl.begin(GlEnum::quads);
        const char* p = utf8;
        while (*p != 0)
        {
            const GlyphRect g = metrics->getGlyph(decodeUtf8AndAdvance(p));
            gl.texCoord2f((float)g.x1 * su, (float)g.y1 * sv);
            gl.vertex2f((float)x, top);
            gl.texCoord2f((float)g.x1 * su, (float)g.y2 * sv);
            gl.vertex2f((float)x, bottom);
            x += g.x2 - g.x1;
            gl.texCoord2f((float)g.x2 * su, (float)g.y2 * sv);
            gl.vertex2f((float)x, bottom);
            gl.texCoord2f((float)g.x2 * su, (float)g.y1 * sv);
            gl.vertex2f((float)x, top);
        }
        gl.end();
    }
    cache.restoreRequested();
}

void VkJuceOglFont::drawTextInColour(juce::Rectangle<int> rect, const char* utf8, juce::Colour colour)
{
    if (oglComponent == nullptr)
        return;
    oglComponent->getStateCache().setColour(colour);
    drawText(rect, utf8, left, "");
}

} // namespace vk
