#include "processor/vk_processor_base.h"

#include "processor/vk_undoable_action.h"

#include <cmath>
#include <mutex>

// The framework command ids, asked from the first processor's getters once and kept for the module.
struct VkJuceProcessorBase::FrameworkIds
{
    int undo, redo, ab, aToB, presetNext, presetPrevious, routing, defaultRouting, defaultRouting71,
        resetToPreset, noParameter;
};

const VkJuceProcessorBase::FrameworkIds& VkJuceProcessorBase::frameworkIds()
{
    static FrameworkIds ids;
    static std::once_flag once;
    std::call_once(once,
                   [this]
                   {
                       ids = {getUndoParameterId(),
                              getRedoParameterId(),
                              getABParameterId(),
                              getAToBParameterId(),
                              getPresetNextParameterId(),
                              getPresetPreviousParameterId(),
                              getRoutingParameterId(),
                              getDefaultRoutingParameterId(),
                              getDefaultRouting71ParameterId(),
                              getResetToPresetParameterId(),
                              getNoParameterId()};
                   });
    return ids;
}

// The per-index gesture calls are the framework's deprecated legacy interface; this processor keeps
// per-index parameters, so they are the right calls here.
JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")
void VkJuceProcessorBase::beginGesture(int index)
{
    beginParameterChangeGesture(index);
}

void VkJuceProcessorBase::endGesture(int index)
{
    endParameterChangeGesture(index);
}
JUCE_END_IGNORE_WARNINGS_GCC_LIKE

void VkJuceProcessorBase::setParameterInternal(int index, float value, bool reportToHost, bool force,
                                               bool fromHost)
{
    // A NaN could never be clamped into range or compared for equality; it would poison the table, the
    // programs and the saved state. Drop it like a change to the same value.
    if (std::isnan(value))
        return;

    const auto& ids = frameworkIds();
    auto& record = getParameterRecord(index);
    record.changedByHost.store(fromHost);
    queueParameterChange(index, fromHost, reportToHost);

    if (index == ids.undo || index == ids.redo)
    {
        if (value == 1.0f)
        {
            // Undo and redo edit the same history as perform, so they take the same lock.
            const juce::ScopedLock lock(m_undoLock);
            if (index == ids.undo)
                m_undoManager.undo();
            else
                m_undoManager.redo();
            m_transactionSource = TransactionSource::None;
            m_refreshAll.store(true);
        }
        return;
    }

    // A host change while the user drags (often the host echoing the drag) joins the drag's undo step;
    // only automation on its own forms host batches. A restored state is one step whatever blocks pass.
    const bool hostBatch = fromHost && !isAnyGestureHeld() && !isRestoringState();

    // The old value is read under the lock so that the action records the value it really replaces
    // when several threads change the same parameter.
    const juce::ScopedLock lock(m_undoLock);
    const float oldValue = record.getValue();
    if (!force && value == oldValue)
        return;
    chooseTransaction(hostBatch);
    m_undoManager.perform(new VkJuceUndoableAction(this, index, oldValue, value, reportToHost), {});
}

// A host automating two parameters in turn never lets one action merge into the previous one, and the
// manager only ever drops whole transactions: one endless transaction would keep every change. Host
// changes therefore collect in a transaction per audio block, a user's change after them opens its own
// (so a drag still undoes in one step), and no transaction grows past a fixed number of actions.
void VkJuceProcessorBase::chooseTransaction(bool hostBatch)
{
    const auto block = m_audioBlocks.load(std::memory_order_relaxed);
    const bool hostBatchOpen = m_transactionSource == TransactionSource::Host;
    const bool newBlock = hostBatch && block != m_transactionBlock;
    if (hostBatchOpen != hostBatch || newBlock ||
        m_undoManager.getNumActionsInCurrentTransaction() >= kUndoMaxActionsPerTransaction)
        m_undoManager.beginNewTransaction();
    m_transactionSource = hostBatch ? TransactionSource::Host : TransactionSource::User;
    m_transactionBlock = block;
}

bool VkJuceProcessorBase::isAnyGestureHeld() const
{
    const juce::ScopedLock lock(m_heldGesturesLock);
    return !m_heldGestures.isEmpty();
}

void VkJuceProcessorBase::queueParameterChange(int index, bool fromHost, bool reportToHost)
{
    juce::ignoreUnused(reportToHost);
    // Host gestures exist only for the main parameters the host knows.
    if (index < 0 || index >= m_numMain || index == frameworkIds().noParameter)
        return;

    if (getParameterRecord(index).gestureHeld.load())
    {
        bool added = false;
        {
            const juce::ScopedLock lock(m_heldGesturesLock);
            if (!m_heldGestures.contains(index))
            {
                m_heldGestures.add(index);
                added = true;
            }
        }
        if (added)
            beginGesture(index);
        return;
    }

    {
        const juce::ScopedLock lock(m_heldGesturesLock);
        if (m_heldGestures.contains(index) || m_heldGestures.isEmpty() || fromHost)
            return;
    }

    bool added = false;
    {
        const juce::ScopedLock lock(m_companionGesturesLock);
        if (!m_companionGestures.contains(index))
        {
            m_companionGestures.add(index);
            added = true;
        }
    }
    if (added)
        beginGesture(index);
}

