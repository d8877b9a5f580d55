// Texture uploads by image format, the upload-once and delete-later rules, and textures outliving editors.
#include "recording_gl_api.h"
#include "test_editor_fixture.h"
#include "vk_ogl_component_texture.h"

#include <gtest/gtest.h>

using namespace vk;
using vk::test::RecordingGlApi;
using vk::test::TestEditor;

namespace
{
struct TextureFixture : ::testing::Test
{
    RecordingGlApi gl;
    TestEditor editor{&gl};
    VkOglComponent& ogl = editor.ogl;

    void uploadAndDraw(VkOglComponentTexture& t)
    {
        t.upload(ogl);
        t.draw(juce::Rectangle<int>(10, 20, 30, 40));
    }
};
} // namespace

TEST_F(TextureFixture, ArgbUploadsAsStraightAlphaBgraWithTheRequestedFilter)
{
    juce::Image img(juce::Image::ARGB, 3, 2, true);
    img.setPixelAt(0, 0, juce::Colour((uint8_t)255, (uint8_t)64, (uint8_t)0, (uint8_t)128));
    VkOglComponentTexture t;
    t.setImage(img);
    uploadAndDraw(t);

    ASSERT_EQ(gl.uploads.size(), 1u);
    const auto& u = gl.uploads[0];
    EXPECT_EQ(std::make_tuple(u.format, u.width, u.height), std::make_tuple(GlEnum::bgra, 3, 2));
    // JUCE stores 128/255 premultiplied; GL gets the colour back at full strength.
    EXPECT_NEAR(u.pixels[2], 255, 2);
    EXPECT_NEAR(u.pixels[1], 64, 2);
    EXPECT_EQ(std::make_pair(u.pixels[0], u.pixels[3]), std::make_pair((uint8_t)0, (uint8_t)128));
    EXPECT_EQ(gl.only("texImage2D").at(0).args[0], 4); // four components
    ASSERT_EQ(gl.count("texParameteri"), 4);
    EXPECT_EQ(gl.only("texParameteri")[2].args[2], GlEnum::linear);
    EXPECT_FLOAT_EQ(t.getTexelWidth(), 1.0f / 3.0f);
    EXPECT_TRUE(ogl.getStateCache().getRequested().texturing);

    // The quad maps the whole image onto the rectangle, bottom-left first.
    ASSERT_EQ(gl.count("vertex2f"), 4);
    EXPECT_EQ(gl.only("vertex2f")[0].args, (std::vector<double>{10, 60}));
    EXPECT_EQ(gl.only("vertex2f")[2].args, (std::vector<double>{40, 20}));
    EXPECT_EQ(gl.only("texCoord2f")[0].args, (std::vector<double>{0, 1}));
}

TEST_F(TextureFixture, RgbSingleChannelAndDropAlphaFormats)
{
    juce::Image rgb(juce::Image::RGB, 5, 3, true);
    rgb.setPixelAt(4, 2, juce::Colour(10, 20, 30));
    VkOglComponentTexture a;
    a.setImage(rgb);
    a.upload(ogl);
    ASSERT_EQ(gl.uploads.size(), 1u);
    EXPECT_EQ(gl.uploads[0].format, GlEnum::bgr);
    EXPECT_FALSE(a.hasAlphaChannel());
    // Rows as GL reads them with its current alignment: the last pixel of the last row is (b, g, r).
    const size_t row = (5 * 3 + 3) & ~3u;
    EXPECT_EQ(std::make_pair(gl.uploads[0].pixels[row * 2 + 12], gl.uploads[0].pixels[row * 2 + 14]),
              std::make_pair((uint8_t)30, (uint8_t)10));

    juce::Image mono(juce::Image::SingleChannel, 7, 2, true);
    VkOglComponentTexture b;
    b.setLinearFiltering(false);
    b.setImage(mono);
    b.upload(ogl);
    EXPECT_EQ(gl.uploads.back().format, GlEnum::alpha);
    EXPECT_EQ(gl.only("texParameteri").back().args[2], GlEnum::nearest);

    juce::Image argb(juce::Image::ARGB, 3, 1, true);
    argb.setPixelAt(1, 0, juce::Colour(200, 100, 50));
    VkOglComponentTexture c;
    c.setDropAlpha(true);
    c.setImage(argb);
    c.upload(ogl);
    const auto& dropped = gl.uploads.back();
    EXPECT_EQ(std::make_tuple(dropped.format, dropped.alignment, dropped.pixels[3], dropped.pixels[5]),
              std::make_tuple(GlEnum::bgr, 1, (uint8_t)50, (uint8_t)200));
    EXPECT_EQ(gl.unpackAlignment, 4); // put back for everyone else
    EXPECT_FALSE(c.hasAlphaChannel());
}

TEST_F(TextureFixture, EmptyImagesAreNeverUploadedAndTheSameImageIsUploadedOnce)
{
    VkOglComponentTexture none, zeroWide;
    uploadAndDraw(none);
    zeroWide.setImage(juce::Image(juce::Image::ARGB, 1, 1, true).getClippedImage({0, 0, 0, 1}));
    uploadAndDraw(zeroWide);
    for (const char* call : {"genTextures", "bindTexture", "begin"})
        EXPECT_EQ(gl.count(call), 0) << call;

    juce::Image img(juce::Image::ARGB, 4, 4, true);
    VkOglComponentTexture t;
    t.setImage(img);
    uploadAndDraw(t);
    t.setImage(img); // same pixel data
    EXPECT_FALSE(t.isDirty());
    uploadAndDraw(t);
    EXPECT_EQ(gl.count("texImage2D"), 1);
    EXPECT_EQ(gl.count("bindTexture"), 3); // one at creation, one per draw

    const uint32_t firstId = t.getTextureId();
    t.setImage(juce::Image(juce::Image::ARGB, 4, 4, true));
    uploadAndDraw(t);
    EXPECT_EQ(gl.count("texImage2D"), 2);
    ASSERT_EQ(gl.count("deleteTextures"), 1);
    EXPECT_EQ(gl.only("deleteTextures")[0].args[0], firstId);
}

