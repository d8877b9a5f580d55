#pragma once

// A raw VST 2.4 host for tests: loads a module with dlopen, calls its entry point with a host callback
// of its own and drives the effect record directly, the way hosts do. Uses only our interface layer.

#include "platform/vst2/vk_vst2_interface.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Settings and log of the module's processors go to a fresh folder, not the user's.
class ScopedHome
{
public:
    ScopedHome();
    ~ScopedHome();

private:
    std::filesystem::path m_root;
};

class RawVst2Host
{
public:
    // Loads the module; loaded() tells whether that worked (error() says why not).
    explicit RawVst2Host(const std::string& modulePath);
    ~RawVst2Host();

    bool loaded() const { return m_module != nullptr; }
    std::string error() const { return m_error; }

    // Calls the named entry point ("VSTPluginMain" or "main"); the callback answers audioMasterVersion
    // with hostVersion. The effect (or null) is kept and returned; the destructor closes it.
    Vst2::AEffect* create(const char* entryName = "VSTPluginMain", int hostVersion = kVstVersion);

    Vst2::AEffect* effect() const { return m_effect; }
    Vst2::VstIntPtr dispatch(Vst2::VstInt32 opcode, Vst2::VstInt32 index = 0, Vst2::VstIntPtr value = 0,
                             void* ptr = nullptr, float opt = 0.0f);
    std::string dispatchForText(Vst2::VstInt32 opcode, Vst2::VstInt32 index = 0);
    void close();

    // Host callback record: how often each opcode was asked for.
    int callbackCount(Vst2::VstInt32 opcode) const;
    void resetCallbackCounts();
    // Parameter indexes the effect reported through audioMasterAutomate, in order.
    std::vector<int> automatedIndexes() const;

    // Called for audioMasterSizeWindow (the editor asks for a new window size); unset: refused.
    std::function<void(int width, int height)> onSizeWindow;

    // The time information the callback hands out for audioMasterGetTime.
    Vst2::VstTimeInfo timeInfo{};

private:
    static Vst2::VstIntPtr callback(Vst2::AEffect* effect, Vst2::VstInt32 opcode, Vst2::VstInt32 index,
                                    Vst2::VstIntPtr value, void* ptr, float opt);

    void* m_module = nullptr;
    std::string m_error;
    Vst2::AEffect* m_effect = nullptr;
    int m_hostVersion = kVstVersion;
    std::vector<std::atomic<int>> m_counts = std::vector<std::atomic<int>>(64);
    mutable std::mutex m_automatedLock;
    std::vector<int> m_automated;
};
