#include "gl_list_api.h"

#include <juce_opengl/juce_opengl.h>

#include <atomic>
#include <vector>

namespace latiphonix
{

namespace
{
using namespace juce::gl;

constexpr const char* contextRecordName = "latiphonix.glLists";

std::atomic<uint64_t> nextToken{1};

// A float colour target that keeps its pixels between frames.
struct FloatCanvas
{
    ~FloatCanvas() { release(); }
    void release()
    {
        if (framebuffer != 0)
            glDeleteFramebuffers(1, &framebuffer);
        if (texture != 0)
            glDeleteTextures(1, &texture);
        framebuffer = texture = 0;
        width = height = 0;
    }
    bool make(int w, int h)
    {
        release();
        // Errors left by earlier calls must not be taken for ours.
        for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i)
        {
        }
        // The caller's texture stays bound: the rows are drawn with it right after.
        GLint boundTexture = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, w, h, 0, GL_RGBA, GL_FLOAT, nullptr);
        glBindTexture(GL_TEXTURE_2D, (GLuint)boundTexture);
        GLint previous = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, (GLuint)previous);
        if (!complete || glGetError() != GL_NO_ERROR)
        {
            release();
            return false;
        }
        width = w;
        height = h;
        return true;
    }
    GLuint framebuffer = 0, texture = 0;
    int width = 0, height = 0;
    bool failed = false; // this context cannot make one: do not try every frame
};

// Lives exactly as long as one context (JUCE drops a context's associated objects while it is still current
// on shutdown), so the lists made in it are deleted with it even when their user has gone before.
struct ContextRecord : juce::ReferenceCountedObject
{
    ~ContextRecord() override
    {
        for (auto [first, n] : lists)
            glDeleteLists(first, n);
    }
    const uint64_t token = nextToken.fetch_add(1);
    std::vector<std::pair<GLuint, GLsizei>> lists;
    FloatCanvas canvas;
};

ContextRecord* currentRecord(juce::OpenGLContext& ctx)
{
    if (juce::OpenGLContext::getCurrentContext() != &ctx)
        return nullptr;
    auto* record = dynamic_cast<ContextRecord*>(ctx.getAssociatedObject(contextRecordName));
    if (record == nullptr)
    {
        record = new ContextRecord();
        ctx.setAssociatedObject(contextRecordName, record);
    }
    return record;
}
} // namespace

uint64_t JuceGlListApi::contextToken()
{
    auto* record = currentRecord(ctx);
    return record != nullptr ? record->token : 0;
}

uint32_t JuceGlListApi::genLists(int n)
{
    auto* record = currentRecord(ctx);
    if (record == nullptr || n <= 0)
        return 0;
    const GLuint first = glGenLists(n);
    if (first != 0)
        record->lists.emplace_back(first, n);
    return first;
}

void JuceGlListApi::deleteLists(uint32_t first, int n)
{
    auto* record = currentRecord(ctx);
    if (record == nullptr || first == 0)
        return;
    auto& lists = record->lists;
    lists.erase(std::remove(lists.begin(), lists.end(), std::make_pair((GLuint)first, (GLsizei)n)),
                lists.end());
    glDeleteLists(first, n);
}

void JuceGlListApi::newList(uint32_t id)
{
    glNewList(id, GL_COMPILE);
}

void JuceGlListApi::endList()
{
    glEndList();
}

void JuceGlListApi::callList(uint32_t id)
{
    glCallList(id);
}

void JuceGlListApi::pushAllAttrib()
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
}

void JuceGlListApi::popAttrib()
{
    glPopAttrib();
}

GlListApi::Canvas JuceGlListApi::beginOffscreen(int w, int h)
{
    auto* record = currentRecord(ctx);
    if (record == nullptr || w <= 0 || h <= 0)
        return Canvas::none;
    auto& canvas = record->canvas;
    bool fresh = false;
    if (canvas.width != w || canvas.height != h)
    {
        if (canvas.failed || !canvas.make(w, h))
        {
            canvas.failed = true;
            return Canvas::none;
        }
        fresh = true;
    }
    glGetIntegerv(GL_VIEWPORT, savedViewport);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &savedFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, canvas.framebuffer);
    glViewport(0, 0, w, h);
    if (fresh)
        clearOffscreen();
    return fresh ? Canvas::fresh : Canvas::kept;
}

void JuceGlListApi::clearOffscreen()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void JuceGlListApi::endOffscreen()
{
    glBindFramebuffer(GL_FRAMEBUFFER, (GLuint)savedFramebuffer);
    glViewport(savedViewport[0], savedViewport[1], savedViewport[2], savedViewport[3]);
}

void JuceGlListApi::setSubtractive(bool subtract)
{
    glBlendEquation(subtract ? GL_FUNC_REVERSE_SUBTRACT : GL_FUNC_ADD);
}

uint32_t JuceGlListApi::offscreenTexture()
{
    auto* record = currentRecord(ctx);
    return record != nullptr ? record->canvas.texture : 0;
}

void JuceGlListApi::discardTransparentFragments()
{
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
}

} // namespace latiphonix
