#pragma once

// AAX_CEffectParameters: the base of the effect's parameters object as the host sees it. Answers the
// host's parameter, chunk and comparison operations over a parameter manager, builds the controls chunk
// "elck" from every parameter not filtered out, and holds the host's controller, transport and
// automation delegate while initialised. Derived classes build their parameters in EffectInit.
//
// A value request goes to the host's automation, which answers with UpdateParameterNormalizedValue.
// A host that offers no automation gets the same road: the request is answered at once, so a value the
// host sets (SetParameterNormalizedValue, a controls chunk) still reaches UpdateParameterNormalizedValue
// and whatever a derived class does there.
// [the host's main thread; UpdateParameterNormalizedValue and GenerateCoefficients may come from others]

#include "formats/aax/aax_chunk_data_parser.h"
#include "formats/aax/aax_controller.h"
#include "formats/aax/aax_packet_dispatcher.h"
#include "formats/aax/aax_parameter_manager.h"
#include "formats/aax/aax_transport.h"
#include "formats/aax/acf_unknown_object.h"

#include <set>
#include <string>

namespace vk::aax
{

constexpr std::uint32_t kControlsChunkId = fourCharCode("elck");
constexpr std::uint32_t kPreviewNotification = fourCharCode("ASPv");
constexpr const char* kMasterBypassId = "MasterBypassID";

class AAX_IEffectParameters : public CACFHostObject<AAX_IACFEffectParameters_V2>
{
};

class AAX_CEffectParameters : public AAX_IEffectParameters
{
public:
    AAX_CEffectParameters() = default;
    ~AAX_CEffectParameters() override;

    Result InternalQueryInterface(const Guid& iid, void** out) override;

    Result Initialize(IACFUnknown* host) override;
    Result Uninitialize() override;
    Result NotificationReceived(std::uint32_t type, const void* data, std::uint32_t size) override;
    Result GetNumberOfParameters(std::int32_t* count) const override;
    Result GetMasterBypassParameter(AAX_IString* id) const override;
    Result GetParameterIsAutomatable(const char* id, bool* automatable) const override;
    Result GetParameterNumberOfSteps(const char* id, std::int32_t* steps) const override;
    Result GetParameterName(const char* id, AAX_IString* name) const override;
    Result GetParameterNameOfLength(const char* id, AAX_IString* name, std::int32_t maxLength) const override;
    Result GetParameterDefaultNormalizedValue(const char* id, double* value) const override;
    Result SetParameterDefaultNormalizedValue(const char* id, double value) override;
    Result GetParameterType(const char* id, std::int32_t* type) const override;
    Result GetParameterOrientation(const char* id, std::int32_t* orientation) const override;
    Result GetParameter(const char* id, AAX_IParameter** parameter) override;
    Result GetParameterIndex(const char* id, std::int32_t* index) const override;
    Result GetParameterIDFromIndex(std::int32_t index, AAX_IString* id) const override;
    Result GetParameterValueInfo(const char* id, std::int32_t selector, std::int32_t* value) const override;
    Result GetParameterValueFromString(const char* id, double* value, const AAX_IString& text) const override;
    Result GetParameterStringFromValue(const char* id, double value, AAX_IString* text,
                                       std::int32_t maxLength) const override;
    Result GetParameterValueString(const char* id, AAX_IString* text, std::int32_t maxLength) const override;
    Result GetParameterNormalizedValue(const char* id, double* value) const override;
    Result SetParameterNormalizedValue(const char* id, double value) override;
    Result SetParameterNormalizedRelative(const char* id, double delta) override;
    Result TouchParameter(const char* id) override;
    Result ReleaseParameter(const char* id) override;
    Result UpdateParameterTouch(const char*, bool) override { return kResultOk; }
    Result UpdateParameterNormalizedValue(const char* id, double value, std::int32_t source) override;
    Result UpdateParameterNormalizedRelative(const char* id, double delta) override;
    Result GenerateCoefficients() override;
    Result ResetFieldData(std::uint32_t fieldIndex, void* block, std::uint32_t blockSize) const override;
    Result GetNumberOfChunks(std::int32_t* count) const override;
    Result GetChunkIDFromIndex(std::int32_t index, std::uint32_t* chunkId) const override;
    Result GetChunkSize(std::uint32_t chunkId, std::uint32_t* size) const override;
    Result GetChunk(std::uint32_t chunkId, ChunkRecord* chunk) const override;
    Result SetChunk(std::uint32_t chunkId, const ChunkRecord* chunk) override;
    Result CompareActiveChunk(const ChunkRecord* chunk, bool* equal) const override;
    Result GetNumberOfChanges(std::int32_t* count) const override;
    Result TimerWakeup() override { return kResultOk; }
    Result GetCurveData(std::uint32_t, const float*, std::uint32_t, float*) const override
    {
        return kResultNotImplemented;
    }
    Result GetCustomData(std::uint32_t dataId, std::uint32_t size, void* data,
                         std::uint32_t* written) const override;
    Result Operation43(Opaque) override { return kResultOk; }
    Result Operation44(Opaque) override { return kResultOk; }
    Result RenderAudio_Hybrid(void*) override { return kResultNotImplemented; }
    Result Operation46(Opaque) override { return kResultOk; }
    Result Operation47(Opaque) override { return kResultOk; }

    // Builds the effect's parameters; a non-zero result fails Initialize.
    virtual Result EffectInit() { return kResultOk; }

protected:
    AAX_CParameterManager& ParameterManager() { return m_parameterManager; }
    const AAX_CParameterManager& ParameterManager() const { return m_parameterManager; }
    std::set<std::string>& FilteredParameters() { return m_filteredParameters; }
    AAX_IController* Controller() const { return m_controller.get(); }
    AAX_ITransport* Transport() const { return m_transport.get(); }
    AAX_IAutomationDelegate* AutomationDelegate() const { return m_automationDelegate.get(); }
    // The size the last GetChunkSize answered.
    std::int32_t ControlsChunkSize() const { return m_controlsChunkSize; }

private:
    class DirectAutomation;

    void releaseHostObjects();
    void buildControlsChunk() const;
    bool isFiltered(const AAX_IParameter& parameter) const;
    bool storedValueMatches(const AAX_IParameter& parameter) const;
    // The current normalised value (as the possibly overridden getter answers it) moved by `delta`,
    // within 0..1.
    Result movedValue(const char* id, double delta, double* moved) const;

    std::int32_t m_numberOfChanges = 0;
    mutable std::int32_t m_controlsChunkSize = 0;
    mutable AAX_CChunkDataParser m_chunkParser;
    AAX_CPacketDispatcher m_packetDispatcher;
    AAX_CParameterManager m_parameterManager;
    std::set<std::string> m_filteredParameters;
    std::unique_ptr<AAX_VController> m_controller;
    std::unique_ptr<AAX_VTransport> m_transport;
    std::unique_ptr<AAX_VAutomationDelegate> m_automationDelegate;
    // The stand-in for the host's automation when it offers none.
    std::unique_ptr<AAX_IAutomationDelegate> m_directAutomation;
};

} // namespace vk::aax
