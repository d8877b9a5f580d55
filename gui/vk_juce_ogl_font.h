#pragma once

#include "font_metrics_table.h"
#include "vk_ogl_component_texture.h"
#include "vk_ogl_component_user.h"

#include <juce_graphics/juce_graphics.h>

namespace vk
{

class VkOglComponent;

/** One bitmap font: a glyph image and the table that says where each glyph lies in it.

    Text is drawn as one textured quad per code point. [render thread] drawing. [message thread] load.
*/
class VkJuceOglFont : public VkOglComponentUser
{
public:
    enum Justification : uint32_t
    {
        left = 0,
        right = 1,
        centred = 2
    };

    VkJuceOglFont() = default;

    void setOglOwner(VkOglEditorOwner* editor) override;

    /** [message thread] ownerComponent may be null; a null table leaves the font without glyphs. */
    void load(const char* resourceName, const FontMetricsTable* table, VkOglComponent* ownerComponent);

    /** [any thread] Sum of the advances of the UTF-8 text's code points; 0 without metrics. */
    int measureText(const char* utf8) const;
    int getLineHeight() const { return metrics != nullptr ? metrics->getLineHeight() : 0; }

    /** [render thread] widthText, when not empty, is measured for the justification instead of text, so that
        changing texts keep one position. Draws nothing when the font has no glyph image. */
    void drawText(juce::Rectangle<int> rect, const char* utf8, uint32_t justification, const char* widthText);
    void drawTextInColour(juce::Rectangle<int> rect, const char* utf8, juce::Colour colour);

    const FontMetricsTable* getMetrics() const noexcept { return metrics; }
    VkOglComponentTexture& getTexture() noexcept { return glyphTexture; }
    const juce::String& getName() const noexcept { return name; }

private:
    const FontMetricsTable* metrics = nullptr;
    VkOglComponentTexture glyphTexture;
    juce::String name{"<font>"};
};

} // namespace vk
