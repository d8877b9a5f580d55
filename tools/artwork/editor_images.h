#pragma once

#include <juce_graphics/juce_graphics.h>

namespace vk::artwork
{

/** The 640 x 435 editor background: panels and labels behind every control of the layout. */
juce::Image makeBackground();
/** The 640 x 349 mask drawn over the stereo-field graph: fan guides and a vignette, transparent elsewhere. */
juce::Image makeGraphMask();
/** A soft white glow for additive blending (64 x 64). */
juce::Image makeParticle();
/** Handle images of the graph overlay. */
juce::Image makeBandDot();
juce::Image makeWidthMark();
/** A soft line profile: transparent at the top and bottom rows, white in the middle. */
juce::Image makeArcEdge();
/** The maker's 48 x 48 logo. */
juce::Image makeLogo();
/** The balance slider's 14 x 12 thumb. */
juce::Image makeSliderThumb();
/** Two-frame strips drawn as icons. */
juce::Image makeArrowStrip(bool pointsRight);
juce::Image makeListIconStrip();

} // namespace vk::artwork
