#include "formats/vst2/vst2_effect_adapter.h"

#include "formats/vst2/vst2_call_guard.h"
#include "formats/vst2/vst2_state_notice.h"

#include "processor/vk_processor_base.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace vk::vst2
{
namespace
{

// Record -> processor, readable without a lock: the host's setParameter and block calls may come on the
// audio thread. Routes hang in short lists off a fixed set of buckets; a route is claimed at creation,
// given back at close and reused by a later instance of its bucket, and freed only with the module, so
// any number of live instances is served and a lookup never meets freed memory.
class Routes
{
public:
    struct Route
    {
        std::atomic<Vst2::AEffect*> effect{nullptr};
        std::atomic<VkJuceProcessorBase*> processor{nullptr};
        std::atomic<bool> resumed{false};
        // The block size the wrapper holds (its own default until the host announces one), and the one
        // the host announced last, which reaches the wrapper at the next resume when announced while
        // resumed.
        std::atomic<int> blockSize{kWrapperDefaultBlockSize};
        std::atomic<int> announcedBlockSize{kWrapperDefaultBlockSize};
        // The processor's state notices for the host, while the effect is open (none without a host).
        std::atomic<StateNotice*> notice{nullptr};
        Route* next = nullptr; // fixed before the route is published
    };

    static constexpr int kWrapperDefaultBlockSize = 1024;

    Routes() = default;
    ~Routes()
    {
        for (auto& bucket : m_buckets)
            for (Route* route = bucket.load(); route != nullptr;)
                delete std::exchange(route, route->next);
    }
    Routes(const Routes&) = delete;
    Routes& operator=(const Routes&) = delete;

    // [thread that creates the effect] False only when no memory is left for a route. Without memory for
    // the state notices the instance works without them.
    bool add(Vst2::AEffect* effect, VkJuceProcessorBase* processor, Vst2::audioMasterCallback host)
    {
        std::unique_ptr<StateNotice> notice;
        if (host != nullptr)
            try
            {
                notice = std::make_unique<StateNotice>(*effect, host, *processor);
            }
            catch (const std::bad_alloc&)
            {
            }
        auto& bucket = bucketOf(effect);
        for (Route* route = bucket.load(std::memory_order_acquire); route != nullptr; route = route->next)
        {
            Vst2::AEffect* expected = nullptr;
            if (route->effect.compare_exchange_strong(expected, effect))
            {
                route->resumed.store(false);
                route->blockSize.store(kWrapperDefaultBlockSize);
                route->announcedBlockSize.store(kWrapperDefaultBlockSize);
                route->notice.store(notice.release());
                route->processor.store(processor);
                return true;
            }
        }
        auto* route = new (std::nothrow) Route;
        if (route == nullptr)
            return false;
        route->effect.store(effect);
        route->processor.store(processor);
        route->notice.store(notice.release());
        route->next = bucket.load(std::memory_order_acquire);
        while (!bucket.compare_exchange_weak(route->next, route, std::memory_order_acq_rel))
        {
        }
        return true;
    }

    VkJuceProcessorBase* find(Vst2::AEffect* effect) const
    {
        const auto* route = findRoute(effect);
        return route != nullptr ? route->processor.load() : nullptr;
    }

    // Whether the host has resumed the effect (effMainsChanged 1) and not suspended it since.
    bool isResumed(Vst2::AEffect* effect) const
    {
        const auto* route = findRoute(effect);
        return route != nullptr && route->resumed.load();
    }

    void setResumed(Vst2::AEffect* effect, bool resumed)
    {
        if (auto* route = findRoute(effect))
            route->resumed.store(resumed);
    }

    int blockSize(Vst2::AEffect* effect) const
    {
        const auto* route = findRoute(effect);
        return route != nullptr ? route->blockSize.load() : kWrapperDefaultBlockSize;
    }

    void setBlockSize(Vst2::AEffect* effect, int blockSize)
    {
        if (auto* route = findRoute(effect))
            route->blockSize.store(blockSize);
    }

    int announcedBlockSize(Vst2::AEffect* effect) const
    {
        const auto* route = findRoute(effect);
        return route != nullptr ? route->announcedBlockSize.load() : kWrapperDefaultBlockSize;
    }

    void setAnnouncedBlockSize(Vst2::AEffect* effect, int blockSize)
    {
        if (auto* route = findRoute(effect))
            route->announcedBlockSize.store(blockSize);
    }

    void remove(Vst2::AEffect* effect)
    {
        if (auto* route = findRoute(effect))
        {
            delete route->notice.exchange(nullptr);
            route->processor.store(nullptr);
            route->resumed.store(false);
            route->effect.store(nullptr);
        }
    }

private:
    static constexpr int kBucketBits = 10;

    std::atomic<Route*>& bucketOf(const Vst2::AEffect* effect)
    {
        const auto key = std::uint64_t(reinterpret_cast<std::uintptr_t>(effect) >> 4);
        return m_buckets[std::size_t((key * 0x9E3779B97F4A7C15ull) >> (64 - kBucketBits))];
    }
    Route* findRoute(Vst2::AEffect* effect)
    {
        for (Route* route = bucketOf(effect).load(std::memory_order_acquire); route != nullptr;
             route = route->next)
            if (route->effect.load() == effect)
                return route;
        return nullptr;
    }
    const Route* findRoute(Vst2::AEffect* effect) const
    {
        return const_cast<Routes*>(this)->findRoute(effect);
    }

    std::array<std::atomic<Route*>, std::size_t(1) << kBucketBits> m_buckets{};
};

Routes& routes()
{
    static Routes r;
    return r;
}

// The wrapper's procedures. Every record of the module has the same ones.
std::atomic<Vst2::AEffectDispatcherProc> g_frameworkDispatcher{nullptr};
std::atomic<Vst2::AEffectSetParameterProc> g_frameworkSetParameter{nullptr};
std::atomic<Vst2::AEffectProcessProc> g_frameworkProcessReplacing{nullptr};
std::atomic<Vst2::AEffectProcessDoubleProc> g_frameworkProcessDoubleReplacing{nullptr};

template <typename Sample>
void silenceOutputs(const Vst2::AEffect* effect, Sample** outputs, Vst2::VstInt32 sampleFrames)
{
    if (outputs != nullptr && sampleFrames > 0)
        for (int channel = 0; channel < effect->numOutputs; ++channel)
            if (outputs[channel] != nullptr)
                std::fill(outputs[channel], outputs[channel] + sampleFrames, Sample(0));
}

// The wrapper's block call reads channel buffers it builds at resume and frees at suspend: a host that
// processes while the effect is suspended, or before resuming it, gets silence instead of a crash.
template <typename Sample>
bool silenceUnlessResumed(Vst2::AEffect* effect, Sample** outputs, Vst2::VstInt32 sampleFrames)
{
    if (routes().isResumed(effect))
        return false;
    silenceOutputs(effect, outputs, sampleFrames);
    return true;
}

// The wrapper follows every channel pointer and takes the frame count as it comes. Missing inputs are
// silence to it: all instances share one silent buffer, which stays silent because the wrapper only
// copies inputs into its output channels (our modules have as many outputs as inputs). A channel without
// an output of its own (none, or the buffer of an earlier channel) gets a channel the wrapper keeps until
// the next suspend and uses for every later block, twice the block size it holds long (which changes
// only at a resume, see dispatch); so a longer block, or one with missing inputs, goes to the wrapper in
// pieces that fit, each seeing the host's time of the whole block. [audio thread] Allocates nothing.
constexpr int kMaxPieceChannels = 32;
constexpr int kSilentFrames = 4096;

template <typename Sample>
Sample* silence()
{
    static Sample zeros[kSilentFrames] = {};
    return zeros;
}

template <typename Sample>
void processBlock(Vst2::AEffect* effect, Sample** inputs, Sample** outputs, Vst2::VstInt32 sampleFrames,
                  void (*wrapperBlock)(Vst2::AEffect*, Sample**, Sample**, Vst2::VstInt32))
{
    if (silenceUnlessResumed(effect, outputs, sampleFrames))
        return;
    // Nothing to process, or nowhere to put it.
    if (sampleFrames <= 0 || outputs == nullptr)
        return;

    const int numInputs = effect->numInputs;
    const int numOutputs = effect->numOutputs;
    bool inputsComplete = inputs != nullptr;
    for (int channel = 0; inputsComplete && channel < numInputs; ++channel)
        inputsComplete = inputs[channel] != nullptr;
    const std::int64_t wrapperFrames = 2 * std::int64_t(routes().blockSize(effect));
    if (inputsComplete && sampleFrames <= wrapperFrames)
    {
        wrapperBlock(effect, inputs, outputs, sampleFrames);
        return;
    }

    const auto piece =
        int(std::min<std::int64_t>(wrapperFrames, inputsComplete ? sampleFrames : kSilentFrames));
    if (piece <= 0 || numInputs > numOutputs || numOutputs > kMaxPieceChannels)
    {
        // No piece the wrapper could take: refused as silence.
        silenceOutputs(effect, outputs, sampleFrames);
        return;
    }
    std::array<Sample*, kMaxPieceChannels> pieceInputs{};
    std::array<Sample*, kMaxPieceChannels> pieceOutputs{};
    for (std::int64_t done = 0; done < sampleFrames; done += piece)
    {
        for (int channel = 0; channel < numInputs; ++channel)
        {
            Sample* input = inputs != nullptr ? inputs[channel] : nullptr;
            pieceInputs[std::size_t(channel)] = input != nullptr ? input + done : silence<Sample>();
        }
        for (int channel = 0; channel < numOutputs; ++channel)
            pieceOutputs[std::size_t(channel)] =
                outputs[channel] != nullptr ? outputs[channel] + done : nullptr;
        wrapperBlock(effect, pieceInputs.data(), pieceOutputs.data(),
                     Vst2::VstInt32(std::min<std::int64_t>(piece, sampleFrames - done)));
    }
}

// The wrapper allocates the channels it stands in for on this thread, and an exception from it or from
// the processor would end the host: a block that cannot be served is answered with silence.
// [audio thread]
template <typename Sample>
void processBlockOrSilence(Vst2::AEffect* effect, Sample** inputs, Sample** outputs,
                           Vst2::VstInt32 sampleFrames,
                           void (*wrapperBlock)(Vst2::AEffect*, Sample**, Sample**, Vst2::VstInt32))
{
    try
    {
        processBlock(effect, inputs, outputs, sampleFrames, wrapperBlock);
    }
    catch (...)
    {
        silenceOutputs(effect, outputs, sampleFrames);
    }
}

void processReplacing(Vst2::AEffect* effect, float** inputs, float** outputs, Vst2::VstInt32 sampleFrames)
{
    processBlockOrSilence(effect, inputs, outputs, sampleFrames, g_frameworkProcessReplacing.load());
}

void processDoubleReplacing(Vst2::AEffect* effect, double** inputs, double** outputs,
                            Vst2::VstInt32 sampleFrames)
{
    processBlockOrSilence(effect, inputs, outputs, sampleFrames, g_frameworkProcessDoubleReplacing.load());
}

// The number of bytes of `text` before an incomplete last sequence: a lead byte and fewer continuation
// bytes than it announces, which the missing ones would make a character (as a name cut at a host's
// buffer ends). The length itself when the text does not end in one.
int lengthOfWholeCharacters(const char* text, int length)
{
    int start = length;
    while (start > 0 && length - start < 3 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return length;
    const int lead = start - 1;
    const auto leadByte = static_cast<unsigned char>(text[lead]);
    const int sequence = leadByte >= 0xF0 ? 4 : leadByte >= 0xE0 ? 3 : leadByte >= 0xC0 ? 2 : 1;
    const int present = length - lead;
    if (sequence <= present)
        return length;
    std::array<char, 4> completed{};
    std::memcpy(completed.data(), text + lead, std::size_t(present));
    std::fill(completed.begin() + present, completed.begin() + sequence, char(0x80));
    return juce::CharPointer_UTF8::isValidString(completed.data(), sequence) ? lead : length;
}

// Hosts pass program names as UTF-8 (and read them back so: the wrapper answers UTF-8), while the wrapper
// would take the bytes one character each, so a name with a letter outside ASCII came back double-encoded.
// Bytes that are no UTF-8 are read as Latin-1, as the wrapper always did. The name is read up to its
// terminator, as the wrapper reads it, but never beyond a length no host's name buffer has. Hosts cut
// names to their buffers, at any length, also inside a character: a name whose only fault is such a
// cut keeps its whole characters, and the split one is left out rather than making the whole name
// Latin-1. A name with no whole character before the cut is no such name (no host's buffer is that
// short): it stays Latin-1, as a single accented letter from a Latin-1 host would be.
juce::String programNameFromHost(const char* text)
{
    constexpr std::size_t kLongestName = 1024;
    const auto length = int(strnlen(text, kLongestName));
    const int whole = lengthOfWholeCharacters(text, length);
    if (whole > 0 && juce::CharPointer_UTF8::isValidString(text, whole))
        return juce::String::fromUTF8(text, whole);
    juce::String latin1;
    latin1.preallocateBytes(std::size_t(length) * 2);
    for (int i = 0; i < length; ++i)
        latin1 += juce::juce_wchar(static_cast<unsigned char>(text[i]));
    return latin1;
}

Vst2::VstIntPtr dispatch(Vst2::AEffect* effect, Vst2::VstInt32 opcode, Vst2::VstInt32 index,
                         Vst2::VstIntPtr value, void* ptr, float opt)
{
    if (opcode == Vst2::effClose)
        routes().remove(effect); // the wrapper deletes itself and the processor in this call
    if (refusesCall(opcode, value, ptr))
        return 0;
    // What the processor notices while the host sets its state is the host's own change.
    const HostStateCall hostStateCall(opcode == Vst2::effSetChunk || opcode == Vst2::effSetProgram ||
                                      opcode == Vst2::effSetProgramName);
    if (opcode == Vst2::effVendorSpecific && index == VkJuceProcessorBase::kVendorCommandIndex)
    {
        if (auto* processor = routes().find(effect))
            return Vst2::VstIntPtr(processor->handleVendorCommand(index, value, ptr, opt));
    }
    if (opcode == Vst2::effSetProgramName && ptr != nullptr)
    {
        if (auto* processor = routes().find(effect); processor != nullptr && processor->getNumPrograms() > 0)
        {
            processor->changeProgramName(processor->getCurrentProgram(),
                                         programNameFromHost(static_cast<const char*>(ptr)));
            return 0;
        }
    }
    const auto frameworkDispatcher = g_frameworkDispatcher.load();
    // The wrapper sizes the channels it stands in for missing outputs by the block size it holds when it
    // first needs them, and keeps them until the next suspend, while the pieces of processBlock follow
    // the size it holds: a size announced while resumed reaches it at the next resume, where it prepares
    // the processor with it anyway. A size beyond kLargestBlockSize is taken as that one (longer blocks
    // still come in pieces). A size of nothing (0 or below) tells nothing of the blocks to come, so the
    // size announced last stands (the wrapper's default before any): the host's blocks are most likely
    // still of the size it named last, and a block of any length is served in pieces anyway, while
    // preparing for no frames would silence every block.
    if (opcode == Vst2::effSetBlockSize)
    {
        if (value <= 0)
            return 0; // what the wrapper answers
        const auto blockSize = int(std::min<Vst2::VstIntPtr>(value, kLargestBlockSize));
        routes().setAnnouncedBlockSize(effect, blockSize);
        if (routes().isResumed(effect))
            return 0; // what the wrapper answers
        routes().setBlockSize(effect, blockSize);
        return frameworkDispatcher(effect, opcode, index, blockSize, ptr, opt);
    }
    if (opcode == Vst2::effMainsChanged && value != 0)
        if (const int announced = routes().announcedBlockSize(effect);
            announced != routes().blockSize(effect))
        {
            frameworkDispatcher(effect, Vst2::effSetBlockSize, 0, announced, nullptr, 0.0f);
            routes().setBlockSize(effect, announced);
        }
    // Suspended before the wrapper frees its buffers, resumed only once it has built them again.
    if (opcode == Vst2::effMainsChanged && value == 0)
        routes().setResumed(effect, false);
    const auto result = frameworkDispatcher(effect, opcode, index, value, ptr, opt);
    if (opcode == Vst2::effMainsChanged && value != 0)
        routes().setResumed(effect, true);
    // The wrapper announces an editor until an editor call finds out whether there is one; a host
    // reading the flag after opening the effect learns the truth at once.
    if (opcode == Vst2::effOpen)
        if (auto* processor = routes().find(effect); processor != nullptr && !processor->hasEditor())
            effect->flags &= ~Vst2::effFlagsHasEditor;
    return result;
}

// A host change goes straight to the processor's setParameter (the setter marks it as from the host
// and does not report it back). The wrapper's own path would pass it through the framework's parameter
// object, whose echo suppression swallows the first report the processor makes during the call (the
// Solo switches turning each other off) and reports the host's own change back to it instead.
void setParameter(Vst2::AEffect* effect, Vst2::VstInt32 index, float value)
{
    if (auto* processor = routes().find(effect))
    {
        if (index >= 0 && index < effect->numParams)
            processor->setParameter(index, value);
        return;
    }
    g_frameworkSetParameter.load()(effect, index, value);
}

} // namespace

void attachVendorCommandRoute(Vst2::AEffect& effect, VkJuceProcessorBase* processor,
                              Vst2::audioMasterCallback host)
{
    if (processor == nullptr || effect.dispatcher == nullptr || effect.dispatcher == &dispatch)
        return;
    if (!routes().add(&effect, processor, host))
        return; // out of memory: this one keeps the wrapper's own procedures
    // Every report of the processor reaches the host as automation: resuming must not echo the values.
    processor->setReportsValuesOnPrepare(false);
    // The record is the wrapper's own still (no host has seen it), so these are its procedures; the
    // block procedures, like the rest, are never taken from a record a host has had, where a host's
    // own procedure may stand in front of ours.
    g_frameworkDispatcher.store(effect.dispatcher);
    g_frameworkSetParameter.store(effect.setParameter);
    effect.dispatcher = &dispatch;
    effect.setParameter = &setParameter;
    if (effect.processReplacing != nullptr)
    {
        g_frameworkProcessReplacing.store(effect.processReplacing);
        effect.processReplacing = &processReplacing;
    }
    if (effect.processDoubleReplacing != nullptr)
    {
        g_frameworkProcessDoubleReplacing.store(effect.processDoubleReplacing);
        effect.processDoubleReplacing = &processDoubleReplacing;
    }
}

} // namespace vk::vst2
