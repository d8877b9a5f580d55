#include "processor/vk_processor_base.h"

#include "processor/vk_registry.h"

#include <cmath>
#include <utility>
#include <vector>

namespace
{
// A name as the bank keeps it: without the characters XML cannot carry (control characters other than
// tab, line feed and carriage return; surrogates, U+FFFE and U+FFFF; codes beyond Unicode, which damaged
// UTF-8 decodes to). The state writer writes them as references XML does not allow, and one such name,
// from a host, a preset file's name or a typed or pasted text, made the whole saved state unloadable.
// (The reader takes references to control characters back, for states saved before names were cleaned.)
juce::String cleanProgramName(const juce::String& name)
{
    const auto isXmlCharacter = [](juce::juce_wchar c)
    {
        return c == 0x9 || c == 0xa || c == 0xd || (c >= 0x20 && c <= 0xd7ff) ||
               (c >= 0xe000 && c <= 0xfffd) || (c >= 0x10000 && c <= 0x10ffff);
    };
    // The characters are read as the writer reads them, damaged UTF-8 included.
    bool clean = true;
    for (auto p = name.getCharPointer(); clean && !p.isEmpty();)
        clean = isXmlCharacter(p.getAndAdvance());
    if (clean)
        return name;
    juce::String cleaned;
    for (auto p = name.getCharPointer(); !p.isEmpty();)
        if (const auto c = p.getAndAdvance(); isXmlCharacter(c))
            cleaned += c;
    return cleaned;
}
} // namespace

void VkJuceProcessorBase::setCurrentProgram(int index)
{
    const int slot = sanitiseProgramSlot(index);
    m_currentProgram.store(slot);
    loadProgramSlot(slot);
    m_refreshAll.store(true);
}

const juce::String VkJuceProcessorBase::getProgramName(int index)
{
    const juce::ScopedLock lock(m_undoLock);
    return m_programs[std::size_t(sanitiseProgramSlot(index))].name;
}

void VkJuceProcessorBase::changeProgramName(int index, const juce::String& newName)
{
    const juce::String name = cleanProgramName(newName);
    bool changed = false;
    {
        const juce::ScopedLock lock(m_undoLock);
        auto& stored = m_programs[std::size_t(sanitiseProgramSlot(index))].name;
        changed = stored != name;
        stored = name;
    }
    m_refreshAll.store(true);
    if (changed)
        tellStateChangedOutsideParameters();
}

void VkJuceProcessorBase::tellStateChangedOutsideParameters()
{
    updateHostDisplay(ChangeDetails().withNonParameterStateChanged(true));
}

ProgramRecord VkJuceProcessorBase::getProgram(int slot) const
{
    const juce::ScopedLock lock(m_undoLock);
    return m_programs[std::size_t(sanitiseProgramSlot(slot))];
}

ProgramRecord VkJuceProcessorBase::getProgramB() const
{
    const juce::ScopedLock lock(m_undoLock);
    return *m_programB;
}

ProgramRecord VkJuceProcessorBase::getResetSnapshot() const
{
    const juce::ScopedLock lock(m_undoLock);
    return *m_resetSnapshot;
}

void VkJuceProcessorBase::setProgram(int slot, const ProgramRecord& program)
{
    const juce::String name = cleanProgramName(program.name);
    const juce::ScopedLock lock(m_undoLock);
    auto& stored = m_programs[std::size_t(sanitiseProgramSlot(slot))];
    stored = program;
    stored.name = name;
}

void VkJuceProcessorBase::loadProgramSlot(int slot)
{
    // The slot is copied first: loading writes the same slot back value by value, and other threads may
    // be changing parameters of it meanwhile.
    std::vector<float> values(kMainCapacity);
    {
        const juce::ScopedLock lock(m_undoLock);
        const auto& program = m_programs[std::size_t(sanitiseProgramSlot(slot))];
        std::copy(program.values.begin(), program.values.end(), values.begin());
    }
    loadProgramValues(values.data());
}

namespace
{
// The processor whose state the current thread is restoring; null when none.
thread_local const VkJuceProcessorBase* t_restoringProcessor = nullptr;

class RestoringScope
{
public:
    explicit RestoringScope(const VkJuceProcessorBase* processor)
        : m_previous(std::exchange(t_restoringProcessor, processor))
    {
    }
    ~RestoringScope() { t_restoringProcessor = m_previous; }
    RestoringScope(const RestoringScope&) = delete;
    RestoringScope& operator=(const RestoringScope&) = delete;

private:
    const VkJuceProcessorBase* m_previous;
};
} // namespace

