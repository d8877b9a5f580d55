#pragma once

// An editor base with its overlay menu over the framework's test processor, drawn through a recording GL
// table; the menu's lines read back and clicked as the mouse would; a launcher that starts nothing.
#include "tests/gui/editor_test_support.h"

#include "menu/vk_juce_menu.h"
#include "menu/vk_juce_menu_screens.h"
#include "platform/vk_launcher.h"

#include <gtest/gtest.h>

namespace vk::test
{

class MenuTestEditor : public TestEditorBase
{
public:
    MenuTestEditor(VkJuceProcessorBase& p, GlApi* gl, int w, int h) : TestEditorBase(p, gl, w, h) {}
    bool isOptionsSideBySide() const override { return sideBySide; }
    juce::StringArray getCreditNames() const override { return extraCredits; }
    bool sideBySide = false;
    juce::StringArray extraCredits;
};

struct MenuFixture : ::testing::Test
{
    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    std::vector<std::vector<std::string>> launched;
    std::unique_ptr<MenuTestEditor> editor;

    MenuFixture()
    {
        platform::setLauncherOverride(
            [this](const std::vector<std::string>& arguments)
            {
                launched.push_back(arguments);
                return true;
            });
    }
    ~MenuFixture() override { platform::setLauncherOverride({}); }

    void makeEditor(int w = 600, int h = 500)
    {
        editor = std::make_unique<MenuTestEditor>(processor, &gl, w, h);
    }
    VkJuceMenu& menu() { return editor->getMenu(); }

    /** The show-menu parameter as the menu button sets it, then one editor update. */
    void setShowMenu(float value)
    {
        processor.setParameterInternal(processor.getShowMenuParameterId(), value, true, false, false);
        editor->updateGui();
    }

    /** The state-0 texts of the lines in use, in the order they were built. */
    std::vector<std::string> texts()
    {
        std::vector<std::string> out;
        for (int i = 0; i < menu().getItemCount(); ++i)
            out.push_back(menu().getItem(i).getText(0).toStdString());
        return out;
    }

    void clickItem(int index)
    {
        ASSERT_GE(index, 0);
        pressAndRelease(menu().getItem(index), withButton(0), {2, 2});
    }
    void click(const std::string& text)
    {
        const auto all = texts();
        const auto found = std::find(all.begin(), all.end(), text);
        ASSERT_NE(found, all.end()) << "no menu line \"" << text << "\"";
        clickItem((int)(found - all.begin()));
    }

    template <typename Screen>
    bool showing()
    {
        return dynamic_cast<Screen*>(menu().getCurrentScreen()) != nullptr;
    }
};

} // namespace vk::test
