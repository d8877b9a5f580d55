#include "formats/aax/aax_string.h"

#include <cstring>
#include <iomanip>
#include <locale>
#include <sstream>

namespace vk::aax
{

AAX_CString::AAX_CString(const char* text) : m_text(text != nullptr ? text : "") {}

void AAX_CString::Set(const char* text)
{
    m_text.assign(text != nullptr ? text : "");
}

AAX_CString& AAX_CString::operator=(const char* text)
{
    Set(text);
    return *this;
}

AAX_CString& AAX_CString::operator=(const AAX_IString& other)
{
    if (&other == this)
        return *this;
    const char* text = other.Get();
    if (text == nullptr)
        m_text.clear();
    else
        m_text.assign(text, ::strnlen(text, other.Length()));
    return *this;
}

AAX_CString& AAX_CString::operator=(const AAX_CString& other)
{
    m_text = other.m_text;
    return *this;
}

void AAX_CString::Erase(std::uint32_t position, std::uint32_t count)
{
    if (position < m_text.size())
        m_text.erase(position, count);
}

void AAX_CString::AppendNumber(double value, std::int32_t precision)
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream << std::fixed << std::setprecision(precision) << value;
    m_text += stream.str();
}

bool AAX_CString::ParseDouble(double* value) const
{
    std::istringstream stream(m_text);
    stream.imbue(std::locale::classic());
    double parsed = 0.0;
    stream >> parsed;
    const bool ok = !stream.fail();
    if (value != nullptr)
        *value = ok ? parsed : 0.0;
    return ok;
}

} // namespace vk::aax
