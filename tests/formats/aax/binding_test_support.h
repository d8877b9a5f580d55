#pragma once

// One AAX instance of the binding as a host builds it, in-process over the recording fake host, with the
// framework's test processor (or a variant) behind it.

#include "formats/aax/juce_aax_processor.h"
#include "tests/formats/aax/effect_instance.h"
#include "tests/processor/test_processor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vk::aax::test
{

// The creation function the binding calls; tests pick what it builds.
inline std::function<VkJuceProcessorBase*(int)>& processorMaker()
{
    static std::function<VkJuceProcessorBase*(int)> maker;
    return maker;
}

inline VkJuceProcessorBase* createForTest(int wrapperType)
{
    auto& maker = processorMaker();
    return maker ? maker(wrapperType) : new TestProcessor(wrapperType);
}

// Polls `condition` until it holds or `limit` has passed; whether it held.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    bool held = false;
    while (!(held = condition()) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return held;
}

// An editor change on JUCE's message thread, with its report to the host; `made` counts the changes made.
inline void postEditorChange(VkJuceProcessorBase& processor, int index, float value, std::atomic<int>& made)
{
    juce::MessageManager::callAsync(
        [&processor, &made, index, value]
        {
            processor.setParameterInternal(index, value, true, false, false);
            made.fetch_add(1);
        });
}

// The user editing until stopped: editor changes posted to JUCE's message thread one after another, the
// n-th of parameter `indexOf(n)` to (n % 100) / 100.
class EditorChanges
{
public:
    EditorChanges(VkJuceProcessorBase& processor, std::function<int(int)> indexOf)
        : m_thread(
              [this, &processor, indexOf]
              {
                  for (; !m_stop.load(); m_posted.fetch_add(1))
                  {
                      const int n = m_posted.load();
                      postEditorChange(processor, indexOf(n), float(n % 100) / 100.0f, m_made);
                      std::this_thread::sleep_for(std::chrono::microseconds(100));
                  }
              })
    {
    }
    ~EditorChanges() { stop(); }
    EditorChanges(const EditorChanges&) = delete;
    EditorChanges& operator=(const EditorChanges&) = delete;

    // Posts no more; whether every change posted was made in time.
    bool stop()
    {
        m_stop.store(true);
        if (m_thread.joinable())
            m_thread.join();
        return waitUntil([this] { return m_made.load() == m_posted.load(); }, std::chrono::seconds(30));
    }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_posted{0};
    std::atomic<int> m_made{0};
    std::thread m_thread;
};

// A host's own lock around its objects: held by the host's main thread (the one that made it), which may
// enter it again, and entered by the host's code on other threads, which give up after a while.
class HostLock
{
public:
    void hold() { m_lock.lock(); }
    void release() { m_lock.unlock(); }

    // [host code, any thread] Polled: ThreadSanitizer does not follow timed locks.
    void enter()
    {
        if (std::this_thread::get_id() == m_owner)
            return;
        m_waiting.store(true);
        if (waitUntil([this] { return m_lock.try_lock(); }, std::chrono::seconds(4)))
            m_lock.unlock();
    }

    bool someoneWaited() const { return m_waiting.load(); }

private:
    std::mutex m_lock;
    const std::thread::id m_owner = std::this_thread::get_id();
    std::atomic<bool> m_waiting{false};
};

// Sets the binding's creation function and keeps the processors' settings in a temporary folder.
class BindingTest : public ::testing::Test
{
protected:
    BindingTest() { setProcessorFactory(&createForTest); }
    ~BindingTest() override { processorMaker() = nullptr; }

    ScopedDataFolders folders;
    FakeHost host;
};

// The processor wrapper's effect-parameters object, created by its factory.
class Instance : public EffectInstance
{
public:
    explicit Instance(FakeHost& host, bool resetFields = true)
        : EffectInstance(AAXClasses::JuceAAX_Processor::Create(), host, resetFields),
          object(dynamic_cast<AAXClasses::JuceAAX_Processor*>(parameters))
    {
    }

    TestProcessor& processor() const { return *dynamic_cast<TestProcessor*>(object->getProcessor()); }

    AAXClasses::JuceAAX_Processor* object = nullptr;
};

} // namespace vk::aax::test
