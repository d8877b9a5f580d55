#pragma once

#include "gl_api.h"

namespace vk
{

/** The product's GlApi: forwards every call to juce::gl.

    [render thread] Stateless; one shared instance serves every component. No allocation.
*/
GlApi& getJuceGlApi();

} // namespace vk
