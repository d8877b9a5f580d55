#pragma once

// Who the plug-in is, for every host format and for everything that prints or stores it (log, settings
// key, preset folders, dialogs, links). Every binding reads these values from here so that a rename or a
// version bump cannot leave one format behind. [any thread] No allocation.

#include <array>
#include <cstdint>

namespace vk::identity
{

inline constexpr const char* kDisplayName = "VEKLA Latiphonix3";
inline constexpr const char* kMaker = "VEKLA Audio";
inline constexpr const char* kProductKey = "Latiphonix3";
inline constexpr const char* kVersionText = "3.2.9.3";
inline constexpr const char* kVst3SdkVersion = "VST 3.5.2";

// The maker's addresses and the AAX effect id. Reserved example domains: the real ones are filled in at
// release time and nothing in the code depends on their value.
inline constexpr const char* kMakerUrl = "https://www.vekla-audio.example";
inline constexpr const char* kMakerEmail = "support@vekla-audio.example";
inline constexpr const char* kAaxEffectId = "example.vekla-audio.Latiphonix";

struct VersionParts
{
    int major, minor, patch, build;
};
inline constexpr VersionParts kVersion{3, 2, 9, 3};

// VST 2.4 expresses the version as one decimal number: 3.2.9.3 -> 3293.
constexpr std::int32_t vst2VendorVersion(VersionParts v)
{
    return v.major * 1000 + v.minor * 100 + v.patch * 10 + v.build;
}

// AAX packs one byte per version component, most significant first.
constexpr std::uint32_t aaxPackageVersion(VersionParts v)
{
    return (std::uint32_t(v.major & 0xff) << 24) | (std::uint32_t(v.minor & 0xff) << 16) |
           (std::uint32_t(v.patch & 0xff) << 8) | std::uint32_t(v.build & 0xff);
}

inline constexpr std::int32_t kVst2VendorVersion = vst2VendorVersion(kVersion);
inline constexpr std::uint32_t kAaxPackageVersion = aaxPackageVersion(kVersion);

// Four-character code: the first character lands in the most significant byte.
constexpr std::uint32_t fourCC(const char (&code)[5])
{
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16) |
           (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}

inline constexpr std::uint32_t kMakerCode = fourCC("VKLA");
inline constexpr std::uint32_t kProductCode = fourCC("LTPX");
inline constexpr std::uint32_t kAudioSuiteCode = fourCC("LTPS");

// VST 2.4 unique id: surround instances must not collide with the stereo one in a host's plug-in cache,
// so 5.1 and 7.1 bump the third character of the code.
constexpr std::int32_t vst2UniqueId(int numInputChannels)
{
    std::uint32_t id = kAudioSuiteCode;
    if (numInputChannels == 6)
        id += 0x40u << 8;
    else if (numInputChannels == 8)
        id += 0x80u << 8;
    return std::int32_t(id);
}

// AAX ids: one per component, counted up from the base code.
constexpr std::uint32_t aaxNativePluginId(int componentIndex)
{
    return kProductCode + std::uint32_t(componentIndex);
}
constexpr std::uint32_t aaxAudioSuitePluginId(int componentIndex)
{
    return kAudioSuiteCode + std::uint32_t(componentIndex);
}

// Page-table file named in the AAX description.
inline constexpr const char* kAaxPageTableFile = "VEKLA Latiphonix3_PageTable.xml";

// Class ids as the four words the VST3 SDK's FUID constructor takes.
struct Vst3ClassWords
{
    std::uint32_t w1, w2, w3, w4;
};
inline constexpr Vst3ClassWords kProcessorClassWords{0x0CDBB669u, 0x85D548A9u, kMakerCode, kProductCode};
inline constexpr Vst3ClassWords kControllerClassWords{0x0CDBB66Au, 0x85D548A9u, kMakerCode, kProductCode};

using Vst3ClassId = std::array<std::uint8_t, 16>;

// The 16 bytes hosts see. Sessions saved on Windows name the plug-in by the COM byte order (word 1
// little-endian, word 2 with its 16-bit halves swapped, words 3 and 4 big-endian). The SDK's FUID word
// constructor is plain big-endian on Linux, which would give the same class a different id there, so the
// bytes are laid out here by hand and every place that hands a class id to a host takes them from here.
constexpr Vst3ClassId vst3ClassId(Vst3ClassWords w)
{
    auto byteOf = [](std::uint32_t word, int n) { return std::uint8_t((word >> (8 * n)) & 0xff); };
    return Vst3ClassId{byteOf(w.w1, 0), byteOf(w.w1, 1), byteOf(w.w1, 2), byteOf(w.w1, 3),
                       byteOf(w.w2, 2), byteOf(w.w2, 3), byteOf(w.w2, 0), byteOf(w.w2, 1),
                       byteOf(w.w3, 3), byteOf(w.w3, 2), byteOf(w.w3, 1), byteOf(w.w3, 0),
                       byteOf(w.w4, 3), byteOf(w.w4, 2), byteOf(w.w4, 1), byteOf(w.w4, 0)};
}

inline constexpr Vst3ClassId kProcessorClassId = vst3ClassId(kProcessorClassWords);
inline constexpr Vst3ClassId kControllerClassId = vst3ClassId(kControllerClassWords);

} // namespace vk::identity
