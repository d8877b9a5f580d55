// Feeds arbitrary bytes to the update check's reply reader, as a version server (or anything answering
// in its place) might send them. Besides not crashing and no undefined behaviour in the version
// arithmetic, a reply that does not name the product must never be taken for a version.

#include "menu/vk_version_reply.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const juce::String reply = vk::decodeVersionReply(data, size);
    const auto outcome = vk::classifyVersionReply(reply, "Latiphonix3", "3.2.9.3");
    if (!reply.contains("VERSION_Latiphonix3") && outcome != vk::VersionCheckOutcome::noProductToken)
        __builtin_trap();

    // The server's version token reaches the parser as it stands, whatever it holds.
    const std::int64_t value = vk::parseVersionNumber(reply);
    if (reply.isEmpty() && value != 0)
        __builtin_trap();
    return 0;
}
