// The VST 2.4 interface layer against the binary interface hosts read directly: the sizes and field
// offsets of the records passed by pointer, for 64-bit x86 Linux. (Our raw test host shares these
// headers, so only a check against the known layout catches a field out of place.)

#include "platform/vst2/vk_vst2_interface.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace
{

TEST(Vst2InterfaceLayout, EffectRecordMatchesTheHostsView)
{
    static_assert(sizeof(void*) == 8, "64-bit layout");
    EXPECT_EQ(sizeof(Vst2::VstIntPtr), 8u);
    EXPECT_EQ(offsetof(Vst2::AEffect, magic), 0u);
    EXPECT_EQ(offsetof(Vst2::AEffect, dispatcher), 8u);
    EXPECT_EQ(offsetof(Vst2::AEffect, process), 16u);
    EXPECT_EQ(offsetof(Vst2::AEffect, setParameter), 24u);
    EXPECT_EQ(offsetof(Vst2::AEffect, getParameter), 32u);
    EXPECT_EQ(offsetof(Vst2::AEffect, numPrograms), 40u);
    EXPECT_EQ(offsetof(Vst2::AEffect, numParams), 44u);
    EXPECT_EQ(offsetof(Vst2::AEffect, numInputs), 48u);
    EXPECT_EQ(offsetof(Vst2::AEffect, numOutputs), 52u);
    EXPECT_EQ(offsetof(Vst2::AEffect, flags), 56u);
    EXPECT_EQ(offsetof(Vst2::AEffect, resvd1), 64u);
    EXPECT_EQ(offsetof(Vst2::AEffect, resvd2), 72u);
    EXPECT_EQ(offsetof(Vst2::AEffect, initialDelay), 80u);
    EXPECT_EQ(offsetof(Vst2::AEffect, ioRatio), 92u);
    EXPECT_EQ(offsetof(Vst2::AEffect, object), 96u);
    EXPECT_EQ(offsetof(Vst2::AEffect, user), 104u);
    EXPECT_EQ(offsetof(Vst2::AEffect, uniqueID), 112u);
    EXPECT_EQ(offsetof(Vst2::AEffect, version), 116u);
    EXPECT_EQ(offsetof(Vst2::AEffect, processReplacing), 120u);
    EXPECT_EQ(offsetof(Vst2::AEffect, processDoubleReplacing), 128u);
    EXPECT_EQ(sizeof(Vst2::AEffect), 192u);
    EXPECT_EQ(kEffectMagic, 0x56737450);
}

// The time information the wrapper reads from the host on every block.
TEST(Vst2InterfaceLayout, TimeInfoMatchesTheHostsView)
{
    EXPECT_EQ(offsetof(Vst2::VstTimeInfo, timeSigNumerator), 64u);
    EXPECT_EQ(offsetof(Vst2::VstTimeInfo, smpteFrameRate), 76u);
    EXPECT_EQ(offsetof(Vst2::VstTimeInfo, flags), 84u);
    EXPECT_EQ(sizeof(Vst2::VstTimeInfo), 88u);
}

} // namespace
