#include "processor/vk_processor_base.h"

#include <cmath>
#include <mutex>

// Host choices kept in parameters (timecode frame rate, channel layout), the host position and the
// vendor-specific command channel.

namespace
{
// Vendor sub-commands.
enum VendorCommand
{
    kBeginOfflineAnalysis = 101,
    kBeginOfflineRender = 102,
    kEndOfflineAnalysis = 103,
    kEndOfflineRender = 104,
    kQueryFlag = 105,
    kReceivePointer = 201,
    kIsMenuShown = 202,
    kShowMenu = 203,
    kFileDetails = 204,
    kChannelLayout = 206,
    kSetEditorBounds = 211,
    kEditorWidth = 212,
    kEditorHeight = 213,
    kIsOptionPositive = 214,
    kReserved = 215,
    kRaiseEditorFlag = 217,
    kClearEditorFlag = 218,
    kTokens = 219
};

constexpr int kNumTimecodeIndexes = 13;
constexpr int kFallbackTimecodeIndex = 6;
} // namespace

const VkJuceProcessorBase::ChoiceIds& VkJuceProcessorBase::choiceIds()
{
    static ChoiceIds ids;
    static std::once_flag once;
    std::call_once(once,
                   [this]
                   {
                       ids = {getTimecodeFrameRateParameterId(), getDefaultFrameRateParameterId(),
                              getRoutingParameterId(),           getDefaultRoutingParameterId(),
                              getDefaultRouting71ParameterId(),  getShowMenuParameterId()};
                   });
    return ids;
}

int VkJuceProcessorBase::readChoice(float value) noexcept
{
    // The bounds keep the conversion defined for any stored value; the setter already holds them in 0..1.
    const double scaled = std::trunc(juce::jlimit(-1.0e6, 1.0e6, double(value) * 1000.0 + 0.5));
    return std::min(int(scaled), 1000);
}

int VkJuceProcessorBase::getTimecodeFrameRate()
{
    const auto& ids = choiceIds();
    const int index = readChoice(getParameterRecord(ids.timecode).getValue());
    if (index >= 0 && index < kNumTimecodeIndexes)
        return index;

    int repaired = readChoice(getParameterRecord(ids.defaultFrameRate).getValue());
    if (repaired < 0 || repaired >= kNumTimecodeIndexes)
        repaired = kFallbackTimecodeIndex;
    setTimecodeFrameRate(repaired);
    return repaired;
}

void VkJuceProcessorBase::setTimecodeFrameRate(int index)
{
    setParameterInternal(choiceIds().timecode, float(std::min(index, 1000)) / 1000.0f, true, false, false);
}

int VkJuceProcessorBase::getChannelLayoutChoice()
{
    const int numChannels = getMaxNumChannels();
    if (numChannels == 1 || numChannels == 2)
        return 1;

    const auto& ids = choiceIds();
    const int routing = readChoice(getParameterRecord(ids.routing).getValue());
    int repaired = 0;
    if (numChannels < 7)
    {
        if (routing >= 0 && routing < 3)
            return routing;
        repaired = readChoice(getParameterRecord(ids.defaultRouting).getValue());
        if (repaired >= 3)
        {
            // Each format's hosts expect their own 5.1 order when nothing was chosen.
            switch (m_wrapperType)
            {
            case 3:
            case 4:
            case 6:
                repaired = 0;
                break;
            case 2:
                repaired = 2;
                break;
            default:
                repaired = 1;
                break;
            }
        }
        else if (repaired < 0)
            repaired = 0;
    }
    else
    {
        if (routing >= 3 && routing <= 8)
            return routing;
        repaired = readChoice(getParameterRecord(ids.defaultRouting71).getValue());
        if (repaired < 3 || repaired >= 9)
            repaired = 3;
    }
    setParameterInternal(ids.routing, float(repaired) / 1000.0f, true, false, false);
    return repaired;
}

int VkJuceProcessorBase::timecodeIndexForFrameRate(juce::AudioPlayHead::FrameRateType type) noexcept
{
    using Rate = juce::AudioPlayHead::FrameRateType;
    // Matched by name: the framework has renumbered its frame rates over time.
    switch (type)
    {
    case Rate::fps24:
        return 1;
    case Rate::fps25:
        return 2;
    case Rate::fps2997:
        return 4;
    case Rate::fps30:
        return 6;
    case Rate::fps2997drop:
        return 3;
    case Rate::fps30drop:
        return 5;
    case Rate::fps60:
        return 0;
    case Rate::fps23976:
    case Rate::fps60drop:
    case Rate::fpsUnknown:
    default:
        return -1;
    }
}

