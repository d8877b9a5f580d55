#pragma once

// The processor framework every host call passes through. A product derives from it, sets its parameter
// counts, registers its framework parameters, adds its factory presets and fills the pure operations;
// the framework keeps the parameter table, the one undoable setter, the program bank with A/B comparison
// and the default preset, the host state chunk, the latency-aligned bypass, the offline passes, the
// vendor commands, the processor timer, the profiler and the log.
//
// Threads: the setter runs on the audio thread, the host's parameter thread and the message thread at the
// same time. Parameter records are atomic; the undo history and the program bank are guarded by the undo
// lock; each gesture list has its own lock, never held while the host is called.

#include "dsp/delay_filter.h"
#include "processor/vk_channel_user.h"
#include "processor/vk_parameter_record.h"
#include "processor/vk_persistent_writes.h"
#include "processor/vk_profiler.h"
#include "processor/vk_program_record.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class VkJuceProcessorBase : public juce::AudioProcessor,
                            public juce::Timer,
                            public CDelayFilter<float>,
                            public VkJuceChannelUser
{
public:
    // Parameter index space, shared by every format.
    static constexpr int kMainCapacity = kMaxMainParameters;
    static constexpr int kPersistentCapacity = 100;
    static constexpr int kTransientCapacity = 100;
    static constexpr int kPersistentBase = 9000;
    static constexpr int kTransientBase = 9100;
    static constexpr int kNoParameter = 9999;

    static constexpr int kNumPrograms = 46;

    static constexpr int kProcessingNormal = 100;
    static constexpr int kProcessingOfflineAnalysis = 101;
    static constexpr int kProcessingOfflineRender = 102;

    static constexpr int kTimerIntervalMs = 50;
    static constexpr int kUndoMaxUnits = 30000;
    static constexpr int kUndoMinTransactions = 30;
    // The manager trims whole transactions only, so none may grow without end: a transaction holding this
    // many actions is closed and the next change opens a new one.
    static constexpr int kUndoMaxActionsPerTransaction = 512;

    // A default-preset value holding this number leaves its parameter alone.
    static constexpr float kDefaultPresetSkipValue = -100000000.0f;

    // [message thread] wrapperType is the format number the binding passes (see vk_wrapper_type.h).
    explicit VkJuceProcessorBase(int wrapperType);
    VkJuceProcessorBase(int wrapperType, const BusesProperties& buses);
    ~VkJuceProcessorBase() override;

    //==================================================================================================
    // Host-facing operations of the framework base.

    // [message thread] Reports the exposed parameters (see setReportsValuesOnPrepare), prepares the
    // algorithm and runs one timer tick.
    void prepareToPlay(double sampleRate, int blockSize) override;
    // [any thread] Whether prepareToPlay reports every exposed value to the listeners; on by default. A
    // binding whose listener makes every report a host edit (the VST 2.4 wrapper: audioMasterAutomate)
    // turns it off: values the host already has would come back to it as edits on every resume, also
    // right after it restored a state.
    void setReportsValuesOnPrepare(bool reports) noexcept { m_reportsValuesOnPrepare.store(reports); }
    void releaseResources() override {}
    // [audio thread] Profiles the block, plays out the end of a bypass, follows the host position, pumps
    // the message-thread timers and dispatches on the processing mode. Allocates only while draining.
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;
    // [audio thread] Latency-aligned bypass: the dry signal comes out delayed by the latency, so that
    // switching bypass never jumps in time. No allocation.
    void processBlockBypassed(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlockBypassed;

    const juce::String getInputChannelName(int channelIndex) const override;
    const juce::String getOutputChannelName(int channelIndex) const override;
    bool isInputChannelStereoPair(int) const override { return true; }
    bool isOutputChannelStereoPair(int) const override { return true; }
    double getTailLengthSeconds() const override { return 0.0; }
    void reset() override {}
    // No host may offer an editor before the product's editor exists.
    bool hasEditor() const override { return false; }
    /** [any thread] The size createEditor's editor opens at, for hosts that ask before it exists; empty
        without an editor. */
    virtual juce::Rectangle<int> getInitialEditorBounds() const { return {}; }

    // [any thread]
    int getNumParameters() override;
    float getParameter(int index) override;
    // The product's parameter table names and prints its parameters.
    const juce::String getParameterName(int index) override = 0;
    const juce::String getParameterText(int index) override = 0;
    // The text `value` would show, as getParameterText prints the current one (hosts label automation
    // points with it). The base prints the number.
    virtual juce::String getParameterTextForValue(int index, float value)
    {
        juce::ignoreUnused(index);
        return juce::String(value);
    }
    int getParameterNumSteps(int) override { return 0x7fffffff; }
    bool isParameterAutomatable(int) const override { return true; }
    // [host parameter or audio thread] A host change of a main parameter; other indexes are ignored.
    void setParameter(int index, float value) override;

    // [message thread] The host state: the framed chunk, then the product's extra state.
    void getStateInformation(juce::MemoryBlock& destData) override;
    void getCurrentProgramStateInformation(juce::MemoryBlock& destData) override;
    // [message thread] Accepts any bytes: what is not a readable chunk leaves the state unchanged.
    void setStateInformation(const void* data, int sizeInBytes) override;
    // [message thread] As setStateInformation, for callers that answer a host: true when a state chunk
    // was read, false when the bytes hold none that can be (cut, malformed, empty or foreign bytes), in
    // which case the programs and values are as they were.
    bool readStateInformation(const void* data, int sizeInBytes);
    void setCurrentProgramStateInformation(const void* data, int sizeInBytes) override;

    int getNumPrograms() override { return kNumPrograms; }
    int getCurrentProgram() override { return m_currentProgram.load(); }
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    // Names from hosts, preset files, the editor and restored states alike are kept without the
    // characters a saved state cannot carry (control characters other than tab, line feed and carriage
    // return, and codes that are no characters); the rest of the name stays as given. A name that differs
    // from the one held changes the saved state without any parameter edit, so the listeners hear of it as
    // such (nonParameterStateChanged), for the host to mark its session modified; the same name again (a
    // rename left with Escape) changes nothing.
    void changeProgramName(int index, const juce::String& newName) override;

    //==================================================================================================
    // Operations the framework adds, with their base behaviour.

    virtual juce::String getParameterKey(int index) = 0;
    virtual bool isParameterExposedToHost(int) { return true; }
    virtual bool isParameterFlag25(int) { return false; }
    virtual bool isParameterExcludedFromStoredLoad(int) { return true; }
    virtual bool isParameterStoredInProgram(int) { return true; }
    virtual int getMaxNumChannels();
    virtual void bindAlgorithmParameters() {}
    // [host thread] The vendor-specific command channel; 0x23456789 selects our sub-commands.
    virtual juce::pointer_sized_int handleVendorCommand(juce::int32 index, juce::pointer_sized_int value,
                                                        void* ptr, float opt);
    virtual void receiveVendorPointer(void*) {}
    // [host thread] Takes the path of the file being processed from a "FILEDETAILS" element.
    virtual void setFileDetails(std::unique_ptr<juce::XmlElement> element);
    virtual bool receiveVendorTokens(const juce::StringArray&) { return true; }
    virtual void loadProgramValues(const float* values);
    virtual juce::File getUserPresetFolder(const juce::File& folder) { return folder; }
    virtual void onProgramModified() {}
    virtual void swapAB();
    // [any thread] Called after every applied value; the product passes it to the algorithm.
    virtual void parameterChanged(int index) = 0;
    virtual void beforeSaveDefault() {}
    virtual void saveCurrentAsDefault();
    virtual void afterSaveDefault() {}
    virtual bool loadDefaultPreset();
    virtual void logParameter(int index);
    virtual void processAlgorithm(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) = 0;
    virtual void prepareAlgorithm(double, int) {}
    virtual int getLatencyInSamples() { return getLatencySamples(); }
    // [offline thread] Around an offline pass; the begin calls pick up the host position.
    virtual void beginOfflineRenderPass();
    virtual void beginOfflineAnalysisPass();
    virtual void endOfflineRenderPass() {}
    virtual void endOfflineAnalysisPass() {}
    virtual void processOfflineRenderBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
    {
        processAlgorithm(buffer, midi);
    }
    virtual void processOfflineAnalysisBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
    {
        processAlgorithm(buffer, midi);
    }
    // [message thread] The product's periodic work; true once it has nothing left to do.
    virtual bool timerHook() { return true; }
    virtual void timerTick() {}
    virtual void addFactoryPresets() {}

    // Host state hooks: root attributes of the product, and a block the formats append after the chunk.
    virtual void writeStateHook(juce::XmlElement&) {}
    virtual void readStateHook(const juce::XmlElement&) {}
    virtual void getExtraState(juce::MemoryBlock&) {}
    virtual void setExtraState(const void*, int) {}
    virtual bool onChunkParameterResend(int, float) { return true; }

    // [any thread] Host choices kept in parameters; an out-of-range value is repaired from the persistent
    // defaults and written back.
    virtual int getChannelLayoutChoice();
    virtual int getTimecodeFrameRate();
    virtual void setTimecodeFrameRate(int index);

    // Ids of the framework parameters. A product may move them; they are asked once per module.
    virtual int getShowMenuParameterId() { return 9100; }
    virtual int getUndoParameterId() { return 9101; }
    virtual int getRedoParameterId() { return 9102; }
    virtual int getABParameterId() { return 9103; }
    virtual int getAToBParameterId() { return 9104; }
    virtual int getPresetNextParameterId() { return 9105; }
    virtual int getPresetPreviousParameterId() { return 9106; }
    virtual int getProfilingParameterId() { return 9108; }
    virtual int getExportSupportParameterId() { return 9004; }
    virtual int getRoutingParameterId() { return 0; }
    virtual int getDefaultRoutingParameterId() { return 9000; }
    virtual int getDefaultRouting71ParameterId() { return 9001; }
    virtual int getTimecodeFrameRateParameterId() { return 1; }
    virtual int getDefaultFrameRateParameterId() { return 9002; }
    virtual int getParamMapVersionParameterId() { return 2; }
    virtual int getPersistentParamMapVersionParameterId() { return 9003; }
    virtual int getResetToPresetParameterId() { return 9109; }
    virtual int getNoParameterId() { return kNoParameter; }

    //==================================================================================================
    // Parameter-map versions, checked by the editor at every update.

    // The versions of the parameter maps this build writes (session and persistent).
    virtual int getRunningParamMapVersion() { return 1; }
    virtual int getRunningPersistentParamMapVersion() { return 1; }
    // Moves the parameters of a map of version `fromVersion` to the next version; empty in this product.
    virtual void upgradeParamMap(int fromVersion, bool persistent)
    {
        juce::ignoreUnused(fromVersion, persistent);
    }
    // [any thread] Whether the version parameter holds a version that was read (a loaded state carrying it,
    // or the stored setting) rather than its default.
    bool isParamMapVersionKnown(bool persistent) const noexcept;
    void setParamMapVersionKnown(bool persistent) noexcept;
    // [message thread] Writes a version parameter as state rather than as a user edit: no undo step, no
    // report to the host, no readout, and the current program does not count as modified by it.
    void writeParamMapVersion(int index, float value);

    //==================================================================================================
    // Host state chunk and the state of earlier versions. [message thread]

    // Builds the document of all programs and the current program and frames it into `out`.
    void writeStateChunk(juce::MemoryBlock& out);
    // Reads a framed chunk; anything unreadable (a cut chunk too) leaves the state unchanged. The current
    // program is restored as stored (see restoreProgramSlot). True when a document was read.
    bool readStateChunk(const void* data, int size);
    // A component state without our frame: keeps the bytes and asks the user, once, whether the next
    // save may replace them.
    void readEarlierVersionState(const void* data, int size);
    // What the next save writes: the earlier bytes unchanged until the user allowed overwriting them,
    // else a new chunk.
    void writeSavedState(juce::MemoryBlock& out);
    // Asks, at most once, whether the earlier state may be overwritten. The answer comes asynchronously;
    // until it does, the earlier state is kept.
    void warnOldParameterMap();
    void readLegacyStateChunk(const void* data, int size);
    void getLegacyStateChunk(juce::MemoryBlock& dest) const;
    bool isOverwriteOnSave() const noexcept { return m_legacyAnswer->overwriteOnSave.load(); }
    bool holdsLegacyState() const noexcept { return m_legacyState; }
    bool wasWarnedAboutOldState() const noexcept { return m_legacyWarned; }

    //==================================================================================================
    // Offline passes. [offline thread] The block is processed in chunks of at most kOfflineChunkSize
    // samples, each after one processor timer tick and one timer pump, so that periodic work keeps pace.
    static constexpr int kOfflineChunkSize = 1024;
    void processOfflineAnalysis(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi);
    void processOfflineRender(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi);

    //==================================================================================================
    // Latency-aligned bypass.
    static constexpr int kNumBypassLines = 8;
    static constexpr int kBypassMaxDelay = 16383;
    bool isBypassEngaged() const noexcept { return m_bypassEngaged.load(); }
    int getCachedLatency() const noexcept { return m_cachedLatency; }

    static constexpr juce::int32 kVendorCommandIndex = 0x23456789;
    juce::String getFileDetailsPath() const;
    bool isEditorVendorFlagRaised() const noexcept { return m_editorVendorFlag.load(); }

    // [audio thread] Follows the host's transport: a playing host's frame rate sets the timecode choice.
    void updateHostPosition();
    // The timecode index for one of the framework's frame rates, or -1 for rates without one.
    static int timecodeIndexForFrameRate(juce::AudioPlayHead::FrameRateType type) noexcept;

    //==================================================================================================
    // Parameter table. [any thread]

    // The record of `id`; ids outside the three sets share one module-wide dummy record.
    ParameterRecord& getParameterRecord(int id);
    static ParameterRecord& getDummyParameterRecord();

    int getNumPersistentParameters() const noexcept { return m_numPersistent; }
    int getNumTransientParameters() const noexcept { return m_numTransient; }

    // [message thread, set-up] Registration. An id outside its own set is refused (false).
    bool registerPersistentParameter(const juce::String& key, int id, float defaultValue);
    bool registerTransientParameter(const juce::String& key, int id, float defaultValue);
    // [any thread] When `value` differs from the record's value, posts it (clamped) for the settings
    // store; lock-free, no allocation. The write itself waits for flushPersistentWrites.
    void storePersistentParameter(int id, float value);
    // [message thread, no lock held] Writes the posted persistent values to the settings store. Run by
    // every processor timer tick and by the destructor.
    void flushPersistentWrites();

    void clearGuiDirtyFlags();
    void refreshAllParameters();
    // Copies the main values into out[0 .. main count - 1].
    void captureParameterValues(float* out);
    // Keeps `second` at least `gap` above (or below) `first`, moving it through the setter.
    void pushLinkedParameter(int first, int second, bool above, float gap);
    // [any thread] True on the thread that is restoring a host state into this processor, while it does:
    // the rules that keep values apart (bound gaps, exclusive switches) are for changes, and a restored
    // state comes back as it was stored.
    bool isRestoringState() const noexcept;

    //==================================================================================================
    // Changes, gestures and undo. [any thread]

    // The one setter. Allocates an undo action; a persistent parameter also writes the settings store.
    void setParameterInternal(int index, float value, bool reportToHost, bool force, bool fromHost);
    void queueParameterChange(int index, bool fromHost, bool reportToHost);
    void endParameterGesture(int index);
    // Called only by the undoable action, with the undo lock held.
    void applyParameterValue(int index, float value, bool reportToHost);
    void handleFrameworkParameter(int index);
    void sendAllParametersToHost();

    // A whole program load or a whole drag becomes one undo step by starting a transaction first.
    void beginNewTransaction();
    bool canUndo() const;
    bool canRedo() const;
    // What the undo history holds: the manager's units and its undoable transactions.
    int getUndoUnitsStored() const;
    int getNumUndoTransactions() const;

    bool isRefreshAllPending() const noexcept { return m_refreshAll.load(); }
    void setRefreshAll(bool shouldRefresh) noexcept { m_refreshAll.store(shouldRefresh); }
    int getLastChangedParameter() const noexcept { return m_lastChangedParameter.load(); }
    void setLastChangedParameter(int index) noexcept { m_lastChangedParameter.store(index); }
    /** [any thread] The last changed index, leaving `replacement` in its place in one step: a change made
        between a read and a separate reset would be lost. */
    int takeLastChangedParameter(int replacement) noexcept
    {
        return m_lastChangedParameter.exchange(replacement);
    }

    //==================================================================================================
    // Program bank, A/B and default preset. [message thread unless noted]

    int getNumFilledPrograms() const noexcept { return m_filledPrograms; }
    // Copies of the records, taken under the undo lock. [any thread]
    ProgramRecord getProgram(int slot) const;
    ProgramRecord getProgramB() const;
    ProgramRecord getResetSnapshot() const;
    // The name is cleaned as changeProgramName cleans it.
    void setProgram(int slot, const ProgramRecord& program);

    void addFactoryPreset(const FactoryPresetDescriptor& descriptor);
    // The stored bank keeps each factory preset as it was added, so that the preset browser can list and
    // load it after the user has changed its program slot. [any thread]
    int getNumStoredPrograms() const;
    ProgramRecord getStoredProgram(int n) const;
    void loadStoredProgram(int n, int first, int last);
    void markProgramDirty();
    bool isProgramMarkedModified() const noexcept { return m_programModified.load(); }
    void resetToPreset();
    void copyCurrentProgramToB();
    void setCurrentProgramInfo(const juce::String& folder, const juce::String& file);
    void getCurrentProgramInfo(juce::String& folder, juce::String& file) const;
    bool isProgramModified() const;

    bool isPresetFileMode() const noexcept { return m_presetFileMode.load(); }
    void setPresetFileMode(bool shouldUsePresetFiles) noexcept { m_presetFileMode = shouldUsePresetFiles; }
    // Module-wide: steps `processor` to its next (true) or previous preset file; null removes it. Called on
    // the thread that sets the next/previous parameter (the editor's, so the message thread).
    using PresetFileStepper = void (*)(VkJuceProcessorBase& processor, bool next);
    static void setPresetFileStepper(PresetFileStepper stepper) noexcept;

    // The slot rule used everywhere: an index outside the bank addresses slot 0.
    static int sanitiseProgramSlot(int index) noexcept
    {
        return (index >= 0 && index < kNumPrograms) ? index : 0;
    }

    //==================================================================================================
    // Lifecycle, timer and format.

    int getWrapperType() const noexcept { return m_wrapperType; }
    const juce::String& getFormatName() const noexcept { return m_formatName; }
    juce::String getPlatformFormatString() const { return "WIN_" + m_formatName; }
    int getProcessingMode() const noexcept { return m_processingMode.load(); }

    // [any thread] Asks the processor timer to run timerHook; true when work was already pending.
    bool requestTimerUpdate();
    int getPendingWork() const noexcept { return m_pendingWork.load(); }
    // [message thread] The 50 ms tick; also run synchronously by prepareToPlay.
    void timerCallback() override;

    bool persistentParamMapDiffers() const noexcept { return m_persistentParamMapDiffers; }

    VkJuceProfiler& getProfiler() noexcept { return m_profiler; }
    juce::String getProfileReport(int item) const;

    static juce::String formatFrequency(float hz);
    static bool isProToolsHostName(const juce::String& hostFileName);
    bool isHostProTools() const;
    static juce::String getHostName();
    static juce::String getProductKey();
    static bool getCapabilityDefault(int numInputs, int numOutputs);
    static bool isChannelConfigSupported(int numInputs, int numOutputs);
    static int getNumLiveProcessors();

protected:
    // [message thread, set-up] The product's counts of main, persistent and transient parameters.
    void setParameterCounts(int numMain, int numPersistent, int numTransient);
    // [message thread, set-up] After the main values are set: each becomes its own default and last
    // value, takes its key from getParameterKey unless it has one, and no gesture is held.
    void finishParameterRegistration();
    // [message thread, set-up] After the factory presets and the default preset: the remaining slots
    // become user slots ("User01" …) holding the current values, the current slot takes the current
    // values and is copied to B, and every framework command runs once.
    void completeProgramBank();
    // The mode the offline passes switch to (vendor commands 101, 102).
    void setProcessingMode(int mode) noexcept { m_processingMode.store(mode); }

    // In preset-file mode the next/previous preset parameters step through preset files. The store sits
    // above this framework, so it installs its stepping here; without it these do nothing.
    virtual void loadNextPresetFile();
    virtual void loadPreviousPresetFile();

private:
    struct FrameworkIds;
    const FrameworkIds& frameworkIds();

    enum class ParameterSet
    {
        Main,
        Persistent,
        Transient,
        Other
    };
    ParameterSet classify(int index) const noexcept;

    // The frame-rate and routing ids, asked from the getters once per module.
    struct ChoiceIds
    {
        int timecode, defaultFrameRate, routing, defaultRouting, defaultRouting71, showMenu;
    };
    const ChoiceIds& choiceIds();
    static int readChoice(float value) noexcept;

    void drainBypassLines(juce::AudioBuffer<float>& scratch, int numChannels, int numSamples);
    void processOfflineChunks(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi, bool render);
    juce::pointer_sized_int handleEditorCommand(juce::pointer_sized_int value, void* ptr, float opt);
    void readProgramsFromDocument(const juce::XmlElement& root);

    // Tells the listeners that the saved state changed in a way no parameter edit tells them.
    void tellStateChangedOutsideParameters();
    void loadProgramSlot(int slot);
    // Applies a program slot as the host's restored state: one undo step, no report to the host (the
    // host reads the values after a restore; a report would be an edit of its own session), no
    // rules between values, so every value is the stored one.
    void restoreProgramSlot(int slot);
    void beginGesture(int index);
    void endGesture(int index);
    void writeCurrentProgramValue(int index, float value);
    // [undo lock held] Picks the transaction the next change joins.
    void chooseTransaction(bool hostBatch);
    bool isAnyGestureHeld() const;

    // Parameter sets.
    std::unique_ptr<ParameterRecord[]> m_mainParameters;
    std::unique_ptr<ParameterRecord[]> m_persistentParameters;
    std::unique_ptr<ParameterRecord[]> m_transientParameters;
    int m_numMain = 0;
    int m_numPersistent = 0;
    int m_numTransient = 0;

    // Undo history; every call on the manager holds the undo lock, which also guards the program records.
    juce::UndoManager m_undoManager{kUndoMaxUnits, kUndoMinTransactions};
    juce::CriticalSection m_undoLock;
    // Host automation collects in one transaction per audio block (see chooseTransaction); these say
    // which kind of change the open transaction holds and in which block it began. Undo lock.
    enum class TransactionSource
    {
        None,
        User,
        Host
    };
    TransactionSource m_transactionSource = TransactionSource::None;
    std::uint32_t m_transactionBlock = 0;
    std::atomic<std::uint32_t> m_audioBlocks{0};

    // Persistent values posted by the setter, written by the message thread.
    VkPersistentWrites m_persistentWrites;

    // Gesture bookkeeping, each list under its own lock.
    juce::Array<int> m_heldGestures;
    mutable juce::CriticalSection m_heldGesturesLock;
    juce::Array<int> m_companionGestures;
    juce::CriticalSection m_companionGesturesLock;

    std::atomic<bool> m_refreshAll{true};
    std::atomic<bool> m_reportsValuesOnPrepare{true};
    std::atomic<int> m_lastChangedParameter{kNoParameter};

    // Programs.
    std::unique_ptr<ProgramRecord[]> m_programs;
    std::unique_ptr<ProgramRecord[]> m_storedPrograms;
    std::unique_ptr<ProgramRecord> m_programB;
    std::unique_ptr<ProgramRecord> m_resetSnapshot;
    std::unique_ptr<ProgramRecord> m_referenceProgram;
    std::atomic<int> m_currentProgram{0};
    int m_filledPrograms = 0;
    int m_storedProgramCount = 0;
    std::atomic<bool> m_programModified{false};
    std::atomic<bool> m_presetFileMode{false};
    juce::String m_currentPresetFolder;
    juce::String m_currentPresetFile;

    // Lifecycle.
    int m_wrapperType;
    juce::String m_formatName;
    std::atomic<int> m_processingMode{kProcessingNormal};
    std::atomic<int> m_pendingWork{1};
    bool m_persistentParamMapDiffers = false;
    std::atomic<bool> m_sessionMapVersionKnown{false};
    std::atomic<bool> m_persistentMapVersionKnown{false};

    // The state of an earlier version, carried along until the user allows overwriting it. The answer
    // is shared with the pending question, which may outlive the processor.
    struct LegacyAnswer
    {
        std::atomic<bool> overwriteOnSave{true};
    };
    juce::MemoryBlock m_legacyBytes;
    bool m_legacyState = false;
    bool m_legacyReadOnce = false;
    bool m_legacyWarned = false;
    std::shared_ptr<LegacyAnswer> m_legacyAnswer = std::make_shared<LegacyAnswer>();

    // Bypass: one delay line per channel 0..7, their delay always the cached latency.
    std::array<std::unique_ptr<CDelayFilter<float>>, kNumBypassLines> m_bypassLines;
    int m_cachedLatency = 0;
    int m_bypassSampleCount = 0;
    std::atomic<bool> m_bypassEngaged{false};

    juce::String m_fileDetailsPath;
    mutable juce::CriticalSection m_fileDetailsLock;
    std::atomic<bool> m_editorVendorFlag{false};

    VkJuceProfiler m_profiler;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VkJuceProcessorBase)
};
