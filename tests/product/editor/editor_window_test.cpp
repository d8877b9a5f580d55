// The product editor in a real window with OpenGL (Xvfb + Mesa): clicks and drags through the window reach
// the processor as host gestures, host automation shows on screen, every control is drawn where the layout
// puts it, the stereo-field graph survives its context being re-created, showing the phase writes nothing,
// the rename box shows whole letters and a long preset name stays inside its field.

#include "tools/host/host_x11_capture.h"
#include "tools/screenshot/editor_capture.h"

#include "tests/gui/display_test_support.h"
#include "tests/product/product_test_support.h"

#include "resources/named_resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace latiphonix::test
{
namespace
{

[[maybe_unused]] const bool displayReadyBeforeJuceStarts = prepareDisplay();

juce::Image background()
{
    int size = 0;
    const void* data = vk::getNamedResource("background_png", size);
    return juce::ImageFileFormat::loadFrom(data, (size_t)size);
}

int differingPixels(const juce::Image& a, const juce::Image& b, juce::Rectangle<int> r)
{
    int n = 0;
    for (int y = r.getY(); y < r.getBottom(); ++y)
        for (int x = r.getX(); x < r.getRight(); ++x)
        {
            const auto p = a.getPixelAt(x, y), q = b.getPixelAt(x, y);
            n += std::abs(p.getRed() - q.getRed()) + std::abs(p.getGreen() - q.getGreen()) +
                             std::abs(p.getBlue() - q.getBlue()) >
                         24
                     ? 1
                     : 0;
        }
    return n;
}

// Top and bottom row (inclusive) of the pixels at least half covered by letters, or {-1, -1} when none
// is: `coverage` (0..1) of one pixel.
template <typename Coverage>
std::pair<int, int> inkRows(int width, int height, Coverage coverage)
{
    std::pair<int, int> rows{-1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (coverage(x, y) >= 0.5f)
            {
                rows.first = rows.first < 0 ? y : rows.first;
                rows.second = y;
                break;
            }
    return rows;
}

// How tall the letters of `text` are in `font`, drawn without any clipping.
int fullInkHeight(const juce::String& text, const juce::Font& font)
{
    const int h = (int)std::ceil(font.getHeight()) * 3;
    juce::Image image(juce::Image::ARGB, font.getStringWidth(text) + 8, h, true);
    {
        juce::Graphics g(image);
        g.setFont(font);
        g.setColour(juce::Colours::white);
        g.drawSingleLineText(text, 4, h / 2);
    }
    const auto rows =
        inkRows(image.getWidth(), h, [&](int x, int y) { return image.getPixelAt(x, y).getFloatAlpha(); });
    return rows.first < 0 ? 0 : rows.second - rows.first + 1;
}

class EditorWindowTest : public ProductTest
{
protected:
    void SetUp() override
    {
        if (!displayReadyBeforeJuceStarts)
            GTEST_SKIP() << "DISPLAY is not set: start Xvfb to run the OpenGL tests";
        ASSERT_TRUE(vk::test::parkPointer());
        ProductTest::SetUp();
        prepare(48000.0, 512);
        // A new instance opens its overlay menu, which covers the controls; a user closes it first.
        processor->setParameterInternal(processor->getShowMenuParameterId(), 0.0f, true, false, false);
        processor->addListener(&host);
    }
    void TearDown() override
    {
        if (editor != nullptr)
        {
            processor->editorBeingDeleted(editor.get());
            editor.reset();
        }
        if (processor != nullptr)
            processor->removeListener(&host);
        ProductTest::TearDown();
        vk::test::pinGlDriverLibraries();
    }
    void open()
    {
        editor = std::make_unique<CapturingEditor>(*processor);
        ASSERT_TRUE(editor->openWindow());
    }
    // Lets the editor's timer bring processor changes into the controls: it has once it made the refresh
    // that the changes asked for.
    void settleGui()
    {
        ASSERT_TRUE(pumpUntil([this] { return !processor->isRefreshAllPending(); },
                              vk::test::FrameReadback::defaultBoundMs));
    }

    bool heard(const std::string& event) const
    {
        const auto events = host.events();
        return std::find(events.begin(), events.end(), event) != events.end();
    }

    RecordingListener host;
    std::unique_ptr<CapturingEditor> editor;
};

TEST_F(EditorWindowTest, ClicksAndDragsThroughTheWindowReachTheProcessorAsHostGestures)
{
    open();
    const float monoBefore = get(kMono);
    editor->clickAt({599.0f, 81.0f}); // MONO
    EXPECT_FLOAT_EQ(get(kMono), monoBefore != 0.0f ? 0.0f : 1.0f);
    const auto mono = std::to_string(kMono);
    EXPECT_TRUE(heard("begin " + mono));
    EXPECT_FALSE(host.eventsStartingWith("change " + mono + " ").empty());
    EXPECT_TRUE(heard("end " + mono));

    set(kAcuity, 0.2f);
    settleGui();
    host.clear();
    editor->dragBy({564.0f, 300.0f}, {0.0f, -60.0f}); // up 60 pixels: +0.3 at the usual sensitivity
    EXPECT_NEAR(get(kAcuity), 0.5f, 0.011f);
    // One gesture around the drag's changes.
    std::vector<std::string> kinds;
    for (const auto& e : host.events())
    {
        std::istringstream words(e);
        std::string kind;
        int index = -1;
        words >> kind >> index;
        if (index == kAcuity)
            kinds.push_back(kind);
    }
    ASSERT_GE(kinds.size(), 3u);
    EXPECT_EQ(kinds.front(), "begin");
    EXPECT_EQ(kinds.back(), "end");
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "begin"), 1);
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), "change"), kinds.end());

    // The balance readout is only a text: a click there leaves the balance alone.
    const float balance = get(kBalance);
    editor->clickAt({319.0f, 418.0f});
    EXPECT_FLOAT_EQ(get(kBalance), balance);
}

