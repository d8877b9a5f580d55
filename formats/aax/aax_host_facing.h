#pragma once

// The objects the factories hand to the host. The host calls them through their interface tables, so
// each table is filled by a final class over the module's own class that runs every operation behind the
// boundary of aax_exception_boundary.h: whatever the operation throws (a failing allocation, the
// processor, the framework) ends there, and the host gets 0x8000FFFF. The module's classes need no guard of
// their own, and an operation a derived class overrides is covered without further work. An operation the
// module calls on itself goes through its guard as well: that caller gets the result code, not the
// exception.
//
// A destructor cannot be guarded here (the host's last Release ends in it): the module's destructors must
// not throw. Each operation keeps the thread rules of the class it calls.

#include "formats/aax/aax_exception_boundary.h"
#include "platform/aax/aax_plugin_interfaces.h"

#include <new>
#include <type_traits>

namespace vk::aax
{

template <typename Effect>
class GuardedEffectParameters final : public Effect
{
public:
    Result Initialize(IACFUnknown* host) override
    {
        return answerWithoutThrowing([&] { return Effect::Initialize(host); });
    }
    Result Uninitialize() override
    {
        return answerWithoutThrowing([&] { return Effect::Uninitialize(); });
    }
    Result NotificationReceived(std::uint32_t type, const void* data, std::uint32_t size) override
    {
        return answerWithoutThrowing([&] { return Effect::NotificationReceived(type, data, size); });
    }
    Result GetNumberOfParameters(std::int32_t* count) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetNumberOfParameters(count); });
    }
    Result GetMasterBypassParameter(AAX_IString* id) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetMasterBypassParameter(id); });
    }
    Result GetParameterIsAutomatable(const char* id, bool* automatable) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterIsAutomatable(id, automatable); });
    }
    Result GetParameterNumberOfSteps(const char* id, std::int32_t* steps) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterNumberOfSteps(id, steps); });
    }
    Result GetParameterName(const char* id, AAX_IString* name) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterName(id, name); });
    }
    Result GetParameterNameOfLength(const char* id, AAX_IString* name, std::int32_t maxLength) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterNameOfLength(id, name, maxLength); });
    }
    Result GetParameterDefaultNormalizedValue(const char* id, double* value) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterDefaultNormalizedValue(id, value); });
    }
    Result SetParameterDefaultNormalizedValue(const char* id, double value) override
    {
        return answerWithoutThrowing([&] { return Effect::SetParameterDefaultNormalizedValue(id, value); });
    }
    Result GetParameterType(const char* id, std::int32_t* type) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterType(id, type); });
    }
    Result GetParameterOrientation(const char* id, std::int32_t* orientation) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterOrientation(id, orientation); });
    }
    Result GetParameter(const char* id, AAX_IParameter** parameter) override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameter(id, parameter); });
    }
    Result GetParameterIndex(const char* id, std::int32_t* index) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterIndex(id, index); });
    }
    Result GetParameterIDFromIndex(std::int32_t index, AAX_IString* id) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterIDFromIndex(index, id); });
    }
    Result GetParameterValueInfo(const char* id, std::int32_t selector, std::int32_t* value) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterValueInfo(id, selector, value); });
    }
    Result GetParameterValueFromString(const char* id, double* value, const AAX_IString& text) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterValueFromString(id, value, text); });
    }
    Result GetParameterStringFromValue(const char* id, double value, AAX_IString* text,
                                       std::int32_t maxLength) const override
    {
        return answerWithoutThrowing(
            [&] { return Effect::GetParameterStringFromValue(id, value, text, maxLength); });
    }
    Result GetParameterValueString(const char* id, AAX_IString* text, std::int32_t maxLength) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterValueString(id, text, maxLength); });
    }
    Result GetParameterNormalizedValue(const char* id, double* value) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetParameterNormalizedValue(id, value); });
    }
    Result SetParameterNormalizedValue(const char* id, double value) override
    {
        return answerWithoutThrowing([&] { return Effect::SetParameterNormalizedValue(id, value); });
    }
    Result SetParameterNormalizedRelative(const char* id, double delta) override
    {
        return answerWithoutThrowing([&] { return Effect::SetParameterNormalizedRelative(id, delta); });
    }
    Result TouchParameter(const char* id) override
    {
        return answerWithoutThrowing([&] { return Effect::TouchParameter(id); });
    }
    Result ReleaseParameter(const char* id) override
    {
        return answerWithoutThrowing([&] { return Effect::ReleaseParameter(id); });
    }
    Result UpdateParameterTouch(const char* id, bool touched) override
    {
        return answerWithoutThrowing([&] { return Effect::UpdateParameterTouch(id, touched); });
    }
    Result UpdateParameterNormalizedValue(const char* id, double value, std::int32_t source) override
    {
        return answerWithoutThrowing([&]
                                     { return Effect::UpdateParameterNormalizedValue(id, value, source); });
    }
    Result UpdateParameterNormalizedRelative(const char* id, double delta) override
    {
        return answerWithoutThrowing([&] { return Effect::UpdateParameterNormalizedRelative(id, delta); });
    }
    Result GenerateCoefficients() override
    {
        return answerWithoutThrowing([&] { return Effect::GenerateCoefficients(); });
    }
    Result ResetFieldData(std::uint32_t fieldIndex, void* block, std::uint32_t blockSize) const override
    {
        return answerWithoutThrowing([&] { return Effect::ResetFieldData(fieldIndex, block, blockSize); });
    }
    Result GetNumberOfChunks(std::int32_t* count) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetNumberOfChunks(count); });
    }
    Result GetChunkIDFromIndex(std::int32_t index, std::uint32_t* chunkId) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetChunkIDFromIndex(index, chunkId); });
    }
    Result GetChunkSize(std::uint32_t chunkId, std::uint32_t* size) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetChunkSize(chunkId, size); });
    }
    Result GetChunk(std::uint32_t chunkId, ChunkRecord* chunk) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetChunk(chunkId, chunk); });
    }
    Result SetChunk(std::uint32_t chunkId, const ChunkRecord* chunk) override
    {
        return answerWithoutThrowing([&] { return Effect::SetChunk(chunkId, chunk); });
    }
    Result CompareActiveChunk(const ChunkRecord* chunk, bool* equal) const override
    {
        return answerWithoutThrowing([&] { return Effect::CompareActiveChunk(chunk, equal); });
    }
    Result GetNumberOfChanges(std::int32_t* count) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetNumberOfChanges(count); });
    }
    Result TimerWakeup() override
    {
        return answerWithoutThrowing([&] { return Effect::TimerWakeup(); });
    }
    Result GetCurveData(std::uint32_t curveType, const float* values, std::uint32_t count,
                        float* outValues) const override
    {
        return answerWithoutThrowing([&]
                                     { return Effect::GetCurveData(curveType, values, count, outValues); });
    }
    Result GetCustomData(std::uint32_t dataId, std::uint32_t size, void* data,
                         std::uint32_t* written) const override
    {
        return answerWithoutThrowing([&] { return Effect::GetCustomData(dataId, size, data, written); });
    }
    Result Operation43(Opaque a) override
    {
        return answerWithoutThrowing([&] { return Effect::Operation43(a); });
    }
    Result Operation44(Opaque a) override
    {
        return answerWithoutThrowing([&] { return Effect::Operation44(a); });
    }
    Result RenderAudio_Hybrid(void* renderInfo) override
    {
        return answerWithoutThrowing([&] { return Effect::RenderAudio_Hybrid(renderInfo); });
    }
    Result Operation46(Opaque a) override
    {
        return answerWithoutThrowing([&] { return Effect::Operation46(a); });
    }
    Result Operation47(Opaque a) override
    {
        return answerWithoutThrowing([&] { return Effect::Operation47(a); });
    }
};

