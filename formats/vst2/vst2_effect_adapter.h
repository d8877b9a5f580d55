#pragma once

// The adapter between the host's effect record and our processor framework. The GUI framework's wrapper
// owns the record; the adapter puts procedures of its own in front of the wrapper's:
// - the dispatcher: the vendor command reaches the processor's handleVendorCommand with the processor's
//   full result; calls that would crash the wrapper or the host are refused (vst2_call_guard.h); every
//   other call goes to the wrapper unchanged, including the vendor calls the wrapper answers itself;
// - setParameter: a host change goes to the processor's setParameter (marked as from the host there),
//   so that the reports the processor makes itself during the change reach the host;
// - the block calls: while the effect is not resumed (before the first effMainsChanged 1, or after a
//   0), the outputs are silenced and the wrapper, whose channel buffers exist only while resumed, is
//   not called; a block of no frames, or without an output array, is not processed; missing inputs
//   are silence; a block longer than the wrapper's own channels (twice the block size it holds) goes
//   to it in pieces; a block the wrapper fails on (it allocates on this thread) is answered silent;
// - the block size: at most kLargestBlockSize where the host announces it, and passed to the wrapper
//   only while suspended (a size announced while resumed reaches it at the next resume), so that the
//   channels the wrapper sized by it stay as long as the adapter's pieces; a size of 0 or below says
//   nothing, and the size announced before it (or the wrapper's default, 1024) stands;
// - the processor's reports on resume (prepareToPlay) are turned off: the wrapper makes every report an
//   audioMasterAutomate, and these would be edits of values the host already has;
// - the processor's notices of a changed state that is no parameter edit reach the host, which the
//   wrapper does not do (vst2_state_notice.h).

#include "platform/vst2/vk_vst2_interface.h"

class VkJuceProcessorBase;

namespace vk::vst2
{

// The largest block size the wrapper is told. It sets aside twice the size for every output it stands
// in for (2 x 65,536 doubles: 1 MiB), on the audio thread, and the processor needs nothing per announced
// frame; it is well beyond the block sizes hosts run with, and a longer block still comes in pieces.
constexpr int kLargestBlockSize = 65536;

// [thread that creates the effect] Puts the adapter's procedures in front of the record's and remembers
// the processor for that record until the host closes it. Called while the record is the wrapper's
// alone and complete (before the host sees it): the procedures found in it are taken as the wrapper's.
// A processor that is not a VkJuceProcessorBase leaves the record as it is. The processor's state
// notices go to `host`, the host's callback (none without one).
void attachVendorCommandRoute(Vst2::AEffect& effect, VkJuceProcessorBase* processor,
                              Vst2::audioMasterCallback host = nullptr);

} // namespace vk::vst2
