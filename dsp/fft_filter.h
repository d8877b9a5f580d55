#pragma once

#include "dsp/delay_filter.h"
#include "dsp/fft_half_bins.h"
#include "dsp/fft_scratch_pool.h"
#include "dsp/fft_window.h"

#include <complex>
#include <memory>
#include <mutex>

/** Receives every analysed frame's N/2 + 1 bins.

    Threads: [audio thread], called from FftFilter::pushSamples with the filter's lock held; it must not
    allocate, block, or push into the same filter.
*/
class FftFilterCallBack
{
public:
    virtual ~FftFilterCallBack() = default;
    virtual void operate(int transformLength, std::complex<double>* bins, void* context) = 0;
};

/** Cuts a sample stream into frames of N samples (a hop of new samples, zero-padded to N), optionally
    windows them, transforms each to N/2 + 1 bins for a callback, and can transform the bins back into an
    output FIFO.

    Threads: construction, setInputDelay and setWindowing allocate or configure [message thread];
    pushSamples and synthesizeFrame [audio thread]; the rest [any thread]. Every member that touches the
    frame, bins or FIFO takes the filter's own lock (recursive, so the callback and the hooks may call back
    into the filter's getters); apart from that lock nothing in the per-block path allocates or blocks.
*/
class FftFilter : public FreqDomainOperator
{
public:
    using Bin = std::complex<double>;
    static constexpr int kTransformLength = 1024;
    static constexpr int kInputDelayLength = 65536;

    FftFilter(FftFilterCallBack* callBack, void* context);
    virtual ~FftFilter();

    FftFilter(const FftFilter&) = delete;
    FftFilter& operator=(const FftFilter&) = delete;

    /** Consumes all count samples; each frame completed on the way is analysed. Returns how many frames
        were completed. Feeding chunks of at most the hop completes at most one frame per call, which lets
        the caller synthesise every frame. */
    int pushSamples(const float* samples, int count);

    /** Hands the current bins to the callback. Called with the lock held. */
    virtual void analyseFrame();
    /** Called with the lock held after a frame has been transformed back, before it joins the FIFO; the
        frame is getOutputFrame(). */
    virtual void outputHook() {}
    /** Transforms the last analysed frame back and appends its first hop values to the output FIFO.
        Returns whether a frame was waiting. */
    virtual bool synthesizeFrame();
    virtual void reset();
    virtual void clearOutput();
    virtual int getHop() const;
    /** Replaces the input delay line (allocates). */
    virtual void setInputDelay(int delay);

    /** Computes the window table for type and n (n + 1 entries; the filter itself uses n = N - 1). */
    bool setWindow(int type, int n);
    /** Turns windowing of the analysed frames on or off; false for an unknown type. */
    bool setWindowing(bool enabled, int type);
    double getWindowValue(int i) const;

    /** N-point forward transform of frame into N/2 + 1 bins; false for a length the scratch buffers or the
        transform library cannot take. */
    bool forwardToBins(int transformLength, Bin* bins, const double* frame);
    /** Inverse of forwardToBins, scaled by 1/N. */
    bool inverseFromBins(int transformLength, const Bin* bins, double* frame);

    /** Reads up to maxCount values from the output FIFO; returns how many were read. */
    int pullOutput(double* destination, int maxCount);
    int getOutputAvailable() const;
    bool isFrameReady() const;

    /** The most recently synthesised frame (N values); for outputHook overrides, under the lock. */
    double* getOutputFrame() noexcept { return m_outputFrame.get(); }
    const FftHalfSpectrum& getSpectrum() const noexcept { return m_spectrum; }

private:
    void completeFrame();
    void resetLocked();

    mutable std::recursive_mutex m_lock;

    int m_fillCount = 0;
    int m_hop = kTransformLength;
    std::unique_ptr<double[]> m_frame;
    FftHalfSpectrum m_spectrum;
    int m_frameWritePosition = 0;

    // Output FIFO of 4N values. Appends wrap modulo its size; when the reader falls behind, the oldest
    // values are dropped so the FIFO never reports more than it holds.
    std::unique_ptr<double[]> m_ring;
    int m_ringSize = 0;
    int m_ringWrite = 0;
    int m_ringRead = 0;
    int m_ringCount = 0;
    std::unique_ptr<double[]> m_outputFrame;

    bool m_frameReady = false;

    void* m_context = nullptr;
    FftFilterCallBack* m_callBack = nullptr;

    int m_windowType = FftWindowTable::kRectangular;
    bool m_windowEnabled = false;
    FftWindowTable m_window;

    std::unique_ptr<CDelayFilter<float>> m_inputDelay;
};
