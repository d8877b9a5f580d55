// The VST3 binding's message thread against a raw host whose UI thread is a run loop
// (Steinberg::Linux::IRunLoop): every call to the host's component handler and every framework timer
// arrives on that thread whenever the loop is on offer; the hand-over between the loop and the module's
// own thread loses and duplicates no message, timer or edit; and a host that forwards edits
// synchronously to its UI thread cannot deadlock the module's set-up or teardown.

#include "formats/vst3/vst3_controller.h"
#include "formats/vst3/vst3_message_thread.h"
#include "tests/processor/test_processor.h"
#include "vst3_run_loop_host.h"
#include "vst3_test_support.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <future>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace vk::test;

namespace
{

// Timer callbacks and processor deletions ("timer", "deleted"), with their threads.
HostEdits& timerLog()
{
    static HostEdits log;
    return log;
}

// The test processor with its timer running, as the product's processor has.
class TimedProcessor : public TestProcessor
{
public:
    explicit TimedProcessor(int wrapperType) : TestProcessor(wrapperType) { startTimer(5); }
    ~TimedProcessor() override
    {
        stopTimer();
        timerLog().note("deleted");
    }
    void timerCallback() override
    {
        timerLog().note("timer");
        TestProcessor::timerCallback();
    }
};

VkJuceProcessorBase* createTimedProcessor(int wrapperType)
{
    return new TimedProcessor(wrapperType);
}

// Created on the host's UI thread with `context` and `handler` as its component handler.
void create(Instance& instance, RunLoopHost& host, HostEdits& handler, FUnknown* context = nullptr)
{
    host.call(
        [&]
        {
            instance.create(context);
            instance.controller->setComponentHandler(&handler);
        });
}

class Vst3RunLoop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        vk::vst3::setProcessorFactory(&createTimedProcessor);
        timerLog().clear();
    }
    void TearDown() override
    {
        EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 0);
        // A message thread that the last stop left to end by itself is done before the next test.
        vk::vst3::finishMessageThread();
    }

    ScopedDataFolders m_folders;
};

TEST_F(Vst3RunLoop, EveryHostCallAndTimerComesOnTheLoopOfTheFactorysHostContext)
{
    RunLoopHost host;
    HostEdits handler;
    Instance instance;
    host.call([&] { vk::vst3::moduleFactory().setHostContext(host.context()); });
    create(instance, host, handler);

    // Edits the processor reports from the audio thread, after its first processing call.
    std::thread audio(
        [&]
        {
            instance.processNothing();
            for (int i = 0; i < 20; ++i)
                instance.processor()->setParameterInternal(3 + i % 5, 0.05f * float(i), true, true, false);
        });
    audio.join();

    ASSERT_TRUE(waitUntil([&] { return handler.count("perform 7") > 0 && timerLog().count("timer") >= 5; }));
    EXPECT_TRUE(vk::vst3::hostRunLoopIsMessageThread());
    EXPECT_GE(host.registeredDescriptors(), 1) << "the framework's message socket";
    EXPECT_EQ(host.registeredTimers(), 1);
    EXPECT_GT(handler.count("restart"), 0);

    host.call(
        [&]
        {
            instance.destroy();
            vk::vst3::moduleFactory().setHostContext(nullptr);
        });
    EXPECT_EQ(host.registeredDescriptors(), 0);
    EXPECT_EQ(host.registeredTimers(), 0);

    const auto loop = host.threadId();
    EXPECT_EQ(handler.count("", loop, false), 0) << "component-handler calls off the loop thread";
    EXPECT_EQ(timerLog().count("timer", loop, false), 0) << "timer callbacks off the loop thread";
    EXPECT_EQ(timerLog().count("deleted", loop), 1);
}

