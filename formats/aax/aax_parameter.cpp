#include "formats/aax/aax_parameter.h"

#include <cmath>
#include <cstring>
#include <type_traits>

namespace vk::aax
{

template <typename T>
AAX_CParameter<T>::AAX_CParameter(const char* identifier, const AAX_CString& name, T defaultValue,
                                  const AAX_ITaperDelegate<T>& taper, const AAX_IDisplayDelegate<T>& display,
                                  bool automatable)
    : m_name(name), m_automatable(automatable), m_taper(taper.Clone()), m_display(display.Clone()),
      m_defaultValue(defaultValue)
{
    if (m_numberOfSteps == 0)
        m_numberOfSteps = m_type == kParameterTypeDiscrete ? 2 : 128;
    SetIdentifier(identifier);
    SetToDefaultValue();
}

template <typename T>
AAX_CParameter<T>::~AAX_CParameter()
{
    SetAutomationDelegate(nullptr);
}

template <typename T>
void AAX_CParameter<T>::SetIdentifier(const char* identifier)
{
    std::memset(m_identifier, 0, sizeof m_identifier);
    if (identifier != nullptr)
        std::memcpy(m_identifier, identifier, ::strnlen(identifier, kMaxIdentifierLength));
}

template <typename T>
const AAX_CString& AAX_CParameter<T>::ShortenedName(std::int32_t length) const
{
    if (length < 0 || std::uint32_t(length) >= m_name.Length() || m_shortenedNames.empty())
        return m_name;
    // The longest name that fits; when none does, the shortest there is.
    auto fitting = m_shortenedNames.upper_bound(std::uint32_t(length));
    if (fitting == m_shortenedNames.begin())
        return fitting->second;
    return std::prev(fitting)->second;
}

template <typename T>
void AAX_CParameter<T>::SetAutomationDelegate(AAX_IAutomationDelegate* delegate)
{
    if (m_automationDelegate != nullptr)
        m_automationDelegate->UnregisterParameter(m_identifier);
    m_automationDelegate = delegate;
    if (m_automationDelegate != nullptr)
        m_automationDelegate->RegisterParameter(m_identifier);
}

template <typename T>
void AAX_CParameter<T>::Touch()
{
    if (m_automationDelegate != nullptr)
        m_automationDelegate->PostTouchRequest(m_identifier);
}

template <typename T>
void AAX_CParameter<T>::Release()
{
    if (m_automationDelegate != nullptr)
        m_automationDelegate->PostReleaseRequest(m_identifier);
}

template <typename T>
void AAX_CParameter<T>::SetValue(T value)
{
    if constexpr (std::is_floating_point_v<T>)
        if (!std::isfinite(value))
            return;
    const double normalized = m_taper->RealToNormalized(value);
    if (!std::isfinite(normalized))
        return;
    if (m_automationDelegate != nullptr)
    {
        Touch();
        m_automationDelegate->PostSetValueRequest(m_identifier, normalized);
        Release();
    }
    else
    {
        m_needsNotify = true;
        UpdateNormalizedValue(normalized);
    }
}

template <typename T>
void AAX_CParameter<T>::UpdateNormalizedValue(double normalized)
{
    if (!std::isfinite(normalized))
        return;
    const T real = m_taper->NormalizedToReal(normalized);
    if (!m_needsNotify && real == m_value)
        return;
    m_value = real;
    if (m_automationDelegate != nullptr)
        m_automationDelegate->PostCurrentValue(m_identifier, normalized);
    m_needsNotify = false;
}

template <typename T>
void AAX_CParameter<T>::SetNormalizedValue(double normalized)
{
    if (std::isfinite(normalized))
        SetValue(m_taper->NormalizedToReal(normalized));
}

template <typename T>
void AAX_CParameter<T>::SetNormalizedDefaultValue(double normalized)
{
    if (std::isfinite(normalized))
        m_defaultValue = m_taper->ConstrainRealValue(m_taper->NormalizedToReal(normalized));
}

template <typename T>
std::uint32_t AAX_CParameter<T>::GetStepValue() const
{
    const double steps = double(m_numberOfSteps);
    if (steps < 2.0)
        return 0;
    const double step = GetNormalizedValue() / (1.0 / (steps - 1.0)) + 0.5;
    return std::uint32_t(std::clamp(step, 0.0, steps - 1.0));
}

template <typename T>
void AAX_CParameter<T>::SetStepValue(std::uint32_t step)
{
    const double steps = double(m_numberOfSteps);
    if (steps < 2.0)
        return;
    SetNormalizedValue(std::clamp(1.0 / (steps - 1.0) * double(step), 0.0, 1.0));
}

template <typename T>
bool AAX_CParameter<T>::GetValueString(std::int32_t, AAX_CString* text) const
{
    return m_display->ValueToString(m_value, text);
}

template <typename T>
bool AAX_CParameter<T>::GetValueString(AAX_CString* text) const
{
    return m_display->ValueToString(m_value, text);
}

template <typename T>
bool AAX_CParameter<T>::GetNormalizedValueFromString(const AAX_CString& text, double* normalized) const
{
    T real{};
    if (!m_display->StringToValue(text, &real))
        return false;
    if (normalized != nullptr)
        *normalized = m_taper->RealToNormalized(real);
    return inRange(real);
}

template <typename T>
bool AAX_CParameter<T>::GetStringFromNormalizedValue(double normalized, std::int32_t maxNumChars,
                                                     AAX_CString& text) const
{
    const T real = m_taper->NormalizedToReal(normalized);
    return m_display->ValueToString(real, maxNumChars, &text) && inRange(real);
}

template <typename T>
bool AAX_CParameter<T>::GetStringFromNormalizedValue(double normalized, AAX_CString& text) const
{
    const T real = m_taper->NormalizedToReal(normalized);
    return m_display->ValueToString(real, &text) && inRange(real);
}

template <typename T>
bool AAX_CParameter<T>::SetValueFromString(const AAX_CString& text)
{
    T real{};
    if (!m_display->StringToValue(text, &real))
        return false;
    SetValue(real);
    return true;
}

template <typename T>
bool AAX_CParameter<T>::GetValueAsBool(bool* value) const
{
    if constexpr (std::is_same_v<T, bool>)
    {
        if (value != nullptr)
            *value = m_value;
        return true;
    }
    else
        return (void)value, false;
}

template <typename T>
bool AAX_CParameter<T>::GetValueAsFloat(float* value) const
{
    if constexpr (std::is_same_v<T, float>)
    {
        if (value != nullptr)
            *value = m_value;
        return true;
    }
    else
        return (void)value, false;
}

template <typename T>
bool AAX_CParameter<T>::SetValueWithBool(bool value)
{
    if constexpr (std::is_same_v<T, bool>)
    {
        SetValue(value);
        return true;
    }
    else
        return (void)value, false;
}

template <typename T>
bool AAX_CParameter<T>::SetValueWithFloat(float value)
{
    if constexpr (std::is_same_v<T, float>)
    {
        SetValue(value);
        return true;
    }
    else
        return (void)value, false;
}

template <typename T>
void AAX_CParameter<T>::SetTaperDelegate(AAX_ITaperDelegateBase& taper, bool preserveValue)
{
    auto* typed = dynamic_cast<AAX_ITaperDelegate<T>*>(&taper);
    if (typed == nullptr)
        return;
    const double previous = GetNormalizedValue();
    m_taper.reset(typed->Clone());
    m_needsNotify = true;
    if (preserveValue)
        SetValue(m_value);
    else
        UpdateNormalizedValue(previous);
}

template <typename T>
void AAX_CParameter<T>::SetDisplayDelegate(AAX_IDisplayDelegateBase& display)
{
    auto* typed = dynamic_cast<AAX_IDisplayDelegate<T>*>(&display);
    if (typed == nullptr)
        return;
    m_display.reset(typed->Clone());
    if (m_automationDelegate != nullptr)
        m_automationDelegate->PostCurrentValue(m_identifier, GetNormalizedValue());
}

template class AAX_CParameter<float>;
template class AAX_CParameter<bool>;

} // namespace vk::aax
