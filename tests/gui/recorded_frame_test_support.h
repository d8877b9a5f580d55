#pragma once

// Helpers shared by the display tests: an owner editor that edits a test processor, and the rectangles and
// quads a recorded frame drew with the colour each was drawn in.
#include "recording_gl_api.h"
#include "test_editor_fixture.h"

#include "tests/processor/test_processor.h"

#include <vector>

namespace vk::test
{

/** A headless owner whose processor is a test processor (the graphs read its sample rate). */
class ProcessorOwner : public TestEditor
{
public:
    ProcessorOwner(GlApi* api, VkJuceProcessorBase* p) : TestEditor(api), processor(p) {}
    VkJuceProcessorBase* getProcessor() const override { return processor; }
    VkJuceProcessorBase* processor;
};

struct DrawnRect
{
    int x1, y1, x2, y2;
    float r, g, b, a;
};

/** Every recti of the recorded calls with the colour GL had at that moment. */
inline std::vector<DrawnRect> drawnRects(const RecordingGlApi& gl)
{
    std::vector<DrawnRect> out;
    float colour[4] = {0, 0, 0, 0};
    for (const auto& c : gl.calls)
    {
        if (c.name == "color4f")
            for (int i = 0; i < 4; ++i)
                colour[i] = (float)c.args[(size_t)i];
        else if (c.name == "recti")
            out.push_back({(int)c.args[0], (int)c.args[1], (int)c.args[2], (int)c.args[3], colour[0],
                           colour[1], colour[2], colour[3]});
    }
    return out;
}

struct DrawnQuad
{
    std::vector<float> vertices; // x0 y0 x1 y1 ...
    std::vector<float> texCoords;
    float r, g, b, a;
};

/** Every quad (begin .. end) with the colour GL had when it began. */
inline std::vector<DrawnQuad> drawnQuads(const RecordingGlApi& gl)
{
    std::vector<DrawnQuad> out;
    float colour[4] = {0, 0, 0, 0};
    DrawnQuad* open = nullptr;
    for (const auto& c : gl.calls)
    {
        if (c.name == "color4f")
            for (int i = 0; i < 4; ++i)
                colour[i] = (float)c.args[(size_t)i];
        else if (c.name == "begin")
        {
            out.push_back({{}, {}, colour[0], colour[1], colour[2], colour[3]});
            open = &out.back();
        }
        else if (c.name == "vertex2f" && open != nullptr)
        {
            open->vertices.push_back((float)c.args[0]);
            open->vertices.push_back((float)c.args[1]);
        }
        else if (c.name == "texCoord2f" && open != nullptr)
        {
            open->texCoords.push_back((float)c.args[0]);
            open->texCoords.push_back((float)c.args[1]);
        }
        else if (c.name == "end")
            open = nullptr;
    }
    return out;
}

} // namespace vk::test