void VkJuceProcessorBase::endParameterGesture(int index)
{
    if (index < 0 || index >= m_numMain || index == frameworkIds().noParameter)
        return;

    endGesture(index);
    bool lastHeldEnded = false;
    {
        const juce::ScopedLock lock(m_heldGesturesLock);
        m_heldGestures.removeAllInstancesOf(index);
        lastHeldEnded = m_heldGestures.isEmpty();
    }
    if (!lastHeldEnded)
        return;

    juce::Array<int> companions;
    {
        const juce::ScopedLock lock(m_companionGesturesLock);
        companions.swapWith(m_companionGestures);
    }
    for (int companion : companions)
        endGesture(companion);
}

void VkJuceProcessorBase::writeCurrentProgramValue(int index, float value)
{
    m_programs[std::size_t(sanitiseProgramSlot(m_currentProgram.load()))].values[std::size_t(index)] = value;
}

void VkJuceProcessorBase::applyParameterValue(int index, float value, bool reportToHost)
{
    const juce::ScopedLock lock(m_undoLock);
    const auto& ids = frameworkIds();
    value = juce::jlimit(0.0f, 1.0f, value);
    const auto set = classify(index);
    auto& record = getParameterRecord(index);

    const float previous = record.getValue();
    const bool changed = previous != value;
    record.lastValue.store(previous);

    if (index == ids.ab)
    {
        // Both edges of the A/B button swap, so every press compares.
        if (value == 0.0f || value == 1.0f)
            swapAB();
    }
    else if (index == ids.aToB)
    {
        if (value == 1.0f)
            copyCurrentProgramToB();
    }
    else if (set == ParameterSet::Main)
    {
        writeCurrentProgramValue(index, value);
    }
    else if (set == ParameterSet::Persistent)
    {
        storePersistentParameter(index, value);
    }

    record.value.store(value);
    handleFrameworkParameter(index);

    if (changed)
    {
        m_lastChangedParameter.store(index);
        m_refreshAll.store(true);
    }

    if (set == ParameterSet::Main && reportToHost && isParameterExposedToHost(index))
        sendParamChangeMessageToListeners(index, record.getValue());
}

void VkJuceProcessorBase::handleFrameworkParameter(int index)
{
    const auto& ids = frameworkIds();
    auto& record = getParameterRecord(index);
    const float value = record.getValue();

    if (index == ids.presetPrevious && value != 0.0f)
    {
        if (m_presetFileMode)
        {
            loadPreviousPresetFile();
        }
        else
        {
            const int slot = std::max(sanitiseProgramSlot(getCurrentProgram()) - 1, 0);
            m_currentProgram.store(slot);
            loadProgramSlot(slot);
        }
        updateHostDisplay();
    }

    if (index == ids.presetNext && value != 0.0f)
    {
        if (m_presetFileMode)
        {
            loadNextPresetFile();
        }
        else
        {
            const int slot = std::min(sanitiseProgramSlot(getCurrentProgram()) + 1, getNumPrograms() - 1);
            m_currentProgram.store(slot);
            loadProgramSlot(slot);
        }
        updateHostDisplay();
    }

    // Dragging the routing control makes the choice the default for this channel class.
    if (index == ids.routing && record.gestureHeld.load())
    {
        const int target = getMaxNumChannels() > 6 ? ids.defaultRouting71 : ids.defaultRouting;
        setParameterInternal(target, value, true, false, false);
    }

    if (index == ids.resetToPreset && value != 0.0f)
        resetToPreset();

    record.guiDirty.store(true);
    parameterChanged(index);
}

void VkJuceProcessorBase::sendAllParametersToHost()
{
    for (int i = 0; i < m_numMain; ++i)
        if (isParameterExposedToHost(i))
            sendParamChangeMessageToListeners(i, m_mainParameters[std::size_t(i)].getValue());
}

void VkJuceProcessorBase::logParameter(int index)
{
    const auto& record = getParameterRecord(index);
    juce::Logger::writeToLog(juce::String(index) + ". " + record.key + "\t=\t" +
                             juce::String(record.getValue()));
}

void VkJuceProcessorBase::beginNewTransaction()
{
    const juce::ScopedLock lock(m_undoLock);
    m_undoManager.beginNewTransaction();
    m_transactionSource = TransactionSource::None;
}

bool VkJuceProcessorBase::canUndo() const
{
    const juce::ScopedLock lock(m_undoLock);
    return m_undoManager.canUndo();
}

bool VkJuceProcessorBase::canRedo() const
{
    const juce::ScopedLock lock(m_undoLock);
    return m_undoManager.canRedo();
}

int VkJuceProcessorBase::getUndoUnitsStored() const
{
    const juce::ScopedLock lock(m_undoLock);
    return m_undoManager.getNumberOfUnitsTakenUpByStoredCommands();
}

int VkJuceProcessorBase::getNumUndoTransactions() const
{
    const juce::ScopedLock lock(m_undoLock);
    return m_undoManager.getUndoDescriptions().size();
}
