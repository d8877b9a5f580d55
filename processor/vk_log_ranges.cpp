#include "processor/vk_log_ranges.h"

#include <cmath>

namespace vk::ranges
{

const float kFrequencyLow = float(std::log(20.0));
const float kFrequencySpan = float(std::log(22000.0) - std::log(20.0));
const float kUnitLow = float(std::log(0.001));
const float kUnitSpan = float(std::log(1.0) - std::log(0.001));
const float kDecayBase = float(std::log(0.001));
const double kDecibelFactor = std::log(10.0) / 20.0;
const float kModulationRateLow = float(std::log(0.00625));
const float kModulationRateSpan = float(std::log(160.0) - 0.00625);

} // namespace vk::ranges
