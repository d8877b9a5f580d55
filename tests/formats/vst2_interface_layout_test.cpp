// The VST 2.4 interface layer against the binary interface hosts read directly: the sizes and field
// offsets of the records passed by pointer, for 64-bit x86 Linux. (Our raw test host shares these
// headers, so only a check against the known layout catches a field out of place.)

#include "platform/vst2/vk_vst2_interface.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace
{

struct Field
{
    const char* name;
    std::size_t offset, expected;
};

// clang-format off
#define VK_FIELD(record, field, at) {#field, offsetof(Vst2::record, field), at}
const Field kFields[] = {
    VK_FIELD(AEffect, magic, 0), VK_FIELD(AEffect, dispatcher, 8), VK_FIELD(AEffect, process, 16),
    VK_FIELD(AEffect, setParameter, 24), VK_FIELD(AEffect, getParameter, 32), VK_FIELD(AEffect, numPrograms, 40),
    VK_FIELD(AEffect, numParams, 44), VK_FIELD(AEffect, numInputs, 48), VK_FIELD(AEffect, numOutputs, 52),
    VK_FIELD(AEffect, flags, 56), VK_FIELD(AEffect, resvd1, 64), VK_FIELD(AEffect, resvd2, 72),
    VK_FIELD(AEffect, initialDelay, 80), VK_FIELD(AEffect, ioRatio, 92), VK_FIELD(AEffect, object, 96),
    VK_FIELD(AEffect, user, 104), VK_FIELD(AEffect, uniqueID, 112), VK_FIELD(AEffect, version, 116),
    VK_FIELD(AEffect, processReplacing, 120), VK_FIELD(AEffect, processDoubleReplacing, 128),
    // The time information the wrapper reads from the host on every block.
    VK_FIELD(VstTimeInfo, timeSigNumerator, 64), VK_FIELD(VstTimeInfo, smpteFrameRate, 76),
    VK_FIELD(VstTimeInfo, flags, 84)};
// clang-format on

TEST(Vst2InterfaceLayout, EffectRecordAndTimeInfoMatchTheHostsView)
{
    static_assert(sizeof(void*) == 8, "64-bit layout");
    EXPECT_EQ(sizeof(Vst2::VstIntPtr), 8u);
    EXPECT_EQ(sizeof(Vst2::AEffect), 192u);
    EXPECT_EQ(sizeof(Vst2::VstTimeInfo), 88u);
    EXPECT_EQ(kEffectMagic, 0x56737450);
    for (const Field& f : kFields)
        EXPECT_EQ(f.offset, f.expected) << f.name;
}

} // namespace
