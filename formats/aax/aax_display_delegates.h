#pragma once

// Display delegates: how a parameter's real value reads as text and back. Allocate only in the strings
// they write. [any thread]

#include "formats/aax/aax_string.h"

#include <vector>

namespace vk::aax
{

class AAX_IDisplayDelegateBase
{
public:
    virtual ~AAX_IDisplayDelegateBase() = default;
};

template <typename T>
class AAX_IDisplayDelegate : public AAX_IDisplayDelegateBase
{
public:
    virtual AAX_IDisplayDelegate* Clone() const = 0;
    // The text for `value`, shortened to suit `maxNumChars`.
    virtual bool ValueToString(T value, std::int32_t maxNumChars, AAX_CString* valueString) const = 0;
    virtual bool ValueToString(T value, AAX_CString* valueString) const = 0;
    virtual bool StringToValue(const AAX_CString& valueString, T* value) const = 0;
};

// The number in fixed notation with Precision digits after the point; no unit, no space.
template <typename T, std::int32_t Precision, std::int32_t SpaceAfter = 0>
class AAX_CNumberDisplayDelegate final : public AAX_IDisplayDelegate<T>
{
    static_assert(SpaceAfter == 0, "numbers are shown without a unit");

public:
    AAX_CNumberDisplayDelegate* Clone() const override { return new AAX_CNumberDisplayDelegate(*this); }

    bool ValueToString(T value, AAX_CString* valueString) const override
    {
        if (valueString == nullptr)
            return false;
        valueString->Set("");
        valueString->AppendNumber(double(value), Precision);
        return true;
    }

    // Cut to the limit; a cut that ends in the decimal point loses the point too.
    bool ValueToString(T value, std::int32_t maxNumChars, AAX_CString* valueString) const override
    {
        if (!ValueToString(value, valueString))
            return false;
        const std::uint32_t limit = std::uint32_t(std::max(maxNumChars, std::int32_t(0)));
        if (valueString->Length() > limit)
            valueString->Erase(limit, valueString->Length() - limit);
        if (limit > 0 && valueString->Length() == limit && valueString->Get()[limit - 1] == '.')
            valueString->Erase(limit - 1, 1);
        return true;
    }

    bool StringToValue(const AAX_CString& valueString, T* value) const override
    {
        double parsed = 0.0;
        const bool ok = valueString.ParseDouble(&parsed);
        if (value != nullptr)
            *value = ok ? T(parsed) : T(0);
        return ok;
    }
};

// Two texts, one per state, with optional shorter pairs for tight limits.
template <typename T>
class AAX_CBinaryDisplayDelegate final : public AAX_IDisplayDelegate<T>
{
public:
    AAX_CBinaryDisplayDelegate(const char* falseText, const char* trueText)
        : m_falseText(falseText), m_trueText(trueText),
          m_maxLength(std::max(m_falseText.Length(), m_trueText.Length()))
    {
    }

    AAX_CBinaryDisplayDelegate* Clone() const override { return new AAX_CBinaryDisplayDelegate(*this); }

    // A shorter pair for limits of `maxNumChars` and above.
    void AddShortenedStrings(std::uint32_t maxNumChars, const char* falseText, const char* trueText)
    {
        m_shortened.push_back({maxNumChars, AAX_CString(falseText), AAX_CString(trueText)});
    }

    bool ValueToString(T value, AAX_CString* valueString) const override
    {
        if (valueString == nullptr)
            return false;
        *valueString = value ? m_trueText : m_falseText;
        return true;
    }

    bool ValueToString(T value, std::int32_t maxNumChars, AAX_CString* valueString) const override
    {
        if (m_shortened.empty() || std::uint32_t(std::max(maxNumChars, std::int32_t(0))) >= m_maxLength)
            return ValueToString(value, valueString);
        if (valueString == nullptr)
            return false;
        const Shortened* chosen = &m_shortened.front();
        for (auto it = m_shortened.rbegin(); it != m_shortened.rend(); ++it)
            if (std::int64_t(it->maxNumChars) <= std::int64_t(maxNumChars))
            {
                chosen = &*it;
                break;
            }
        *valueString = value ? chosen->trueText : chosen->falseText;
        return true;
    }

    bool StringToValue(const AAX_CString& valueString, T* value) const override
    {
        const bool isTrue = valueString == m_trueText;
        if (value != nullptr)
            *value = T(isTrue);
        return isTrue || valueString == m_falseText;
    }

private:
    struct Shortened
    {
        std::uint32_t maxNumChars;
        AAX_CString falseText;
        AAX_CString trueText;
    };

    AAX_CString m_falseText;
    AAX_CString m_trueText;
    std::uint32_t m_maxLength;
    std::vector<Shortened> m_shortened;
};

} // namespace vk::aax
