// Cost of the product's block processing per stereo frame at 48 kHz, beside two LV2 stereo-image plug-ins
// (a multiband stereo enhancer and a multi-band spread) fed the same noise in the same run, with a closing
// table of ratios. The plug-ins are hosted through lilv; one that is not installed is left out.
//
// Configurations: the start-up program (slot 0), the factory preset that measures heaviest, and every
// path on (ten band pairs, ITD with fill, Dynamics, analysis). Block sizes 64 and 512. The product also
// runs on DC 0.5, where the recursive filters' outputs decay towards the denormal range; the closing
// table gives its cost beside the noise's.

#include "platform/vk_data_folders.h"
#include "product/latiphonix_parameters.h"
#include "product/latiphonix_processor.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>
#include <lilv/lilv.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr double kSampleRate = 48000.0;
constexpr int kBlockSizes[] = {64, 512};
constexpr int kNoiseLength = 1 << 16;

const char* const kEnhancerUri = "http://calf.sourceforge.net/plugins/MultibandEnhancer";
const char* const kSpreadUri = "http://calf.sourceforge.net/plugins/MultiSpread";

std::vector<float> noise(unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    std::vector<float> x(static_cast<std::size_t>(kNoiseLength));
    for (auto& v : x)
        v = uniform(random);
    return x;
}

const std::vector<float>& noiseLeft()
{
    static const auto x = noise(1);
    return x;
}

const std::vector<float>& noiseRight()
{
    static const auto x = noise(2);
    return x;
}

const std::vector<float>& dc()
{
    static const std::vector<float> x(static_cast<std::size_t>(kNoiseLength), 0.5f);
    return x;
}

enum class Signal
{
    noise,
    dc
};

//==================================================================================================
// The product.

struct ProductSetup
{
    const char* label;
    int program; // factory slot to load, or -1 for every path on
};

std::unique_ptr<LatiphonixProcessor> makeProcessor(int program, int blockSize)
{
    auto processor = std::make_unique<LatiphonixProcessor>(7);
    processor->setRateAndBufferSizeDetails(kSampleRate, blockSize);
    processor->prepareToPlay(kSampleRate, blockSize);
    if (program >= 0)
    {
        processor->setCurrentProgram(program);
    }
    else
    {
        using namespace latiphonix;
        const std::pair<int, float> everything[] = {
            {kIidEnabled, 1.0f},  {kResolution, 0.009f},  {kIidFocusLower, 0.0f}, {kIidFocusUpper, 1.0f},
            {kIidLowBound, 0.0f}, {kIidHighBound, 1.0f},  {kItdEnabled, 1.0f},    {kItdFill, 1.0f},
            {kDynamics, 1.0f},    {kDynamicsDepth, 1.0f}, {kAnalysis, 1.0f},      {kPhaseShift, 0.3f},
            {kLinearWidth, 0.7f}};
        for (const auto& [index, value] : everything)
            processor->setParameterInternal(index, value, true, false, false);
    }
    processor->timerCallback();
    return processor;
}

// Processes the signal's loop in blocks.
class ProductRunner
{
public:
    ProductRunner(int program, int blockSize, Signal signal = Signal::noise)
        : m_processor(makeProcessor(program, blockSize)), m_block(blockSize),
          m_sourceLeft(signal == Signal::dc ? dc() : noiseLeft()),
          m_sourceRight(signal == Signal::dc ? dc() : noiseRight())
    {
        m_left.resize(std::size_t(blockSize));
        m_right.resize(std::size_t(blockSize));
        // Past the smoothing glides and the band build-up, so the steady state is measured.
        for (int i = 0; i < 160 * 1024 / blockSize; ++i)
            processBlock();
    }

    void processBlock()
    {
        std::copy_n(m_sourceLeft.begin() + m_position, m_block, m_left.begin());
        std::copy_n(m_sourceRight.begin() + m_position, m_block, m_right.begin());
        m_position = (m_position + m_block) % (kNoiseLength - m_block);
        float* channels[] = {m_left.data(), m_right.data()};
        juce::AudioBuffer<float> buffer(channels, 2, m_block);
        m_processor->processBlock(buffer, m_midi);
    }

    const float* output() const { return m_left.data(); }

private:
    std::unique_ptr<LatiphonixProcessor> m_processor;
    int m_block;
    const std::vector<float>& m_sourceLeft;
    const std::vector<float>& m_sourceRight;
    int m_position = 0;
    std::vector<float> m_left, m_right;
    juce::MidiBuffer m_midi;
};

void productBenchmark(benchmark::State& state, int program, int blockSize, Signal signal)
{
    ProductRunner runner(program, blockSize, signal);
    for (auto _ : state)
    {
        runner.processBlock();
        benchmark::DoNotOptimize(runner.output());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * blockSize);
}