TEST_F(TextureFixture, ResourcesLoadByTheirFullNameAndAdditiveBlendIsKept)
{
    VkOglComponentTexture t;
    EXPECT_FALSE(t.loadFromResource("Graph_particle")); // no "_png" appended here
    ASSERT_TRUE(t.loadFromResource("Graph_particle_png", ogl));
    EXPECT_EQ(t.getResourceName(), "Graph_particle_png");
    EXPECT_EQ(t.getImage().getWidth(), 64);
    EXPECT_TRUE(ogl.isTextureRegistered(&t));
    t.useAdditiveBlend();
    t.upload(ogl);
    EXPECT_EQ(ogl.getStateCache().getRequested().blendDst, GlEnum::one);
}

TEST_F(TextureFixture, DestroyedTexturesLeaveTheRegistryAndTheirIdIsDeletedAtTheNextFrame)
{
    const int before = ogl.getNumRegisteredTextures();
    uint32_t id = 0;
    {
        VkOglComponentTexture t;
        t.setImage(juce::Image(juce::Image::ARGB, 2, 2, true));
        t.upload(ogl);
        id = t.getTextureId();
        EXPECT_EQ(ogl.getNumRegisteredTextures(), before + 1);
    }
    EXPECT_EQ(ogl.getNumRegisteredTextures(), before);
    EXPECT_EQ(gl.count("deleteTextures"), 0);
    ogl.setRenderingEnabled(true);
    ogl.renderOpenGL();
    ASSERT_EQ(gl.count("deleteTextures"), 1);
    EXPECT_EQ(gl.only("deleteTextures")[0].args[0], id);

    // A new context re-uploads what is registered; a closing one forgets every id.
    VkOglComponentTexture kept;
    kept.setImage(juce::Image(juce::Image::ARGB, 2, 2, true));
    kept.upload(ogl);
    ogl.newOpenGLContextCreated();
    EXPECT_TRUE(kept.isDirty());
    kept.upload(ogl);
    ogl.openGLContextClosing();
    EXPECT_EQ(kept.getTextureId(), 0u);
}

// A texture of an object that outlives the editor (a control kept by its owner, a cached image) must not
// reach back into the destroyed component; it can join the next editor.
TEST(TextureLifetime, ATextureThatOutlivesItsComponentIsDetachedAndJoinsTheNextEditor)
{
    RecordingGlApi gl;
    VkOglComponentTexture survivor;
    survivor.setImage(juce::Image(juce::Image::ARGB, 2, 2, true));
    {
        TestEditor first(&gl);
        survivor.upload(first.ogl);
        ASSERT_NE(survivor.getTextureId(), 0u);
        ASSERT_TRUE(first.ogl.isTextureRegistered(&survivor));
    }
    EXPECT_EQ(survivor.getOglComponent(), nullptr);
    EXPECT_EQ(survivor.getOglOwner(), nullptr);
    EXPECT_EQ(survivor.getTextureId(), 0u) << "the id went with the first context";

    TestEditor second(&gl);
    gl.clearCalls();
    survivor.upload(second.ogl);
    EXPECT_TRUE(second.ogl.isTextureRegistered(&survivor));
    EXPECT_EQ(gl.count("texImage2D"), 1);
    EXPECT_EQ(gl.count("deleteTextures"), 0) << "an id of the first context is never deleted in the second";
}

TEST_F(TextureFixture, ATexelForPixelDrawFiltersNearestAndAScaledOneLinearly)
{
    juce::Image img(juce::Image::ARGB, 30, 40, true);
    VkOglComponentTexture t;
    t.setImage(img);
    t.upload(ogl);
    auto filterAfterDraw = [&](juce::Rectangle<float> r)
    {
        gl.clearCalls();
        t.draw(r);
        const auto set = gl.only("texParameteri");
        return set.empty() ? -1.0 : set.back().args[2];
    };
    // Unchanged filters are not set again.
    EXPECT_EQ(filterAfterDraw({10.0f, 20.0f, 30.0f, 40.0f}), GlEnum::nearest);
    EXPECT_EQ(filterAfterDraw({-5.0f, 7.0f, 30.0f, 40.0f}), -1.0);
    for (const auto r : {juce::Rectangle<float>(10.0f, 20.0f, 60.0f, 80.0f),
                         {10.5f, 20.0f, 30.0f, 40.0f},
                         {10.0f, 20.0f, 30.0f, 39.0f}})
    {
        EXPECT_EQ(filterAfterDraw(r), GlEnum::linear) << r.toString();
        EXPECT_EQ(filterAfterDraw({10.0f, 20.0f, 30.0f, 40.0f}), GlEnum::nearest);
    }
    // Only half of a strip shown: texel for pixel again.
    t.setTextureExtent(0.5f, 1.0f);
    EXPECT_EQ(filterAfterDraw({0.0f, 0.0f, 30.0f, 40.0f}), GlEnum::linear);
    EXPECT_EQ(filterAfterDraw({0.0f, 0.0f, 15.0f, 40.0f}), GlEnum::nearest);
    // Asked for nearest, a texture never filters linearly.
    EXPECT_EQ(filterAfterDraw({0.0f, 0.0f, 60.0f, 80.0f}), GlEnum::linear);
    t.setLinearFiltering(false);
    EXPECT_EQ(filterAfterDraw({0.0f, 0.0f, 60.0f, 80.0f}), GlEnum::nearest);
}
