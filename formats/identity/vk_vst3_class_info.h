#pragma once

// The records a VST3 host reads from the plug-in factory: the factory information and one class record
// for the processor and one for the controller. Kept free of the SDK so they can be checked in isolation;
// the factory copies them field by field into the SDK's structures. [any thread] No allocation.

#include "formats/identity/vk_plugin_identity.h"

#include <cstddef>
#include <cstdint>

namespace vk::identity
{

// Field sizes of the SDK's records; every string ends in a zero byte inside its field.
inline constexpr std::size_t kVst3NameSize = 64;
inline constexpr std::size_t kVst3CategorySize = 32;
inline constexpr std::size_t kVst3SubCategoriesSize = 128;
inline constexpr std::size_t kVst3UrlSize = 256;
inline constexpr std::size_t kVst3EmailSize = 128;

inline constexpr std::int32_t kVst3FactoryFlagUnicode = 16;
inline constexpr std::int32_t kVst3ManyInstances = 0x7fffffff;

struct Vst3FactoryInfo
{
    char vendor[kVst3NameSize];
    char url[kVst3UrlSize];
    char email[kVst3EmailSize];
    std::int32_t flags;
};

struct Vst3ClassRecord
{
    Vst3ClassId cid;
    std::int32_t cardinality;
    char category[kVst3CategorySize];
    char name[kVst3NameSize];
    std::uint32_t classFlags;
    char subCategories[kVst3SubCategoriesSize];
    char vendor[kVst3NameSize];
    char version[kVst3NameSize];
    char sdkVersion[kVst3NameSize];
};

// Copies `text` into a fixed field, cutting it so that the terminating zero always fits.
void copyTruncated(char* field, std::size_t fieldSize, const char* text);

template <std::size_t N>
void copyTruncated(char (&field)[N], const char* text)
{
    copyTruncated(field, N, text);
}

Vst3FactoryInfo makeVst3FactoryInfo();

// The class vendor stays empty on purpose: hosts then show the factory's vendor for both classes.
Vst3ClassRecord makeVst3ProcessorClassRecord();
Vst3ClassRecord makeVst3ControllerClassRecord();

} // namespace vk::identity
