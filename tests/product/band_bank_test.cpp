// The band bank's skewed, vectorised schedule against the plain slot-by-slot loop over the resonator
// classes: the outputs, the gains and the filter state must agree bit for bit, in both register widths,
// through slot moves, redesigns and history clears.

#include "dsp/recursive_filter_band.h"
#include "product/latiphonix_band_bank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

namespace
{

constexpr int kSlots = LatiphonixBandBank::kSlots;
constexpr float kBandwidth = 0.001f;
constexpr float kLowest = 0.0012f;

// The straightforward bank: one filter object per slot and kind, run sample by sample.
struct ReferenceBank
{
    struct Set
    {
        CRecursiveFilterBandReject<float> rejectL, rejectR;
        CRecursiveFilterBandPass<float> passL, passR;
    };
    std::array<Set, kSlots> sets;

    void design(int slot, float centreL, float centreR)
    {
        Set& s = sets[std::size_t(slot)];
        s.rejectL.design(centreL, kBandwidth);
        s.passR.design(centreL, kBandwidth);
        s.rejectR.design(centreR, kBandwidth);
        s.passL.design(centreR, kBandwidth);
        // Below the lowest centre a band-reject becomes a wire and a band-pass silent.
        for (auto* f : {&s.rejectL, &s.rejectR})
            if (f->getFrequency() < kLowest)
                f->setPassThrough();
        for (auto* f : {&s.passL, &s.passR})
            if (f->getFrequency() < kLowest)
                f->setSilent();
    }

    void clear(int slot)
    {
        Set& s = sets[std::size_t(slot)];
        for (auto* f : {&s.rejectL, &s.rejectR})
            f->clearHistory();
        for (auto* f : {&s.passL, &s.passR})
            f->clearHistory();
    }

    void move(int from, int to)
    {
        auto first = sets.begin();
        if (from < to)
            std::rotate(first + from, first + from + 1, first + to + 1);
        else if (from > to)
            std::rotate(first + to, first + from, first + from + 1);
    }

    void process(const float* inL, const float* inR, int length, int active, float* gain, const float* step,
                 float* outL, float* outR)
    {
        for (int i = 0; i < length; ++i)
        {
            float residualL = inL[i], residualR = inR[i], bandsL = 0.0f, bandsR = 0.0f;
            for (int b = 0; b < active; ++b)
            {
                Set& s = sets[std::size_t(b)];
                const float g = gain[b];
                residualL = g * s.rejectL.processSample(residualL) + (1.0f - g) * residualL;
                residualR = g * s.rejectR.processSample(residualR) + (1.0f - g) * residualR;
                bandsL += g * s.passL.processSample(inL[i]);
                bandsR += g * s.passR.processSample(inR[i]);
                gain[b] = g + step[b];
            }
            outL[i] = bandsL + residualL;
            outR[i] = bandsR + residualR;
        }
    }
};

void runComparison(bool wide, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const auto centre = [&] { return 0.0005f + 0.45f * unit(random) * unit(random); };

    ReferenceBank reference;
    LatiphonixBandBank bank;
    bank.useWideRegisters(wide);
    bank.resetAll();
    for (int slot = 0; slot < kSlots; ++slot)
    {
        const float l = centre(), r = centre();
        reference.design(slot, l, r);
        bank.designSlot(slot, l, r, kBandwidth, kLowest);
    }

    alignas(16) std::array<float, LatiphonixBandBank::kLanes> gainRef{}, gainBank{}, step{};
    std::vector<float> inL(LatiphonixBandBank::kMaxRun), inR(inL.size());
    std::vector<float> refL(inL.size()), refR(inL.size()), outL(inL.size()), outR(inL.size());

    for (int round = 0; round < 300; ++round)
    {
        switch (random() % 4)
        {
        case 0:
            for (int b = 0; b < kSlots; ++b)
            {
                gainRef[std::size_t(b)] = gainBank[std::size_t(b)] = unit(random);
                step[std::size_t(b)] = (unit(random) - 0.5f) / 256.0f;
            }
            break;
        case 1:
        {
            const int from = int(random() % kSlots), to = int(random() % kSlots);
            reference.move(from, to);
            bank.moveSlot(from, to);
            break;
        }
        case 2:
        {
            const int slot = int(random() % kSlots);
            const float l = centre(), r = centre();
            reference.design(slot, l, r);
            bank.designSlot(slot, l, r, kBandwidth, kLowest);
            reference.clear(slot);
            bank.clearHistory(slot);
            break;
        }
        default:
            break;
        }

        const int length = 1 + int(random() % LatiphonixBandBank::kMaxRun);
        const int active = 1 + int(random() % kSlots);
        for (int i = 0; i < length; ++i)
        {
            inL[std::size_t(i)] = unit(random) - 0.5f;
            inR[std::size_t(i)] = unit(random) - 0.5f;
        }
        reference.process(inL.data(), inR.data(), length, active, gainRef.data(), step.data(), refL.data(),
                          refR.data());
        bank.process(inL.data(), inR.data(), length, active, gainBank.data(), step.data(), outL.data(),
                     outR.data());
        for (int i = 0; i < length; ++i)
        {
            ASSERT_EQ(refL[std::size_t(i)], outL[std::size_t(i)]) << "round " << round << " sample " << i;
            ASSERT_EQ(refR[std::size_t(i)], outR[std::size_t(i)]) << "round " << round << " sample " << i;
        }
        for (int b = 0; b < kSlots; ++b)
            ASSERT_EQ(gainRef[std::size_t(b)], gainBank[std::size_t(b)])
                << "round " << round << " slot " << b;
        for (int b = 0; b < kSlots; ++b)
        {
            ASSERT_EQ(reference.sets[std::size_t(b)].rejectL.getFrequency(),
                      bank.frequency(LatiphonixBandBank::kRejectL, b));
            ASSERT_EQ(reference.sets[std::size_t(b)].passL.getFrequency(),
                      bank.frequency(LatiphonixBandBank::kPassL, b));
        }
    }
}

TEST(BandBank, SlotsBelowTheLowestCentreLeaveTheSignalAsItIs)
{
    // Every slot neutral, fully faded in: neither channel may gain a band sum on top of its residual.
    for (bool wide : {false, true})
    {
        LatiphonixBandBank bank;
        bank.useWideRegisters(wide);
        bank.resetAll();
        for (int slot = 0; slot < kSlots; ++slot)
            bank.designSlot(slot, 0.0005f, 0.001f, kBandwidth, kLowest);
        alignas(16) std::array<float, LatiphonixBandBank::kLanes> gain{}, step{};
        gain.fill(1.0f);
        std::mt19937 random(3u);
        std::uniform_real_distribution<float> unit(-0.5f, 0.5f);
        std::vector<float> inL(LatiphonixBandBank::kMaxRun), inR(inL.size()), outL(inL.size()),
            outR(inL.size());
        for (std::size_t i = 0; i < inL.size(); ++i)
        {
            inL[i] = unit(random);
            inR[i] = unit(random);
        }
        bank.process(inL.data(), inR.data(), int(inL.size()), kSlots, gain.data(), step.data(), outL.data(),
                     outR.data());
        EXPECT_EQ(outL, inL) << wide;
        EXPECT_EQ(outR, inR) << wide;
    }
}

TEST(BandBank, MatchesTheSlotBySlotLoopInBothRegisterWidths)
{
    runComparison(false, 7u);
    LatiphonixBandBank probe;
    probe.useWideRegisters(true);
    if (!probe.usesWideRegisters())
        GTEST_SKIP() << "the processor has no AVX";
    runComparison(true, 7u);
}

} // namespace
