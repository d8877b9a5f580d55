#include "product/latiphonix_processor.h"

#include "product/editor/latiphonix_editor.h"

#include "formats/identity/vk_plugin_identity.h"
#include "processor/vk_wrapper_type.h"
#include "product/latiphonix_parameters.h"

#include <memory>

using namespace latiphonix;

LatiphonixProcessor::LatiphonixProcessor(int wrapperType) : VkJuceProcessorBase(wrapperType)
{
    setParameterCounts(kNumParameters, kNumPersistentParameters, kNumTransientParameters);
    for (int i = 0; i < kNumParameters; ++i)
        getParameterRecord(i).value.store(findMainParameter(i)->defaultValue);

    registerFrameworkParameters();
    finishParameterRegistration();

    addFactoryPresets();
    finishParameterRegistration();

    bindAlgorithmParameters();
    loadDefaultPreset();
    // User slots, the current slot and its B copy, and one after-change pass over every parameter.
    completeProgramBank();

    if (wrapperType != vk::kWrapperAu && wrapperType != vk::kWrapperRtas)
        setParameterInternal(kShowMenu, 1.0f, true, false, false);

    startTimer(kTimerIntervalMs);
}

LatiphonixProcessor::~LatiphonixProcessor()
{
    // The timer would otherwise run the bank recompute against a half-destroyed algorithm.
    stopTimer();
}

void LatiphonixProcessor::registerFrameworkParameters()
{
    int count = 0;
    frameworkParameters(count);
    for (int position = 0; position < count; ++position)
    {
        const int id = frameworkParameterId(position);
        const auto* info = findFrameworkParameter(id);
        if (id < kTransientBase)
            registerPersistentParameter(info->key, id, info->defaultValue);
        else
            registerTransientParameter(info->key, id, info->defaultValue);
    }
}

const juce::String LatiphonixProcessor::getName() const
{
    return vk::identity::kDisplayName;
}

juce::AudioProcessorEditor* LatiphonixProcessor::createEditor()
{
    for (int i = 0; i < getNumParameters(); ++i)
        getParameterRecord(i).guiDirty.store(true);
    for (int i = 0; i < getNumPersistentParameters(); ++i)
        getParameterRecord(kPersistentBase + i).guiDirty.store(true);
    for (int i = 0; i < getNumTransientParameters(); ++i)
        getParameterRecord(kTransientBase + i).guiDirty.store(true);
    setRefreshAll(true);
    return new LatiphonixEditor(*this);
}

juce::Rectangle<int> LatiphonixProcessor::getInitialEditorBounds() const
{
    return {LatiphonixEditor::editorWidth, LatiphonixEditor::editorHeight};
}

const juce::String LatiphonixProcessor::getParameterName(int index)
{
    if (const auto* info = findMainParameter(index))
        return info->name;
    if (const auto* info = findFrameworkParameter(index))
        return info->name;
    return {};
}

juce::String LatiphonixProcessor::getParameterKey(int index)
{
    if (const auto* info = findMainParameter(index))
        return info->key;
    if (const auto* info = findFrameworkParameter(index))
        return info->key;
    return {};
}

int LatiphonixProcessor::getParameterNumSteps(int index)
{
    if (const auto* info = findMainParameter(index))
        return info->numSteps;
    return kDefaultNumSteps;
}

bool LatiphonixProcessor::isParameterAutomatable(int index) const
{
    if (index == kNoParameter)
        return isHostProTools();
    if (const auto* info = findMainParameter(index))
        return info->automatable;
    return true;
}

bool LatiphonixProcessor::isParameterExposedToHost(int index)
{
    if (const auto* info = findMainParameter(index))
        return info->exposed;
    return true;
}

bool LatiphonixProcessor::isParameterStoredInProgram(int index)
{
    if (const auto* info = findMainParameter(index))
        return info->storedInProgram;
    if (const auto* info = findFrameworkParameter(index))
        return info->storedInProgram;
    return true;
}

const juce::String LatiphonixProcessor::getParameterText(int index)
{
    return getParameterTextForValue(index, getParameterRecord(index).getValue());
}

juce::String LatiphonixProcessor::getParameterTextForValue(int index, float value)
{
    // Ids outside the tables read the shared dummy record and print it plainly.
    if (findMainParameter(index) == nullptr && findFrameworkParameter(index) == nullptr)
        return formatTwoDecimals(value);
    return textFor(index, value);
}

