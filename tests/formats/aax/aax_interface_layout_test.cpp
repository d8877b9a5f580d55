// The AAX interface layer against the binary interface the host calls through: the position of every
// operation in its table, the identifiers' bytes as the host compares them, and record layouts.

#include "platform/aax/aax_host_interfaces.h"
#include "platform/aax/aax_plugin_interfaces.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace
{

using namespace vk::aax;

// The table position of a virtual operation: this ABI's member-function pointer to a virtual holds
// 1 + the byte offset of its table entry.
template <typename MemberFunction>
std::size_t slotOf(MemberFunction function)
{
    static_assert(sizeof(MemberFunction) == 2 * sizeof(std::uintptr_t), "two-word member pointer");
    std::uintptr_t words[2];
    std::memcpy(words, &function, sizeof words);
    EXPECT_EQ(words[0] % sizeof(void*), 1u) << "not a virtual operation";
    return (words[0] - 1) / sizeof(void*);
}

// The 16 bytes the text form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} stands for in memory.
std::string guidBytes(const char* text)
{
    std::string hex;
    for (const char* c = text; *c != 0; ++c)
        if (*c != '-')
            hex += *c;
    EXPECT_EQ(hex.size(), 32u);
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i)
        bytes[i] = static_cast<unsigned char>(std::stoul(hex.substr(std::size_t(i) * 2, 2), nullptr, 16));
    // The first three groups are numbers in the machine's (little-endian) order.
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string result(16, '\0');
    for (int i = 0; i < 16; ++i)
        result[std::size_t(i)] = char(bytes[order[i]]);
    return result;
}

std::string bytesOf(const Guid& guid)
{
    return std::string(reinterpret_cast<const char*>(&guid), sizeof guid);
}

TEST(AaxInterfaceLayout, IdentifiersAreLaidOutAsTheHostComparesThem)
{
    static_assert(sizeof(Guid) == 16, "16-byte identifiers");
    // Three identifiers in their text form: every group's byte order shows.
    const std::pair<const Guid*, const char*> identifiers[] = {
        {&kIID_IACFUnknown, "00000000-0000-0000-C000-000000000046"},
        {&kIID_ComponentFactory, "382B6A96-7FD0-11D6-BCFE-00306542A024"},
        {&kIID_EffectParametersV2, "F1F47D06-308F-4CC5-9C7C-50A83F8AB813"},
    };
    for (const auto& [guid, text] : identifiers)
        EXPECT_EQ(bytesOf(*guid), guidBytes(text)) << text;
}

TEST(AaxInterfaceLayout, UnknownAndFactoryPositions)
{
    EXPECT_EQ(slotOf(&IACFUnknown::QueryInterface), 0u);
    EXPECT_EQ(slotOf(&IACFUnknown::AddRef), 1u);
    EXPECT_EQ(slotOf(&IACFUnknown::Release), 2u);
    EXPECT_EQ(slotOf(&IComponentFactory::CreateInstance), 3u);
    EXPECT_EQ(slotOf(&IHostServices::Operation3), 3u);
    EXPECT_EQ(slotOf(&IHostServices::Trace), 4u);
}

TEST(AaxInterfaceLayout, DescriptionObjectPositions)
{
    EXPECT_EQ(slotOf(&IHostCollection::AddEffect), 7u);
    EXPECT_EQ(slotOf(&IHostCollection::SetManufacturerName), 8u);
    EXPECT_EQ(slotOf(&IHostCollection::AddPackageName), 9u);
    EXPECT_EQ(slotOf(&IHostCollection::SetPackageVersion), 10u);
    EXPECT_EQ(slotOf(&IHostCollection::SetProperties), 11u);

    EXPECT_EQ(slotOf(&IHostEffectDescriptor::AddComponent), 3u);
    EXPECT_EQ(slotOf(&IHostEffectDescriptor::AddName), 4u);
    EXPECT_EQ(slotOf(&IHostEffectDescriptor::AddCategory), 5u);
    EXPECT_EQ(slotOf(&IHostEffectDescriptor::AddCategoryWith), 6u);
    EXPECT_EQ(slotOf(&IHostEffectDescriptor::AddProcPtr), 7u);
    EXPECT_EQ(slotOf(&IHostEffectDescriptor::SetProperties), 8u);
    EXPECT_EQ(slotOf(&IHostEffectDescriptor::AddResourceInfo), 9u);
    EXPECT_EQ(slotOf(&IHostEffectDescriptor::AddMeter), 10u);
    EXPECT_EQ(slotOf(&IHostEffectDescriptorV2::Operation11), 11u);

    EXPECT_EQ(slotOf(&IHostComponentDescriptor::Clear), 3u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptor::FieldOperation4), 4u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptor::AddAudioIn), 5u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptor::AddAudioOut), 6u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptor::AddAudioBufferLength), 7u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptor::FieldOperation12), 12u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptor::AddPrivateData), 13u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptor::FieldOperation15), 15u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptor::AddProcessProc), 16u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptor::AddProcessProcWith), 17u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptor::FieldOperation18), 18u);
    EXPECT_EQ(slotOf(&IHostComponentDescriptorV2::Operation19), 19u);

    EXPECT_EQ(slotOf(&IHostPropertyMap::GetProperty), 3u);
    EXPECT_EQ(slotOf(&IHostPropertyMap::AddProperty), 4u);
    EXPECT_EQ(slotOf(&IHostPropertyMap::RemoveProperty), 5u);
    EXPECT_EQ(slotOf(&IHostPropertyMapV2::AddPropertyWith), 6u);
    EXPECT_EQ(slotOf(&IHostPropertyMapV2::GetPropertyWith), 7u);
}

