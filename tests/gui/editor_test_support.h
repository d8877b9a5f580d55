#pragma once

// An editor base over the framework's test processor, with recording stand-ins for the parts a product adds,
// and synthetic mouse events as JUCE delivers them to a component.
#include "editor/vk_juce_editor_base.h"
#include "recording_gl_api.h"

#include "tests/processor/test_processor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace vk::test
{

// Values a host or a damaged state may hand to any number, for the tests of what the controls refuse.
inline constexpr float kInf = std::numeric_limits<float>::infinity();
inline constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class TestEditorBase : public VkJuceEditorBase
{
public:
    explicit TestEditorBase(VkJuceProcessorBase& p, GlApi* headlessApi, int w = 300, int h = 200)
        : VkJuceEditorBase(p, headlessApi)
    {
        setSize(w, h);
    }
    void loadBackground() override {}
    void showParameterText(const juce::String& text, int index) override
    {
        shownTexts.push_back(text.toStdString());
        shownIndexes.push_back(index);
    }
    void onTimerTick() override { ++ticks; }

    std::vector<std::string> shownTexts;
    std::vector<int> shownIndexes;
    int ticks = 0;
};

/** Records the offers it receives and takes the ones it is told to. */
struct RecordingHostListener : juce::AudioProcessorEditorListener
{
    RecordingHostListener(std::vector<std::string>& sharedLog, std::string listenerName, bool takesEvents)
        : log(sharedLog), name(std::move(listenerName)), takes(takesEvents)
    {
    }
    bool handleParameterMouseDown(juce::AudioProcessorEditor*, const juce::MouseEvent&, int index) override
    {
        log.push_back(name + " down " + std::to_string(index));
        return takes;
    }
    bool handleParameterMouseDrag(juce::AudioProcessorEditor*, const juce::MouseEvent&, int index) override
    {
        log.push_back(name + " drag " + std::to_string(index));
        return takes;
    }
    bool handleParameterMouseUp(juce::AudioProcessorEditor*, const juce::MouseEvent&, int index) override
    {
        log.push_back(name + " up " + std::to_string(index));
        return takes;
    }
    std::vector<std::string>& log;
    std::string name;
    bool takes;
};

/** A mouse event at `pos` in the component's coordinates, as the main mouse source would deliver it. */
inline juce::MouseEvent
mouseAt(juce::Component& c, juce::Point<float> pos,
        juce::ModifierKeys mods = juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier),
        juce::Point<float> downPos = {}, bool dragged = false, int clicks = 1)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), pos, mods,
                            juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, now,
                            downPos, now, clicks, dragged);
}

inline juce::ModifierKeys withButton(int extraModifiers)
{
    return juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier | extraModifiers);
}

/** A press and release at `pos`, as a click delivers them. */
inline void pressAndRelease(juce::Component& c, juce::ModifierKeys mods = withButton(0),
                            juce::Point<float> pos = {5, 5})
{
    c.mouseDown(mouseAt(c, pos, mods));
    c.mouseUp(mouseAt(c, pos, mods, pos));
}

/** The framework's test processor and an editor base over it, drawn through a recording GL table. */
struct EditorHarness
{
    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    std::unique_ptr<TestEditorBase> editor = std::make_unique<TestEditorBase>(processor, &gl);
};

/** Keeps what is logged while it lives. */
struct CapturingLogger : juce::Logger
{
    CapturingLogger() { juce::Logger::setCurrentLogger(this); }
    ~CapturingLogger() override { juce::Logger::setCurrentLogger(nullptr); }
    void logMessage(const juce::String& message) override { lines.add(message); }
    juce::StringArray lines;
};

/** Host gesture and change reports, in order. */
inline std::vector<std::string> hostEvents(TestProcessor& p, int index)
{
    std::vector<std::string> out;
    const std::string suffix = " " + std::to_string(index);
    for (const auto& e : p.log().events())
    {
        if (e == "begin" + suffix || e == "end" + suffix)
            out.push_back(e);
        else if (e.rfind("change" + suffix + " ", 0) == 0)
            out.push_back("change" + suffix);
    }
    return out;
}

} // namespace vk::test
