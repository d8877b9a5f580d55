#pragma once

// The message a processor wrapper sends through the connection the host makes to its controller: it
// names the wrapper's link, and the controller pairs with that link. A message rather than a cast, since
// a host may connect the two through a proxy of its own. [host main thread]

#include <pluginterfaces/vst/ivstmessage.h>

#include <cstdint>

namespace vk::vst3
{

// Sends the link message carrying `token` to `peer`. Allocates one small message object.
void sendLinkMessage(Steinberg::Vst::IConnectionPoint& peer, std::uint64_t token);
// The token a link message carries; 0 for any other message.
std::uint64_t readLinkMessage(Steinberg::Vst::IMessage* message);

} // namespace vk::vst3
