#include "freq_band_tables.h"

#include <array>
#include <cmath>

namespace vk
{

namespace
{
struct Tables
{
    std::array<std::array<float, FreqBandTables::rowCapacity>, FreqBandTables::numRows> rows{};
    std::array<int, FreqBandTables::numRows> counts{};
};

// Glasberg and Moore's ERB-rate scale: equal steps on it are equal steps of the ear's frequency
// resolution, which is what the finer analysis rows want.
double erbRate(double hz)
{
    return 21.4 * std::log10(1.0 + 0.00437 * hz);
}

double erbRateToHz(double erb)
{
    return (std::pow(10.0, erb / 21.4) - 1.0) / 0.00437;
}

void fillErbRow(Tables& t, int row, int edges, float first, float last)
{
    const double e0 = erbRate(first), e1 = erbRate(last);
    auto& r = t.rows[(size_t)row];
    r[0] = first;
    for (int i = 1; i < edges - 1; ++i)
        r[(size_t)i] = (float)erbRateToHz(e0 + (e1 - e0) * i / (edges - 1));
    r[(size_t)edges - 1] = last;
    r[(size_t)edges] = FreqBandTables::endMark;
    t.counts[(size_t)row] = edges + 1;
}

Tables build()
{
    Tables t;
    static constexpr float critical[] = {100,  200,  300,  400,  510,   630,   770,  920,  1080,
                                         1270, 1480, 1720, 2000, 2320,  2700,  3150, 3700, 4400,
                                         5300, 6400, 7700, 9500, 12000, 15500, 20500};
    int n = 0;
    for (float f : critical)
        t.rows[5][(size_t)n++] = f;
    t.rows[5][(size_t)n++] = FreqBandTables::endMark;
    t.counts[5] = n;
    fillErbRow(t, 6, 77, 28.06f, 19339.07f);
    fillErbRow(t, 7, 32, 51.72f, 20101.32f);
    fillErbRow(t, 8, 95, 31.86f, 20101.32f);
    return t;
}

const Tables& tables()
{
    static const Tables t = build();
    return t;
}
} // namespace

const float* FreqBandTables::getRow(int row, int& count) noexcept
{
    if (row < 0 || row >= numRows)
    {
        count = 0;
        return nullptr;
    }
    const auto& t = tables();
    count = t.counts[(size_t)row];
    return t.rows[(size_t)row].data();
}

float FreqBandTables::getReferenceFrequency(int row) noexcept
{
    return row >= 1 && row <= 4 ? 440.0f : 1000.0f;
}

} // namespace vk
