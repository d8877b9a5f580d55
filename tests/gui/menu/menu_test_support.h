#pragma once

// An editor base with its overlay menu over the framework's test processor, drawn through a recording GL
// table, and helpers that read the menu's lines back and click them as the mouse would.
#include "tests/gui/editor_test_support.h"

#include "menu/vk_juce_menu.h"
#include "menu/vk_juce_menu_screens.h"
#include "platform/vk_launcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vk::test
{

class MenuTestEditor : public TestEditorBase
{
public:
    MenuTestEditor(VkJuceProcessorBase& p, GlApi* gl, int w, int h) : TestEditorBase(p, gl, w, h) {}
    bool isOptionsSideBySide() const override { return sideBySide; }
    juce::StringArray getCreditNames() const override { return extraCredits; }
    void addExtraOptions() override { ++extraOptionCalls; }
    void addExtraCredits() override { ++extraCreditCalls; }

    bool sideBySide = false;
    juce::StringArray extraCredits;
    int extraOptionCalls = 0;
    int extraCreditCalls = 0;
};

/** Keeps every argument vector the desktop launcher is asked to start; starts nothing. */
struct RecordingLauncher
{
    RecordingLauncher()
    {
        platform::setLauncherOverride(
            [this](const std::vector<std::string>& arguments)
            {
                calls.push_back(arguments);
                return true;
            });
    }
    ~RecordingLauncher() { platform::setLauncherOverride({}); }
    std::vector<std::vector<std::string>> calls;
};

struct MenuFixture : ::testing::Test
{
    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    RecordingLauncher launcher;
    std::unique_ptr<MenuTestEditor> editor;

    void makeEditor(int w = 600, int h = 500)
    {
        editor = std::make_unique<MenuTestEditor>(processor, &gl, w, h);
    }
    VkJuceMenu& menu() { return editor->getMenu(); }

    /** The show-menu parameter as the host or the menu button sets it, then one editor update. */
    void setShowMenu(float value)
    {
        processor.setParameterInternal(processor.getShowMenuParameterId(), value, true, false, false);
        editor->updateGui();
    }

    /** The state-0 texts of the lines in use, top to bottom as built. */
    std::vector<std::string> texts()
    {
        std::vector<std::string> out;
        for (int i = 0; i < menu().getItemCount(); ++i)
            out.push_back(menu().getItem(i).getText(0).toStdString());
        return out;
    }

    /** The index of the line showing `text`; fails the test when there is none. */
    int indexOf(const std::string& text)
    {
        const auto all = texts();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i] == text)
                return (int)i;
        ADD_FAILURE() << "no menu line \"" << text << "\"";
        return -1;
    }

    void clickItem(int index)
    {
        ASSERT_GE(index, 0);
        auto& item = menu().getItem(index);
        item.mouseDown(mouseAt(item, {2, 2}));
        item.mouseUp(mouseAt(item, {2, 2}, withButton(0), {2, 2}));
    }
    void click(const std::string& text) { clickItem(indexOf(text)); }

    template <typename Screen>
    bool showing()
    {
        return dynamic_cast<Screen*>(menu().getCurrentScreen()) != nullptr;
    }
};

} // namespace vk::test
