// The product's preset browser in a real editor window with OpenGL (Xvfb + Mesa): synthetic clicks through
// the window's peer open the pop-up, hover highlights a cell in the drawn frame, a click on a program slot
// switches the program and a click on a factory preset loads it, and "Close" closes the pop-up.
#include "preset_browser_window.h"

using namespace vk;
using namespace vk::test;

TEST_F(PresetBrowserWindowTest, ClicksOpenTheBrowserChooseSlotsAndFactoryPresetsAndCloseIt)
{
    editor->clickAt({503, 15});
    ASSERT_TRUE(editor->trigger.isPopUpOpen());
    auto* browser = editor->trigger.getBrowser();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return browser->isShowing(); }));
    // The cells are measured with the browser's font, which the first frames that draw the browser make.
    const auto framesAtOpening = editor->getOglComponent().getFrameCount();
    ASSERT_TRUE(pumpUntil([&] { return editor->getOglComponent().getFrameCount() > framesAtOpening + 2; }));

    // Hovering a cell fills it with the yellow highlight in the drawn frame.
    const auto slot7 = cellCentre(*browser, 40 + 7);
    const auto g = browser->takeFrame().grid;
    const auto probe = browser->getPosition() +
                       g.cellAt(47 / g.rowsPerColumn, 47 % g.rowsPerColumn).getTopLeft() +
                       juce::Point<int>(1, g.textHeight / 2);
    const auto before = editor->pixelAt(probe);
    editor->moveTo(slot7);
    EXPECT_EQ(browser->getSelected(), 47);
    const auto lit = editor->pixelAt(probe);
    EXPECT_GT(lit.getRed(), before.getRed() + 60);
    EXPECT_GT(lit.getRed(), lit.getBlue() + 60);

    // A program slot: the host-visible program changes; the pop-up stays (close on choose is off).
    editor->clickAt(slot7);
    EXPECT_EQ(processor->getCurrentProgram(), 7);
    EXPECT_TRUE(editor->trigger.isPopUpOpen());

    // A factory preset: the current program takes it as loading the factory bank's entry does.
    LatiphonixProcessor reference(kWrapperVst3);
    reference.setCurrentProgram(7);
    reference.loadStoredProgram(3, 0, 3000);
    editor->clickAt(cellCentre(*browser, 3));
    EXPECT_EQ(processor->getCurrentProgram(), 7);
    EXPECT_EQ(processor->getProgramName(7), processor->getStoredProgram(3).name);
    for (int i = 0; i < processor->getNumParameters(); ++i)
    {
        EXPECT_EQ(processor->getParameter(i), reference.getParameter(i)) << i;
    }

    // "Close" at the browser's own place for it.
    editor->clickAt(browser->getPosition() + browser->takeFrame().grid.closeRect.getCentre());
    EXPECT_FALSE(editor->trigger.isPopUpOpen());
    ASSERT_TRUE(pumpUntil([&] { return !browser->isShowing(); }));
    EXPECT_TRUE(pumpUntil([&] { return editor->getOglComponent().getFrameCount() > 4; }));
}
