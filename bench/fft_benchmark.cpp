// Our transforms beside FFTW's real double transforms (r2c forward, c2r inverse) of the same sizes, with a
// closing table of the time ratios. FFTW plans are measured once (wisdom kept in the build directory, so
// later runs reuse the same plans) and reused for every iteration.
//
// FFTW's c2r is planned with its default, input-destroying algorithms and is not given fresh input between
// iterations: that is its fastest mode, so the comparison is the least favourable one for us.

#include "fft/vk_fft.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#ifndef VK_FFT_WISDOM_FILE
#define VK_FFT_WISDOM_FILE "fftw_wisdom.txt"
#endif

namespace
{

constexpr int kSizes[] = {256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536, 131072};

std::vector<double> testSignal(int n)
{
    std::vector<double> x(static_cast<size_t>(n));
    for (int j = 0; j < n; ++j)
        x[j] = std::sin(0.37 * j) + 0.25 * std::cos(1.91 * j);
    return x;
}

// Both libraries get arrays from fftw_malloc (SIMD-aligned), as a caller that cares about speed would give.
struct AlignedArray
{
    explicit AlignedArray(int n) : data(fftw_alloc_real(static_cast<size_t>(n))) {}
    ~AlignedArray() { fftw_free(data); }
    AlignedArray(const AlignedArray&) = delete;
    AlignedArray& operator=(const AlignedArray&) = delete;

    double* data;
};

void oursForward(benchmark::State& state, int n)
{
    AlignedArray in(n);
    AlignedArray out(n);
    const std::vector<double> signal = testSignal(n);
    std::copy(signal.begin(), signal.end(), in.data);
    for (auto _ : state)
    {
        fftForward(n, out.data, in.data);
        benchmark::DoNotOptimize(out.data);
        benchmark::ClobberMemory();
    }
}

void oursInverse(benchmark::State& state, int n)
{
    AlignedArray in(n);
    AlignedArray out(n);
    fftForward(n, in.data, testSignal(n).data());
    for (auto _ : state)
    {
        fftInverse(n, in.data, out.data);
        benchmark::DoNotOptimize(out.data);
        benchmark::ClobberMemory();
    }
}

// FFTW arrays and plans for one size, made before any timing starts.
struct FftwSize
{
    double* real = nullptr;
    fftw_complex* spectrum = nullptr;
    fftw_plan forward = nullptr;
    fftw_plan inverse = nullptr;
};

std::map<int, FftwSize>& fftwSizes()
{
    static std::map<int, FftwSize> sizes;
    return sizes;
}

void planFftw()
{
    fftw_import_wisdom_from_filename(VK_FFT_WISDOM_FILE);
    for (int n : kSizes)
    {
        FftwSize& size = fftwSizes()[n];
        size.real = fftw_alloc_real(n);
        size.spectrum = fftw_alloc_complex(n / 2 + 1);
        size.forward = fftw_plan_dft_r2c_1d(n, size.real, size.spectrum, FFTW_MEASURE);
        size.inverse = fftw_plan_dft_c2r_1d(n, size.spectrum, size.real, FFTW_MEASURE);
    }
    fftw_export_wisdom_to_filename(VK_FFT_WISDOM_FILE);
}

void destroyFftw()
{
    for (auto& [n, size] : fftwSizes())
    {
        fftw_destroy_plan(size.forward);
        fftw_destroy_plan(size.inverse);
        fftw_free(size.real);
        fftw_free(size.spectrum);
    }
    fftwSizes().clear();
}

void fftwForward(benchmark::State& state, int n)
{
    FftwSize& size = fftwSizes().at(n);
    const std::vector<double> in = testSignal(n);
    std::copy(in.begin(), in.end(), size.real); // planning overwrote the arrays
    for (auto _ : state)
    {
        fftw_execute(size.forward);
        benchmark::DoNotOptimize(size.spectrum);
        benchmark::ClobberMemory();
    }
}

void fftwInverse(benchmark::State& state, int n)
{
    FftwSize& size = fftwSizes().at(n);
    const std::vector<double> in = testSignal(n);
    std::copy(in.begin(), in.end(), size.real);
    fftw_execute(size.forward);
    for (auto _ : state)
    {
        fftw_execute(size.inverse);
        benchmark::DoNotOptimize(size.real);
        benchmark::ClobberMemory();
    }
}

// Keeps the fastest repetition of every benchmark (the one least disturbed by other load on the machine)
// while the console shows the usual report.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
                bestMicroseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }

    std::map<std::string, double> bestMicroseconds;
};

std::string benchmarkName(const char* direction, const char* library, int n)
{
    return std::string(direction) + "/" + library + "/" + std::to_string(n);
}

void printRatioTable(const std::map<std::string, double>& times)
{
    std::printf("\nBest real time per transform over the repetitions (microseconds), ratio ours / FFTW\n");
    std::printf("%8s | %10s %10s %7s | %10s %10s %7s\n", "n", "fwd ours", "fwd FFTW", "ratio", "inv ours",
                "inv FFTW", "ratio");
    for (int n : kSizes)
    {
        std::printf("%8d |", n);
        for (const char* direction : {"forward", "inverse"})
        {
            const auto ours = times.find(benchmarkName(direction, "ours", n));
            const auto fftw = times.find(benchmarkName(direction, "fftw", n));
            if (ours == times.end() || fftw == times.end())
            {
                std::printf(" %10s %10s %7s |", "-", "-", "-");
                continue;
            }
            std::printf(" %10.3f %10.3f %7.2f |", ours->second, fftw->second, ours->second / fftw->second);
        }
        std::printf("\n");
    }
}

void registerBenchmarks()
{
    for (const char* direction : {"forward", "inverse"})
    {
        const bool isForward = std::string(direction) == "forward";
        for (int n : kSizes)
        {
            for (const char* library : {"ours", "fftw"})
            {
                const bool isOurs = std::string(library) == "ours";
                auto* function =
                    isForward ? (isOurs ? oursForward : fftwForward) : (isOurs ? oursInverse : fftwInverse);
                benchmark::RegisterBenchmark(benchmarkName(direction, library, n).c_str(), function, n)
                    ->Unit(benchmark::kMicrosecond)
                    ->Repetitions(7)
                    ->ComputeStatistics("min", [](const std::vector<double>& v)
                                        { return *std::min_element(v.begin(), v.end()); })
                    ->DisplayAggregatesOnly(true);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    planFftw();
    registerBenchmarks();
    // Repetitions of all benchmarks run in random order, so a burst of load on a shared machine falls on
    // both libraries alike instead of on one size of one of them. A flag given on the command line wins.
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args(argv, argv + argc + 1); // with the terminating null
    args.insert(args.begin() + 1, interleave);
    int argCount = argc + 1;
    benchmark::Initialize(&argCount, args.data());
    if (benchmark::ReportUnrecognizedArguments(argCount, args.data()))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printRatioTable(reporter.bestMicroseconds);
    destroyFftw();
    return 0;
}
