#include "processor/vk_processor_base.h"

#include "formats/identity/vk_plugin_identity.h"
#include "platform/vk_message_box.h"
#include "processor/vk_state_chunk.h"

#include <cmath>

namespace
{
const juce::Identifier kRootTag("MYPLUGINSETTINGS");
const juce::Identifier kCurrentPreset("CURRENTPRESET");
const juce::Identifier kPresetName("PRESETNAME");
const juce::Identifier kLoadedFromPrevious("LOADEDFROMPREV");

// An empty key cannot name an attribute; such a parameter is kept under a placeholder name instead.
juce::Identifier attributeName(const juce::String& key)
{
    return juce::Identifier(key.isNotEmpty() ? key : juce::String("_"));
}
} // namespace

void VkJuceProcessorBase::writeStateChunk(juce::MemoryBlock& out)
{
    juce::XmlElement root(kRootTag);
    const int numMain = getNumParameters();
    for (int slot = 0; slot < getNumPrograms(); ++slot)
    {
        const ProgramRecord program = getProgram(slot);
        auto* element = root.createNewChildElement("PRESET" + juce::String(slot));
        for (int j = 0; j < numMain; ++j)
        {
            element->setAttribute(attributeName(getParameterKey(j)), double(program.values[std::size_t(j)]));
            // Older readers find the name right after the first parameter; setting it again keeps its place.
            element->setAttribute(kPresetName, program.name);
        }
        if (numMain == 0)
            element->setAttribute(kPresetName, program.name);
    }
    root.setAttribute(kCurrentPreset, getCurrentProgram());
    writeStateHook(root);
    if (m_legacyState)
        root.setAttribute(kLoadedFromPrevious, m_legacyBytes.toBase64Encoding());

    vk::state::frameText(root.toString(juce::XmlElement::TextFormat().singleLine().withoutHeader()), out);
}

bool VkJuceProcessorBase::readStateChunk(const void* data, int size)
{
    const auto root = vk::state::parseFramedDocument(data, size);
    if (root == nullptr || !root->getTagName().equalsIgnoreCase(kRootTag.toString()))
        return false;

    readProgramsFromDocument(*root);

    int current = 0;
    if (root->hasAttribute(kCurrentPreset))
        current = vk::state::parseInt(root->getStringAttribute(kCurrentPreset)).value_or(0);
    current = sanitiseProgramSlot(current);
    m_currentProgram.store(current);
    restoreProgramSlot(current);
    m_refreshAll.store(true);

    // A state that carries its parameter-map version is checked against this build's by the editor.
    const int mapVersionId = getParamMapVersionParameterId();
    if (mapVersionId >= 0 && mapVersionId < getNumParameters())
        if (const auto* element = root->getChildElement(current))
            if (element->hasAttribute(attributeName(getParameterKey(mapVersionId))))
                m_sessionMapVersionKnown.store(true);

    readStateHook(*root);

    // The document is now the session's state: earlier bytes held from before belong to a state that
    // was replaced, and writing them back on the next save would lose this one. Only the earlier bytes
    // this document carries are kept, and they count as taken in: a later earlier-version state
    // neither asks nor replaces them. Damaged earlier bytes are not worth keeping: they could never be
    // loaded by the earlier version.
    m_legacyBytes.reset();
    m_legacyState = false;
    m_legacyReadOnce = false;
    if (root->hasAttribute(kLoadedFromPrevious))
    {
        if (auto bytes = vk::state::decodeMemoryBlock(root->getStringAttribute(kLoadedFromPrevious)))
        {
            m_legacyBytes = std::move(*bytes);
            m_legacyState = true;
            m_legacyReadOnce = true;
            // The document was written because overwriting was allowed; an earlier Cancel, given for
            // other bytes, must not make the next save drop it.
            m_legacyAnswer->overwriteOnSave.store(true);
        }
    }
    return true;
}