void VkJuceProcessorBase::updateHostPosition()
{
    auto* playHead = getPlayHead();
    if (playHead == nullptr)
        return;
    const auto position = playHead->getPosition();
    if (!position || !position->getIsPlaying())
        return;
    const auto frameRate = position->getFrameRate();
    if (!frameRate)
        return;
    const int index = timecodeIndexForFrameRate(frameRate->getType());
    if (index >= 0 && index != getTimecodeFrameRate())
        setTimecodeFrameRate(index);
}

juce::pointer_sized_int VkJuceProcessorBase::handleVendorCommand(juce::int32 index,
                                                                 juce::pointer_sized_int value, void* ptr,
                                                                 float opt)
{
    if (index != kVendorCommandIndex)
        return 0;

    switch (value)
    {
    case kBeginOfflineAnalysis:
        setProcessingMode(kProcessingOfflineAnalysis);
        beginOfflineAnalysisPass();
        return 0;
    case kBeginOfflineRender:
        setProcessingMode(kProcessingOfflineRender);
        beginOfflineRenderPass();
        return 0;
    case kEndOfflineAnalysis:
        endOfflineAnalysisPass();
        return 0;
    case kEndOfflineRender:
        endOfflineRenderPass();
        return 0;
    case kQueryFlag:
        if (ptr != nullptr)
            *static_cast<juce::String*>(ptr) = "False";
        return 0;
    case kReceivePointer:
        receiveVendorPointer(ptr);
        return 0;
    case kIsMenuShown:
        return getParameterRecord(choiceIds().showMenu).getValue() != 0.0f ? 1 : 0;
    case kShowMenu:
        setParameterInternal(choiceIds().showMenu, 1.0f, true, false, false);
        return 0;
    case kFileDetails:
        if (ptr != nullptr)
            setFileDetails(std::make_unique<juce::XmlElement>(*static_cast<const juce::XmlElement*>(ptr)));
        return 0;
    case kChannelLayout:
        return getChannelLayoutChoice();
    case kSetEditorBounds:
    case kEditorWidth:
    case kEditorHeight:
        return handleEditorCommand(value, ptr, opt);
    case kIsOptionPositive:
        return opt > 0.0f ? 1 : 0;
    case kReserved:
        return 0;
    case kRaiseEditorFlag:
        m_editorVendorFlag.store(true);
        return 0;
    case kClearEditorFlag:
        m_editorVendorFlag.store(false);
        return 0;
    case kTokens:
    {
        if (ptr == nullptr)
            return 0;
        juce::StringArray tokens;
        tokens.addTokens(juce::String::fromUTF8(static_cast<const char*>(ptr)), ",", "\"");
        return receiveVendorTokens(tokens) ? 1 : 0;
    }
    default:
        return 0;
    }
}

juce::pointer_sized_int VkJuceProcessorBase::handleEditorCommand(juce::pointer_sized_int value, void* ptr,
                                                                 float opt)
{
    auto* editor = getActiveEditor();
    if (editor == nullptr)
        return 0;
    if (value == kEditorWidth)
        return editor->getWidth();
    if (value == kEditorHeight)
        return editor->getHeight();

    auto* peer = editor->getPeer();
    if (peer == nullptr || ptr == nullptr)
        return 0;
    const auto* size = static_cast<const juce::int32*>(ptr);
    peer->setBounds({0, 0, int(size[0]), int(size[1])}, opt > 1.0f);
    return 0;
}

void VkJuceProcessorBase::setFileDetails(std::unique_ptr<juce::XmlElement> element)
{
    if (element == nullptr || !element->getTagName().equalsIgnoreCase("FILEDETAILS"))
        return;
    const juce::ScopedLock lock(m_fileDetailsLock);
    m_fileDetailsPath = element->getStringAttribute("FULLPATHNAME");
}

juce::String VkJuceProcessorBase::getFileDetailsPath() const
{
    const juce::ScopedLock lock(m_fileDetailsLock);
    return m_fileDetailsPath;
}