// The factory preset with the highest cost at 512-sample blocks, measured once. Each preset's cost is
// the fastest of a few passes, so that a burst of load from elsewhere on the machine does not pick a
// light preset.
int heaviestPreset()
{
    static const int heaviest = []
    {
        constexpr int kPasses = 3;
        int best = 0;
        double bestTime = 0.0;
        for (int slot = 0; slot < LatiphonixProcessor::getNumFactoryPresets(); ++slot)
        {
            ProductRunner runner(slot, 512);
            double fastest = 0.0;
            for (int pass = 0; pass < kPasses; ++pass)
            {
                const auto start = std::chrono::steady_clock::now();
                for (int i = 0; i < 200; ++i)
                    runner.processBlock();
                const double elapsed =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                if (pass == 0 || elapsed < fastest)
                    fastest = elapsed;
            }
            if (fastest > bestTime)
            {
                bestTime = fastest;
                best = slot;
            }
        }
        return best;
    }();
    return heaviest;
}

//==================================================================================================
// LV2 plug-ins through lilv.

class Lv2World
{
public:
    Lv2World() : m_world(lilv_world_new()) { lilv_world_load_all(m_world); }
    ~Lv2World() { lilv_world_free(m_world); }
    LilvWorld* get() const { return m_world; }

    const LilvPlugin* find(const char* uri) const
    {
        LilvNode* node = lilv_new_uri(m_world, uri);
        const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(m_world), node);
        lilv_node_free(node);
        return plugin;
    }

private:
    LilvWorld* m_world;
};

Lv2World& world()
{
    static Lv2World w;
    return w;
}

class Lv2Runner
{
public:
    Lv2Runner(const LilvPlugin* plugin, int blockSize) : m_plugin(plugin), m_block(blockSize)
    {
        LilvWorld* w = world().get();
        LilvNode* audio = lilv_new_uri(w, LILV_URI_AUDIO_PORT);
        LilvNode* control = lilv_new_uri(w, LILV_URI_CONTROL_PORT);
        LilvNode* input = lilv_new_uri(w, LILV_URI_INPUT_PORT);
        const uint32_t numPorts = lilv_plugin_get_num_ports(plugin);
        m_controls.assign(numPorts, 0.0f);
        std::vector<float> defaults(numPorts, 0.0f);
        lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
        m_instance = lilv_plugin_instantiate(plugin, kSampleRate, nullptr);
        if (m_instance == nullptr)
            return;
        m_buffers.assign(4, std::vector<float>(std::size_t(blockSize), 0.0f));
        int audioIn = 0, audioOut = 0;
        for (uint32_t i = 0; i < numPorts; ++i)
        {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
            if (lilv_port_is_a(plugin, port, audio))
            {
                const bool isInput = lilv_port_is_a(plugin, port, input);
                int& slot = isInput ? audioIn : audioOut;
                const int buffer = (isInput ? 0 : 2) + std::min(slot, 1);
                ++slot;
                lilv_instance_connect_port(m_instance, i, m_buffers[std::size_t(buffer)].data());
            }
            else if (lilv_port_is_a(plugin, port, control))
            {
                m_controls[i] = std::isnan(defaults[i]) ? 0.0f : defaults[i];
                lilv_instance_connect_port(m_instance, i, &m_controls[i]);
            }
            else
            {
                lilv_instance_connect_port(m_instance, i, nullptr);
            }
        }
        lilv_node_free(audio);
        lilv_node_free(control);
        lilv_node_free(input);
        lilv_instance_activate(m_instance);
        for (int i = 0; i < 160 * 1024 / blockSize; ++i)
            processBlock();
    }

    ~Lv2Runner()
    {
        if (m_instance != nullptr)
        {
            lilv_instance_deactivate(m_instance);
            lilv_instance_free(m_instance);
        }
    }

    bool ok() const { return m_instance != nullptr; }

    void processBlock()
    {
        std::copy_n(noiseLeft().begin() + m_position, m_block, m_buffers[0].begin());
        std::copy_n(noiseRight().begin() + m_position, m_block, m_buffers[1].begin());
        m_position = (m_position + m_block) % (kNoiseLength - m_block);
        lilv_instance_run(m_instance, uint32_t(m_block));
    }

    const float* output() const { return m_buffers[2].data(); }

private:
    const LilvPlugin* m_plugin;
    LilvInstance* m_instance = nullptr;
    int m_block;
    int m_position = 0;
    std::vector<std::vector<float>> m_buffers;
    std::vector<float> m_controls;
};

