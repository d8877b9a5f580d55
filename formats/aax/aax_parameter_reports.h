#pragma once

// The processor's reports to the host (which parameter changed, gestures, a latency change), held until
// the host's next call. The processor reports on whatever thread changed it (the module's message thread for
// the editor and the processor's timer, the audio thread, a host thread); the AAX parameter objects and the
// host's automation belong to the host's calls. So a report is only noted here, and the host's thread
// delivers the notes in order inside its next call (its periodic TimerWakeup, or a chunk call), where it
// may call the host freely. A value change is delivered as the value the processor holds then, so a note
// that waited never carries a value older than the processor's. Nothing here calls anyone.
//
// The notes are kept in a block reserved up front: noting never allocates. When more notes come than fit
// (a host that stops calling while the user keeps editing), the notes that do not fit are dropped and the
// taker is told to catch up instead: to bring every parameter's value, and every gesture, up to the
// processor's. For that, every gesture note also records whether the processor holds a gesture on its
// parameter, whether the note fits or not; the taker gets those records as they stood when it took the
// notes, so that the catch-up follows the notes it hands over.

#include <cstdint>
#include <mutex>
#include <vector>

namespace vk::aax
{

class ParameterReports
{
public:
    enum class Kind : std::uint8_t
    {
        Value,
        GestureBegin,
        GestureEnd,
    };
    struct Report
    {
        Kind kind;
        int index;
    };
    struct Taken
    {
        std::vector<Report> reports;
        // Some notes were dropped: after the reports, every value and gesture is to be brought up to the
        // processor's.
        bool catchUp = false;
        // With catchUp: whether the processor holds a gesture on each parameter index.
        std::vector<std::uint8_t> held;
        bool latencyChanged = false;
    };

    static constexpr std::size_t kCapacity = 4096;

    // Gestures are recorded for the indexes 0 to `numParameters` - 1. Allocates.
    explicit ParameterReports(int numParameters);

    // [any thread] Never allocates; waits only for another note or a take to finish.
    void noteValue(int index) noexcept;
    void noteGesture(Kind kind, int index) noexcept;
    void noteLatencyChanged() noexcept;

    // [host thread] Hands every note so far over to `taken` (whose reports are replaced) in the order
    // they came. The blocks `taken` brings in are kept for later notes, so a taker that reuses one `Taken`
    // allocates nothing after the first round.
    void take(Taken& taken);
    // [host thread] Forgets every note (the parameters are about to be built from the processor). The
    // gestures the processor holds stay recorded.
    void clear() noexcept;

private:
    std::mutex m_lock;
    std::vector<Report> m_reports;
    std::vector<std::uint8_t> m_held;
    bool m_catchUp = false;
    bool m_latencyChanged = false;
};

} // namespace vk::aax
