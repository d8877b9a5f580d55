// The VST 2.4 interface layer against the binary interface hosts read directly: sizes, field offsets
// and the numbers of opcodes and flags, for 64-bit x86 Linux.

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

TEST(Vst2InterfaceLayout, ExtendedStructuresMatchTheHostsView)
{
    EXPECT_EQ(sizeof(Vst2::ERect), 8u);
    EXPECT_EQ(offsetof(Vst2::VstTimeInfo, timeSigNumerator), 64u);
    EXPECT_EQ(offsetof(Vst2::VstTimeInfo, smpteFrameRate), 76u);
    EXPECT_EQ(offsetof(Vst2::VstTimeInfo, flags), 84u);
    EXPECT_EQ(sizeof(Vst2::VstTimeInfo), 88u);
    EXPECT_EQ(sizeof(Vst2::VstEvent), 32u);
    EXPECT_EQ(sizeof(Vst2::VstMidiEvent), 32u);
    EXPECT_EQ(offsetof(Vst2::VstMidiEvent, midiData), 24u);
    EXPECT_EQ(offsetof(Vst2::VstMidiSysexEvent, sysexDump), 32u);
    EXPECT_EQ(sizeof(Vst2::VstMidiSysexEvent), 48u);
    EXPECT_EQ(offsetof(Vst2::VstEvents, events), 16u);
    EXPECT_EQ(offsetof(Vst2::VstPinProperties, flags), 64u);
    EXPECT_EQ(offsetof(Vst2::VstPinProperties, shortLabel), 72u);
    EXPECT_EQ(sizeof(Vst2::VstPinProperties), 128u);
    EXPECT_EQ(offsetof(Vst2::VstSpeakerProperties, name), 16u);
    EXPECT_EQ(offsetof(Vst2::VstSpeakerProperties, type), 80u);
    EXPECT_EQ(sizeof(Vst2::VstSpeakerProperties), 112u);
    EXPECT_EQ(offsetof(Vst2::VstSpeakerArrangement, speakers), 8u);
}

TEST(Vst2InterfaceLayout, OpcodeAndFlagNumbers)
{
    EXPECT_EQ(Vst2::effOpen, 0);
    EXPECT_EQ(Vst2::effClose, 1);
    EXPECT_EQ(Vst2::effGetParamDisplay, 7);
    EXPECT_EQ(Vst2::effMainsChanged, 12);
    EXPECT_EQ(Vst2::effGetChunk, 23);
    EXPECT_EQ(Vst2::effSetChunk, 24);
    EXPECT_EQ(Vst2::effProcessEvents, 25);
    EXPECT_EQ(Vst2::effGetProgramNameIndexed, 29);
    EXPECT_EQ(Vst2::effGetPlugCategory, 35);
    EXPECT_EQ(Vst2::effSetSpeakerArrangement, 42);
    EXPECT_EQ(Vst2::effGetVendorString, 47);
    EXPECT_EQ(Vst2::effVendorSpecific, 50);
    EXPECT_EQ(Vst2::effCanDo, 51);
    EXPECT_EQ(Vst2::effGetVstVersion, 58);
    EXPECT_EQ(Vst2::effGetSpeakerArrangement, 69);
    EXPECT_EQ(Vst2::effSetProcessPrecision, 77);
    EXPECT_EQ(Vst2::effGetNumMidiOutputChannels, 79);
    EXPECT_EQ(Vst2::audioMasterAutomate, 0);
    EXPECT_EQ(Vst2::audioMasterVersion, 1);
    EXPECT_EQ(Vst2::audioMasterGetTime, 7);
    EXPECT_EQ(Vst2::audioMasterIOChanged, 13);
    EXPECT_EQ(Vst2::audioMasterGetCurrentProcessLevel, 23);
    EXPECT_EQ(Vst2::audioMasterVendorSpecific, 35);
    EXPECT_EQ(Vst2::audioMasterCanDo, 37);
    EXPECT_EQ(Vst2::audioMasterUpdateDisplay, 42);
    EXPECT_EQ(Vst2::audioMasterEndEdit, 44);
    EXPECT_EQ(Vst2::effFlagsHasEditor, 1);
    EXPECT_EQ(Vst2::effFlagsCanReplacing, 16);
    EXPECT_EQ(Vst2::effFlagsProgramChunks, 32);
    EXPECT_EQ(Vst2::effFlagsNoSoundInStop, 512);
    EXPECT_EQ(Vst2::effFlagsCanDoubleReplacing, 4096);
    EXPECT_EQ(Vst2::kSpeakerArr51, 15);
    EXPECT_EQ(Vst2::kSpeakerArr71Cine, 22);
    EXPECT_EQ(Vst2::kVstSmpte60fps, 13);
    EXPECT_EQ(kVstVersion, 2400);
}

} // namespace
