#pragma once

#include "vk_juce_button.h"
#include "vk_juce_colour_gradient.h"

namespace vk
{

/** A button whose image is drawn as nine patches: corners at their size, edges stretched along one axis and
    the centre along both, so one small texture fills any size. Optionally each patch is shaded by a
    per-state colour gradient instead of the image tint.

    [message thread] setters, resized. [render thread] drawing.
*/
class VkJuceScalableButton : public VkJuceButton
{
public:
    static constexpr int numCornerColours = 18;

    explicit VkJuceScalableButton(const juce::String& componentName);
    ~VkJuceScalableButton() override;

    void renderHoverOverlay(bool off) override;
    /** Only when the text fits, unless asked to draw it always. */
    void renderText(const juce::String& text, uint32_t justification) override;
    void updateStateRect() override;
    virtual juce::String getTypeName() const { return "ResizableButton"; }
    void resized() override;

    void setBorders(int horizontalBorder, int verticalBorder);
    /** State 0..3; switches the gradient on and rebuilds the corner colours. */
    void setGradient(const VkJuceColourGradient& gradient, int state);
    void setGradientHorizontal(bool horizontal);
    void setDrawTextAlways(bool always) noexcept { drawTextAlways.store(always); }
    bool isDrawingOverlay() const noexcept { return drawingOverlay.load(); }
    /** Corner colour `index` (0..17) of the state; for tests and diagnostics. */
    juce::Colour getCornerColour(int state, int index) const;

private:
    void rebuildCornerColours();
    void drawNinePatches(VkOglComponentTexture& texture, int state, float alpha);

    int borderX = 4, borderY = 4; // only under renderDataLock from here on
    std::array<VkJuceColourGradient, 4> gradients;
    std::atomic<bool> gradientHorizontal{true};
    std::array<float, 4> borderTexCoords{0.0f, 1.0f, 0.0f, 1.0f};
    bool gradientOn = false;
    std::atomic<bool> drawTextAlways{false};
    std::atomic<bool> drawingOverlay{false};
    std::array<std::array<juce::Colour, numCornerColours>, 4> cornerColours;
};

} // namespace vk
