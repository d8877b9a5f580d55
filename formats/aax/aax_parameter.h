#pragma once

// AAX_IParameter and AAX_CParameter<T>: one parameter as the AAX host sees it: identity, real and
// normalised value, text both ways. The plug-in's own changes become requests to the host through the
// automation delegate (when attached); the stored value changes only when the host answers through
// UpdateNormalizedValue. Non-finite normalised values are refused: they are never stored or requested.
// Allocates in names and texts. [the thread the host calls the effect's parameters on]

#include "formats/aax/aax_automation_delegate.h"
#include "formats/aax/aax_display_delegates.h"
#include "formats/aax/aax_taper_delegates.h"

#include <map>
#include <memory>

namespace vk::aax
{

class AAX_IParameter
{
public:
    virtual ~AAX_IParameter() = default;
    virtual const char* Identifier() const = 0;
    virtual void SetName(const AAX_CString& name) = 0;
    virtual const AAX_CString& Name() const = 0;
    virtual void AddShortenedName(const AAX_CString& name) = 0;
    virtual const AAX_CString& ShortenedName(std::int32_t length) const = 0;
    virtual void ClearShortenedNames() = 0;
    virtual bool Automatable() const = 0;
    virtual void SetAutomationDelegate(AAX_IAutomationDelegate* delegate) = 0;
    virtual void Touch() = 0;
    virtual void Release() = 0;
    virtual void SetNormalizedValue(double normalized) = 0;
    virtual double GetNormalizedValue() const = 0;
    virtual void SetNormalizedDefaultValue(double normalized) = 0;
    virtual double GetNormalizedDefaultValue() const = 0;
    virtual void SetToDefaultValue() = 0;
    virtual void SetNumberOfSteps(std::uint32_t steps) = 0;
    virtual std::uint32_t GetNumberOfSteps() const = 0;
    virtual std::uint32_t GetStepValue() const = 0;
    virtual void SetStepValue(std::uint32_t step) = 0;
    // The current value's full text: the limit is not applied here.
    virtual bool GetValueString(std::int32_t maxNumChars, AAX_CString* text) const = 0;
    virtual bool GetValueString(AAX_CString* text) const = 0;
    virtual bool GetNormalizedValueFromString(const AAX_CString& text, double* normalized) const = 0;
    virtual bool GetStringFromNormalizedValue(double normalized, std::int32_t maxNumChars,
                                              AAX_CString& text) const = 0;
    virtual bool GetStringFromNormalizedValue(double normalized, AAX_CString& text) const = 0;
    virtual bool SetValueFromString(const AAX_CString& text) = 0;
    virtual bool GetValueAsBool(bool* value) const = 0;
    virtual bool GetValueAsInt32(std::int32_t* value) const = 0;
    virtual bool GetValueAsFloat(float* value) const = 0;
    virtual bool GetValueAsDouble(double* value) const = 0;
    virtual bool GetValueAsString(AAX_IString* value) const = 0;
    virtual bool SetValueWithBool(bool value) = 0;
    virtual bool SetValueWithInt32(std::int32_t value) = 0;
    virtual bool SetValueWithFloat(float value) = 0;
    virtual bool SetValueWithDouble(double value) = 0;
    virtual bool SetValueWithString(const AAX_IString& value) = 0;
    virtual void SetType(std::int32_t type) = 0;
    virtual std::int32_t GetType() const = 0;
    virtual void SetOrientation(std::int32_t orientation) = 0;
    virtual std::int32_t GetOrientation() const = 0;
    // A delegate of another value type is ignored.
    virtual void SetTaperDelegate(AAX_ITaperDelegateBase& taper, bool preserveValue) = 0;
    virtual void SetDisplayDelegate(AAX_IDisplayDelegateBase& display) = 0;
    virtual void UpdateNormalizedValue(double normalized) = 0;
};

constexpr std::int32_t kParameterTypeDiscrete = 0;
constexpr std::int32_t kParameterTypeContinuous = 1;

// Instantiated for float and bool.
template <typename T>
class AAX_CParameter final : public AAX_IParameter
{
public:
    static constexpr std::size_t kMaxIdentifierLength = 31;

