#pragma once

// Taper delegates: how a parameter's real value maps to the normalised 0..1 value the host automates.
// Pure functions of their fields; no allocation but Clone. [any thread]

#include <algorithm>
#include <cstdint>

namespace vk::aax
{

class AAX_ITaperDelegateBase
{
public:
    virtual ~AAX_ITaperDelegateBase() = default;
};

template <typename T>
class AAX_ITaperDelegate : public AAX_ITaperDelegateBase
{
public:
    virtual AAX_ITaperDelegate* Clone() const = 0;
    virtual T GetMaximumValue() const = 0;
    virtual T GetMinimumValue() const = 0;
    virtual T ConstrainRealValue(T value) const = 0;
    virtual T NormalizedToReal(double normalized) const = 0;
    virtual double RealToNormalized(T real) const = 0;
};

// Linear from minimum to maximum. RealPrecision 0: real values are not rounded.
template <typename T, std::int32_t RealPrecision = 0>
class AAX_CLinearTaperDelegate final : public AAX_ITaperDelegate<T>
{
    static_assert(RealPrecision == 0, "only unrounded real values are used");

public:
    AAX_CLinearTaperDelegate(T minimum = T(0), T maximum = T(1)) : m_minimum(minimum), m_maximum(maximum) {}

    AAX_CLinearTaperDelegate* Clone() const override { return new AAX_CLinearTaperDelegate(*this); }
    T GetMaximumValue() const override { return m_maximum; }
    T GetMinimumValue() const override { return m_minimum; }
    T ConstrainRealValue(T value) const override
    {
        return value > m_maximum ? m_maximum : std::max(m_minimum, value);
    }
    T NormalizedToReal(double normalized) const override
    {
        const double real = (double(m_maximum) - double(m_minimum)) * normalized + double(m_minimum);
        return ConstrainRealValue(T(real));
    }
    double RealToNormalized(T real) const override
    {
        const T constrained = ConstrainRealValue(real);
        return (double(constrained) - double(m_minimum)) / (double(m_maximum) - double(m_minimum));
    }

private:
    T m_minimum;
    T m_maximum;
};

// Off below or at 0, on above.
template <typename T>
class AAX_CBinaryTaperDelegate final : public AAX_ITaperDelegate<T>
{
public:
    AAX_CBinaryTaperDelegate* Clone() const override { return new AAX_CBinaryTaperDelegate(*this); }
    T GetMaximumValue() const override { return T(true); }
    T GetMinimumValue() const override { return T(false); }
    T ConstrainRealValue(T value) const override { return value; }
    T NormalizedToReal(double normalized) const override { return T(normalized > 0.0); }
    double RealToNormalized(T real) const override { return real ? 1.0 : 0.0; }
};

} // namespace vk::aax