void VkJuceProcessorBase::readProgramsFromDocument(const juce::XmlElement& root)
{
    const int numMain = getNumParameters();
    std::vector<juce::Identifier> keys;
    std::vector<float> defaults;
    for (int j = 0; j < numMain; ++j)
    {
        keys.push_back(attributeName(getParameterKey(j)));
        defaults.push_back(getParameterRecord(j).defaultValue.load());
    }

    int slot = 0;
    for (auto* element : root.getChildIterator())
    {
        if (slot >= getNumPrograms() || slot >= kNumPrograms)
            break;
        if (element->isTextElement())
            continue;

        auto program = std::make_unique<ProgramRecord>(getProgram(slot));
        program->name = element->getStringAttribute(kPresetName);
        for (int j = 0; j < numMain; ++j)
        {
            float value = defaults[std::size_t(j)];
            if (element->hasAttribute(keys[std::size_t(j)]))
            {
                // Out-of-range values stay as stored and are clamped when applied; a value that is not a
                // finite number could never be clamped and would spread into every later save.
                const auto read =
                    float(vk::state::parseLeadingNumber(element->getStringAttribute(keys[std::size_t(j)])));
                if (std::isfinite(read))
                    value = read;
            }
            program->values[std::size_t(j)] = value;
        }
        setProgram(slot, *program);
        ++slot;
    }
}

void VkJuceProcessorBase::getStateInformation(juce::MemoryBlock& destData)
{
    juce::MemoryBlock chunk;
    writeStateChunk(chunk);
    destData.append(chunk.getData(), chunk.getSize());
    juce::MemoryBlock extra;
    getExtraState(extra);
    destData.append(extra.getData(), extra.getSize());
}

void VkJuceProcessorBase::getCurrentProgramStateInformation(juce::MemoryBlock& destData)
{
    getStateInformation(destData);
}

void VkJuceProcessorBase::setStateInformation(const void* data, int sizeInBytes)
{
    readStateInformation(data, sizeInBytes);
}

bool VkJuceProcessorBase::readStateInformation(const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return false;

    int consumed = 0;
    bool read = false;
    if (vk::state::hasFrameHeader(data, sizeInBytes))
    {
        // In 64 bits: a length near the 32-bit limit must not wrap around to a small or negative size.
        const std::int64_t declared = vk::state::readDeclaredLength(data);
        const std::int64_t framed = std::max<std::int64_t>(declared, 0) + vk::state::kHeaderSize + 1;
        consumed = int(std::min<std::int64_t>(framed, sizeInBytes));
        read = readStateChunk(data, consumed);
    }
    if (sizeInBytes > consumed)
        setExtraState(static_cast<const char*>(data) + consumed, sizeInBytes - consumed);
    return read;
}

void VkJuceProcessorBase::setCurrentProgramStateInformation(const void* data, int sizeInBytes)
{
    setStateInformation(data, sizeInBytes);
}

void VkJuceProcessorBase::readEarlierVersionState(const void* data, int size)
{
    m_legacyState = true;
    // Bytes already taken in stay; with nothing to decide there is nothing to ask.
    if (m_legacyReadOnce)
        return;
    warnOldParameterMap();
    readLegacyStateChunk(data, size);
}

void VkJuceProcessorBase::writeSavedState(juce::MemoryBlock& out)
{
    if (m_legacyState && !isOverwriteOnSave())
    {
        out.reset();
        getLegacyStateChunk(out);
        return;
    }
    writeStateChunk(out);
}

void VkJuceProcessorBase::warnOldParameterMap()
{
    if (m_legacyWarned)
        return;
    m_legacyWarned = true;

    // Until the user answers, keeping the earlier bytes is the answer that loses nothing.
    m_legacyAnswer->overwriteOnSave.store(false);

    const juce::String product(vk::identity::kDisplayName);
    const juce::String version(vk::identity::kVersionText);
    const juce::String title = product + " Warning Info";
    const juce::String text =
        "This session or preset was saved with an earlier version of " + product + ".\n" +
        "Parameters for this version (" + version + ") of " + product + " will be set as default.\n" +
        "Press OK to overwrite on save (this cannot be undone), press CANCEL to keep state unchanged.";

    std::weak_ptr<LegacyAnswer> answer = m_legacyAnswer;
    vk::platform::showOkCancelBoxAsync(title, text,
                                       [answer](bool ok)
                                       {
                                           if (auto shared = answer.lock())
                                               shared->overwriteOnSave.store(ok);
                                       });
}

void VkJuceProcessorBase::readLegacyStateChunk(const void* data, int size)
{
    if (m_legacyReadOnce)
        return;
    // Replaced, never appended: two states run together could be read by neither version.
    if (data != nullptr && size > 0)
        m_legacyBytes.replaceAll(data, std::size_t(size));
    else
        m_legacyBytes.reset();
    m_legacyReadOnce = true;
}

void VkJuceProcessorBase::getLegacyStateChunk(juce::MemoryBlock& dest) const
{
    dest.append(m_legacyBytes.getData(), m_legacyBytes.getSize());
}
