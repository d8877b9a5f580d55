#pragma once

// The finished picture of a real OpenGL window, read back on the render thread and checked on the message
// thread.
#include "message_pump.h"

#include <juce_opengl/juce_opengl.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace vk::test
{

class FrameReadback
{
public:
    /** [render thread] Last in a frame: reads the picture when one was asked for. Only a frame that began
        after the request shows everything set before it. */
    void captureIfRequested(int w, int h, int64_t frame)
    {
        if (!requested.load() || frame <= requestedAtFrame.load())
            return;
        using namespace juce::gl;
        std::vector<uint8_t> px((size_t)w * (size_t)h * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        {
            const std::lock_guard<std::mutex> l(mutex);
            pixels = std::move(px);
            width = w;
            height = h;
        }
        requested.store(false);
    }

    /** [message thread] Waits for a frame drawn after `frame` to be read; false when none came. */
    bool read(int64_t frame)
    {
        requestedAtFrame.store(frame);
        requested.store(true);
        return pumpUntil([this] { return !requested.load(); }, 5000);
    }

    /** Top-down pixel (r, g, b) of the last picture read. */
    juce::Colour pixelAt(int x, int y)
    {
        const std::lock_guard<std::mutex> l(mutex);
        if (pixels.empty())
            return {};
        const uint8_t* p = pixels.data() + ((size_t)(height - 1 - y) * (size_t)width + (size_t)x) * 4;
        return juce::Colour(p[0], p[1], p[2]);
    }

private:
    std::atomic<bool> requested{false};
    std::atomic<int64_t> requestedAtFrame{0};
    std::mutex mutex;
    std::vector<uint8_t> pixels;
    int width = 0, height = 0;
};

} // namespace vk::test