TEST_F(EditorWindowTest, HostAutomationMovesWhatIsDrawnAndEveryControlIsDrawnInItsPlace)
{
    set(kAnalysis, 0.0f, kBypass, 0.0f);
    open();
    settleGui();
    const auto bypassOff = editor->captureFrame();
    ASSERT_TRUE(bypassOff.isValid());

    processor->setParameter(kBypass, 1.0f);
    settleGui();
    const auto bypassOn = editor->captureFrame();
    EXPECT_GT(differingPixels(bypassOff, bypassOn, {19, 4, 50, 22}), 20);
    EXPECT_EQ(differingPixels(bypassOff, bypassOn, {243, 272, 40, 40}), 0);

    // Every control with a picture covers part of the bare background in its own rectangle.
    const auto bare = background();
    for (const auto& name : editor->getControlNames())
    {
        if (name == "m_btnTitle" || name == "m_btnAutoInvisibleOverlay" || name == "m_textReadout" ||
            name == "m_textBalanceReadout")
            continue;
        auto* c = editor->findControl(name);
        ASSERT_NE(c, nullptr);
        EXPECT_GT(differingPixels(bypassOn, bare, c->getBounds()), 3) << name;
    }
}

TEST_F(EditorWindowTest, TheFanStillGlowsAfterItsContextWasRecreated)
{
    set(kAnalysis, 1.0f);
    open();
    juce::AudioBuffer<float> buffer(2, 512);
    juce::MidiBuffer midi;
    juce::Random random(3);
    juce::int64 played = 0;
    const auto feed = [&]
    {
        fillDemoBlock(buffer, 48000.0, played, random);
        processor->processBlock(buffer, midi);
        played += 512;
    };
    const juce::Rectangle<int> fan{100, 60, 440, 200};
    const auto quiet = background();
    // The pixels of the fan that differ from the quiet background after 400 ms of signal and once more than
    // `lit` do, fed meanwhile (a loaded machine draws fewer frames in that time); the number last seen when
    // they never do.
    const auto glowingPixels = [&](int lit)
    {
        editor->pump(400, feed);
        int seen = 0;
        pumpUntil(
            [&]
            {
                editor->pump(50, feed);
                seen = differingPixels(editor->captureFrame(), quiet, fan);
                return seen > lit;
            },
            vk::test::FrameReadback::defaultBoundMs);
        return seen;
    };
    const int before = glowingPixels(500);

    for (int cycle = 0; cycle < 3; ++cycle)
    {
        editor->setVisible(false);
        editor->pump(100);
        const auto frames = editor->getOglComponent().getFrameCount();
        editor->setVisible(true);
        ASSERT_TRUE(pumpUntil([&] { return editor->getOglComponent().getFrameCount() > frames + 5; }, 10000));
    }
    const int after = glowingPixels(before / 4);
    EXPECT_GT(before, 500);
    EXPECT_GT(after, before / 4);
}

