#pragma once

// The stereo-field fan: every analysed frequency band of the output is a glowing particle whose angle says
// how far the band leans left or right and whose distance from the fan's centre grows with frequency. Every
// 10 ms one row of particles is recorded into the next of ten display lists; the picture is the sum of all
// ten, dimmer with age, so it keeps a short afterglow. Where the context offers a canvas the sum is kept
// there: each new row is added once and the row it replaces subtracted, instead of drawing all ten rows
// every frame.
// The lists belong to the current OpenGL context: a re-created context gets new ones (the old ones died
// with their context), and the context frees them when it goes.
// [render thread] render. [message thread] construction, sources, requestReset. Allocates on the first frame
// in a context (the context's list record) and when the curve length changes.

#include "gl_list_api.h"

#include "c_freq_graph.h"
#include "vk_ogl_component_texture.h"

#include <array>
#include <memory>

class LatiphonixGraph : public vk::CFreqGraph
{
public:
    static constexpr int numLists = 10;
    static constexpr int numPoints = 44;
    static constexpr int recordIntervalMs = 10;
    // The particles are drawn into a canvas of 1 / canvasDivisor of the editor's size, then laid over it.
    static constexpr int canvasDivisor = 3;
    // Rows between two rebuilds of the canvas's sum from all live rows.
    static constexpr int rebuildInterval = 1000;

    // listApi: the display-list calls to use (tests); null = the real ones of the component's context.
    explicit LatiphonixGraph(const vk::DisplayClock& clock = vk::DisplayClock::system(),
                             latiphonix::GlListApi* listApi = nullptr);
    ~LatiphonixGraph() override;

    void render(int elapsedMs) override;
    void setOglOwner(vk::VkOglEditorOwner* editor) override;
    void requestReset() noexcept { resetRequested.store(true); }

    // One particle: the square's centre (whole pixels, graph coordinates) and half side.
    struct Particle
    {
        float x, y, halfSize;
    };
    // The particle of point i of n with powers left and right, for a particle texture of width T and the
    // row's threshold m.
    static Particle particleFor(int i, int n, float left, float right, float m, float textureWidth,
                                juce::Point<float> fanCentre, float height) noexcept;
    // The ageing grey level of a list recorded ageMs ago.
    static float ageLevel(juce::int64 ageMs) noexcept;

    // [render thread] For tests.
    uint32_t getListId(int i) const noexcept { return lists[(size_t)i]; }
    juce::int64 getListTime(int i) const noexcept { return listTimes[(size_t)i]; } // 0 = no row yet
    int getNextList() const noexcept { return nextList; }
    bool hasLists() const noexcept { return listToken != 0; }

private:
    latiphonix::GlListApi& listCalls();
    void makeLists(latiphonix::GlListApi& api);
    void recordRow(latiphonix::GlListApi& api, vk::FreqGraphCurve& curve, juce::int64 now);
    void drawRow(latiphonix::GlListApi& api, int i, float level);
    void updateCanvas(latiphonix::GlListApi& api, vk::FreqGraphCurve& curve, juce::int64 now, bool recordDue,
                      bool fresh);
    void composeCanvas(uint32_t texture);

    vk::VkOglComponentTexture particleTexture;
    std::array<uint32_t, numLists> lists{};
    std::array<juce::int64, numLists> listTimes{};
    std::array<float, numLists> canvasLevels{}; // the level each row was added to the canvas with
    std::array<juce::Rectangle<float>, numLists> rowAreas{}; // what each row's particles cover
    bool canvasStale = true;                                 // the canvas's sum no longer matches the rows
    int rowsSinceRebuild = 0;
    int nextList = 0;
    juce::int64 lastRecordTime = 0;
    int radialStep = 4;
    uint64_t listToken = 0; // the context the lists were made in; 0 = none yet
    std::atomic<bool> resetRequested{false};
    const vk::DisplayClock* displayClock;
    latiphonix::GlListApi* injectedListApi;
    std::unique_ptr<latiphonix::GlListApi> contextListApi;
};
