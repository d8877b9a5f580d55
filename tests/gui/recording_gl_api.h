#pragma once

#include "gl_api.h"

#include <cstring>
#include <string>
#include <vector>

namespace vk::test
{

/** A GlApi that keeps every call, so drawing code can be checked without a display. */
class RecordingGlApi : public GlApi
{
public:
    struct Call
    {
        std::string name;
        std::vector<double> args;
    };
    struct Upload
    {
        uint32_t format = 0;
        int width = 0, height = 0, alignment = 4;
        std::vector<uint8_t> pixels;
    };

    std::vector<Call> calls;
    std::vector<Upload> uploads;
    int unpackAlignment = 4;
    uint32_t nextTextureId = 1;

    void clearCalls() { calls.clear(); }
    int count(const std::string& name) const
    {
        int n = 0;
        for (const auto& c : calls)
            n += c.name == name ? 1 : 0;
        return n;
    }
    std::vector<Call> only(const std::string& name) const
    {
        std::vector<Call> out;
        for (const auto& c : calls)
            if (c.name == name)
                out.push_back(c);
        return out;
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& c : calls)
            out.push_back(c.name);
        return out;
    }

    void color4f(float r, float g, float b, float a) override { add("color4f", {r, g, b, a}); }
    void enable(uint32_t cap) override { add("enable", {(double)cap}); }
    void disable(uint32_t cap) override { add("disable", {(double)cap}); }
    void blendFunc(uint32_t s, uint32_t d) override { add("blendFunc", {(double)s, (double)d}); }
    void lineWidth(float w) override { add("lineWidth", {w}); }
    void pointSize(float s) override { add("pointSize", {s}); }
    void begin(uint32_t mode) override { add("begin", {(double)mode}); }
    void end() override { add("end", {}); }
    void vertex2f(float x, float y) override { add("vertex2f", {x, y}); }
    void texCoord2f(float u, float v) override { add("texCoord2f", {u, v}); }
    void recti(int x1, int y1, int x2, int y2) override
    {
        add("recti", {(double)x1, (double)y1, (double)x2, (double)y2});
    }
    void genTextures(int n, uint32_t* ids) override
    {
        for (int i = 0; i < n; ++i)
            ids[i] = nextTextureId++;
        add("genTextures", {(double)n});
    }
    void deleteTextures(int n, const uint32_t* ids) override
    {
        for (int i = 0; i < n; ++i)
            add("deleteTextures", {(double)ids[i]});
    }
    void bindTexture(uint32_t t, uint32_t id) override { add("bindTexture", {(double)t, (double)id}); }
    void texImage2D(uint32_t, int, int internalFormat, int w, int h, int, uint32_t format, uint32_t,
                    const void* pixels) override
    {
        add("texImage2D", {(double)internalFormat, (double)w, (double)h, (double)format});
        Upload u{format, w, h, unpackAlignment, {}};
        const int bpp = format == GlEnum::bgra ? 4 : (format == GlEnum::bgr ? 3 : 1);
        const size_t row = ((size_t)(w * bpp) + (size_t)unpackAlignment - 1) / (size_t)unpackAlignment *
                           (size_t)unpackAlignment;
        u.pixels.resize(row * (size_t)h);
        std::memcpy(u.pixels.data(), pixels, u.pixels.size());
        uploads.push_back(std::move(u));
    }
    void texParameteri(uint32_t t, uint32_t n, int v) override
    {
        add("texParameteri", {(double)t, (double)n, (double)v});
    }
    void texEnvf(uint32_t t, uint32_t n, float v) override { add("texEnvf", {(double)t, (double)n, v}); }
    void pixelStorei(uint32_t n, int v) override
    {
        if (n == GlEnum::unpackAlignment)
            unpackAlignment = v;
        add("pixelStorei", {(double)n, (double)v});
    }
    void hint(uint32_t t, uint32_t m) override { add("hint", {(double)t, (double)m}); }
    void viewport(int x, int y, int w, int h) override
    {
        add("viewport", {(double)x, (double)y, (double)w, (double)h});
    }
    void matrixMode(uint32_t m) override { add("matrixMode", {(double)m}); }
    void loadIdentity() override { add("loadIdentity", {}); }
    void loadMatrixf(const float* m) override { add("loadMatrixf", std::vector<double>(m, m + 16)); }
    void translatef(float x, float y, float z) override { add("translatef", {x, y, z}); }
    void pushMatrix() override { add("pushMatrix", {}); }
    void popMatrix() override { add("popMatrix", {}); }
    void clearColor(float r, float g, float b, float a) override { add("clearColor", {r, g, b, a}); }
    void clear(uint32_t mask) override { add("clear", {(double)mask}); }

private:
    void add(const char* name, std::vector<double> args) { calls.push_back({name, std::move(args)}); }
};

} // namespace vk::test