template <typename Gui>
class GuardedEffectGUI final : public Gui
{
public:
    Result Initialize(IACFUnknown* host) override
    {
        return answerWithoutThrowing([&] { return Gui::Initialize(host); });
    }
    Result Uninitialize() override
    {
        return answerWithoutThrowing([&] { return Gui::Uninitialize(); });
    }
    Result NotificationReceived(std::uint32_t type, const void* data, std::uint32_t size) override
    {
        return answerWithoutThrowing([&] { return Gui::NotificationReceived(type, data, size); });
    }
    Result SetViewContainer(IACFUnknown* viewContainer) override
    {
        return answerWithoutThrowing([&] { return Gui::SetViewContainer(viewContainer); });
    }
    Result GetViewSize(ViewSize* size) const override
    {
        return answerWithoutThrowing([&] { return Gui::GetViewSize(size); });
    }
    Result Hook8(Opaque a) override
    {
        return answerWithoutThrowing([&] { return Gui::Hook8(a); });
    }
    Result Hook9(Opaque a) override
    {
        return answerWithoutThrowing([&] { return Gui::Hook9(a); });
    }
    Result ParameterUpdated(const char* parameterId) override
    {
        return answerWithoutThrowing([&] { return Gui::ParameterUpdated(parameterId); });
    }
    Result Hook11(Opaque a) override
    {
        return answerWithoutThrowing([&] { return Gui::Hook11(a); });
    }
    Result Hook12(Opaque a) override
    {
        return answerWithoutThrowing([&] { return Gui::Hook12(a); });
    }
};

