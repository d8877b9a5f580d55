#pragma once

// The one effect this module offers AAX hosts: its names, category, page-table file, the three object
// factories and one component per channel configuration (mono in / stereo out, stereo in / stereo out),
// each with its render-context fields, its properties and the render callback. [the host's registration
// thread]

#include "formats/aax/aax_collection.h"

namespace AAXClasses
{

// Fills the collection; -20004 when the host gives no effect descriptor.
vk::aax::Result GetEffectDescriptions(vk::aax::AAX_ICollection& collection);

void createDescriptor(vk::aax::AAX_IEffectDescriptor& descriptor);

void describeComponent(vk::aax::AAX_IComponentDescriptor& component, int componentIndex, int inputs,
                       int outputs);

} // namespace AAXClasses