bool VkJuceProcessorBase::isRestoringState() const noexcept
{
    return t_restoringProcessor == this;
}

void VkJuceProcessorBase::restoreProgramSlot(int slot)
{
    std::vector<float> values(kMainCapacity);
    {
        const juce::ScopedLock lock(m_undoLock);
        const auto& program = m_programs[std::size_t(sanitiseProgramSlot(slot))];
        std::copy(program.values.begin(), program.values.end(), values.begin());
    }
    const int abId = getABParameterId();
    const int noParameterId = getNoParameterId();
    beginNewTransaction();
    {
        const RestoringScope restoring(this);
        for (int i = 0; i < getNumParameters(); ++i)
            if (i != abId && i != noParameterId)
                setParameterInternal(i, values[std::size_t(i)], false, false, true);
    }
    markProgramDirty();
}

void VkJuceProcessorBase::loadProgramValues(const float* values)
{
    const int abId = getABParameterId();
    const int noParameterId = getNoParameterId();
    beginNewTransaction();
    for (int i = 0; i < getNumParameters(); ++i)
        if (i != abId && i != noParameterId)
            setParameterInternal(i, values[i], true, false, false);
    markProgramDirty();
}

void VkJuceProcessorBase::loadStoredProgram(int n, int first, int last)
{
    beginNewTransaction();
    juce::String name;
    {
        std::vector<float> values(kMainCapacity);
        {
            const juce::ScopedLock lock(m_undoLock);
            const auto& stored = m_storedPrograms[std::size_t(sanitiseProgramSlot(n))];
            std::copy(stored.values.begin(), stored.values.end(), values.begin());
            name = stored.name;
        }
        for (int i = std::max(first, 0); i < std::min(last, getNumParameters()); ++i)
            if (!isParameterExcludedFromStoredLoad(i))
                setParameterInternal(i, values[std::size_t(i)], true, false, false);
    }
    changeProgramName(getCurrentProgram(), name);
    markProgramDirty();
}

void VkJuceProcessorBase::markProgramDirty()
{
    m_programModified.store(true);
    {
        const juce::ScopedLock lock(m_undoLock);
        captureParameterValues(m_resetSnapshot->values.data());
    }
    onProgramModified();
}

void VkJuceProcessorBase::resetToPreset()
{
    std::vector<float> values(kMainCapacity);
    {
        const juce::ScopedLock lock(m_undoLock);
        std::copy(m_resetSnapshot->values.begin(), m_resetSnapshot->values.end(), values.begin());
    }
    loadProgramValues(values.data());
}

void VkJuceProcessorBase::swapAB()
{
    const int slot = sanitiseProgramSlot(getCurrentProgram());
    {
        const juce::ScopedLock lock(m_undoLock);
        auto& current = m_programs[std::size_t(slot)];
        auto aside = std::make_unique<ProgramRecord>(current);
        copyProgramRecord(current, *m_programB);
        copyProgramRecord(*m_programB, *aside);
    }
    loadProgramSlot(slot);
}

void VkJuceProcessorBase::copyCurrentProgramToB()
{
    const juce::ScopedLock lock(m_undoLock);
    copyProgramRecord(*m_programB, m_programs[std::size_t(sanitiseProgramSlot(getCurrentProgram()))]);
}

void VkJuceProcessorBase::addFactoryPreset(const FactoryPresetDescriptor& descriptor)
{
    const juce::ScopedLock lock(m_undoLock);
    // A product with more presets than slots would otherwise write past the bank.
    if (m_filledPrograms >= kNumPrograms)
        return;
    auto& program = m_programs[std::size_t(m_filledPrograms++)];
    captureParameterValues(program.values.data());
    program.name = juce::String(descriptor.name != nullptr ? descriptor.name : "");
    program.categoryMask = -1;
    for (const auto* pair = descriptor.values; pair != nullptr && pair->index != -1; ++pair)
        if (pair->index >= 0 && pair->index < kMainCapacity)
            program.values[std::size_t(pair->index)] = pair->value;
    if (m_storedProgramCount < kNumPrograms)
        m_storedPrograms[std::size_t(m_storedProgramCount++)] = program;
}

