#include "host_options.h"

#include <algorithm>

namespace vkhost
{
namespace
{

// "<ref>=<value>[@<seconds>]"
bool parseChange(const juce::String& text, ParameterChange& change)
{
    const int eq = text.lastIndexOfChar('=');
    if (eq <= 0)
        return false;
    change.ref = text.substring(0, eq);
    juce::String rest = text.substring(eq + 1);
    const int at = rest.indexOfChar('@');
    if (at >= 0)
    {
        change.atSeconds = rest.substring(at + 1).getDoubleValue();
        rest = rest.substring(0, at);
    }
    if (!rest.containsOnly("0123456789.-+eE") || rest.isEmpty())
        return false;
    change.value = rest.getFloatValue();
    return true;
}

} // namespace

juce::String usageText()
{
    return "usage: vk_vst3_host <bundle.vst3> [options]\n"
           "  --scan                      list the classes of the bundle and stop\n"
           "  --list                      list parameters (ids, names, values, texts) and programs\n"
           "  --plugin N                  the N-th class of the bundle (default 0)\n"
           "  --noise | --sine HZ | --silence | --input FILE.wav   the signal (default noise)\n"
           "  --level L  --seed S  --channels N   signal level, noise seed, input channel count\n"
           "  --layout mono|stereo|5.1|7.1   bus layout to request\n"
           "  --rate HZ  --block N  --seconds S   sample rate, block size, length\n"
           "  --zero-blocks               process a zero-length block before every block\n"
           "  --realtime                  pace the blocks to the clock\n"
           "  --measure-from SEC          report levels (and compare) from SEC seconds on\n"
           "  --settle-ms N               let messages run for N ms before processing\n"
           "  --program N                 choose program N before processing\n"
           "  --set REF=VALUE             set a parameter (REF: bypass, an id or a name) before processing\n"
           "  --automate REF=VALUE@SEC    change a parameter while processing, at SEC seconds\n"
           "  --output FILE.wav           write the processed signal (32-bit float)\n"
           "  --reference FILE.wav        compare the processed signal with this file\n"
           "  --load-state FILE  --save-state FILE   restore state before / save it after processing\n"
           "  --editor                    open the editor in a window of the host (needs DISPLAY)\n"
           "  --editor-cycles N           open and close the editor N times\n"
           "  --editor-ms MS              keep the editor open for MS milliseconds each time (default 500)\n"
           "  --screenshot FILE.png       write a picture of the editor (implies --editor); an editor that\n"
           "                              has drawn nothing yet is waited for up to 20 s more\n";
}

std::optional<HostOptions> parseOptions(const juce::StringArray& args, juce::String& error)
{
    HostOptions o;
    int i = 0;
    auto next = [&](juce::String& out)
    {
        if (i + 1 >= args.size())
        {
            error = "missing value after " + args[i];
            return false;
        }
        out = args[++i];
        return true;
    };

    for (; i < args.size(); ++i)
    {
        const juce::String& a = args[i];
        juce::String v;
        if (a == "--scan")
            o.scanOnly = true;
        else if (a == "--list")
            o.list = true;
        else if (a == "--noise")
            o.signal = SignalKind::Noise;
        else if (a == "--silence")
            o.signal = SignalKind::Silence;
        else if (a == "--zero-blocks")
            o.zeroLengthBlocks = true;
        else if (a == "--realtime")
            o.realtime = true;
        else if (a == "--editor")
            o.editorCycles = std::max(o.editorCycles, 1);
        else if (a.startsWith("--"))
        {
            if (!next(v))
                return std::nullopt;
            if (a == "--plugin")
                o.pluginIndex = v.getIntValue();
            else if (a == "--sine")
            {
                o.signal = SignalKind::Sine;
                o.sineHz = v.getDoubleValue();
            }
            else if (a == "--input")
            {
                o.signal = SignalKind::WavFile;
                o.inputFile = juce::File::getCurrentWorkingDirectory().getChildFile(v);
            }
            else if (a == "--level")
                o.level = v.getFloatValue();
            else if (a == "--seed")
                o.seed = v.getLargeIntValue();
            else if (a == "--channels")
                o.inputChannels = v.getIntValue();
            else if (a == "--layout")
                o.layout = v;
            else if (a == "--rate")
                o.sampleRate = v.getDoubleValue();
            else if (a == "--block")
                o.blockSize = v.getIntValue();
            else if (a == "--seconds")
                o.seconds = v.getDoubleValue();
            else if (a == "--measure-from")
                o.measureFromSeconds = v.getDoubleValue();
            else if (a == "--settle-ms")
                o.settleMs = v.getIntValue();
            else if (a == "--program")
                o.program = v.getIntValue();
            else if (a == "--set" || a == "--automate")
            {
                ParameterChange change;
                if (!parseChange(v, change) || (a == "--automate" && change.atSeconds < 0.0))
                {
                    error = "cannot read " + a + " " + v;
                    return std::nullopt;
                }
                if (a == "--set")
                    change.atSeconds = -1.0;
                o.changes.push_back(change);
            }
            else if (a == "--output")
                o.outputFile = juce::File::getCurrentWorkingDirectory().getChildFile(v);
            else if (a == "--reference")
                o.referenceFile = juce::File::getCurrentWorkingDirectory().getChildFile(v);
            else if (a == "--load-state")
                o.loadStateFile = juce::File::getCurrentWorkingDirectory().getChildFile(v);
            else if (a == "--save-state")
                o.saveStateFile = juce::File::getCurrentWorkingDirectory().getChildFile(v);
            else if (a == "--editor-cycles")
                o.editorCycles = v.getIntValue();
            else if (a == "--editor-ms")
                o.editorMs = v.getIntValue();
            else if (a == "--screenshot")
            {
                o.screenshotFile = juce::File::getCurrentWorkingDirectory().getChildFile(v);
                o.editorCycles = std::max(o.editorCycles, 1);
            }
            else
            {
                error = "unknown option " + a;
                return std::nullopt;
            }
        }
        else if (o.bundle.isEmpty())
            o.bundle = a;
        else
        {
            error = "unexpected argument " + a;
            return std::nullopt;
        }
    }

    if (o.bundle.isEmpty())
        error = "no bundle given";
    else if (o.editorCycles < 0 || o.editorMs < 0)
        error = "editor cycles and time must not be negative";
    else if (o.sampleRate <= 0.0 || o.blockSize < 1 || o.seconds < 0.0 || o.inputChannels < 1)
        error = "rate, block size, length and channel count must be positive";
    if (error.isNotEmpty())
        return std::nullopt;
    return o;
}

} // namespace vkhost
