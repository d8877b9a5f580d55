#pragma once

#include <cstdint>

namespace vk
{

/** The OpenGL 1.x entry points our own drawing uses, as one small table.

    Everything the GL layer draws goes through this interface, so that the drawing code can run against a
    recorder in tests and against juce::gl in the product. Enum values are the standard GL numbers (see
   GlEnum).

    [render thread] Every call needs the calling thread's current context (the recorder needs none).
    No allocation in the product implementation.
*/
class GlApi
{
public:
    virtual ~GlApi() = default;

    virtual void color4f(float r, float g, float b, float a) = 0;
    virtual void enable(uint32_t cap) = 0;
    virtual void disable(uint32_t cap) = 0;
    virtual void blendFunc(uint32_t src, uint32_t dst) = 0;
    virtual void lineWidth(float w) = 0;
    virtual void pointSize(float s) = 0;
    virtual void begin(uint32_t mode) = 0;
    virtual void end() = 0;
    virtual void vertex2f(float x, float y) = 0;
    virtual void texCoord2f(float u, float v) = 0;
    virtual void recti(int x1, int y1, int x2, int y2) = 0;
    virtual void genTextures(int n, uint32_t* ids) = 0;
    virtual void deleteTextures(int n, const uint32_t* ids) = 0;
    virtual void bindTexture(uint32_t target, uint32_t id) = 0;
    virtual void texImage2D(uint32_t target, int level, int internalFormat, int width, int height, int border,
                            uint32_t format, uint32_t type, const void* pixels) = 0;
    virtual void texParameteri(uint32_t target, uint32_t name, int value) = 0;
    virtual void texEnvf(uint32_t target, uint32_t name, float value) = 0;
    virtual void pixelStorei(uint32_t name, int value) = 0;
    virtual void hint(uint32_t target, uint32_t mode) = 0;
    virtual void viewport(int x, int y, int w, int h) = 0;
    virtual void matrixMode(uint32_t mode) = 0;
    virtual void loadIdentity() = 0;
    virtual void loadMatrixf(const float* m) = 0;
    virtual void translatef(float x, float y, float z) = 0;
    virtual void pushMatrix() = 0;
    virtual void popMatrix() = 0;
    virtual void clearColor(float r, float g, float b, float a) = 0;
    virtual void clear(uint32_t mask) = 0;
};

/** The standard GL enum values the GL layer uses, so that code and recorder need no GL header. */
namespace GlEnum
{
constexpr uint32_t points = 0x0000;
constexpr uint32_t lines = 0x0001;
constexpr uint32_t triangleStrip = 0x0005;
constexpr uint32_t quads = 0x0007;
constexpr uint32_t srcAlpha = 0x0302;
constexpr uint32_t oneMinusSrcAlpha = 0x0303;
constexpr uint32_t one = 1;
constexpr uint32_t blend = 0x0BE2;
constexpr uint32_t texture2D = 0x0DE1;
constexpr uint32_t scissorTest = 0x0C11;
constexpr uint32_t lineSmooth = 0x0B20;
constexpr uint32_t lineSmoothHint = 0x0C52;
constexpr uint32_t nicest = 0x1102;
constexpr uint32_t unsignedByte = 0x1401;
constexpr uint32_t alpha = 0x1906;
constexpr uint32_t rgba = 0x1908;
constexpr uint32_t bgr = 0x80E0;
constexpr uint32_t bgra = 0x80E1;
constexpr uint32_t textureMagFilter = 0x2800;
constexpr uint32_t textureMinFilter = 0x2801;
constexpr uint32_t textureWrapS = 0x2802;
constexpr uint32_t textureWrapT = 0x2803;
constexpr uint32_t nearest = 0x2600;
constexpr uint32_t linear = 0x2601;
constexpr uint32_t repeat = 0x2901;
constexpr uint32_t textureEnv = 0x2300;
constexpr uint32_t textureEnvMode = 0x2200;
constexpr uint32_t modulate = 0x2100;
constexpr uint32_t unpackAlignment = 0x0CF5;
constexpr uint32_t modelview = 0x1700;
constexpr uint32_t projection = 0x1701;
constexpr uint32_t colorBufferBit = 0x00004000;
constexpr uint32_t depthBufferBit = 0x00000100;
constexpr uint32_t stencilBufferBit = 0x00000400;
} // namespace GlEnum

} // namespace vk
