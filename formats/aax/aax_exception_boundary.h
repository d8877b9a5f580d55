#pragma once

// Where the host calls into the module. The host reaches our objects through plain function tables and
// cannot catch what we throw, so an exception (an allocation that fails, a processor or framework error)
// ends at the first function the host called: an operation answers 0x8000FFFF, a factory answers null.
// [any thread]

#include "platform/aax/acf_unknown.h"

#include <new>

namespace vk::aax
{

// The body's result, or 0x8000FFFF when it throws.
template <typename Body>
Result answerWithoutThrowing(Body&& body) noexcept
{
    try
    {
        return body();
    }
    catch (...)
    {
        return kResultUnexpected;
    }
}

// A factory procedure's answer: a new Object, with no reference yet, or null when it could not be
// allocated or its construction threw.
template <typename Object>
IACFUnknown* createForHost() noexcept
{
    try
    {
        auto* object = new (std::nothrow) Object();
        return object != nullptr ? object->GetControllingUnknown() : nullptr;
    }
    catch (...)
    {
        return nullptr;
    }
}

} // namespace vk::aax
