#include "vk_component_fade_effect.h"

namespace vk
{

void VkComponentFadeEffect::setFadeRange(int32_t startX, int32_t endX, int32_t startY, int32_t endY) noexcept
{
    fadeStartX = startX;
    fadeEndX = endX;
    fadeStartY = startY;
    fadeEndY = endY;
}

void VkComponentFadeEffect::updateFade(int32_t x, int32_t y) noexcept
{
    if (!(fadeEndX > fadeStartX && fadeEndY > fadeStartY))
        return;
    lastX = x;
    lastY = y;
    factorX = 1.0f;
    factorY = 1.0f;
    if (x < fadeEndX)
    {
        const float f = (float)(x - fadeStartX) / (float)(fadeEndX - fadeStartX);
        factorX = f > 0.0f ? f : 0.0f;
    }
    if (y < fadeEndY)
    {
        const float f = (float)(y - fadeStartY) / (float)(fadeEndY - fadeStartY);
        factorY = f > 0.0f ? f : 0.0f;
    }
}

} // namespace vk
