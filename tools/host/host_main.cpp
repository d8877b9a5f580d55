// vk_vst3_host: loads a VST3 bundle through the GUI framework's own hosting and reports, as key=value
// lines, what it found and did: the classes, parameters, programs, the processed signal and the state.
// Exit code 0 on success, 1 on a usage error, 2 when the plug-in could not be scanned, loaded or run.

#include "host_editor.h"
#include "host_options.h"
#include "host_plugin.h"
#include "host_render.h"
#include "host_report.h"
#include "host_signal.h"

#include <iostream>

namespace
{

using namespace vkhost;

constexpr int kReportSettleMs = 50;

int run(const HostOptions& options)
{
    juce::String error;
    const auto found = scanBundle(options.bundle);
    report("scan.classes", juce::String(found.size()));
    for (int i = 0; i < found.size(); ++i)
        reportDescription("scan." + juce::String(i), *found[i]);
    if (found.isEmpty())
    {
        reportError("no VST3 class found in " + options.bundle);
        return 2;
    }
    if (options.scanOnly)
        return 0;
    if (options.pluginIndex < 0 || options.pluginIndex >= found.size())
    {
        reportError("no class " + juce::String(options.pluginIndex));
        return 1;
    }

    auto plugin = loadPlugin(*found[options.pluginIndex], options.sampleRate, options.blockSize, error);
    if (plugin == nullptr)
    {
        reportError("cannot load: " + error);
        return 2;
    }
    report("plugin.name", plugin->getName());
    if (options.layout.isNotEmpty())
        report("plugin.layout_accepted", requestLayout(*plugin, options.layout) ? "1" : "0");
    plugin->setNonRealtime(!options.realtime);
    plugin->prepareToPlay(options.sampleRate, options.blockSize);
    // A plug-in may report its values back after preparing; let those reports arrive before we change
    // anything, as a host's user would.
    runMessages(kReportSettleMs);
    report("plugin.inputs", juce::String(plugin->getTotalNumInputChannels()));
    report("plugin.outputs", juce::String(plugin->getTotalNumOutputChannels()));
    report("plugin.latency", juce::String(plugin->getLatencySamples()));

    if (options.loadStateFile != juce::File() && !loadState(*plugin, options.loadStateFile, error))
    {
        reportError(error);
        return 2;
    }
    if (options.program >= 0)
    {
        plugin->setCurrentProgram(options.program);
        report("programs.chosen", juce::String(plugin->getCurrentProgram()));
    }
    for (const auto& change : options.changes)
    {
        if (change.atSeconds >= 0.0)
            continue;
        auto* parameter = findParameter(*plugin, change.ref);
        if (parameter == nullptr)
        {
            reportError("no parameter " + change.ref);
            return 1;
        }
        setParameter(*parameter, change.value);
        report("set." + change.ref, juce::String(parameter->getValue(), 6));
    }
    runMessages(options.settleMs);

    if (options.list)
    {
        reportParameters(*plugin, true);
        reportPrograms(*plugin);
    }

    if (options.editorCycles > 0 && !runEditor(*plugin, options, error))
    {
        reportError(error);
        return 2;
    }

    const auto numSamples = juce::int64(options.seconds * options.sampleRate + 0.5);
    auto input = makeSignal(options, plugin->getTotalNumInputChannels(), numSamples, error);
    if (!input)
    {
        reportError(error);
        return 2;
    }
    auto result = render(*plugin, *input, options, error);
    if (!result)
    {
        reportError(error);
        return 2;
    }
    report("process.rate", juce::String(options.sampleRate));
    report("process.block", juce::String(options.blockSize));
    report("process.blocks", juce::String(result->blocks));
    report("process.zero_length_blocks", juce::String(result->zeroLengthBlocks));
    report("process.automation_changes", juce::String(result->appliedChanges));
    const int measureFrom = int(options.measureFromSeconds * options.sampleRate + 0.5);
    report("measure.from_sample", juce::String(measureFrom));
    reportSignal("in", *input, measureFrom);
    reportSignal("out", result->output, measureFrom);

    if (options.referenceFile != juce::File())
    {
        auto reference = readWav(options.referenceFile, error);
        if (!reference)
        {
            reportError(error);
            return 2;
        }
        reportComparison(result->output, *reference, 1.0e-6f);
    }
    if (options.outputFile != juce::File())
    {
        if (!writeWav(options.outputFile, result->output, options.sampleRate, error))
        {
            reportError(error);
            return 2;
        }
        report("output.file", options.outputFile.getFullPathName());
    }
    if (options.saveStateFile != juce::File() && !saveState(*plugin, options.saveStateFile, error))
    {
        reportError(error);
        return 2;
    }
    // The final values, as the plug-in holds them after processing.
    for (const auto& change : options.changes)
        if (auto* parameter = findParameter(*plugin, change.ref))
            report("final." + change.ref, juce::String(parameter->getValue(), 6));

    plugin->releaseResources();
    plugin.reset();
    runMessages(10);
    report("result", "ok");
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add(juce::String::fromUTF8(argv[i]));

    juce::String error;
    const auto options = vkhost::parseOptions(args, error);
    if (!options)
    {
        std::cerr << error << "\n" << vkhost::usageText();
        return 1;
    }

    juce::ScopedJuceInitialiser_GUI framework;
    return run(*options);
}
