#include "vst2_raw_host.h"

#include <dlfcn.h>

#include <cstring>
#include <random>

namespace
{
// The entry creates the effect before the host can tell it apart, so the callback finds its host here.
thread_local RawVst2Host* t_creatingHost = nullptr;
} // namespace

ScopedHome::ScopedHome()
{
    m_root =
        std::filesystem::temp_directory_path() / ("vk-vst2-host-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(m_root / "config");
    setenv("HOME", m_root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
}

ScopedHome::~ScopedHome()
{
    std::error_code error;
    std::filesystem::remove_all(m_root, error);
}

RawVst2Host::RawVst2Host(const std::string& modulePath)
{
    m_module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_module == nullptr)
        m_error = dlerror();
}

RawVst2Host::~RawVst2Host()
{
    close();
    if (m_module != nullptr)
        dlclose(m_module);
}

Vst2::AEffect* RawVst2Host::create(const char* entryName, int hostVersion)
{
    using Entry = Vst2::AEffect* (*)(Vst2::audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(m_module, entryName));
    if (entry == nullptr)
        return nullptr;
    m_hostVersion = hostVersion;
    t_creatingHost = this;
    m_effect = entry(&RawVst2Host::callback);
    t_creatingHost = nullptr;
    if (m_effect != nullptr)
        m_effect->user = this;
    return m_effect;
}

Vst2::VstIntPtr RawVst2Host::dispatch(Vst2::VstInt32 opcode, Vst2::VstInt32 index, Vst2::VstIntPtr value,
                                      void* ptr, float opt)
{
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

std::string RawVst2Host::dispatchForText(Vst2::VstInt32 opcode, Vst2::VstInt32 index)
{
    char text[256];
    std::memset(text, 0, sizeof(text));
    dispatch(opcode, index, 0, text, 0.0f);
    return text;
}

void RawVst2Host::close()
{
    if (m_effect == nullptr)
        return;
    dispatch(Vst2::effClose);
    m_effect = nullptr;
}

int RawVst2Host::callbackCount(Vst2::VstInt32 opcode) const
{
    return opcode >= 0 && opcode < int(m_counts.size()) ? m_counts[size_t(opcode)].load() : 0;
}

void RawVst2Host::resetCallbackCounts()
{
    for (auto& count : m_counts)
        count.store(0);
    std::lock_guard<std::mutex> guard(m_automatedLock);
    m_automated.clear();
}

std::vector<int> RawVst2Host::automatedIndexes() const
{
    std::lock_guard<std::mutex> guard(m_automatedLock);
    return m_automated;
}

Vst2::VstIntPtr RawVst2Host::callback(Vst2::AEffect* effect, Vst2::VstInt32 opcode, Vst2::VstInt32 index,
                                      Vst2::VstIntPtr value, void* ptr, float)
{
    auto* host = effect != nullptr && effect->user != nullptr ? static_cast<RawVst2Host*>(effect->user)
                                                              : t_creatingHost;
    if (host == nullptr)
        return 0;
    if (opcode >= 0 && opcode < int(host->m_counts.size()))
        ++host->m_counts[size_t(opcode)];
    switch (opcode)
    {
    case Vst2::audioMasterAutomate:
    {
        std::lock_guard<std::mutex> guard(host->m_automatedLock);
        host->m_automated.push_back(index);
        return 0;
    }
    case Vst2::audioMasterVersion:
        return host->m_hostVersion;
    case Vst2::audioMasterGetTime:
        return reinterpret_cast<Vst2::VstIntPtr>(&host->timeInfo);
    case Vst2::audioMasterGetCurrentProcessLevel:
        return Vst2::kVstProcessLevelRealtime;
    case Vst2::audioMasterCanDo:
        return host->onSizeWindow && ptr != nullptr &&
                       std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0
                   ? 1
                   : 0;
    case Vst2::audioMasterSizeWindow:
        if (!host->onSizeWindow)
            return 0;
        host->onSizeWindow(int(index), int(value));
        return 1;
    default:
        return 0;
    }
}
