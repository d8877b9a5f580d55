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
    juce::OpenGLFrameBuffer canvas;
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

bool JuceGlListApi::beginOffscreen(int w, int h)
{
    auto* record = currentRecord(ctx);
    if (record == nullptr || w <= 0 || h <= 0)
        return false;
    auto& canvas = record->canvas;
    if ((canvas.getWidth() != w || canvas.getHeight() != h) && !canvas.initialise(ctx, w, h))
        return false;
    glGetIntegerv(GL_VIEWPORT, savedViewport);
    if (!canvas.makeCurrentRenderingTarget())
        return false;
    glViewport(0, 0, w, h);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return true;
}

void JuceGlListApi::endOffscreen()
{
    if (auto* record = currentRecord(ctx))
        record->canvas.releaseAsRenderingTarget();
    glViewport(savedViewport[0], savedViewport[1], savedViewport[2], savedViewport[3]);
}

uint32_t JuceGlListApi::offscreenTexture()
{
    auto* record = currentRecord(ctx);
    return record != nullptr ? record->canvas.getTextureID() : 0;
}

void JuceGlListApi::discardTransparentFragments()
{
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
}

} // namespace latiphonix
