#pragma once

// The plug-in settings the GUI framework's VST wrapper is compiled with: which format it builds, who the
// plug-in is, its channel configuration and how it reports its version. Forced into every framework
// plug-in-client file of the VST 2.4 module (and nothing else), before the framework's own headers.
//
// Set by the module's CMake function: VK_VST2_CHANNELS, the module's input and output channel count, and
// VK_VST2_VERSION_CODE, the VST 2.4 version number of the identity (3293 for 3.2.9.3).

#include "formats/identity/vk_plugin_identity.h"
#include "formats/vst2/vst2_framework_hook.h"

#if !defined(VK_VST2_CHANNELS) || !defined(VK_VST2_VERSION_CODE)
#error "VK_VST2_CHANNELS and VK_VST2_VERSION_CODE must be set by the module's build"
#endif

// Formats: VST 2.4 only.
#define JucePlugin_Build_VST 1
#define JucePlugin_Build_VST3 0
#define JucePlugin_Build_AU 0
#define JucePlugin_Build_AUv3 0
#define JucePlugin_Build_AAX 0
#define JucePlugin_Build_RTAS 0
#define JucePlugin_Build_Standalone 0
#define JucePlugin_Build_Unity 0
#define JucePlugin_Build_LV2 0
#define JucePlugin_Enable_ARA 0

// Identity.
#define JucePlugin_Name vk::identity::kDisplayName
#define JucePlugin_Manufacturer vk::identity::kMaker
#define JucePlugin_ManufacturerCode vk::identity::kMakerCode
#define JucePlugin_PluginCode vk::identity::kProductCode
#define JucePlugin_VSTUniqueID                                                                               \
    vk::vst2::adoptFrameworkEffect(vstEffect, hostCallback, *processor, maxNumInChannels)
#define JucePlugin_VSTCategory kPlugCategEffect

// Version: the wrapper tests the number in the preprocessor, so it comes from the build as a literal and
// vst2_module_entry.cpp checks it against the identity. Effect version and vendor version are both this
// number, returned as it is rather than re-encoded by the framework.
#define JucePlugin_VersionCode VK_VST2_VERSION_CODE
#define JUCE_VST_RETURN_HEX_VERSION_NUMBER_DIRECTLY 1

// An audio effect: no MIDI, no keyboard focus needed.
#define JucePlugin_IsSynth 0
#define JucePlugin_IsMidiEffect 0
#define JucePlugin_WantsMidiInput 0
#define JucePlugin_ProducesMidiOutput 0
#define JucePlugin_EditorRequiresKeyboardFocus 0

// Channels: without a configuration the wrapper would announce the largest count the processor's buses
// accept (up to 64); the module has exactly VK_VST2_CHANNELS in and out.
#define JucePlugin_MaxNumInputChannels VK_VST2_CHANNELS
#define JucePlugin_MaxNumOutputChannels VK_VST2_CHANNELS
#define JucePlugin_PreferredChannelConfigurations                                                            \
    {                                                                                                        \
        VK_VST2_CHANNELS, VK_VST2_CHANNELS                                                                   \
    }
