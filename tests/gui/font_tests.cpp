// Font metrics, UTF-8 walking that never reads past the text, and glyph quads placed by justification.
#include "font_metrics_table.h"
#include "recording_gl_api.h"
#include "test_editor_fixture.h"
#include "utf8_decoder.h"
#include "vk_juce_ogl_font.h"
#include "vk_juce_ogl_font_user.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace vk;
using vk::test::RecordingGlApi;
using vk::test::TestEditor;

namespace
{
/** A table where 'A' is 37 pixels wide, 'b' 20, ' ' 5, every line 12 high. */
std::vector<int32_t> makeRects()
{
    std::vector<int32_t> r((size_t)FontMetricsTable::numCodes * 4, 0);
    auto set = [&](int code, int x1, int x2)
    {
        const size_t i = (size_t)(code - FontMetricsTable::firstCode) * 4;
        r[i] = x1;
        r[i + 1] = 3;
        r[i + 2] = x2;
        r[i + 3] = 15;
    };
    set(10, 0, 0);
    set('A', 10, 47);
    set('b', 50, 70);
    set(' ', 80, 85);
    set(0x7FF, 90, 92);
    return r;
}

struct FontFixture : ::testing::Test
{
    RecordingGlApi gl;
    TestEditor editor{&gl};
    VkOglComponent& ogl = editor.ogl;
    std::vector<int32_t> rects = makeRects();
    FontMetricsTable table{rects.data()};
    VkJuceOglFont font;

    FontFixture() { font.load("FONT_FontText14_png", &table, &ogl); }

    std::vector<double> firstVertex() const { return gl.only("vertex2f").at(0).args; }
};

/** A heap copy with no byte after the terminator, so that a read past it is caught by AddressSanitizer. */
std::unique_ptr<char[]> exactCopy(const char* bytes, size_t lengthWithZero)
{
    auto p = std::make_unique<char[]>(lengthWithZero);
    std::memcpy(p.get(), bytes, lengthWithZero);
    return p;
}
} // namespace

TEST(FontMetricsTable, LineHeightAndAdvancesComeFromTheGlyphRectangles)
{
    const auto rects = makeRects();
    const FontMetricsTable t(rects.data());
    EXPECT_EQ(t.getLineHeight(), 12);
    // 'A', below the first code, above the last.
    EXPECT_EQ((std::vector<uint32_t>{t.getAdvance('A'), t.getAdvance(5), t.getAdvance(2049)}),
              (std::vector<uint32_t>{37, 0, 0}));
    EXPECT_EQ(t.getGlyph(5000).x2, 0);

    for (int i = 0; i < 9; ++i)
    {
        const auto& real = getFontMetricsTable(i);
        EXPECT_GT(real.getLineHeight(), 9) << i;
        EXPECT_GT(real.getAdvance('W'), real.getAdvance('i')) << i;
        EXPECT_EQ(real.getAdvance('\n'), 0u);
    }
    EXPECT_LT(getFontMetricsTable(0).getLineHeight(), getFontMetricsTable(8).getLineHeight());
}

TEST(Utf8Decoder, DecodesAndStopsAtTheTerminatorOfTruncatedSequences)
{
    const char* p = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    for (uint32_t code : {(uint32_t)'a', 0xE9u, 0x20ACu, 0x1F600u})
        EXPECT_EQ(decodeUtf8AndAdvance(p), code);
    EXPECT_EQ(*p, 0);

    // A three-byte lead followed by the terminator: the walk must stop on the zero.
    const auto truncated = exactCopy("\xE2\x82", 3);
    const char* q = truncated.get();
    decodeUtf8AndAdvance(q);
    EXPECT_EQ(q, truncated.get() + 2);
    EXPECT_EQ(*q, 0);

    // A non-continuation byte ends the code, and the walk still skips what the lead byte announced.
    const char* r = "\xC3Zx";
    EXPECT_EQ(decodeUtf8AndAdvance(r), 0x03u);
    EXPECT_EQ(*r, 'x');
}