TEST_F(Vst3RunLoop, InitializeContextAlsoOffersTheLoopAndDescriptorsAddedLaterAreWatchedOnIt)
{
    // The processor is created before it gets the context, so the module's thread runs first; once the
    // loop has taken over, everything comes on the loop.
    RunLoopHost host;
    HostEdits handler;
    Instance instance;
    create(instance, host, handler, host.context());
    ASSERT_TRUE(waitUntil([] { return vk::vst3::hostRunLoopIsMessageThread(); }));
    timerLog().clear();
    handler.clear();
    std::thread(
        [&]
        {
            instance.processNothing();
            instance.processor()->setParameterInternal(6, 0.5f, true, true, false);
        })
        .join();
    ASSERT_TRUE(waitUntil([&] { return handler.count("perform 6") > 0 && timerLog().count("timer") >= 3; }));
    EXPECT_EQ(handler.count("", host.threadId(), false), 0);
    EXPECT_EQ(timerLog().count("timer", host.threadId(), false), 0);

    // The framework registers its X connection only when it first opens a window: a descriptor added
    // while the loop is the message thread is handed to the loop too, and dropped again with it.
    const int before = host.registeredDescriptors();
    int pipeFds[2] = {-1, -1};
    ASSERT_EQ(::pipe(pipeFds), 0);
    std::atomic<int> callbacks{0};
    std::atomic<bool> offLoop{false};
    host.call(
        [&]
        {
            juce::LinuxEventLoop::registerFdCallback(
                pipeFds[0],
                [&](int fd)
                {
                    char byte = 0;
                    [[maybe_unused]] auto n = ::read(fd, &byte, 1);
                    offLoop.store(offLoop.load() || std::this_thread::get_id() != host.threadId());
                    ++callbacks;
                });
        });
    ASSERT_TRUE(waitUntil([&] { return host.registeredDescriptors() == before + 1; }));
    const char byte = 1;
    ASSERT_EQ(::write(pipeFds[1], &byte, 1), 1);
    ASSERT_TRUE(waitUntil([&] { return callbacks.load() == 1; }));
    EXPECT_FALSE(offLoop.load());
    host.call([&] { juce::LinuxEventLoop::unregisterFdCallback(pipeFds[0]); });
    EXPECT_TRUE(waitUntil([&] { return host.registeredDescriptors() == before; }));
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);

    // Once both halves are terminated nothing offers the loop any more: the module's thread takes over
    // for the rest of the teardown.
    host.call([&] { instance.destroy(); });
    EXPECT_EQ(host.registeredTimers(), 0);
}

