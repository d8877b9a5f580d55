#pragma once

// Counts the frames every OpenGL context of this process presents, modules loaded later included: the test
// executable exports its own glXSwapBuffers, which a module's reference resolves to before the driver's;
// it counts and passes the call on. No Xlib or JUCE here.

#include <cstdint>

namespace vk::test
{

/** Buffers swapped by glXSwapBuffers in this process so far. [any thread] */
std::int64_t swappedFrames();

} // namespace vk::test
