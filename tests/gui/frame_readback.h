#pragma once

// The finished picture of a real OpenGL window, read back on the render thread and checked on the message
// thread. The window tests that draw in their own process read their pixels through this, so that what they
// see was drawn after whatever they changed before asking.
#include "message_pump.h"
#include "vk_ogl_component.h"

#include <juce_opengl/juce_opengl.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace vk::test
{

class FrameReadback
{
public:
    /** A loaded machine running a sanitizer build may draw only a few frames a second, and a window that
        is not drawing at all fails the read anyway: the bound only ends a test that would hang. */
    static constexpr int defaultBoundMs = 20000;

    /** [render thread] Last in a frame, before the component counts it (its overlay hook): reads the
        picture when one was asked for and this frame began after the request. framesBefore: the
        component's frame count now, which this frame has not yet added to. */
    void captureIfRequested(int w, int h, int64_t framesBefore)
    {
        if (!requested.load() || framesBefore <= requestedAtFrame.load())
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

    /** [render thread] The same for the window's full-size component, at its size as frames see it. */
    void captureIfRequested(const VkOglComponent& window)
    {
        const auto bounds = window.getRenderBounds();
        captureIfRequested(bounds.getWidth(), bounds.getHeight(), window.getFrameCount());
    }

    /** [message thread] Asks for a frame whose drawing begins after this call, so that it shows everything
        the caller changed before, and runs the message loop until it is read; false when none came within
        boundMs. framesNow: the component's frame count, read now.

        Frames are drawn one after another and counted as they end. A frame that is drawing now ends as
        frame framesNow + 1 and may have begun before the change; the one counted after it began after it
        ended, so after this call: it sees a count above framesNow while it is drawn. */
    bool read(int64_t framesNow, int boundMs = defaultBoundMs)
    {
        requestedAtFrame.store(framesNow);
        requested.store(true);
        return pumpUntil([this] { return !requested.load(); }, boundMs);
    }
    bool read(const VkOglComponent& window, int boundMs = defaultBoundMs)
    {
        return read(window.getFrameCount(), boundMs);
    }

    /** Top-down pixel (r, g, b) of the last picture read; transparent black when none was. */
    juce::Colour pixelAt(int x, int y)
    {
        const std::lock_guard<std::mutex> l(mutex);
        if (pixels.empty())
            return {};
        const uint8_t* p = pixels.data() + ((size_t)(height - 1 - y) * (size_t)width + (size_t)x) * 4;
        return juce::Colour(p[0], p[1], p[2]);
    }

    /** The last picture read, top row first; invalid when none was. */
    juce::Image image()
    {
        const std::lock_guard<std::mutex> l(mutex);
        if (pixels.empty())
            return {};
        juce::Image picture(juce::Image::RGB, width, height, false);
        for (int y = 0; y < height; ++y)
        {
            const uint8_t* row = pixels.data() + (size_t)(height - 1 - y) * (size_t)width * 4;
            for (int x = 0; x < width; ++x)
                picture.setPixelAt(x, y, juce::Colour(row[x * 4], row[x * 4 + 1], row[x * 4 + 2]));
        }
        return picture;
    }

private:
    std::atomic<bool> requested{false};
    std::atomic<int64_t> requestedAtFrame{0};
    std::mutex mutex;
    std::vector<uint8_t> pixels;
    int width = 0, height = 0;
};

} // namespace vk::test
