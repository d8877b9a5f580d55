#pragma once

// The one call the GUI framework's VST wrapper makes into the module per effect record, through its
// unique-id setting (see vst2_framework_settings.h). Declared with forward declarations only, so that it
// can precede the framework's headers.

namespace Vst2
{
struct AEffect;
} // namespace Vst2
namespace juce
{
class AudioProcessor;
} // namespace juce

namespace vk::vst2
{
// The host's callback, Vst2::audioMasterCallback, spelt with built-in types (the interface's header comes
// after this one).
using FrameworkHostCallback = __INTPTR_TYPE__ (*)(Vst2::AEffect*, int, int, __INTPTR_TYPE__, void*, float);

// [thread that creates the effect] Called once per instance from the wrapper's constructor, where its
// effect record, the host's callback, its processor and its input channel count are all known: attaches
// the vendor-command route of vst2_effect_adapter.h to the record and returns the unique id for that
// channel count. The build's copy of the wrapper sets the unique id after every other field of the
// record (patches/juce/0005-*), so the record's procedures are all the wrapper's own here.
int adoptFrameworkEffect(Vst2::AEffect& effect, FrameworkHostCallback host, juce::AudioProcessor& processor,
                         int numInputChannels);
} // namespace vk::vst2
