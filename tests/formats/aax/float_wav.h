#pragma once

// 32-bit float WAV files, to hand audio to another host process and read its result back, without the
// GUI framework (the AAX module under test carries its own copy of it).

#include <string>
#include <vector>

namespace vk::aax::test
{

using Channels = std::vector<std::vector<float>>;

bool writeFloatWav(const std::string& path, const Channels& channels, int sampleRate);
// The channels of a 32-bit float file (plain or extensible format); empty when it is not one.
Channels readFloatWav(const std::string& path);

} // namespace vk::aax::test