    AAX_CParameter(const char* identifier, const AAX_CString& name, T defaultValue,
                   const AAX_ITaperDelegate<T>& taper, const AAX_IDisplayDelegate<T>& display,
                   bool automatable);
    ~AAX_CParameter() override;
    AAX_CParameter(const AAX_CParameter&) = delete;
    AAX_CParameter& operator=(const AAX_CParameter&) = delete;

    const char* Identifier() const override { return m_identifier; }
    void SetName(const AAX_CString& name) override { m_name = name; }
    const AAX_CString& Name() const override { return m_name; }
    void AddShortenedName(const AAX_CString& name) override { m_shortenedNames[name.Length()] = name; }
    const AAX_CString& ShortenedName(std::int32_t length) const override;
    void ClearShortenedNames() override { m_shortenedNames.clear(); }
    bool Automatable() const override { return m_automatable; }
    void SetAutomationDelegate(AAX_IAutomationDelegate* delegate) override;
    void Touch() override;
    void Release() override;
    void SetNormalizedValue(double normalized) override;
    double GetNormalizedValue() const override { return m_taper->RealToNormalized(m_value); }
    void SetNormalizedDefaultValue(double normalized) override;
    double GetNormalizedDefaultValue() const override { return m_taper->RealToNormalized(m_defaultValue); }
    void SetToDefaultValue() override { SetValue(m_defaultValue); }
    void SetNumberOfSteps(std::uint32_t steps) override { m_numberOfSteps = steps; }
    std::uint32_t GetNumberOfSteps() const override { return m_numberOfSteps; }
    std::uint32_t GetStepValue() const override;
    void SetStepValue(std::uint32_t step) override;
    bool GetValueString(std::int32_t maxNumChars, AAX_CString* text) const override;
    bool GetValueString(AAX_CString* text) const override;
    bool GetNormalizedValueFromString(const AAX_CString& text, double* normalized) const override;
    bool GetStringFromNormalizedValue(double normalized, std::int32_t maxNumChars,
                                      AAX_CString& text) const override;
    bool GetStringFromNormalizedValue(double normalized, AAX_CString& text) const override;
    bool SetValueFromString(const AAX_CString& text) override;
    bool GetValueAsBool(bool* value) const override;
    bool GetValueAsInt32(std::int32_t*) const override { return false; }
    bool GetValueAsFloat(float* value) const override;
    bool GetValueAsDouble(double*) const override { return false; }
    bool GetValueAsString(AAX_IString*) const override { return false; }
    bool SetValueWithBool(bool value) override;
    bool SetValueWithInt32(std::int32_t) override { return false; }
    bool SetValueWithFloat(float value) override;
    bool SetValueWithDouble(double) override { return false; }
    bool SetValueWithString(const AAX_IString&) override { return false; }
    void SetType(std::int32_t type) override { m_type = type; }
    std::int32_t GetType() const override { return m_type; }
    void SetOrientation(std::int32_t orientation) override { m_orientation = orientation; }
    std::int32_t GetOrientation() const override { return m_orientation; }
    void SetTaperDelegate(AAX_ITaperDelegateBase& taper, bool preserveValue) override;
    void SetDisplayDelegate(AAX_IDisplayDelegateBase& display) override;
    void UpdateNormalizedValue(double normalized) override;

    // The road of every change the plug-in makes.
    void SetValue(T value);
    T GetValue() const { return m_value; }
    void SetDefaultValue(T value) { m_defaultValue = m_taper->ConstrainRealValue(value); }
    void SetIdentifier(const char* identifier);

private:
    bool inRange(T real) const
    {
        return !(real < m_taper->GetMinimumValue()) && !(m_taper->GetMaximumValue() < real);
    }

    char m_identifier[kMaxIdentifierLength + 1] = {};
    AAX_CString m_name;
    std::map<std::uint32_t, AAX_CString> m_shortenedNames;
    bool m_automatable;
    std::uint32_t m_numberOfSteps = 0;
    std::int32_t m_type = kParameterTypeContinuous;
    std::int32_t m_orientation = 0;
    std::unique_ptr<AAX_ITaperDelegate<T>> m_taper;
    std::unique_ptr<AAX_IDisplayDelegate<T>> m_display;
    AAX_IAutomationDelegate* m_automationDelegate = nullptr;
    bool m_needsNotify = true;
    T m_value{};
    T m_defaultValue{};
};

extern template class AAX_CParameter<float>;
extern template class AAX_CParameter<bool>;

} // namespace vk::aax