template <typename Processor>
class GuardedHostProcessor final : public Processor
{
public:
    Result Initialize(IACFUnknown* host) override
    {
        return answerWithoutThrowing([&] { return Processor::Initialize(host); });
    }
    Result Uninitialize() override
    {
        return answerWithoutThrowing([&] { return Processor::Uninitialize(); });
    }
    Result InitOutputBounds(std::int64_t sourceStart, std::int64_t sourceEnd, std::int64_t* destStart,
                            std::int64_t* destEnd) override
    {
        return answerWithoutThrowing(
            [&] { return Processor::InitOutputBounds(sourceStart, sourceEnd, destStart, destEnd); });
    }
    Result SetLocation(std::int64_t location) override
    {
        return answerWithoutThrowing([&] { return Processor::SetLocation(location); });
    }
    Result RenderAudio(const float* const* inputs, std::int32_t inputCount, float* const* outputs,
                       std::int32_t outputCount, std::int32_t* windowSize) override
    {
        return answerWithoutThrowing(
            [&] { return Processor::RenderAudio(inputs, inputCount, outputs, outputCount, windowSize); });
    }
    Result PreRender() override
    {
        return answerWithoutThrowing([&] { return Processor::PreRender(); });
    }
    Result PostRender() override
    {
        return answerWithoutThrowing([&] { return Processor::PostRender(); });
    }
    Result AnalyzeAudio(const float* const* inputs, std::int32_t inputCount,
                        std::int32_t* windowSize) override
    {
        return answerWithoutThrowing([&] { return Processor::AnalyzeAudio(inputs, inputCount, windowSize); });
    }
    Result PreAnalyze() override
    {
        return answerWithoutThrowing([&] { return Processor::PreAnalyze(); });
    }
    Result PostAnalyze() override
    {
        return answerWithoutThrowing([&] { return Processor::PostAnalyze(); });
    }
};

// The class the host gets for one of the module's objects: its interface table behind the boundary.
template <typename Object>
using HostFacing =
    std::conditional_t<std::is_base_of_v<AAX_IACFEffectParameters, Object>, GuardedEffectParameters<Object>,
                       std::conditional_t<std::is_base_of_v<AAX_IACFEffectGUI, Object>,
                                          GuardedEffectGUI<Object>, GuardedHostProcessor<Object>>>;

// A factory procedure's answer: a new Object behind the boundary, with no reference yet, or null when it
// could not be allocated or its construction threw.
template <typename Object>
IACFUnknown* createForHost() noexcept
{
    static_assert(std::is_base_of_v<AAX_IACFEffectParameters, Object> ||
                      std::is_base_of_v<AAX_IACFEffectGUI, Object> ||
                      std::is_base_of_v<AAX_IACFHostProcessor, Object>,
                  "the factories make effect parameters, effect GUIs and host processors");
    try
    {
        auto* object = new (std::nothrow) HostFacing<Object>();
        return object != nullptr ? object->GetControllingUnknown() : nullptr;
    }
    catch (...)
    {
        return nullptr;
    }
}

} // namespace vk::aax