TEST_F(FontFixture, CentredAndRightJustifiedTextOffsets)
{
    EXPECT_EQ(font.measureText("A"), 37);
    // y: 50 + (20 - 12) / 2; with a width text the shorter text starts where the width text would.
    const std::tuple<const char*, VkJuceOglFont::Justification, const char*, double> cases[] = {
        {"A", VkJuceOglFont::centred, "", 131},
        {"A", VkJuceOglFont::right, "", 163},
        {"A", VkJuceOglFont::left, nullptr, 100},
        {"b", VkJuceOglFont::centred, "A", 131}};
    for (auto [text, justification, widthText, x] : cases)
    {
        gl.clearCalls();
        font.drawText({100, 50, 100, 20}, text, justification, widthText);
        EXPECT_EQ(firstVertex(), (std::vector<double>{x, 54})) << text << " " << justification;
    }
}

TEST_F(FontFixture, GlyphQuadsUseTheTableAndUnknownCodesDoNotAdvance)
{
    font.drawText({0, 0, 200, 12},
                  "A\xE4\xB8\xAD"
                  "b",
                  VkJuceOglFont::left, "");
    const auto v = gl.only("vertex2f");
    ASSERT_EQ(v.size(), 12u); // three code points, one quad each
    EXPECT_EQ(v[0].args, (std::vector<double>{0, 0}));
    EXPECT_EQ(v[2].args, (std::vector<double>{37, 12}));
    // U+4E2D: empty and no advance; 'b' starts where 'A' ended.
    EXPECT_EQ((std::vector<double>{v[4].args[0], v[6].args[0], v[8].args[0]}),
              (std::vector<double>{37, 37, 37}));
    const float su = font.getTexture().getTexelWidth();
    const float sv = font.getTexture().getTexelHeight();
    const auto t = gl.only("texCoord2f");
    const float expected[4] = {10 * su, 3 * sv, 47 * su, 15 * sv};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ((float)t[i / 2 * 2].args[i % 2], expected[i]) << i;
    EXPECT_EQ(gl.count("begin"), 1); // one batch
    EXPECT_EQ(gl.uploads.at(0).format, GlEnum::bgra);
}

TEST_F(FontFixture, TruncatedUtf8IsDrawnAndMeasuredWithoutReadingPastTheText)
{
    // A two-byte lead with its terminator right after it decodes to code 31, which has no glyph.
    const auto text = exactCopy("A\xDF", 3);
    EXPECT_EQ(font.measureText(text.get()), 37);
    font.drawText({0, 0, 100, 12}, text.get(), VkJuceOglFont::left, "");
    EXPECT_EQ(gl.count("vertex2f"), 8);
    const auto threeByte = exactCopy("b\xEF\xBF", 4);
    EXPECT_EQ(font.measureText(threeByte.get()), 20);
}

TEST_F(FontFixture, FontUserDrawsWithTheDefaultFontAndSkipsEmptyText)
{
    struct User : VkJuceOglFontUser
    {
    } user;
    user.setOglOwner(&editor);
    gl.clearCalls();
    ogl.getStateCache().setColour(juce::Colours::black);
    user.drawText("", {0, 0, 50, 20});
    EXPECT_TRUE(gl.calls.empty());
    EXPECT_EQ(ogl.getStateCache().getRequested().colour, juce::Colours::black); // no colour set

    ASSERT_NE(ogl.getFontForSize(14), nullptr);
    EXPECT_EQ(user.getEffectiveFont(), ogl.getFontForSize(14));
    user.setTextColour(juce::Colours::red);
    user.drawText("Hi", {0, 0, 50, 20});
    EXPECT_EQ(gl.count("begin"), 1);
    EXPECT_EQ(gl.only("color4f").at(0).args, (std::vector<double>{1, 0, 0, 1}));
    user.drawText("Hi", {0, 0, 50, 20}, juce::Colours::blue);
    EXPECT_EQ(gl.only("color4f").back().args, (std::vector<double>{0, 0, 1, 1}));

    // The 20-pixel font has metrics but no glyph image: it draws nothing rather than solid boxes.
    gl.clearCalls();
    user.setFont(ogl.getFontForSize(20));
    user.drawText("Hi", {0, 0, 50, 20});
    EXPECT_EQ(gl.count("begin"), 0);
    EXPECT_GT(ogl.getFontForSize(20)->measureText("Hi"), 0);
}