int VkJuceProcessorBase::getNumStoredPrograms() const
{
    const juce::ScopedLock lock(m_undoLock);
    return m_storedProgramCount;
}

ProgramRecord VkJuceProcessorBase::getStoredProgram(int n) const
{
    const juce::ScopedLock lock(m_undoLock);
    return m_storedPrograms[std::size_t(sanitiseProgramSlot(n))];
}

void VkJuceProcessorBase::completeProgramBank()
{
    {
        const juce::ScopedLock lock(m_undoLock);
        for (int slot = m_filledPrograms; slot < kNumPrograms; ++slot)
        {
            auto& program = m_programs[std::size_t(slot)];
            captureParameterValues(program.values.data());
            program.name = "User" + juce::String(slot - m_filledPrograms + 1).paddedLeft('0', 2);
            program.categoryMask = -1;
        }
        auto& current = m_programs[std::size_t(sanitiseProgramSlot(getCurrentProgram()))];
        captureParameterValues(current.values.data());
        copyProgramRecord(*m_programB, current);
    }
    refreshAllParameters();
}

void VkJuceProcessorBase::setCurrentProgramInfo(const juce::String& folder, const juce::String& file)
{
    const juce::ScopedLock lock(m_undoLock);
    m_currentPresetFolder = folder;
    m_currentPresetFile = file;
    copyProgramRecord(*m_referenceProgram, m_programs[std::size_t(sanitiseProgramSlot(getCurrentProgram()))]);
}

namespace
{
std::atomic<VkJuceProcessorBase::PresetFileStepper> presetFileStepper{nullptr};
} // namespace

void VkJuceProcessorBase::setPresetFileStepper(PresetFileStepper stepper) noexcept
{
    presetFileStepper.store(stepper);
}

void VkJuceProcessorBase::loadNextPresetFile()
{
    if (const auto stepper = presetFileStepper.load())
        stepper(*this, true);
}

void VkJuceProcessorBase::loadPreviousPresetFile()
{
    if (const auto stepper = presetFileStepper.load())
        stepper(*this, false);
}

void VkJuceProcessorBase::getCurrentProgramInfo(juce::String& folder, juce::String& file) const
{
    const juce::ScopedLock lock(m_undoLock);
    folder = m_currentPresetFolder;
    file = m_currentPresetFile;
}

bool VkJuceProcessorBase::isProgramModified() const
{
    const juce::ScopedLock lock(m_undoLock);
    const auto& current = m_programs[std::size_t(sanitiseProgramSlot(m_currentProgram.load()))];
    for (std::size_t i = 0; i < current.values.size(); ++i)
        if (std::abs(current.values[i] - m_referenceProgram->values[i]) > 0.000001f)
            return true;
    return false;
}

void VkJuceProcessorBase::saveCurrentAsDefault()
{
    for (int i = 0; i < getNumParameters(); ++i)
    {
        const float value = getParameterRecord(i).getValue();
        vk::registry::writeProductFloat("VJDEFAULT " + getParameterName(i), &value);
    }
    if (m_presetFileMode)
    {
        juce::String folder, file;
        getCurrentProgramInfo(folder, file);
        vk::registry::writeProductString("VJDEFAULT_PRESET_FOLDER", folder.toRawUTF8());
        vk::registry::writeProductString("VJDEFAULT_PRESET_FILE", file.toRawUTF8());
    }
}

bool VkJuceProcessorBase::loadDefaultPreset()
{
    bool anySet = false;
    for (int i = 0; i < getNumParameters(); ++i)
    {
        const auto value = vk::registry::readProductFloat("VJDEFAULT " + getParameterName(i));
        if (value && *value != kDefaultPresetSkipValue)
        {
            setParameterInternal(i, *value, true, false, false);
            anySet = true;
        }
    }

    if (m_presetFileMode)
    {
        const auto file = vk::registry::readProductString("VJDEFAULT_PRESET_FILE");
        if (file.isNotEmpty())
        {
            changeProgramName(getCurrentProgram(), file);
            updateHostDisplay();
            setCurrentProgramInfo(vk::registry::readProductString("VJDEFAULT_PRESET_FOLDER"), file);
        }
        m_filledPrograms = 1;
    }
    return anySet;
}
