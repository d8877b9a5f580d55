// The effect GUI over the processor wrapper: the content and its editor, the view size both ways, the
// modifier word, parameter mouse events offered to the host from a real control, the native X11 window
// (under a display), and the order in which the editor and the processor go.

#include "formats/aax/juce_aax_gui.h"
#include "tests/formats/aax/binding_test_support.h"
#include "tests/formats/aax/x11_host_window.h"
#include "tests/gui/editor_test_support.h"
#include "tests/gui/recording_gl_api.h"

#include "controls/vk_juce_button.h"
#include "formats/vst3/vst3_framework_lifetime.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace
{

using namespace vk::aax;
using namespace vk::aax::test;
using AAXClasses::JuceAAX_GUI;
using Calls = std::vector<std::string>;

// Before any fixture starts the framework, which looks the window-manager atoms up only once.
[[maybe_unused]] const bool atomsReadyBeforeTheFrameworkStarts = hasDisplay() && prepareWindowServer();

// The test processor with an editor base of a fixed size, drawn headless.
class ProcessorWithEditor final : public TestProcessor
{
public:
    explicit ProcessorWithEditor(int wrapperType) : TestProcessor(wrapperType) {}
    juce::AudioProcessorEditor* createEditor() override
    {
        ++editorsCreated;
        return new vk::test::TestEditorBase(*this, &glApi, 800, 400);
    }
    bool hasEditor() const override { return true; }

    vk::test::RecordingGlApi glApi;
    int editorsCreated = 0;
};

class AaxGui : public BindingTest
{
protected:
    AaxGui()
    {
        processorMaker() = [](int type) { return new ProcessorWithEditor(type); };
        instance = std::make_unique<Instance>(host);
        host.setEffectParameters(instance->object->GetControllingUnknown());
        void* facing = nullptr;
        JuceAAX_GUI::Create()->QueryInterface(kIID_EffectGUI, &facing);
        gui = static_cast<AAX_IACFEffectGUI*>(facing);
        object = dynamic_cast<JuceAAX_GUI*>(gui);
    }
    ~AaxGui() override
    {
        if (gui != nullptr)
            gui->Release();
        instance.reset();
        host.setEffectParameters(nullptr);
    }

    ProcessorWithEditor& processor() { return dynamic_cast<ProcessorWithEditor&>(instance->processor()); }
    vk::test::TestEditorBase* editor()
    {
        return dynamic_cast<vk::test::TestEditorBase*>(object->getEditor());
    }

    void showEditor()
    {
        ASSERT_EQ(gui->Initialize(host.root()), kResultOk);
        ASSERT_EQ(gui->SetViewContainer(&host.viewContainer()), kResultOk);
        ASSERT_NE(editor(), nullptr);
    }
    // A button on the editor, bound to parameter 3.
    std::unique_ptr<vk::VkJuceButton> buttonOnParameter3()
    {
        const juce::MessageManagerLock messageThread;
        auto button = std::make_unique<vk::VkJuceButton>("m_btn");
        button->setBounds(10, 10, 40, 20);
        button->attachToParameter(3, editor());
        editor()->addControl(button.get(), -1);
        return button;
    }

    std::unique_ptr<Instance> instance;
    AAX_IACFEffectGUI* gui = nullptr;
    JuceAAX_GUI* object = nullptr;
};

TEST(AaxGuiModifiers, WordsTheHostTakes)
{
    using MK = juce::ModifierKeys;
    EXPECT_EQ(JuceAAX_GUI::modifierWord(MK(MK::leftButtonModifier)), 0u);
    EXPECT_EQ(JuceAAX_GUI::modifierWord(MK(MK::shiftModifier)), 0x1u);
    EXPECT_EQ(JuceAAX_GUI::modifierWord(MK(MK::ctrlModifier)), 0xAu);
    EXPECT_EQ(JuceAAX_GUI::modifierWord(MK(MK::shiftModifier | MK::ctrlModifier)), 0xBu);
    EXPECT_EQ(JuceAAX_GUI::modifierWord(MK(MK::altModifier)), 0x4u);
    EXPECT_EQ(JuceAAX_GUI::modifierWord(MK(MK::rightButtonModifier)), 0x10u);
    EXPECT_EQ(JuceAAX_GUI::modifierWord(MK(MK::allKeyboardModifiers | MK::rightButtonModifier)), 0x1Fu);
}

TEST_F(AaxGui, ContentHoldsTheEditorAndReportsItsSize)
{
    ViewSize size{-1.0f, -1.0f};
    EXPECT_EQ(gui->GetViewSize(&size), kResultNoHostInterface);
    ASSERT_EQ(gui->Initialize(host.root()), kResultOk);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(gui->GetViewSize(&size), kResultOk);
    EXPECT_EQ(size.height, 400.0f);
    EXPECT_EQ(size.width, 800.0f);
    EXPECT_EQ(gui->GetViewSize(nullptr), kResultNullArgument);

    // A container of another type: the content exists but is not shown.
    host.viewContainer().type = 1;
    host.clearLog();
    ASSERT_EQ(gui->SetViewContainer(&host.viewContainer()), kResultOk);
    EXPECT_FALSE(object->getContent()->isOnDesktop());

    // The editor's size changes reach the host (height first).
    {
        const juce::MessageManagerLock messageThread;
        editor()->setSize(900, 500);
    }
    const auto view = host.calls("view");
    EXPECT_NE(std::find(view.begin(), view.end(), "view#6(500,900)"), view.end());
    EXPECT_EQ(gui->GetViewSize(&size), kResultOk);
    EXPECT_EQ(size.width, 900.0f);

    // Taking the container away deletes the content and the editor; a new one builds a fresh editor.
    ASSERT_EQ(gui->SetViewContainer(nullptr), kResultOk);
    EXPECT_EQ(object->getContent(), nullptr);
    EXPECT_EQ(processor().getActiveEditor(), nullptr);
    EXPECT_EQ(gui->GetViewSize(&size), kResultNoHostInterface);
    ASSERT_EQ(gui->SetViewContainer(&host.viewContainer()), kResultOk);
    EXPECT_EQ(processor().editorsCreated, 2);
    EXPECT_EQ(gui->Uninitialize(), kResultOk);
    EXPECT_EQ(object->getContent(), nullptr);
}

TEST_F(AaxGui, ParameterMouseEventsGoToTheHostFirst)
{
    ASSERT_NO_FATAL_FAILURE(showEditor());
    auto button = buttonOnParameter3();
    const float before = processor().getParameter(3);
    auto click = [&](int modifiers)
    {
        const juce::MessageManagerLock messageThread;
        const auto mods = vk::test::withButton(modifiers);
        button->mouseDown(vk::test::mouseAt(*button, {5, 5}, mods));
        button->mouseUp(vk::test::mouseAt(*button, {5, 5}, mods, {5, 5}));
    };

    // The host takes a control-click: the control leaves it alone.
    host.viewContainer().mouseResult = kResultOk;
    host.clearLog();
    click(juce::ModifierKeys::ctrlModifier);
    EXPECT_EQ(host.calls("view"), (Calls{"view#7(\"3\",10)", "view#9(\"3\",10)"}));
    EXPECT_EQ(processor().getParameter(3), before);

    // The host refuses: the control handles the click itself, and the release is offered too.
    host.viewContainer().mouseResult = kResultNoHostInterface;
    host.clearLog();
    click(juce::ModifierKeys::shiftModifier | juce::ModifierKeys::ctrlModifier);
    const auto view = host.calls("view");
    ASSERT_FALSE(view.empty());
    EXPECT_EQ(view.front(), "view#7(\"3\",11)");
    EXPECT_NE(processor().getParameter(3), before);

    // Without a container nothing is offered and the control works as usual.
    ASSERT_EQ(gui->SetViewContainer(nullptr), kResultOk);
    EXPECT_FALSE(object->handleParameterMouseDown(nullptr, vk::test::mouseAt(*button, {1, 1}), 3));
    {
        const juce::MessageManagerLock messageThread;
        button.reset();
    }
}

// A host that holds its own lock while it calls the GUI and takes it in the container's mouse events: its
// calls go through, and the editor the message thread is inside of, and its processor, stay until it is out.
TEST_F(AaxGui, GuiCallsGoThroughWhileAMouseEventWaitsForTheHost)
{
    ASSERT_NO_FATAL_FAILURE(showEditor());
    auto button = buttonOnParameter3();
    const float before = processor().getParameter(3);

    HostLock hostLock;
    host.viewContainer().mouseResult = kResultNoHostInterface; // refused: the control then acts itself
    host.viewContainer().onMouse = [&] { hostLock.enter(); };
    std::atomic<float> after{-1.0f}; // the value once clicked
    hostLock.hold();
    juce::MessageManager::callAsync(
        [&button, &processor = processor(), &after]
        {
            vk::test::pressAndRelease(*button, vk::test::withButton(juce::ModifierKeys::ctrlModifier));
            after.store(processor.getParameter(3));
        });
    EXPECT_TRUE(waitUntil([&] { return hostLock.someoneWaited(); }, std::chrono::seconds(2)));

    // The host takes the view away and lets go of the instance while the click is inside the editor.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(gui->SetViewContainer(nullptr), kResultOk);
    EXPECT_EQ(gui->Uninitialize(), kResultOk);
    host.setEffectParameters(nullptr);
    instance.reset();
    const auto waited = std::chrono::steady_clock::now() - start;
    hostLock.release();

    EXPECT_TRUE(waitUntil([&] { return after.load() >= 0.0f; }, std::chrono::seconds(10)));
    EXPECT_LT(waited, std::chrono::seconds(2));
    EXPECT_NE(after.load(), before);
    EXPECT_EQ(object->getContent(), nullptr);
    host.viewContainer().onMouse = nullptr;
    const juce::MessageManagerLock messageThread;
    button.reset();
}

TEST_F(AaxGui, JuceMessagesRunWithoutAHostLoop)
{
    ASSERT_EQ(gui->Initialize(host.root()), kResultOk);
    auto delivered = std::make_shared<std::atomic<bool>>(false);
    juce::MessageManager::callAsync([delivered] { delivered->store(true); });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!delivered->load() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(delivered->load());
    EXPECT_EQ(gui->Uninitialize(), kResultOk);
}

TEST_F(AaxGui, EditorGoesBeforeTheProcessorItPointsTo)
{
    const auto liveBefore = CACFUnknown::LiveObjectCount();
    ASSERT_EQ(gui->Initialize(host.root()), kResultOk);
    ASSERT_EQ(gui->SetViewContainer(&host.viewContainer()), kResultOk);
    ASSERT_NE(editor(), nullptr);
    // The host lets go of the instance first; the GUI still holds it, with its editor.
    host.setEffectParameters(nullptr);
    instance.reset();
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), liveBefore);
    EXPECT_NE(object->getEditor(), nullptr);
    // Uninitialize deletes the editor, then lets go of the instance (a sanitizer sees any use after).
    EXPECT_EQ(gui->Uninitialize(), kResultOk);
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), liveBefore - 1);
    gui->Release();
    gui = nullptr;
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), liveBefore - 2);
    EXPECT_TRUE(host.balanced());
    EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 0);
}

TEST_F(AaxGui, EmbedsIntoTheHostsX11Window)
{
    if (!hasDisplay())
        GTEST_SKIP() << "no DISPLAY";
    X11HostWindow window(1000, 600);
    ASSERT_TRUE(window.valid());
    host.viewContainer().type = kViewTypeNativeWindow;
    host.viewContainer().window = window.handle();
    ASSERT_EQ(gui->Initialize(host.root()), kResultOk);
    ASSERT_EQ(gui->SetViewContainer(&host.viewContainer()), kResultOk);
    EXPECT_TRUE(object->getContent()->isOnDesktop());
    EXPECT_EQ(window.waitForChildren(1), 1);
    int width = 0;
    int height = 0;
    window.firstChildSize(width, height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 400);

    ASSERT_EQ(gui->SetViewContainer(nullptr), kResultOk);
    EXPECT_EQ(window.waitForChildren(0), 0);
}

} // namespace
