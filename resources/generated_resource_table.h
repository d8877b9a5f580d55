#pragma once

#include "named_resources.h"

namespace vk::resources
{

/** Written by the artwork generator at build time: every embedded image, sorted by name hash. */
extern const ResourceEntry generatedResources[];
extern const int generatedResourceCount;

} // namespace vk::resources
