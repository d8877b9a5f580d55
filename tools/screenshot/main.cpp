// Writes a PNG picture of the product editor as a user sees it: the editor in a real window, fed a stereo
// signal for a moment so that the stereo-field graph, the meters and the balance trail show something.
//
// usage: vk_screenshot <output .png> [milliseconds of signal, default 1500]
// Needs an X server with OpenGL (DISPLAY); exits 1 when no picture could be taken.

#include "editor_capture.h"

#include "processor/vk_wrapper_type.h"
#include "product/latiphonix_parameters.h"

#include <dlfcn.h>

#include <iostream>
#include <memory>

// X and the OpenGL driver keep some memory to the end of the process; in a sanitizer build that is not ours
// to report.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:XGetVisualInfo\nleak:libX11.so\nleak:libxcb.so\nleak:libGLX\nleak:libGL.so\n"
           "leak:swrast_dri\nleak:libLLVM\nleak:libglapi\n";
}

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3)
    {
        std::cerr << "usage: vk_screenshot <output .png> [milliseconds]\n";
        return 2;
    }
    const juce::File out(juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]));
    const int runMs = argc == 3 ? juce::jlimit(0, 60000, juce::String(argv[2]).getIntValue()) : 1500;
    if (!latiphonix::prepareDisplay())
    {
        std::cerr << "vk_screenshot: no X display (set DISPLAY, e.g. to an Xvfb server)\n";
        return 1;
    }

    juce::ScopedJuceInitialiser_GUI gui;
    int result = 1;
    {
        constexpr double rate = 48000.0;
        constexpr int block = 512;
        std::unique_ptr<VkJuceProcessorBase> base(createPluginFilter(vk::kWrapperVst3));
        auto& processor = dynamic_cast<LatiphonixProcessor&>(*base);
        processor.setRateAndBufferSizeDetails(rate, block);
        processor.prepareToPlay(rate, block);
        processor.setParameterInternal(latiphonix::kAnalysis, 1.0f, false, false, false);
        // The picture shows the controls, not the overlay menu a new instance opens over them.
        processor.setParameterInternal(latiphonix::kShowMenu, 0.0f, false, false, false);

        auto editor = std::make_unique<latiphonix::CapturingEditor>(processor);
        if (editor->openWindow())
        {
            // Audio at its real pace beside the editor's frames.
            juce::AudioBuffer<float> buffer(2, block);
            juce::MidiBuffer midi;
            juce::Random random(7);
            juce::int64 played = 0;
            const auto start = juce::Time::getMillisecondCounterHiRes();
            editor->pump(runMs,
                         [&]
                         {
                             const auto due = (juce::int64)(
                                 (juce::Time::getMillisecondCounterHiRes() - start) * rate / 1000.0);
                             while (played + block <= due)
                             {
                                 latiphonix::fillDemoBlock(buffer, rate, played, random);
                                 processor.processBlock(buffer, midi);
                                 played += block;
                             }
                         });
            const auto image = editor->captureFrame();
            if (image.isValid())
            {
                out.deleteFile();
                juce::FileOutputStream stream(out);
                juce::PNGImageFormat png;
                if (stream.openedOk() && png.writeImageToStream(image, stream))
                {
                    std::cout << "screenshot written to " << out.getFullPathName() << "\n";
                    result = 0;
                }
            }
        }
        if (result != 0)
            std::cerr << "vk_screenshot: no frame could be read back\n";
        processor.editorBeingDeleted(editor.get());
        editor.reset();
    }
    // Keeps the driver's libraries loaded to the end, so that a leak report can still name them.
    for (const char* lib : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libGLX_mesa.so.0",
                            "libglapi.so.0", "libLLVM-15.so.1", "libGL.so.1", "libGLX.so.0"})
        dlopen(lib, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return result;
}