TEST(AaxInterfaceLayout, PerInstanceHostObjectPositions)
{
    EXPECT_EQ(slotOf(&IHostController::GetSampleRate), 4u);
    EXPECT_EQ(slotOf(&IHostController::GetInputStemFormat), 5u);
    EXPECT_EQ(slotOf(&IHostController::GetOutputStemFormat), 6u);
    EXPECT_EQ(slotOf(&IHostController::SetSignalLatency), 10u);
    EXPECT_EQ(slotOf(&IHostController::Operation19), 19u);
    EXPECT_EQ(slotOf(&IHostControllerV2::Operation20), 20u);
    EXPECT_EQ(slotOf(&IHostControllerV2::Query22), 22u);
    EXPECT_EQ(slotOf(&IHostControllerV2::Operation23), 23u);

    EXPECT_EQ(slotOf(&IHostTransport::GetCurrentTempo), 3u);
    EXPECT_EQ(slotOf(&IHostTransport::GetCurrentMeter), 4u);
    EXPECT_EQ(slotOf(&IHostTransport::IsTransportPlaying), 5u);
    EXPECT_EQ(slotOf(&IHostTransport::GetCurrentTickPosition), 6u);
    EXPECT_EQ(slotOf(&IHostTransport::GetCurrentLoopPosition), 7u);
    EXPECT_EQ(slotOf(&IHostTransport::GetCurrentNativeSampleLocation), 8u);
    EXPECT_EQ(slotOf(&IHostTransport::GetTicksPerQuarter), 11u);
    EXPECT_EQ(slotOf(&IHostTransportV2::Query13), 13u);
    EXPECT_EQ(slotOf(&IHostTransportV2::GetTimeCodeInfo), 14u);
    EXPECT_EQ(slotOf(&IHostTransportV2::Query16), 16u);

    EXPECT_EQ(slotOf(&IHostAutomationDelegate::RegisterParameter), 3u);
    EXPECT_EQ(slotOf(&IHostAutomationDelegate::UnregisterParameter), 4u);
    EXPECT_EQ(slotOf(&IHostAutomationDelegate::PostSetValueRequest), 5u);
    EXPECT_EQ(slotOf(&IHostAutomationDelegate::PostCurrentValue), 6u);
    EXPECT_EQ(slotOf(&IHostAutomationDelegate::PostTouchRequest), 7u);
    EXPECT_EQ(slotOf(&IHostAutomationDelegate::PostReleaseRequest), 8u);
    EXPECT_EQ(slotOf(&IHostAutomationDelegate::Operation9), 9u);

    EXPECT_EQ(slotOf(&IHostViewContainer::GetType), 3u);
    EXPECT_EQ(slotOf(&IHostViewContainer::GetPtr), 4u);
    EXPECT_EQ(slotOf(&IHostViewContainer::GetModifiers), 5u);
    EXPECT_EQ(slotOf(&IHostViewContainer::SetViewSize), 6u);
    EXPECT_EQ(slotOf(&IHostViewContainer::HandleParameterMouseUp), 9u);

    EXPECT_EQ(slotOf(&IHostProcessorDelegate::GetAudio), 3u);
    EXPECT_EQ(slotOf(&IHostProcessorDelegate::GetSideChainInputNum), 4u);
    EXPECT_EQ(slotOf(&IHostProcessorDelegateV2::Operation5), 5u);
}

TEST(AaxInterfaceLayout, PluginInterfacePositions)
{
    EXPECT_EQ(slotOf(&AAX_IACFEffectGUI::Initialize), 3u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectGUI::SetViewContainer), 6u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectGUI::ParameterUpdated), 10u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectGUI::Hook12), 12u);

    EXPECT_EQ(slotOf(&AAX_IACFHostProcessor::InitOutputBounds), 5u);
    EXPECT_EQ(slotOf(&AAX_IACFHostProcessor::RenderAudio), 7u);
    EXPECT_EQ(slotOf(&AAX_IACFHostProcessor::AnalyzeAudio), 10u);
    EXPECT_EQ(slotOf(&AAX_IACFHostProcessor::PostAnalyze), 12u);

    EXPECT_EQ(slotOf(&AAX_IACFEffectParameters::GetNumberOfParameters), 6u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectParameters::GetParameterIDFromIndex), 18u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectParameters::SetParameterNormalizedValue), 24u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectParameters::UpdateParameterNormalizedValue), 29u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectParameters::GetChunkSize), 35u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectParameters::CompareActiveChunk), 38u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectParameters::GetCustomData), 42u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectParameters_V2::RenderAudio_Hybrid), 45u);
    EXPECT_EQ(slotOf(&AAX_IACFEffectParameters_V2::Operation47), 47u);
}

TEST(AaxInterfaceLayout, RecordsAndCodes)
{
    EXPECT_EQ(sizeof(ViewSize), 8u);
    EXPECT_EQ(offsetof(ViewSize, height), 0u);
    EXPECT_EQ(offsetof(ChunkRecord, size), 0u);
    EXPECT_EQ(offsetof(ChunkRecord, version), 4u);
    EXPECT_EQ(offsetof(ChunkRecord, chunkId), 20u);
    EXPECT_EQ(offsetof(ChunkRecord, name), 24u);
    EXPECT_EQ(offsetof(ChunkRecord, data), kChunkRecordHeaderBytes);
    EXPECT_EQ(kChunkRecordHeaderBytes, 56u);
    EXPECT_EQ(fourCharCode("elck"), 0x656C636Bu);
}

} // namespace
