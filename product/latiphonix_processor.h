#pragma once

// The product's processor: its parameter table, factory bank and the stereo algorithm it owns.
// Threads: constructed and destroyed on the message thread; the parameter queries answer on any thread;
// processAlgorithm runs on the audio thread.

#include "processor/vk_processor_base.h"
#include "product/latiphonix_algo.h"

class LatiphonixProcessor : public VkJuceProcessorBase
{
public:
    // [message thread] wrapperType is the format number the creating binding passes (see vk_wrapper_type.h).
    // Allocates the parameter table, the program bank and the algorithm; reads the stored settings.
    explicit LatiphonixProcessor(int wrapperType);
    ~LatiphonixProcessor() override;

    const juce::String getName() const override;
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    // [message thread] Marks every control for redraw and opens the product editor.
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }
    juce::Rectangle<int> getInitialEditorBounds() const override;

    // Parameter table. [any thread; the texts allocate]
    const juce::String getParameterName(int index) override;
    const juce::String getParameterText(int index) override;
    juce::String getParameterTextForValue(int index, float value) override;
    juce::String getParameterKey(int index) override;
    int getParameterNumSteps(int index) override;
    bool isParameterAutomatable(int index) const override;
    bool isParameterExposedToHost(int index) override;
    bool isParameterStoredInProgram(int index) override;
    // A factory preset chosen in the preset browser sets every parameter it holds.
    bool isParameterExcludedFromStoredLoad(int) override { return false; }

    // Algorithm hooks.
    void bindAlgorithmParameters() override;
    void prepareAlgorithm(double sampleRate, int blockSize) override;
    // [audio thread]
    void processAlgorithm(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    // [any thread]
    void parameterChanged(int index) override;
    // [message thread]
    bool timerHook() override;
    void addFactoryPresets() override;

    // The first filled program slot whose values equal the current ones exactly. [message thread]
    bool findProgramMatchingValues(int& slot);

    LatiphonixAlgo& getAlgorithm() noexcept { return m_algo; }

    static int getNumFactoryPresets() noexcept;
    static const FactoryPresetDescriptor& getFactoryPreset(int index) noexcept;

private:
    void registerFrameworkParameters();
    juce::String textFor(int index, float value);
    // The host choices the routing and frame-rate texts name, read without changing anything.
    int readChannelLayoutChoice();
    int readFrameRateChoice();

    LatiphonixAlgo m_algo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(LatiphonixProcessor)
};

// The single creation function every format binding calls, with its wrapper-type number.
// [message thread] Allocates the processor; the caller owns it.
VkJuceProcessorBase* createPluginFilter(int wrapperType);