juce::String LatiphonixProcessor::textFor(int index, float value)
{
    const auto* info = findMainParameter(index);
    if (info == nullptr)
        info = findFrameworkParameter(index);
    switch (info->text)
    {
    case TextRule::OnOff:
        return formatOnOff(value);
    case TextRule::Resolution:
        return formatResolution(value);
    case TextRule::Percent101:
        return formatPercent(value, 101, 100);
    case TextRule::Percent201:
        return formatPercent(value, 201, 200);
    case TextRule::Frequency:
        return formatFrequencyValue(value);
    case TextRule::Percent100:
        return formatPercent(value, 100, -1);
    case TextRule::Shape:
        return formatShape(value);
    case TextRule::Balance:
        return formatBalance(value);
    case TextRule::Gain:
        return formatTwoDecimals(value * 2.0f);
    case TextRule::Routing:
        return routingName51(readChannelLayoutChoice());
    case TextRule::Routing71:
        return routingName71(readChannelLayoutChoice());
    case TextRule::FrameRate:
        return frameRateName(readFrameRateChoice());
    case TextRule::MapVersion:
        return juce::String(kParamMapVersionNumber);
    case TextRule::Plain:
        return formatTwoDecimals(value);
    }
    return {};
}

int LatiphonixProcessor::readChannelLayoutChoice()
{
    const int channels = getMaxNumChannels();
    if (channels == 1 || channels == 2)
        return 1;
    const int routing = decodeChoice(getParameterRecord(kRouting).getValue());
    if (channels < 7)
    {
        if (routing < 3)
            return routing;
        int stored = decodeChoice(getParameterRecord(kRoutingDefault).getValue());
        if (stored >= 3)
        {
            const int wrapper = getWrapperType();
            stored = (wrapper == vk::kWrapperRtas || wrapper == vk::kWrapperAax ||
                      wrapper == vk::kWrapperAudioSuite)
                         ? 0
                         : (wrapper == vk::kWrapperAu ? 2 : 1);
        }
        return stored;
    }
    if (routing >= 3 && routing <= 8)
        return routing;
    const int stored = decodeChoice(getParameterRecord(kRoutingDefault71).getValue());
    return (stored < 3 || stored >= 9) ? 3 : stored;
}

int LatiphonixProcessor::readFrameRateChoice()
{
    constexpr int kNumFrameRates = 13;
    const int rate = decodeChoice(getParameterRecord(kTimecodeFrameRate).getValue());
    if (rate < kNumFrameRates)
        return rate;
    const int stored = decodeChoice(getParameterRecord(kFrameRateDefault).getValue());
    return stored < kNumFrameRates ? stored : 6;
}

void LatiphonixProcessor::bindAlgorithmParameters()
{
    for (int handle = 0; handle < LatiphonixAlgo::kNumHandles; ++handle)
        m_algo.bindHandle(handle, LatiphonixAlgo::boundIndex(handle));
    m_algo.attach(this);

    // Slot 40, the first user slot, becomes current. It is filled with the current values first so that
    // making it current changes nothing.
    constexpr int kFirstUserSlot = 40;
    {
        auto program = std::make_unique<ProgramRecord>();
        captureParameterValues(program->values.data());
        setProgram(kFirstUserSlot, *program);
    }
    setCurrentProgram(kFirstUserSlot);

    const bool defaultLoaded = loadDefaultPreset();
    int slot = 0;
    if (findProgramMatchingValues(slot))
    {
        setCurrentProgram(slot);
    }
    else if (!defaultLoaded)
    {
        setCurrentProgram(0);
    }
    else
    {
        auto program = std::make_unique<ProgramRecord>(getProgram(kFirstUserSlot));
        captureParameterValues(program->values.data());
        setProgram(kFirstUserSlot, *program);
    }
}

bool LatiphonixProcessor::findProgramMatchingValues(int& slot)
{
    const int numMain = getNumParameters();
    auto current = std::make_unique<ProgramRecord>();
    captureParameterValues(current->values.data());
    for (int s = 0; s < getNumFilledPrograms(); ++s)
    {
        const auto program = std::make_unique<ProgramRecord>(getProgram(s));
        bool same = true;
        for (int i = 0; i < numMain && same; ++i)
            same = program->values[std::size_t(i)] == current->values[std::size_t(i)];
        if (same)
        {
            slot = s;
            return true;
        }
    }
    return false;
}

void LatiphonixProcessor::prepareAlgorithm(double, int)
{
    // The host calls this between suspend and resume, so no block runs while the algorithm is rebuilt.
    m_algo.prepareForRate();
}

void LatiphonixProcessor::processAlgorithm(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    m_algo.process(buffer, midi);
}

void LatiphonixProcessor::parameterChanged(int index)
{
    m_algo.parameterChanged(index);
}

bool LatiphonixProcessor::timerHook()
{
    m_algo.applyFinishedAnalysis();
    m_algo.updateFilterBank();
    return true;
}

VkJuceProcessorBase* createPluginFilter(int wrapperType)
{
    return new LatiphonixProcessor(wrapperType);
}
