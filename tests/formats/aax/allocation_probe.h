#pragma once

// A failing allocation on demand: linked into a test executable, it replaces the global operator new, and
// while armed on a thread it counts that thread's allocations and fails the chosen one with
// std::bad_alloc (the nothrow form answers null then).
//
// Only allocations the module answers for are counted and failed: one made while a function of the GUI
// framework or of the recording test host (fake_host.h) is on the calling thread's stack is granted and
// not counted; the symbol tables of the executable and of a module it loaded tell whose code a frame
// runs. The framework is not written to survive a failing allocation (many of its noexcept functions
// allocate, so such a failure ends the process whatever its caller does), and a real host's own failures
// never travel into the module as exceptions.

namespace vk::aax::test
{

class AllocationProbe
{
public:
    // Fails the `failAt`-th counted allocation of the calling thread from now on (1 = the next one).
    static void arm(long failAt);
    // Stops counting on the calling thread; whether the chosen allocation came and failed.
    static bool disarm();
};

} // namespace vk::aax::test
