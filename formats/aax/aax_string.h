#pragma once

// AAX_CString: the 8-bit string that crosses the AAX host boundary. No encoding is applied; lengths
// count bytes. Allocates on every change. [any thread, one at a time]

#include "platform/aax/aax_plugin_interfaces.h"

#include <string>

namespace vk::aax
{

class AAX_CString : public AAX_IString
{
public:
    AAX_CString() = default;
    AAX_CString(const char* text); // null: the empty string
    AAX_CString(const AAX_CString& other) = default;
    explicit AAX_CString(std::string text) : m_text(std::move(text)) {}
    ~AAX_CString() override = default;

    std::uint32_t Length() const override { return std::uint32_t(m_text.size()); }
    std::uint32_t MaxLength() const override { return 0xFFFFFFFEu; }
    const char* Get() const override { return m_text.c_str(); }
    void Set(const char* text) override;
    AAX_CString& operator=(const char* text) override;
    // Reads at most `other.Length()` bytes: a string from the host is never read past its own length.
    AAX_CString& operator=(const AAX_IString& other) override;
    AAX_CString& operator=(const AAX_CString& other);

    bool operator==(const AAX_CString& other) const noexcept { return m_text == other.m_text; }
    bool operator!=(const AAX_CString& other) const noexcept { return m_text != other.m_text; }

    void Erase(std::uint32_t position, std::uint32_t count);
    // Fixed notation with `precision` digits after the point, as the standard stream writes it.
    void AppendNumber(double value, std::int32_t precision);
    // Standard stream input: leading white space skipped, reading stops at the first character that
    // cannot continue the number. False and 0 when no number was read.
    bool ParseDouble(double* value) const;

    const std::string& StdString() const noexcept { return m_text; }

private:
    std::string m_text;
};

} // namespace vk::aax
