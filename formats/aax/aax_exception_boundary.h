#pragma once

// Where the host calls into the module. The host reaches our objects through plain function tables and
// cannot catch what we throw, so an exception (an allocation that fails, a processor or framework error)
// ends at the first function the host called: an operation answers 0x8000FFFF, a factory answers null.
// The module's exports run their bodies here; the objects the factories make run every operation of their
// interface tables here (aax_host_facing.h). [any thread]

#include "platform/aax/acf_unknown.h"

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

} // namespace vk::aax