void lv2Benchmark(benchmark::State& state, const char* uri, int blockSize)
{
    const LilvPlugin* plugin = world().find(uri);
    if (plugin == nullptr)
    {
        state.SkipWithError("plug-in not installed");
        return;
    }
    Lv2Runner runner(plugin, blockSize);
    if (!runner.ok())
    {
        state.SkipWithError("plug-in did not instantiate");
        return;
    }
    for (auto _ : state)
    {
        runner.processBlock();
        benchmark::DoNotOptimize(runner.output());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * blockSize);
}

//==================================================================================================
// Results: ns per frame by name, and the closing table.

class RecordingReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs)
        {
            if (run.error_occurred || run.iterations == 0)
                continue;
            const auto items = run.counters.find("items_per_second");
            if (items != run.counters.end() && items->second.value > 0.0)
                nsPerFrame[run.benchmark_name()] = 1e9 / items->second.value;
        }
    }

    std::map<std::string, double> nsPerFrame;
};

std::string name(const char* what, int blockSize)
{
    return std::string(what) + "/" + std::to_string(blockSize);
}

std::string dcLabel(const char* what)
{
    return std::string(what) + "_dc";
}

} // namespace

int main(int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    // Settings and the log go to a scratch folder, not the user's own.
    const auto scratch = std::filesystem::temp_directory_path() / "vk-latiphonix-bench";
    std::filesystem::create_directories(scratch / "user");
    std::filesystem::create_directories(scratch / "machine");
    vk::platform::setUserDataFolderOverride(scratch / "user");
    vk::platform::setMachineDataFolderOverride(scratch / "machine");

    const int heaviest = heaviestPreset();
    std::printf("Heaviest factory preset: slot %d\n", heaviest);

    const ProductSetup setups[] = {{"Latiphonix_startup", 0},
                                   {"Latiphonix_heaviest_preset", heaviest},
                                   {"Latiphonix_everything_on", -1}};
    for (int blockSize : kBlockSizes)
    {
        for (const auto& setup : setups)
        {
            benchmark::RegisterBenchmark(name(setup.label, blockSize).c_str(), productBenchmark,
                                         setup.program, blockSize, Signal::noise);
            benchmark::RegisterBenchmark(name(dcLabel(setup.label).c_str(), blockSize).c_str(),
                                         productBenchmark, setup.program, blockSize, Signal::dc);
        }
        benchmark::RegisterBenchmark(name("Calf_MultibandEnhancer", blockSize).c_str(), lv2Benchmark,
                                     kEnhancerUri, blockSize);
        benchmark::RegisterBenchmark(name("Calf_MultiSpread", blockSize).c_str(), lv2Benchmark, kSpreadUri,
                                     blockSize);
    }

    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nns per stereo frame at 48 kHz, and the ratio to each LV2 plug-in (ours / theirs):\n");
    std::printf("%-36s %10s %12s %12s\n", "configuration", "ns/frame", "/Enhancer", "/MultiSpread");
    for (int blockSize : kBlockSizes)
    {
        const auto lookup = [&](const std::string& key)
        {
            const auto it = reporter.nsPerFrame.find(key);
            return it == reporter.nsPerFrame.end() ? 0.0 : it->second;
        };
        const double enhancer = lookup(name("Calf_MultibandEnhancer", blockSize));
        const double spread = lookup(name("Calf_MultiSpread", blockSize));
        for (const auto& setup : setups)
        {
            const double ours = lookup(name(setup.label, blockSize));
            std::printf("%-36s %10.2f %12.3f %12.3f\n", name(setup.label, blockSize).c_str(), ours,
                        enhancer > 0.0 ? ours / enhancer : 0.0, spread > 0.0 ? ours / spread : 0.0);
        }
        std::printf("%-36s %10.2f\n%-36s %10.2f\n", name("Calf_MultibandEnhancer", blockSize).c_str(),
                    enhancer, name("Calf_MultiSpread", blockSize).c_str(), spread);
    }

    std::printf("\nDC 0.5 against noise, ns per stereo frame at 48 kHz:\n");
    std::printf("%-36s %10s %10s %10s\n", "configuration", "noise", "DC", "DC/noise");
    for (int blockSize : kBlockSizes)
        for (const auto& setup : setups)
        {
            const auto it = reporter.nsPerFrame.find(name(setup.label, blockSize));
            const auto itDc = reporter.nsPerFrame.find(name(dcLabel(setup.label).c_str(), blockSize));
            if (it == reporter.nsPerFrame.end() || itDc == reporter.nsPerFrame.end())
                continue;
            std::printf("%-36s %10.2f %10.2f %10.3f\n", name(setup.label, blockSize).c_str(), it->second,
                        itDc->second, itDc->second / it->second);
        }
    benchmark::Shutdown();
    return 0;
}
