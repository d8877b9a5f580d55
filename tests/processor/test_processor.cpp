#include "test_processor.h"

#include "platform/vk_data_folders.h"

#include <chrono>
#include <random>
#include <sstream>
#include <thread>

ScopedDataFolders::ScopedDataFolders()
{
    std::random_device random;
    m_root = std::filesystem::temp_directory_path() / ("vk-processor-test-" + std::to_string(random()));
    std::filesystem::create_directories(user());
    std::filesystem::create_directories(m_root / "machine");
    vk::platform::setUserDataFolderOverride(user());
    vk::platform::setMachineDataFolderOverride(m_root / "machine");
}

ScopedDataFolders::~ScopedDataFolders()
{
    vk::platform::setUserDataFolderOverride({});
    vk::platform::setMachineDataFolderOverride({});
    std::error_code error;
    std::filesystem::remove_all(m_root, error);
}

std::string changeEvent(int index, float value)
{
    std::ostringstream text;
    text << "change " << index << " " << value;
    return text.str();
}

juce::MemoryBlock stateChunk(const std::string& document, std::int64_t declaredLength, bool terminate)
{
    juce::MemoryBlock block("VC2!", 4);
    const auto length = std::uint32_t(declaredLength < 0 ? std::int64_t(document.size()) : declaredLength);
    const std::uint8_t lengthBytes[4] = {std::uint8_t(length), std::uint8_t(length >> 8),
                                         std::uint8_t(length >> 16), std::uint8_t(length >> 24)};
    block.append(lengthBytes, 4);
    block.append(document.data(), document.size());
    if (terminate)
        block.append("\0", 1);
    return block;
}

std::string chunkDocument(const juce::MemoryBlock& chunk)
{
    return std::string(static_cast<const char*>(chunk.getData()) + 8, chunk.getSize() - 9);
}

std::vector<std::string> RecordingListener::events() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_events;
}

std::vector<std::string> RecordingListener::eventsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> matching;
    for (const auto& event : events())
        if (event.rfind(prefix, 0) == 0)
            matching.push_back(event);
    return matching;
}

namespace
{
const FactoryPresetValue kWidePreset[] = {{3, 1.0f}, {4, 0.0f}, {-1, 0.0f}};
const FactoryPresetValue kUnchangedPreset[] = {{-1, 0.0f}};
} // namespace

TestProcessor::BusesProperties TestProcessor::busesFor(int numChannels)
{
    const auto set = juce::AudioChannelSet::discreteChannels(numChannels);
    return BusesProperties().withInput("Input", set).withOutput("Output", set);
}

TestProcessor::TestProcessor(int wrapperType, int numChannels)
    : VkJuceProcessorBase(wrapperType, busesFor(numChannels))
{
    addListener(&m_log);
    setParameterCounts(kNumMain, 6, 11);
    for (int i = 0; i < kNumMain; ++i)
        getParameterRecord(i).value = kMainDefaults[i];

    registerPersistentParameter("RoutingDefault", 9000, 0.1f);
    registerPersistentParameter("RoutingDefault_7_1", 9001, 0.1f);
    registerPersistentParameter("TimecodeFramerateDefault", 9002, 0.006f);
    registerPersistentParameter("PersistentParamMapVersion", 9003, 0.001f);
    registerPersistentParameter("ExportSupport", 9004, 0.0f);
    registerPersistentParameter("DummyPersistent", 9005, 0.0f);

    const char* transientKeys[] = {"ShowBaseMenu",  "Undo",          "Redo",          "AB",
                                   "AtoB",          "PresetNext",    "PresetPrev",    "",
                                   "ShowProfiling", "ResetToPreset", "DummyTransient"};
    for (int i = 0; i < 11; ++i)
        if (i != 7)
            registerTransientParameter(transientKeys[i], 9100 + i, 0.0f);

    finishParameterRegistration();
    // Slot 0 takes the current values when the bank is completed, so the preset that differs goes second.
    addFactoryPreset({"Unchanged", kUnchangedPreset});
    addFactoryPreset({"Wide", kWidePreset});
    loadDefaultPreset();
    completeProgramBank();
}

TestProcessor::~TestProcessor()
{
    removeListener(&m_log);
}

void TestProcessor::processAlgorithm(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    ++m_algorithmBlocks;
    // Reads the table like a real algorithm does while other threads write it.
    const float gain = getParameter(3) + getParameter(4);
    buffer.applyGain(gain);
}

void TestProcessor::recordOfflineChunk(const juce::AudioBuffer<float>& buffer)
{
    m_offlineChunkSizes.push_back(buffer.getNumSamples());
    m_offlineChunkStarts.push_back(buffer.getNumChannels() > 0 ? buffer.getReadPointer(0) : nullptr);
}

void TestProcessor::processOfflineAnalysisBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    ++m_analysisBlocks;
    recordOfflineChunk(buffer);
}

void TestProcessor::processOfflineRenderBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    ++m_renderBlocks;
    recordOfflineChunk(buffer);
}

TimerOverlapProbe::TimerOverlapProbe(int wrapperType) : TestProcessor(wrapperType)
{
    requestTimerUpdate();
    startTimer(5);
}

// The tick must not reach a probe half destroyed.
TimerOverlapProbe::~TimerOverlapProbe()
{
    stopTimer();
}

bool TimerOverlapProbe::timerHook()
{
    TestProcessor::timerHook();
    busy();
    return false; // the work stays pending: every tick runs it
}

void TimerOverlapProbe::processOfflineRenderBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    busy();
    TestProcessor::processOfflineRenderBlock(buffer, midi);
}

void TimerOverlapProbe::busy()
{
    if (m_busy.fetch_add(1) != 0)
        overlaps.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_busy.fetch_sub(1);
}

void TestProcessor::beginOfflineRenderPass()
{
    m_log.add("begin render");
    VkJuceProcessorBase::beginOfflineRenderPass();
}

void TestProcessor::beginOfflineAnalysisPass()
{
    m_log.add("begin analysis");
    VkJuceProcessorBase::beginOfflineAnalysisPass();
}

namespace
{
struct SizedEditor : juce::AudioProcessorEditor
{
    SizedEditor(juce::AudioProcessor& owner, juce::Point<int> size) : juce::AudioProcessorEditor(owner)
    {
        setSize(size.x, size.y);
    }
};
} // namespace

juce::AudioProcessorEditor* TestProcessor::createEditor()
{
    return m_editorSize.isOrigin() ? nullptr : new SizedEditor(*this, m_editorSize);
}
