#include "formats/aax/aax_effect_parameters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace vk::aax
{

namespace
{

constexpr const char* kPreviewId = "PreviewID";
constexpr const char* kControlsChunkName = "Complete Controls State";
constexpr std::size_t kMaxShortenedNameBytes = 255;

// A parameter's value as the controls chunk sees it: the first type the parameter answers, asked in
// the order float, 32-bit integer, boolean, double, string.
struct ParameterValue
{
    enum Kind
    {
        kNone,
        kFloat,
        kInt32,
        kBool,
        kDouble,
        kString,
    };
    Kind kind = kNone;
    float floatValue = 0.0f;
    std::int32_t intValue = 0;
    bool boolValue = false;
    double doubleValue = 0.0;
    AAX_CString stringValue;
};

ParameterValue readValue(const AAX_IParameter& parameter)
{
    ParameterValue value;
    if (parameter.GetValueAsFloat(&value.floatValue))
        value.kind = ParameterValue::kFloat;
    else if (parameter.GetValueAsInt32(&value.intValue))
        value.kind = ParameterValue::kInt32;
    else if (parameter.GetValueAsBool(&value.boolValue))
        value.kind = ParameterValue::kBool;
    else if (parameter.GetValueAsDouble(&value.doubleValue))
        value.kind = ParameterValue::kDouble;
    else if (parameter.GetValueAsString(&value.stringValue))
        value.kind = ParameterValue::kString;
    return value;
}

// Host strings get at most `maxLength` bytes (nothing for a negative length).
void setBounded(AAX_IString& out, const AAX_CString& text, std::int32_t maxLength)
{
    const std::size_t limit = std::size_t(std::max(maxLength, std::int32_t(0)));
    out.Set(text.StdString().substr(0, limit).c_str());
}

// The answer of a parameter's getter through an out value: -20001 for an unknown identifier.
template <typename Value, typename Getter>
Result readParameter(const AAX_CParameterManager& manager, const char* id, Value* out, Getter&& getter)
{
    const AAX_IParameter* parameter = manager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    if (out == nullptr)
        return kResultNullArgument;
    *out = getter(*parameter);
    return kResultOk;
}

} // namespace

// Answers a value request at once, as the host's automation would, and takes no other part.
class AAX_CEffectParameters::DirectAutomation final : public AAX_IAutomationDelegate
{
public:
    explicit DirectAutomation(AAX_CEffectParameters& owner) : m_owner(owner) {}

    Result RegisterParameter(const char*) override { return kResultOk; }
    Result UnregisterParameter(const char*) override { return kResultOk; }
    Result PostSetValueRequest(const char* parameterId, double normalized) const override
    {
        return m_owner.UpdateParameterNormalizedValue(parameterId, normalized, 0);
    }
    Result PostCurrentValue(const char*, double) const override { return kResultOk; }
    Result PostTouchRequest(const char*) override { return kResultOk; }
    Result PostReleaseRequest(const char*) override { return kResultOk; }
    Result Operation9(Opaque) override { return kResultOk; }

private:
    AAX_CEffectParameters& m_owner;
};

AAX_CEffectParameters::~AAX_CEffectParameters()
{
    releaseHostObjects();
}

// Parameters first: each unregisters itself with the automation delegate it holds.
void AAX_CEffectParameters::releaseHostObjects()
{
    m_parameterManager.RemoveAllParameters();
    m_parameterManager.Initialize(nullptr);
    m_packetDispatcher.Initialize(nullptr, this);
    m_controller.reset();
    m_automationDelegate.reset();
    m_directAutomation.reset();
    m_transport.reset();
}

Result AAX_CEffectParameters::InternalQueryInterface(const Guid& iid, void** out)
{
    if (iid == kIID_EffectParametersV2)
        return answerQuery(iid, out, kIID_EffectParametersV2);
    return answerQuery(iid, out, kIID_EffectParameters);
}

Result AAX_CEffectParameters::Initialize(IACFUnknown* host)
{
    // A second Initialize starts over: parameters built against the first one's delegate go first.
    releaseHostObjects();
    m_controller.reset(new (std::nothrow) AAX_VController(host));
    m_automationDelegate.reset(new (std::nothrow) AAX_VAutomationDelegate(host));
    m_transport.reset(new (std::nothrow) AAX_VTransport(host));
    // Without the host's delegate requests sent to nowhere would be lost: they are answered here.
    const bool hostAutomates = m_automationDelegate && m_automationDelegate->hasHostDelegate();
    if (!hostAutomates)
        m_directAutomation.reset(new (std::nothrow) DirectAutomation(*this));
    m_parameterManager.Initialize(hostAutomates ? m_automationDelegate.get() : m_directAutomation.get());
    m_packetDispatcher.Initialize(m_controller.get(), this);

    const Result initialised = EffectInit();
    if (initialised != kResultOk)
        return initialised;
    AAX_CString bypassId;
    GetMasterBypassParameter(&bypassId);
    if (bypassId.Length() > 0)
        m_filteredParameters.insert(bypassId.StdString());
    return kResultOk;
}

Result AAX_CEffectParameters::Uninitialize()
{
    releaseHostObjects();
    return kResultOk;
}

Result AAX_CEffectParameters::NotificationReceived(std::uint32_t type, const void* data, std::uint32_t size)
{
    if (type != kPreviewNotification || data == nullptr || size < sizeof(std::int32_t))
        return kResultOk;
    if (AAX_IParameter* preview = m_parameterManager.GetParameterByID(kPreviewId))
    {
        std::int32_t state = 0;
        std::memcpy(&state, data, sizeof state);
        preview->SetValueWithBool(state != 0);
    }
    return kResultOk;
}

Result AAX_CEffectParameters::GetNumberOfParameters(std::int32_t* count) const
{
    if (count == nullptr)
        return kResultNullArgument;
    *count = m_parameterManager.NumParameters();
    return kResultOk;
}

Result AAX_CEffectParameters::GetMasterBypassParameter(AAX_IString* id) const
{
    if (id == nullptr)
        return kResultNullArgument;
    id->Set(m_parameterManager.GetParameterByID(kMasterBypassId) != nullptr ? kMasterBypassId : "");
    return kResultOk;
}

Result AAX_CEffectParameters::GetParameterIsAutomatable(const char* id, bool* automatable) const
{
    if (automatable == nullptr)
        return kResultNullArgument;
    *automatable = false;
    const AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    *automatable = parameter->Automatable();
    return kResultOk;
}

Result AAX_CEffectParameters::GetParameterNumberOfSteps(const char* id, std::int32_t* steps) const
{
    const AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    if (steps == nullptr)
        return kResultNullArgument;
    const std::uint32_t count = parameter->GetNumberOfSteps();
    if (count > 0x7FFFFFFFu)
        return kResultTooManySteps;
    *steps = std::int32_t(count);
    return kResultOk;
}

Result AAX_CEffectParameters::GetParameterName(const char* id, AAX_IString* name) const
{
    if (name == nullptr)
        return kResultNullArgument;
    const AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    name->Set(parameter != nullptr ? parameter->Name().Get() : "");
    return kResultOk;
}

// The shortened name is a list of candidates separated by line feeds: the longest that fits wins.
Result AAX_CEffectParameters::GetParameterNameOfLength(const char* id, AAX_IString* name,
                                                       std::int32_t maxLength) const
{
    if (name == nullptr)
        return kResultConversionFailed;
    const AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
    {
        name->Set("");
        return kResultOk;
    }
    const std::string shortened =
        parameter->ShortenedName(maxLength).StdString().substr(0, kMaxShortenedNameBytes);
    std::vector<std::string> candidates;
    std::size_t start = 0;
    while (start <= shortened.size())
    {
        const std::size_t end = std::min(shortened.find('\n', start), shortened.size());
        if (end > start)
            candidates.push_back(shortened.substr(start, end - start));
        start = end + 1;
    }
    const std::string* best = nullptr;
    for (const auto& candidate : candidates)
        if (std::int64_t(candidate.size()) <= std::int64_t(maxLength) &&
            (best == nullptr || candidate.size() > best->size()))
            best = &candidate;
    if (best != nullptr)
        name->Set(best->c_str());
    else if (candidates.empty() || maxLength < 1)
        name->Set("");
    else
        name->Set(shortened.substr(0, std::size_t(maxLength)).c_str());
    return kResultOk;
}

Result AAX_CEffectParameters::GetParameterDefaultNormalizedValue(const char* id, double* value) const
{
    return readParameter(m_parameterManager, id, value,
                         [](const AAX_IParameter& parameter)
                         { return parameter.GetNormalizedDefaultValue(); });
}

Result AAX_CEffectParameters::SetParameterDefaultNormalizedValue(const char* id, double value)
{
    AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    if (!std::isfinite(value))
        return kResultConversionFailed;
    parameter->SetNormalizedDefaultValue(value);
    return kResultOk;
}

Result AAX_CEffectParameters::GetParameterType(const char* id, std::int32_t* type) const
{
    return readParameter(m_parameterManager, id, type,
                         [](const AAX_IParameter& parameter) { return parameter.GetType(); });
}

Result AAX_CEffectParameters::GetParameterOrientation(const char* id, std::int32_t* orientation) const
{
    return readParameter(m_parameterManager, id, orientation,
                         [](const AAX_IParameter& parameter) { return parameter.GetOrientation(); });
}

Result AAX_CEffectParameters::GetParameter(const char* id, AAX_IParameter** parameter)
{
    if (parameter == nullptr)
        return kResultNullArgument;
    *parameter = m_parameterManager.GetParameterByID(id);
    return *parameter != nullptr ? kResultOk : kResultUnknownParameter;
}

Result AAX_CEffectParameters::GetParameterIndex(const char* id, std::int32_t* index) const
{
    if (index == nullptr)
        return kResultNullArgument;
    *index = m_parameterManager.GetParameterIndex(id);
    return *index >= 0 ? kResultOk : kResultUnknownParameter;
}

Result AAX_CEffectParameters::GetParameterIDFromIndex(std::int32_t index, AAX_IString* id) const
{
    if (id == nullptr)
        return kResultNullArgument;
    const AAX_IParameter* parameter = m_parameterManager.GetParameter(index);
    const char* identifier = parameter != nullptr ? parameter->Identifier() : "";
    id->Set(identifier);
    return identifier[0] != 0 ? kResultOk : kResultUnknownParameter;
}

Result AAX_CEffectParameters::GetParameterValueInfo(const char*, std::int32_t, std::int32_t* value) const
{
    if (value != nullptr)
        *value = 0;
    return kResultNotImplemented;
}

Result AAX_CEffectParameters::GetParameterValueFromString(const char* id, double* value,
                                                          const AAX_IString& text) const
{
    const AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    AAX_CString bounded;
    bounded = text;
    return parameter->GetNormalizedValueFromString(bounded, value) ? kResultOk : kResultConversionFailed;
}

Result AAX_CEffectParameters::GetParameterStringFromValue(const char* id, double value, AAX_IString* text,
                                                          std::int32_t maxLength) const
{
    const AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    AAX_CString converted;
    if (text == nullptr || !std::isfinite(value) ||
        !parameter->GetStringFromNormalizedValue(value, maxLength, converted))
        return kResultConversionFailed;
    setBounded(*text, converted, maxLength);
    return kResultOk;
}

Result AAX_CEffectParameters::GetParameterValueString(const char* id, AAX_IString* text,
                                                      std::int32_t maxLength) const
{
    const AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    AAX_CString converted;
    if (text == nullptr || !parameter->GetValueString(maxLength, &converted))
        return kResultConversionFailed;
    setBounded(*text, converted, maxLength);
    return kResultOk;
}

Result AAX_CEffectParameters::GetParameterNormalizedValue(const char* id, double* value) const
{
    return readParameter(m_parameterManager, id, value,
                         [](const AAX_IParameter& parameter) { return parameter.GetNormalizedValue(); });
}

Result AAX_CEffectParameters::SetParameterNormalizedValue(const char* id, double value)
{
    AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    if (!std::isfinite(value))
        return kResultConversionFailed;
    parameter->SetNormalizedValue(value);
    return kResultOk;
}

Result AAX_CEffectParameters::movedValue(const char* id, double delta, double* moved) const
{
    double current = 0.0;
    const Result got = GetParameterNormalizedValue(id, &current);
    if (got != kResultOk)
        return got;
    if (!std::isfinite(delta))
        return kResultConversionFailed;
    *moved = std::clamp(current + delta, 0.0, 1.0);
    return kResultOk;
}

Result AAX_CEffectParameters::SetParameterNormalizedRelative(const char* id, double delta)
{
    double moved = 0.0;
    const Result result = movedValue(id, delta, &moved);
    return result != kResultOk ? result : SetParameterNormalizedValue(id, moved);
}

Result AAX_CEffectParameters::TouchParameter(const char* id)
{
    AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    parameter->Touch();
    return kResultOk;
}

Result AAX_CEffectParameters::ReleaseParameter(const char* id)
{
    AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    parameter->Release();
    return kResultOk;
}

Result AAX_CEffectParameters::UpdateParameterNormalizedValue(const char* id, double value, std::int32_t)
{
    AAX_IParameter* parameter = m_parameterManager.GetParameterByID(id);
    if (parameter == nullptr)
        return kResultUnknownParameter;
    if (!std::isfinite(value))
        return kResultConversionFailed;
    parameter->UpdateNormalizedValue(value);
    m_packetDispatcher.SetDirty(id);
    ++m_numberOfChanges;
    return kResultOk;
}

Result AAX_CEffectParameters::UpdateParameterNormalizedRelative(const char* id, double delta)
{
    double moved = 0.0;
    const Result result = movedValue(id, delta, &moved);
    return result != kResultOk ? result : UpdateParameterNormalizedValue(id, moved, 0);
}

Result AAX_CEffectParameters::GenerateCoefficients()
{
    m_packetDispatcher.Dispatch();
    return kResultOk;
}

Result AAX_CEffectParameters::ResetFieldData(std::uint32_t, void* block, std::uint32_t blockSize) const
{
    if (block != nullptr)
        std::memset(block, 0, blockSize);
    return kResultOk;
}

Result AAX_CEffectParameters::GetNumberOfChunks(std::int32_t* count) const
{
    if (count == nullptr)
        return kResultNullArgument;
    *count = 1;
    return kResultOk;
}

Result AAX_CEffectParameters::GetChunkIDFromIndex(std::int32_t index, std::uint32_t* chunkId) const
{
    if (chunkId == nullptr)
        return kResultNullArgument;
    *chunkId = index == 0 ? kControlsChunkId : 0;
    return index == 0 ? kResultOk : kResultUnknownChunkIndex;
}

bool AAX_CEffectParameters::isFiltered(const AAX_IParameter& parameter) const
{
    return m_filteredParameters.count(parameter.Identifier()) != 0;
}

void AAX_CEffectParameters::buildControlsChunk() const
{
    m_chunkParser.Clear();
    for (std::int32_t index = 0; index < m_parameterManager.NumParameters(); ++index)
    {
        const AAX_IParameter* parameter = m_parameterManager.GetParameter(index);
        if (parameter == nullptr || isFiltered(*parameter))
            continue;
        const ParameterValue value = readValue(*parameter);
        const char* id = parameter->Identifier();
        switch (value.kind)
        {
        case ParameterValue::kFloat:
            m_chunkParser.AddDouble(id, double(value.floatValue));
            break;
        case ParameterValue::kInt32:
            m_chunkParser.AddInt32(id, value.intValue);
            break;
        case ParameterValue::kBool:
            m_chunkParser.AddInt32(id, value.boolValue ? 1 : 0);
            break;
        case ParameterValue::kDouble:
            m_chunkParser.AddDouble(id, value.doubleValue);
            break;
        case ParameterValue::kString:
            m_chunkParser.AddString(id, value.stringValue);
            break;
        case ParameterValue::kNone:
            break;
        }
    }
}

Result AAX_CEffectParameters::GetChunkSize(std::uint32_t chunkId, std::uint32_t* size) const
{
    if (size == nullptr)
        return kResultNullArgument;
    if (chunkId != kControlsChunkId)
    {
        *size = 0;
        return kResultUnknownChunkId;
    }
    buildControlsChunk();
    m_controlsChunkSize = m_chunkParser.GetChunkDataSize();
    if (m_controlsChunkSize < 0)
        return kResultChunkSizeMismatch;
    *size = std::uint32_t(m_controlsChunkSize);
    return kResultOk;
}

// The host sized the record from GetChunkSize: a chunk that has grown since would not fit, so nothing
// is written unless the size is still the one the host was told.
Result AAX_CEffectParameters::GetChunk(std::uint32_t chunkId, ChunkRecord* chunk) const
{
    if (chunkId != kControlsChunkId)
        return kResultUnknownChunkId;
    if (chunk == nullptr)
        return kResultNullArgument;
    buildControlsChunk();
    if (m_chunkParser.GetChunkDataSize() != m_controlsChunkSize || m_controlsChunkSize == 0)
        return kResultChunkSizeMismatch;
    chunk->version = m_chunkParser.GetChunkVersion();
    std::memset(chunk->name, 0, sizeof chunk->name);
    std::strncpy(chunk->name, kControlsChunkName, sizeof chunk->name - 1);
    return m_chunkParser.GetChunkData(chunk);
}

Result AAX_CEffectParameters::SetChunk(std::uint32_t chunkId, const ChunkRecord* chunk)
{
    if (chunkId != kControlsChunkId)
        return kResultUnknownChunkId;
    if (chunk == nullptr)
        return kResultNullArgument;
    m_chunkParser.LoadChunk(chunk);
    for (std::int32_t index = 0; index < m_parameterManager.NumParameters(); ++index)
    {
        AAX_IParameter* parameter = m_parameterManager.GetParameter(index);
        if (parameter == nullptr || isFiltered(*parameter))
            continue;
        const char* id = parameter->Identifier();
        double stored = 0.0;
        std::int32_t storedInt = 0;
        AAX_CString storedText;
        switch (readValue(*parameter).kind)
        {
        case ParameterValue::kFloat:
            if (m_chunkParser.FindDouble(id, &stored) && std::isfinite(stored))
                parameter->SetValueWithFloat(float(stored));
            break;
        case ParameterValue::kInt32:
            if (m_chunkParser.FindInt32(id, &storedInt))
                parameter->SetValueWithInt32(storedInt);
            break;
        case ParameterValue::kBool:
            if (m_chunkParser.FindInt32(id, &storedInt))
                parameter->SetValueWithBool(storedInt != 0);
            break;
        case ParameterValue::kDouble:
            if (m_chunkParser.FindDouble(id, &stored) && std::isfinite(stored))
                parameter->SetValueWithDouble(stored);
            break;
        case ParameterValue::kString:
            if (m_chunkParser.FindString(id, &storedText))
                parameter->SetValueWithString(storedText);
            break;
        case ParameterValue::kNone:
            break;
        }
    }
    return kResultOk;
}

bool AAX_CEffectParameters::storedValueMatches(const AAX_IParameter& parameter) const
{
    const ParameterValue value = readValue(parameter);
    const char* id = parameter.Identifier();
    double stored = 0.0;
    std::int32_t storedInt = 0;
    AAX_CString storedText;
    switch (value.kind)
    {
    case ParameterValue::kFloat:
        return m_chunkParser.FindDouble(id, &stored) && float(stored) == value.floatValue;
    case ParameterValue::kInt32:
        return m_chunkParser.FindInt32(id, &storedInt) && storedInt == value.intValue;
    case ParameterValue::kBool:
        return m_chunkParser.FindInt32(id, &storedInt) && (storedInt != 0) == value.boolValue;
    case ParameterValue::kDouble:
        return m_chunkParser.FindDouble(id, &stored) && float(stored) == float(value.doubleValue);
    case ParameterValue::kString:
        return m_chunkParser.FindString(id, &storedText) && storedText == value.stringValue;
    case ParameterValue::kNone:
        break;
    }
    return false;
}

Result AAX_CEffectParameters::CompareActiveChunk(const ChunkRecord* chunk, bool* equal) const
{
    if (chunk == nullptr || equal == nullptr || chunk->chunkId != kControlsChunkId)
        return kResultOk;
    *equal = false;
    m_chunkParser.LoadChunk(chunk);
    for (std::int32_t index = 0; index < m_parameterManager.NumParameters(); ++index)
    {
        const AAX_IParameter* parameter = m_parameterManager.GetParameter(index);
        if (parameter == nullptr || isFiltered(*parameter))
            continue;
        if (!storedValueMatches(*parameter))
            return kResultOk;
    }
    *equal = true;
    return kResultOk;
}

Result AAX_CEffectParameters::GetNumberOfChanges(std::int32_t* count) const
{
    if (count != nullptr && m_numberOfChanges >= 0)
        *count = m_numberOfChanges;
    return kResultOk;
}

Result AAX_CEffectParameters::GetCustomData(std::uint32_t, std::uint32_t, void*, std::uint32_t* written) const
{
    if (written != nullptr)
        *written = 0;
    return kResultOk;
}

} // namespace vk::aax
