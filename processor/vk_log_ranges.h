#pragma once

// Natural logarithms for mapping a normalised value x in 0..1 onto a logarithmic range as
// exp(low + x * span). They are computed once when the module starts; the audio path only reads them.
// [any thread] No allocation.

namespace vk::ranges
{

// 20 Hz .. 22 kHz: frequency parameters and their texts.
extern const float kFrequencyLow;
extern const float kFrequencySpan;
// 0.001 .. 1: gains and decays of the per-sample processing.
extern const float kUnitLow;
extern const float kUnitSpan;
extern const float kDecayBase;
// Decibels to a natural-log gain exponent.
extern const double kDecibelFactor;
// The free-running modulation rate. Its span subtracts the low rate itself rather than its logarithm,
// which the product's sound was tuned with: the rate runs from 0.00625 to about 0.994 cycles per second.
extern const float kModulationRateLow;
extern const float kModulationRateSpan;

} // namespace vk::ranges
