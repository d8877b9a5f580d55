#pragma once

// A small product built on the framework for the tests: eight main parameters (0 routing, 1 timecode,
// 2 map version, 3..7 plain), the six persistent and eleven transient framework parameters, and two
// factory presets. It records what the framework calls on it.

#include "processor/vk_processor_base.h"
#include "processor/vk_wrapper_type.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

// Points the user and machine data folders at a fresh temporary folder for the life of the object.
class ScopedDataFolders
{
public:
    ScopedDataFolders();
    ~ScopedDataFolders();
    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path user() const { return m_root / "user"; }

private:
    std::filesystem::path m_root;
};

std::string changeEvent(int index, float value);

// Records the framework's calls to its listeners in order, as text ("change 3 0.5", "begin 3", …).
class RecordingListener : public juce::AudioProcessorListener
{
public:
    void audioProcessorParameterChanged(juce::AudioProcessor*, int index, float value) override
    {
        add(changeEvent(index, value));
    }
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override { add("display"); }
    void audioProcessorParameterChangeGestureBegin(juce::AudioProcessor*, int index) override
    {
        add("begin " + std::to_string(index));
    }
    void audioProcessorParameterChangeGestureEnd(juce::AudioProcessor*, int index) override
    {
        add("end " + std::to_string(index));
    }

    std::vector<std::string> events() const;
    std::vector<std::string> eventsStartingWith(const std::string& prefix) const;
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_events.clear();
    }
    // Shared with the processor's own log so the order of host reports and algorithm calls shows.
    void add(const std::string& event)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_events.push_back(event);
    }

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_events;
};

class TestProcessor : public VkJuceProcessorBase
{
public:
    static constexpr int kNumMain = 8;
    static constexpr float kMainDefaults[kNumMain] = {0.001f, 0.006f, 0.001f, 0.25f, 0.5f, 0.75f, 0.1f, 0.9f};

    explicit TestProcessor(int wrapperType = vk::kWrapperVst3, int numChannels = 2);
    ~TestProcessor() override;

    const juce::String getName() const override { return "Test"; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    // A plain sized component when m_editorSize is set, so editor commands have something to measure.
    juce::AudioProcessorEditor* createEditor() override;

    const juce::String getParameterName(int index) override { return "Param " + juce::String(index); }
    const juce::String getParameterText(int index) override { return juce::String(getParameter(index)); }
    juce::String getParameterKey(int index) override { return "P" + juce::String(index); }
    bool isParameterExposedToHost(int index) override { return index > 2; }
    bool isParameterExcludedFromStoredLoad(int) override { return m_excludeStored; }

    void parameterChanged(int index) override { m_log.add("algorithm " + std::to_string(index)); }
    void processAlgorithm(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    void processOfflineAnalysisBlock(juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    void processOfflineRenderBlock(juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    void prepareAlgorithm(double, int) override { m_log.add("prepare"); }
    bool timerHook() override
    {
        ++m_timerHookCalls;
        return m_timerHookResult.load();
    }
    void timerTick() override { ++m_timerTicks; }
    void beginOfflineRenderPass() override;
    void beginOfflineAnalysisPass() override;
    void endOfflineRenderPass() override { m_log.add("end render"); }
    void endOfflineAnalysisPass() override { m_log.add("end analysis"); }
    void receiveVendorPointer(void* pointer) override { m_vendorPointer = pointer; }
    bool receiveVendorTokens(const juce::StringArray& tokens) override
    {
        m_vendorTokens = tokens;
        return true;
    }
    void setExtraState(const void* data, int size) override { m_extraState.append(data, std::size_t(size)); }

    using VkJuceProcessorBase::setProcessingMode;
    // A change as the editor makes it: an undo step, reported to the host.
    void editorSet(int index, float value) { setParameterInternal(index, value, true, false, false); }

    RecordingListener& log() { return m_log; }

    std::atomic<int> m_algorithmBlocks{0};
    std::atomic<int> m_analysisBlocks{0};
    std::atomic<int> m_renderBlocks{0};
    std::atomic<int> m_timerHookCalls{0};
    std::atomic<int> m_timerTicks{0};
    std::atomic<bool> m_timerHookResult{true};
    bool m_excludeStored = true;
    // Sizes and first-sample addresses of the offline chunks, in order.
    std::vector<int> m_offlineChunkSizes;
    std::vector<const float*> m_offlineChunkStarts;
    void* m_vendorPointer = nullptr;
    juce::StringArray m_vendorTokens;
    juce::MemoryBlock m_extraState;
    juce::Point<int> m_editorSize;

private:
    static BusesProperties busesFor(int numChannels);
    void recordOfflineChunk(const juce::AudioBuffer<float>& buffer);

    RecordingListener m_log;
};

// A test processor whose message-thread work (its timer hook, kept pending, every 5 ms) and whose
// preparation, state and offline blocks each take a moment, counting the times two of them ran at once:
// for bindings that must keep the host's changes of the processor apart from that work.
class TimerOverlapProbe : public TestProcessor
{
public:
    explicit TimerOverlapProbe(int wrapperType);
    ~TimerOverlapProbe() override;
    bool timerHook() override;
    void prepareAlgorithm(double, int) override { busy(); }
    void readStateHook(const juce::XmlElement&) override { busy(); }
    void getExtraState(juce::MemoryBlock&) override { busy(); }
    void processOfflineRenderBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;

    std::atomic<int> overlaps{0};

private:
    void busy();
    std::atomic<int> m_busy{0};
};

// A state chunk as the framework frames it: magic, little-endian length (the text's unless given), the
// document and its terminating zero; and the document of such a chunk.
juce::MemoryBlock stateChunk(const std::string& document, std::int64_t declaredLength = -1,
                             bool terminate = true);
std::string chunkDocument(const juce::MemoryBlock& chunk);

// Every processor test runs in fresh data folders.
class ProcessorTest : public ::testing::Test
{
protected:
    ScopedDataFolders m_folders;
};
