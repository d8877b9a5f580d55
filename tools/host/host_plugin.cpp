#include "host_plugin.h"

#include "host_report.h"

namespace vkhost
{

juce::OwnedArray<juce::PluginDescription> scanBundle(const juce::String& bundle)
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile(found, bundle);
    return found;
}

std::unique_ptr<juce::AudioPluginInstance> loadPlugin(const juce::PluginDescription& description,
                                                      double sampleRate, int blockSize, juce::String& error)
{
    juce::VST3PluginFormat format;
    return format.createInstanceFromDescription(description, sampleRate, blockSize, error);
}

juce::String parameterId(const juce::AudioProcessorParameter& parameter)
{
    if (auto* hosted = dynamic_cast<const juce::HostedAudioProcessorParameter*>(&parameter))
        return hosted->getParameterID();
    return juce::String(parameter.getParameterIndex());
}

juce::AudioProcessorParameter* findParameter(juce::AudioPluginInstance& plugin, const juce::String& ref)
{
    if (ref == "bypass")
        return plugin.getBypassParameter();
    for (auto* p : plugin.getParameters())
        if (parameterId(*p) == ref)
            return p;
    for (auto* p : plugin.getParameters())
        if (p->getName(1024) == ref)
            return p;
    return nullptr;
}

void setParameter(juce::AudioProcessorParameter& parameter, float value)
{
    parameter.beginChangeGesture();
    parameter.setValueNotifyingHost(value);
    parameter.endChangeGesture();
}

bool requestLayout(juce::AudioPluginInstance& plugin, const juce::String& layout)
{
    juce::AudioChannelSet set;
    if (layout == "mono")
        set = juce::AudioChannelSet::mono();
    else if (layout == "stereo")
        set = juce::AudioChannelSet::stereo();
    else if (layout == "5.1")
        set = juce::AudioChannelSet::create5point1();
    else if (layout == "7.1")
        set = juce::AudioChannelSet::create7point1();
    else
        return false;
    juce::AudioProcessor::BusesLayout buses = plugin.getBusesLayout();
    if (buses.inputBuses.isEmpty() || buses.outputBuses.isEmpty())
        return false;
    buses.inputBuses.getReference(0) = set;
    buses.outputBuses.getReference(0) = set;
    return plugin.setBusesLayout(buses);
}

void reportDescription(const juce::String& prefix, const juce::PluginDescription& d)
{
    report(prefix + ".name", d.name);
    report(prefix + ".vendor", d.manufacturerName);
    report(prefix + ".version", d.version);
    report(prefix + ".category", d.category);
    report(prefix + ".uid", juce::String::toHexString(d.uniqueId));
    report(prefix + ".inputs", juce::String(d.numInputChannels));
    report(prefix + ".outputs", juce::String(d.numOutputChannels));
    report(prefix + ".file", d.fileOrIdentifier);
}

void reportParameters(juce::AudioPluginInstance& plugin, bool withTexts)
{
    const auto& parameters = plugin.getParameters();
    report("params.count", juce::String(parameters.size()));
    for (auto* p : parameters)
    {
        const juce::String key = "param." + juce::String(p->getParameterIndex());
        report(key + ".id", parameterId(*p));
        report(key + ".name", p->getName(1024));
        report(key + ".value", juce::String(p->getValue(), 6));
        report(key + ".default", juce::String(p->getDefaultValue(), 6));
        report(key + ".automatable", p->isAutomatable() ? "1" : "0");
        if (withTexts)
            report(key + ".text", p->getText(p->getValue(), 1024));
    }
    if (auto* bypass = plugin.getBypassParameter())
    {
        report("params.bypass.index", juce::String(bypass->getParameterIndex()));
        report("params.bypass.id", parameterId(*bypass));
        report("params.bypass.name", bypass->getName(1024));
    }
    else
        report("params.bypass.index", "-1");
}

void reportPrograms(juce::AudioPluginInstance& plugin)
{
    report("programs.count", juce::String(plugin.getNumPrograms()));
    report("programs.current", juce::String(plugin.getCurrentProgram()));
    for (int i = 0; i < plugin.getNumPrograms(); ++i)
        report("program." + juce::String(i) + ".name", plugin.getProgramName(i));
}

bool saveState(juce::AudioPluginInstance& plugin, const juce::File& file, juce::String& error)
{
    juce::MemoryBlock state;
    plugin.getStateInformation(state);
    if (!file.replaceWithData(state.getData(), state.getSize()))
    {
        error = "cannot write state file " + file.getFullPathName();
        return false;
    }
    report("state.saved_bytes", juce::String(state.getSize()));
    return true;
}

bool loadState(juce::AudioPluginInstance& plugin, const juce::File& file, juce::String& error)
{
    juce::MemoryBlock state;
    if (!file.loadFileAsData(state))
    {
        error = "cannot read state file " + file.getFullPathName();
        return false;
    }
    plugin.setStateInformation(state.getData(), int(state.getSize()));
    report("state.loaded_bytes", juce::String(state.getSize()));
    return true;
}

} // namespace vkhost