// Showing the phase is not an edit: whatever the host set, opening the editor, running it while audio plays
// and the host automates Phase Shift, and closing it leave both phase parameters exactly as the host left
// them, with no host edit and no undo step of the editor's. The user's own drag still writes, in its two
// gestures.
TEST_F(EditorWindowTest, ShowingThePhaseNeverWritesItAndTheUsersDragDoes)
{
    juce::AudioBuffer<float> buffer(2, 512);
    juce::MidiBuffer midi;
    juce::Random random(5);
    juce::int64 played = 0;
    int blocks = 0;
    const auto play = [&]
    {
        fillDemoBlock(buffer, 48000.0, played, random);
        processor->processBlock(buffer, midi);
        played += 512;
        ++blocks;
    };
    const auto phaseEvents = [this]
    {
        std::vector<std::string> out;
        for (const auto& e : host.events())
        {
            std::istringstream words(e);
            std::string kind;
            int index = -1;
            words >> kind >> index;
            if (index == kPhaseShift || index == kPhaseInvert)
                out.push_back(e);
        }
        return out;
    };

    for (auto [invert, shift] :
         {std::pair<float, float>{0.0f, 0.7777f}, {0.0f, 0.997f}, {0.0f, 0.9999f}, {1.0f, 0.7777f}})
    {
        SCOPED_TRACE(std::to_string(shift) + (invert != 0.0f ? " inverted" : ""));
        processor->setParameter(kPhaseInvert, invert);
        processor->setParameter(kPhaseShift, shift);
        host.clear();
        const int undoSteps = processor->getNumUndoTransactions();
        open();
        editor->pump(200, play);
        EXPECT_EQ(processor->getNumUndoTransactions(), undoSteps);
        // Automation while it shows, ending where it began.
        const float automation[] = {0.3331f, 0.997f, 0.0049f, shift};
        editor->pump(400,
                     [&]
                     {
                         play();
                         if (blocks % 6 == 0)
                             processor->setParameter(kPhaseShift, automation[(size_t)(blocks / 6) % 4]);
                     });
        processor->setParameter(kPhaseShift, shift);
        editor->pump(200, play);
        processor->editorBeingDeleted(editor.get());
        editor.reset();

        EXPECT_EQ(get(kPhaseShift), shift);
        EXPECT_EQ(get(kPhaseInvert), invert);
        EXPECT_EQ(phaseEvents(), std::vector<std::string>{});
    }

    // 20 pixels up is 0.1 of the knob: ten frames on from the 78 % it shows for 0.7777.
    processor->setParameter(kPhaseInvert, 0.0f);
    processor->setParameter(kPhaseShift, 0.7777f);
    open();
    settleGui();
    host.clear();
    editor->dragBy({599.0f, 111.0f}, {0.0f, -20.0f});
    EXPECT_FLOAT_EQ(get(kPhaseShift), 0.88f);
    EXPECT_FLOAT_EQ(get(kPhaseInvert), 0.0f);
    const auto events = phaseEvents();
    for (int index : {kPhaseShift, kPhaseInvert})
        for (const std::string kind : {"begin ", "end "})
            EXPECT_EQ(std::count(events.begin(), events.end(), kind + std::to_string(index)), 1)
                << kind << index;
    EXPECT_FALSE(host.eventsStartingWith("change " + std::to_string(kPhaseShift) + " ").empty());
}

