#pragma once

// The few OpenGL 1.x calls the stereo-field layers need beyond the shared GL table: display lists, the
// attribute stack and context identity. Display lists belong to one context; a context that is re-created
// (the window hidden and shown, the editor re-attached) has none of the old ones, so every user asks for
// the context's token each frame and makes its lists again when the token changed.
// [render thread] everything. No allocation except when a new context is first seen (and the canvas's
// pixels when it is first used or resized).

#include <cstdint>

namespace latiphonix
{

class GlListApi
{
public:
    virtual ~GlListApi() = default;

    // An identity of the current context that differs for every context ever created; 0 without one.
    virtual uint64_t contextToken() = 0;
    // n consecutive list ids, 0 on failure. The ids are deleted with the current context at the latest.
    virtual uint32_t genLists(int n) = 0;
    virtual void deleteLists(uint32_t first, int n) = 0;
    virtual void newList(uint32_t id) = 0; // compile only
    virtual void endList() = 0;
    virtual void callList(uint32_t id) = 0;
    virtual void pushAllAttrib() = 0;
    virtual void popAttrib() = 0;
    // Fragments of zero alpha are dropped before blending (saved and restored with the attributes).
    virtual void discardTransparentFragments() = 0;

    // What beginOffscreen found.
    enum class Canvas
    {
        none, // no canvas in this context: draw directly
        kept, // the canvas as the last frame left it
        fresh // a new canvas (first use, new size or new context): cleared
    };
    // An offscreen canvas of w x h pixels becomes the drawing target, with the viewport over all of it (the
    // projection stays, so the same drawing lands scaled). Its pixels are floats that are neither clamped
    // nor rounded to 8 bits, and they persist from frame to frame, so that what was added can later be
    // subtracted again. endOffscreen puts the previous target and viewport back.
    virtual Canvas beginOffscreen(int w, int h) = 0;
    virtual void clearOffscreen() = 0;
    virtual void endOffscreen() = 0;
    // Blending subtracts the drawing from the target instead of adding it (saved and restored with the
    // attributes).
    virtual void setSubtractive(bool subtract) = 0;
    virtual uint32_t offscreenTexture() = 0;
};

} // namespace latiphonix

namespace juce
{
class OpenGLContext;
}

namespace latiphonix
{

// The real calls, for lists made in `context` (the OpenGL component's context).
class JuceGlListApi : public GlListApi
{
public:
    explicit JuceGlListApi(juce::OpenGLContext& context) : ctx(context) {}

    uint64_t contextToken() override;
    uint32_t genLists(int n) override;
    void deleteLists(uint32_t first, int n) override;
    void newList(uint32_t id) override;
    void endList() override;
    void callList(uint32_t id) override;
    void pushAllAttrib() override;
    void popAttrib() override;
    void discardTransparentFragments() override;
    Canvas beginOffscreen(int w, int h) override;
    void clearOffscreen() override;
    void endOffscreen() override;
    void setSubtractive(bool subtract) override;
    uint32_t offscreenTexture() override;

private:
    juce::OpenGLContext& ctx;
    int savedViewport[4] = {0, 0, 0, 0};
    int savedFramebuffer = 0;
};

} // namespace latiphonix