TEST_F(Vst3RunLoop, HandOverBothWaysLosesAndDuplicatesNothing)
{
    RunLoopHost host;
    HostEdits handler;
    Instance instance;
    create(instance, host, handler);
    std::thread([&] { instance.processNothing(); }).join();
    const auto loop = host.threadId();

    // Messages posted without pause from another thread, each to be delivered exactly once, never two at
    // a time.
    constexpr int kMaxMessages = 200000;
    std::vector<std::atomic<int>> delivered(kMaxMessages);
    std::atomic<int> inCallback{0};
    std::atomic<bool> overlapped{false};
    std::atomic<int> onLoop{0};
    std::atomic<int> offLoop{0};
    std::atomic<bool> posting{true};
    std::atomic<int> posted{0};
    std::thread poster(
        [&]
        {
            while (posting.load() && posted.load() < kMaxMessages)
            {
                const int n = posted.load();
                juce::MessageManager::callAsync(
                    [&, n]
                    {
                        if (inCallback.fetch_add(1) != 0)
                            overlapped.store(true);
                        delivered[std::size_t(n)].fetch_add(1);
                        (std::this_thread::get_id() == loop ? onLoop : offLoop).fetch_add(1);
                        inCallback.fetch_sub(1);
                    });
                posted.store(n + 1);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });

    // Each phase: an edit of the user's, then messages, timers and the edit arrive on the phase's thread.
    int phase = 0;
    auto runPhase = [&](bool onLoopThread)
    {
        ++phase;
        const int messagesBefore = onLoopThread ? onLoop.load() : offLoop.load();
        const int timersBefore = timerLog().count("timer", loop, onLoopThread);
        const ParamID id = ParamID(3 + phase % 5);
        const int editsBefore = handler.count("perform " + std::to_string(id), loop, onLoopThread);
        instance.processor()->setParameterInternal(int(id), 0.01f * float(phase), true, true, false);
        EXPECT_TRUE(waitUntil(
            [&]
            {
                return (onLoopThread ? onLoop.load() : offLoop.load()) > messagesBefore + 20 &&
                       timerLog().count("timer", loop, onLoopThread) > timersBefore + 2 &&
                       handler.count("perform " + std::to_string(id), loop, onLoopThread) > editsBefore;
            }))
            << "phase " << phase;
    };

    runPhase(false); // the module's own thread
    host.call([&] { vk::vst3::moduleFactory().setHostContext(host.context()); });
    runPhase(true);
    host.call([&] { vk::vst3::moduleFactory().setHostContext(nullptr); });
    runPhase(false);
    {
        // What an editor view does with its plug frame: one offer for the view's life.
        vk::vst3::RunLoopOffer viewOffer;
        host.call([&] { viewOffer = vk::vst3::RunLoopOffer(host.context()); });
        EXPECT_TRUE(viewOffer.offersRunLoop());
        runPhase(true);
        host.call([&] { viewOffer = {}; });
    }
    runPhase(false);

    posting.store(false);
    poster.join();
    const int total = posted.load();
    ASSERT_TRUE(waitUntil([&] { return onLoop.load() + offLoop.load() >= total; }));
    host.call([&] { instance.destroy(); });

    EXPECT_FALSE(overlapped.load()) << "two threads delivered messages at once";
    int missing = 0;
    int duplicated = 0;
    for (int n = 0; n < total; ++n)
    {
        missing += delivered[std::size_t(n)].load() == 0 ? 1 : 0;
        duplicated += delivered[std::size_t(n)].load() > 1 ? 1 : 0;
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(duplicated, 0);
    EXPECT_EQ(onLoop.load() + offLoop.load(), total);
}

TEST_F(Vst3RunLoop, HostThatForwardsEditsToItsUiThreadCannotDeadlockSetUpOrTeardown)
{
    // No run loop on offer: the module's own thread calls the host, and this host forwards each such call
    // to its UI thread and waits there. Its UI thread meanwhile creates a processor and tears down the
    // instance: neither may wait for the module's thread.
    RunLoopHost host;
    HostEdits handler;
    std::atomic<bool> enteredOffUiThread{false};
    handler.onCall = [&](ParamID id)
    {
        if (id == 5 && std::this_thread::get_id() != host.threadId())
        {
            enteredOffUiThread.store(true);
            host.call([] {});
        }
    };
    Instance instance;
    create(instance, host, handler);
    std::thread([&] { instance.processNothing(); }).join();

    std::promise<void> finished;
    auto done = finished.get_future();
    host.post(
        [&]
        {
            // On the UI thread: an edit is reported, and the module's thread is soon inside the host,
            // waiting for this thread.
            instance.processor()->setParameterInternal(5, 0.3f, true, true, false);
            if (!waitUntil([&] { return handler.count("begin 5") > 0; }, std::chrono::seconds(30)))
                ADD_FAILURE() << "the edit never reached the host";

            Instance second;
            second.create(nullptr);
            second.destroy();
            instance.destroyController();
            handler.note("let go");
            instance.destroyProcessor();
            finished.set_value();
        });
    if (done.wait_for(std::chrono::seconds(60)) != std::future_status::ready)
    {
        ADD_FAILURE() << "the host's UI thread is deadlocked with the module's message thread";
        std::abort();
    }
    // The module's thread returns from its forwarded call once the UI thread is free again, then ends by
    // itself; nothing of this test may be used after that.
    vk::vst3::finishMessageThread();
    EXPECT_TRUE(enteredOffUiThread.load());
    // The host let go of its handler while the module's thread was inside it, waiting for the UI thread:
    // the teardown went on after a bounded wait, and nothing more reached the handler once the host had
    // let go of it (the call it was inside ends there unfinished).
    const auto calls = handler.calls();
    const auto letGo =
        std::find_if(calls.begin(), calls.end(), [](const auto& c) { return c.what == "let go"; });
    ASSERT_NE(letGo, calls.end());
    EXPECT_EQ(std::next(letGo), calls.end()) << "a call after the host let go: " << std::next(letGo)->what;
}

TEST_F(Vst3RunLoop, AHostThreadSettingUpWhileTheLoopDeliversAnEditIsNotBlocked)
{
    // The loop's thread delivers an edit, and the host has another of its threads set the instance up
    // meanwhile and waits for it there: the set-up holds the processor's timer work off, and the edit must
    // not be holding that role while the host waits.
    RunLoopHost host;
    HostEdits handler;
    Instance instance;
    host.call([&] { vk::vst3::moduleFactory().setHostContext(host.context()); });
    create(instance, host, handler);
    std::atomic<bool> setUp{false};
    handler.onCall = [&](ParamID id)
    {
        if (id != 5 || std::this_thread::get_id() != host.threadId() || setUp.load())
            return;
        auto done = std::async(std::launch::async, [&] { instance.setUp(); });
        if (done.wait_for(std::chrono::seconds(30)) != std::future_status::ready)
        {
            ADD_FAILURE() << "the set-up waits for the loop's thread, which waits for it";
            std::abort();
        }
        setUp.store(true);
    };
    std::thread([&] { instance.processNothing(); }).join();
    instance.processor()->setParameterInternal(5, 0.3f, true, true, false);
    EXPECT_TRUE(waitUntil([&] { return setUp.load(); }, std::chrono::seconds(40)));
    host.call(
        [&]
        {
            instance.destroy();
            vk::vst3::moduleFactory().setHostContext(nullptr);
        });
}

TEST_F(Vst3RunLoop, AHostThatRegistersUnderItsDispatchLockCanCreateInstancesWhileItsLoopRuns)
{
    // The host creates and drops instances that offer its loop on one of its threads while the loop runs
    // on another, holding its own lock around every handler it calls and taking it to register one. The
    // framework already runs (an instance without the loop), so every offer changes the message thread
    // while the loop's callbacks arrive.
    RunLoopHost host(true);
    HostEdits handler;
    Instance running;
    running.create(nullptr);
    std::atomic<bool> posting{true};
    std::thread poster(
        [&]
        {
            while (posting.load())
            {
                juce::MessageManager::callAsync([] {});
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
    auto cycles = std::async(std::launch::async,
                             [&]
                             {
                                 for (int cycle = 0; cycle < 30; ++cycle)
                                 {
                                     Instance offering;
                                     offering.create(host.context());
                                     offering.destroy();
                                 }
                             });
    if (cycles.wait_for(std::chrono::seconds(60)) != std::future_status::ready)
    {
        ADD_FAILURE() << "the host's registration and its loop's callback wait for each other";
        std::abort();
    }
    posting.store(false);
    poster.join();
    running.destroy();
    EXPECT_EQ(host.registeredTimers(), 0);
}

TEST_F(Vst3RunLoop, TheLoopWaitsRatherThanSpinsWhileAHostThreadHoldsTheMessageWork)
{
    // A host thread holds the message thread's work off for a while (a long state or set-up call), while
    // the processor's timer keeps the framework's descriptor readable.
    RunLoopHost host;
    HostEdits handler;
    Instance instance;
    host.call([&] { vk::vst3::moduleFactory().setHostContext(host.context()); });
    create(instance, host, handler);
    ASSERT_TRUE(waitUntil([] { return vk::vst3::hostRunLoopIsMessageThread(); }));
    long long passes = 0;
    std::thread(
        [&]
        {
            const vk::vst3::MessageWorkPause hostCall;
            const auto before = host.passes();
            std::this_thread::sleep_for(std::chrono::seconds(3));
            passes = host.passes() - before;
        })
        .join();
    timerLog().clear();
    // A loop that sleeps between its callbacks goes round a few hundred times in 3 s (some more on a busy
    // machine); one that spins, millions of times.
    EXPECT_LT(passes, 3000);
    RecordProperty("loop_passes", std::to_string(passes));
    EXPECT_TRUE(waitUntil([&] { return timerLog().count("timer") > 0; })) << "the work goes on afterwards";
    host.call(
        [&]
        {
            instance.destroy();
            vk::vst3::moduleFactory().setHostContext(nullptr);
        });
}

} // namespace

TEST_F(Vst3RunLoop, AViewCallTakesTheMessageThreadFromTheModulesThreadAndGivesItBack)
{
    // A host without a run loop: the module's thread runs the framework, and an editor view's call on
    // the host's thread takes the message-thread part for its duration.
    RunLoopHost host;
    Instance instance;
    host.call([&] { instance.create(nullptr); });
    ASSERT_TRUE(waitUntil([] { return timerLog().count("timer") >= 2; }));
    const auto loop = host.threadId();

    host.call(
        [&]
        {
            vk::vst3::MessageThreadScope scope;
            EXPECT_TRUE(juce::MessageManager::getInstance()->isThisTheMessageThread());
            timerLog().clear();
            // Nothing of the framework runs elsewhere meanwhile (the timer is due every 5 ms).
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            EXPECT_EQ(timerLog().count("timer"), 0);
        });
    ASSERT_TRUE(waitUntil([] { return timerLog().count("timer") >= 3; }));
    EXPECT_EQ(timerLog().count("timer", loop), 0) << "the module's thread has the part back";
    host.call([&] { instance.destroy(); });
}
