#pragma once

#include <cstdint>

namespace vk
{

/** Fades a drawn object in as the mouse moves from the start towards the end of a range on each axis.

    [message thread] updateFade; [any thread] getAlpha (a torn read only mixes two nearby fades). No
   allocation.
*/
class VkComponentFadeEffect
{
public:
    void setFadeRange(int32_t startX, int32_t endX, int32_t startY, int32_t endY) noexcept;
    /** Nothing happens while either axis has an empty range. */
    void updateFade(int32_t x, int32_t y) noexcept;
    float getAlpha() const noexcept { return factorX < factorY ? factorX : factorY; }

    float getFactorX() const noexcept { return factorX; }
    float getFactorY() const noexcept { return factorY; }
    int32_t getLastX() const noexcept { return lastX; }
    int32_t getLastY() const noexcept { return lastY; }

private:
    int32_t fadeEndX = 1, fadeStartX = 0, fadeEndY = 1, fadeStartY = 0;
    int32_t lastX = 1, lastY = 1;
    int32_t spare[2] = {0, 0};
    float factorX = 1.0f, factorY = 1.0f;
};

} // namespace vk