// The rename box over the preset name shows the letters of the name whole, descenders included, in the
// window the user types into, drawn after the name changed.
TEST_F(EditorWindowTest, TheRenameBoxShowsTheLettersWhole)
{
    open();
    auto& field = dynamic_cast<vk::VkJuceTextEdit&>(*editor->findControl("m_textEditPresetName"));
    auto& box = field.getTextEditor();
    editor->clickAt(field.getBounds().getCentre().toFloat());
    ASSERT_TRUE(pumpUntil([&] { return box.isShown() && box.getPeer() != nullptr; }, 5000));
    box.setCaretVisible(false); // its bar spans the line; only the letters count here
    const auto window = (unsigned long)(juce::pointer_sized_uint)box.getPeer()->getNativeHandle();
    editor->pump(200);
    const auto before = vkhost::captureWindow(window);
    const juce::String name("Jyg Wide Hall");
    box.setText(name, false);

    // A picture of the new name: one that differs from the old name's, and then one drawn later still.
    vkhost::CapturedImage shot;
    ASSERT_TRUE(pumpUntil(
        [&]
        {
            shot = vkhost::captureWindow(window);
            return shot.width > 0 && shot.pixels != before.pixels;
        },
        5000));
    editor->pump(200);
    shot = vkhost::captureWindow(window);
    const auto background = box.findColour(juce::TextEditor::backgroundColourId);
    const auto ink = box.findColour(juce::TextEditor::textColourId);
    const auto rows =
        inkRows(shot.width, shot.height,
                [&](int x, int y)
                {
                    const auto p = shot.pixels[(size_t)y * (size_t)shot.width + (size_t)x];
                    const float v = (float)((p >> 8) & 0xff);
                    return (v - background.getGreen()) / (float)(ink.getGreen() - background.getGreen());
                });

    const int full = fullInkHeight(name, box.getFont());
    EXPECT_GE(full, 8);
    EXPECT_GE(rows.second - rows.first + 1, full - 1) << "rows " << rows.first << ".." << rows.second;
    box.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey));
}

// A name typed into the preset name field that is too wide for it even in the smallest font is drawn inside
// the field's box: the top row beside it (REDO, the arrows, the menu button) stays as it is with a short
// name. The program keeps the name exactly as typed.
TEST_F(EditorWindowTest, ATypedNameTooWideForTheFieldIsDrawnInsideItsBox)
{
    open();
    auto& field = dynamic_cast<vk::VkJuceTextEdit&>(*editor->findControl("m_textEditPresetName"));
    const auto typeName = [&](const juce::String& name)
    {
        editor->clickAt(field.getBounds().getCentre().toFloat());
        ASSERT_TRUE(pumpUntil([&] { return field.getTextEditor().isShown(); }, 5000));
        field.getTextEditor().setText(name, false);
        field.getTextEditor().keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
        ASSERT_TRUE(pumpUntil([&] { return !field.isEditing(); }, 5000));
    };
    typeName("Wide");
    const auto shortName = editor->captureFrame();
    const juce::String longName("Wide Stereo Mastering Chain For Long Evening Sessions");
    typeName(longName);
    const auto longNameShot = editor->captureFrame();
    ASSERT_TRUE(shortName.isValid() && longNameShot.isValid());

    EXPECT_EQ(processor->getProgramName(processor->getCurrentProgram()), longName);
    const auto inside = field.getBounds();
    EXPECT_GT(differingPixels(shortName, longNameShot, inside), 20);
    EXPECT_EQ(differingPixels(shortName, longNameShot, {0, 0, inside.getX(), 30}), 0);
    EXPECT_EQ(differingPixels(shortName, longNameShot, {inside.getRight(), 0, 640 - inside.getRight(), 30}),
              0);
}

TEST_F(EditorWindowTest, OpenAndCloseManyTimes)
{
    for (int i = 0; i < 10; ++i)
    {
        open();
        processor->editorBeingDeleted(editor.get());
        editor.reset();
    }
    SUCCEED();
}

} // namespace
} // namespace latiphonix::test
