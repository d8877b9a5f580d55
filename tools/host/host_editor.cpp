#include "host_editor.h"

#include "host_render.h"
#include "host_report.h"
#include "host_x11_capture.h"

namespace vkhost
{
namespace
{

// The host's window: holds the plug-in's editor and follows its size, as a host's plug-in window does.
class EditorWindow : public juce::Component
{
public:
    explicit EditorWindow(juce::AudioProcessorEditor* editor) : m_editor(editor)
    {
        setOpaque(true);
        addAndMakeVisible(m_editor.get());
        setSize(m_editor->getWidth(), m_editor->getHeight());
        setTopLeftPosition(40, 40);
    }
    ~EditorWindow() override
    {
        // The editor's removal from our window detaches the plug-in's view; then it is deleted.
        removeChildComponent(m_editor.get());
        m_editor.reset();
    }
    void paint(juce::Graphics& g) override { g.fillAll(juce::Colours::black); }
    void childBoundsChanged(juce::Component*) override
    {
        setSize(m_editor->getWidth(), m_editor->getHeight());
    }

    juce::AudioProcessorEditor& editor() { return *m_editor; }

private:
    std::unique_ptr<juce::AudioProcessorEditor> m_editor;
};

// On a loaded machine an editor may show its first frame well after the time asked for: the picture waits for
// it this long at most.
constexpr int firstFrameWaitMs = 20000;

// Share of pixels that differ from our window's black background.
double drawnShare(const CapturedImage& image)
{
    if (image.pixels.empty())
        return 0.0;
    size_t drawn = 0;
    for (const auto p : image.pixels)
        drawn += p != 0 ? 1 : 0;
    return double(drawn) / double(image.pixels.size());
}

bool writePng(const CapturedImage& captured, const juce::File& file, juce::String& error)
{
    juce::Image image(juce::Image::RGB, captured.width, captured.height, false);
    for (int y = 0; y < captured.height; ++y)
        for (int x = 0; x < captured.width; ++x)
        {
            const auto p = captured.pixels[(size_t)y * (size_t)captured.width + (size_t)x];
            image.setPixelAt(x, y, juce::Colour(juce::uint8(p >> 16), juce::uint8(p >> 8), juce::uint8(p)));
        }
    file.deleteFile();
    juce::FileOutputStream out(file);
    juce::PNGImageFormat png;
    if (!out.openedOk() || !png.writeImageToStream(image, out))
    {
        error = "cannot write " + file.getFullPathName();
        return false;
    }
    return true;
}

} // namespace

bool runEditor(juce::AudioPluginInstance& plugin, const HostOptions& options, juce::String& error)
{
    report("editor.present", plugin.hasEditor() ? "1" : "0");
    if (!plugin.hasEditor())
        return true;
    if (!prepareBareServer())
    {
        error = "no X display for the editor (set DISPLAY)";
        return false;
    }
    for (int cycle = 0; cycle < options.editorCycles; ++cycle)
    {
        auto* editor = plugin.createEditorIfNeeded();
        if (editor == nullptr)
        {
            error = "the plug-in made no editor (cycle " + juce::String(cycle) + ")";
            return false;
        }
        auto window = std::make_unique<EditorWindow>(editor);
        window->addToDesktop(0);
        window->setVisible(true); // the view is attached now, in the window the framework embeds it in
        runMessages(options.editorMs);

        if (cycle + 1 < options.editorCycles)
            continue;
        const auto bounds = window->editor().getBounds();
        report("editor.width", juce::String(bounds.getWidth()));
        report("editor.height", juce::String(bounds.getHeight()));
        auto* peer = window->getPeer();
        const auto handle =
            peer != nullptr ? (unsigned long)(juce::pointer_sized_uint)peer->getNativeHandle() : 0ul;
        int w = 0, h = 0;
        if (handle != 0 && windowSize(handle, w, h))
            report("editor.window", juce::String(w) + "x" + juce::String(h));
        auto captured = captureWindow(handle);
        for (int waitedMs = 0; drawnShare(captured) == 0.0 && waitedMs < firstFrameWaitMs; waitedMs += 50)
        {
            runMessages(50);
            captured = captureWindow(handle);
        }
        report("editor.drawn", juce::String(drawnShare(captured), 4));
        if (options.screenshotFile != juce::File())
        {
            if (!writePng(captured, options.screenshotFile, error))
                return false;
            report("editor.screenshot", options.screenshotFile.getFullPathName());
        }
    }
    report("editor.cycles", juce::String(options.editorCycles));
    return true;
}

} // namespace vkhost
