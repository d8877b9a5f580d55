#include "juce_gl_api.h"

#include <juce_opengl/juce_opengl.h>

namespace vk
{
namespace
{
using namespace juce::gl;

// The enum table in gl_api.h lets code and tests go without a GL header; make sure it matches the real one.
static_assert(GlEnum::quads == GL_QUADS && GlEnum::bgra == GL_BGRA && GlEnum::bgr == GL_BGR);
static_assert(GlEnum::alpha == GL_ALPHA && GlEnum::blend == GL_BLEND && GlEnum::texture2D == GL_TEXTURE_2D);
static_assert(GlEnum::srcAlpha == GL_SRC_ALPHA && GlEnum::oneMinusSrcAlpha == GL_ONE_MINUS_SRC_ALPHA);
static_assert(GlEnum::scissorTest == GL_SCISSOR_TEST && GlEnum::unpackAlignment == GL_UNPACK_ALIGNMENT);
static_assert(GlEnum::modelview == GL_MODELVIEW && GlEnum::projection == GL_PROJECTION);
static_assert(GlEnum::linear == GL_LINEAR && GlEnum::nearest == GL_NEAREST && GlEnum::repeat == GL_REPEAT);
static_assert(GlEnum::textureEnvMode == GL_TEXTURE_ENV_MODE && GlEnum::modulate == GL_MODULATE);
static_assert(GlEnum::lineSmoothHint == GL_LINE_SMOOTH_HINT && GlEnum::nicest == GL_NICEST);
static_assert(GlEnum::colorBufferBit == GL_COLOR_BUFFER_BIT &&
              GlEnum::stencilBufferBit == GL_STENCIL_BUFFER_BIT);
static_assert(GlEnum::triangleStrip == GL_TRIANGLE_STRIP && GlEnum::unsignedByte == GL_UNSIGNED_BYTE);

class JuceGlApi final : public GlApi
{
public:
    void color4f(float r, float g, float b, float a) override { glColor4f(r, g, b, a); }
    void enable(uint32_t cap) override { glEnable(cap); }
    void disable(uint32_t cap) override { glDisable(cap); }
    void blendFunc(uint32_t src, uint32_t dst) override { glBlendFunc(src, dst); }
    void lineWidth(float w) override { glLineWidth(w); }
    void pointSize(float s) override { glPointSize(s); }
    void begin(uint32_t mode) override { glBegin(mode); }
    void end() override { glEnd(); }
    void vertex2f(float x, float y) override { glVertex2f(x, y); }
    void texCoord2f(float u, float v) override { glTexCoord2f(u, v); }
    void recti(int x1, int y1, int x2, int y2) override { glRecti(x1, y1, x2, y2); }
    void genTextures(int n, uint32_t* ids) override { glGenTextures(n, ids); }
    void deleteTextures(int n, const uint32_t* ids) override { glDeleteTextures(n, ids); }
    void bindTexture(uint32_t target, uint32_t id) override { glBindTexture(target, id); }
    void texImage2D(uint32_t target, int level, int internalFormat, int width, int height, int border,
                    uint32_t format, uint32_t type, const void* pixels) override
    {
        glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
    }
    void texParameteri(uint32_t target, uint32_t name, int value) override
    {
        glTexParameteri(target, name, value);
    }
    void texEnvf(uint32_t target, uint32_t name, float value) override { glTexEnvf(target, name, value); }
    void pixelStorei(uint32_t name, int value) override { glPixelStorei(name, value); }
    void hint(uint32_t target, uint32_t mode) override { glHint(target, mode); }
    void viewport(int x, int y, int w, int h) override { glViewport(x, y, w, h); }
    void matrixMode(uint32_t mode) override { glMatrixMode(mode); }
    void loadIdentity() override { glLoadIdentity(); }
    void loadMatrixf(const float* m) override { glLoadMatrixf(m); }
    void translatef(float x, float y, float z) override { glTranslatef(x, y, z); }
    void pushMatrix() override { glPushMatrix(); }
    void popMatrix() override { glPopMatrix(); }
    void clearColor(float r, float g, float b, float a) override { glClearColor(r, g, b, a); }
    void clear(uint32_t mask) override { glClear(mask); }
};
} // namespace

GlApi& getJuceGlApi()
{
    static JuceGlApi api;
    return api;
}

} // namespace vk
