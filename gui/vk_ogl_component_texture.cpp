#include "vk_ogl_component_texture.h"

#include "vk_ogl_component.h"
#include "vk_ogl_editor_owner.h"

#include "named_resources.h"

#include <vector>

namespace vk
{

VkOglComponentTexture::~VkOglComponentTexture()
{
    unregisterFromComponent();
}

void VkOglComponentTexture::unregisterFromComponent()
{
    if (registeredWith == nullptr)
        return;
    // The id belongs to that component's context; it can only be deleted where the context is current.
    registeredWith->unregisterTexture(this, textureId);
    textureId = 0;
    registeredWith = nullptr;
}

void VkOglComponentTexture::detachFromComponent(const VkOglComponent& dying) noexcept
{
    if (registeredWith == &dying)
        registeredWith = nullptr;
    if (oglComponent == &dying)
    {
        oglComponent = nullptr;
        owner = nullptr;
    }
    textureId = 0;
    textureDirty.store(true);
}

void VkOglComponentTexture::setOglOwner(VkOglEditorOwner* editor)
{
    VkOglComponentUser::setOglOwner(editor);
    if (oglComponent != registeredWith)
    {
        unregisterFromComponent();
        textureDirty.store(true);
        if (oglComponent != nullptr)
        {
            oglComponent->registerTexture(this);
            registeredWith = oglComponent;
        }
    }
}

void VkOglComponentTexture::setImage(const juce::Image& newImage)
{
    const juce::SpinLock::ScopedLockType sl(imageLock);
    if (newImage == image) // same pixel data: nothing to re-upload
        return;
    image = newImage;
    textureDirty.store(true);
}

bool VkOglComponentTexture::loadFromResource(const char* resource)
{
    int size = 0;
    const void* data = getNamedResource(resource, size);
    if (data == nullptr)
        return false;
    resourceName = resource;
    setImage(juce::ImageFileFormat::loadFrom(data, (size_t)size));
    return true;
}

bool VkOglComponentTexture::loadFromResource(const char* resource, VkOglComponentUser& ownerUser)
{
    setOglOwner(ownerUser.getOglOwner());
    return loadFromResource(resource);
}

void VkOglComponentTexture::useAdditiveBlend() noexcept
{
    setBlendFactors(GlEnum::srcAlpha, GlEnum::one);
}

void VkOglComponentTexture::setBlendFactors(uint32_t src, uint32_t dst) noexcept
{
    blendSrc = src;
    blendDst = dst;
}

void VkOglComponentTexture::setTextureExtent(float uExtent, float vExtent) noexcept
{
    extentU = uExtent;
    extentV = vExtent;
}

juce::Image VkOglComponentTexture::getImage() const
{
    const juce::SpinLock::ScopedLockType sl(imageLock);
    return image;
}

bool VkOglComponentTexture::hasImage() const
{
    const juce::SpinLock::ScopedLockType sl(imageLock);
    return image.isValid();
}

void VkOglComponentTexture::release()
{
    if (textureId == 0)
        return;
    if (oglComponent != nullptr && oglComponent->isContextReady())
        oglComponent->getGlApi().deleteTextures(1, &textureId);
    textureId = 0;
}

void VkOglComponentTexture::upload(VkOglComponentUser& user)
{
    if (user.getOglOwner() == nullptr)
        return;
    if (oglComponent != nullptr && oglComponent->isRenderStopping())
        return;
    setOglOwner(user.getOglOwner());
    if (oglComponent == nullptr || oglComponent->isRenderStopping())
        return;

    if (textureDirty.load())
    {
        if (!oglComponent->isContextReady())
            return;
        release();
        textureDirty.store(false);
    }

    if (textureId == 0)
    {
        const juce::Image img = getImage();
        if (img.isValid() && img.getWidth() >= 1 && img.getHeight() >= 1)
        {
            if (!oglComponent->isContextReady())
                return;
            createGlTexture(img);
        }
    }

    if (textureId != 0)
    {
        auto& cache = oglComponent->getStateCache();
        cache.setTexturing(true);
        cache.setBlending(blending);
        if (blending)
            cache.setBlendFunction(blendSrc, blendDst);
        oglComponent->getGlApi().bindTexture(GlEnum::texture2D, textureId);
    }
}

void VkOglComponentTexture::createGlTexture(const juce::Image& img)
{
    GlApi& gl = oglComponent->getGlApi();
    const int w = img.getWidth();
    const int h = img.getHeight();
    texelWidth = 1.0f / (float)w;
    texelHeight = 1.0f / (float)h;
    pixelWidth = w;
    pixelHeight = h;

    gl.genTextures(1, &textureId);
    gl.bindTexture(GlEnum::texture2D, textureId);

    const juce::Image::BitmapData bits(img, juce::Image::BitmapData::readOnly);
    // Rows are handed to GL tightly packed in a buffer of our own whenever the source layout is not exactly
    // what GL expects; this happens once per image change, never per frame.
    std::vector<uint8_t> converted;
    const void* pixels = bits.data;
    uint32_t format = GlEnum::bgra;
    int alignment = 4;

    if (img.getFormat() == juce::Image::RGB)
    {
        format = GlEnum::bgr;
        hasAlpha = false;
        opaque = true;
        if (bits.lineStride != ((w * 3 + 3) & ~3))
        {
            converted.resize((size_t)w * 3 * (size_t)h);
            for (int y = 0; y < h; ++y)
                memcpy(converted.data() + (size_t)y * (size_t)w * 3, bits.getLinePointer(y), (size_t)w * 3);
            pixels = converted.data();
            alignment = 1;
        }
    }
    else if (img.getFormat() == juce::Image::ARGB)
    {
        if (dropAlpha)
        {
            format = GlEnum::bgr;
            hasAlpha = false;
            opaque = true;
            alignment = 1;
            converted.resize((size_t)w * 3 * (size_t)h);
            uint8_t* out = converted.data();
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                {
                    const uint8_t* p = bits.getPixelPointer(x, y);
                    *out++ = p[0];
                    *out++ = p[1];
                    *out++ = p[2];
                }
            pixels = converted.data();
        }
        else
        {
            // JUCE keeps ARGB premultiplied; the straight-alpha blend function every texture uses would
            // darken anti-aliased edges twice, so the colours are un-premultiplied for GL.
            converted.resize((size_t)w * 4 * (size_t)h);
            uint8_t* out = converted.data();
            uint8_t minAlpha = 255;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                {
                    juce::PixelARGB px =
                        *reinterpret_cast<const juce::PixelARGB*>(bits.getPixelPointer(x, y));
                    minAlpha = std::min(minAlpha, px.getAlpha());
                    px.unpremultiply();
                    *out++ = px.getBlue();
                    *out++ = px.getGreen();
                    *out++ = px.getRed();
                    *out++ = px.getAlpha();
                }
            pixels = converted.data();
            hasAlpha = true;
            opaque = minAlpha == 255;
        }
    }
    else
    {
        format = GlEnum::alpha;
        hasAlpha = true;
        opaque = false;
        if (bits.lineStride != ((w + 3) & ~3))
        {
            converted.resize((size_t)w * (size_t)h);
            for (int y = 0; y < h; ++y)
                memcpy(converted.data() + (size_t)y * (size_t)w, bits.getLinePointer(y), (size_t)w);
            pixels = converted.data();
            alignment = 1;
        }
    }

    if (alignment != 4)
        gl.pixelStorei(GlEnum::unpackAlignment, alignment);
    gl.texImage2D(GlEnum::texture2D, 0, 4, w, h, 0, format, GlEnum::unsignedByte, pixels);
    gl.texParameteri(GlEnum::texture2D, GlEnum::textureWrapS, (int)GlEnum::repeat);
    gl.texParameteri(GlEnum::texture2D, GlEnum::textureWrapT, (int)GlEnum::repeat);
    filter = 0;
    setFilter(linearFiltering ? GlEnum::linear : GlEnum::nearest);
    gl.pixelStorei(GlEnum::unpackAlignment, 4);
}

void VkOglComponentTexture::setFilter(uint32_t wanted)
{
    if (wanted == filter)
        return;
    filter = wanted;
    GlApi& gl = oglComponent->getGlApi();
    gl.texParameteri(GlEnum::texture2D, GlEnum::textureMinFilter, (int)wanted);
    gl.texParameteri(GlEnum::texture2D, GlEnum::textureMagFilter, (int)wanted);
}

void VkOglComponentTexture::draw(juce::Rectangle<int> rect)
{
    draw(rect.toFloat());
}

void VkOglComponentTexture::draw(juce::Rectangle<float> r)
{
    if (textureId == 0 || oglComponent == nullptr)
        return;
    auto& cache = oglComponent->getStateCache();
    GlApi& gl = oglComponent->getGlApi();
    cache.apply();
    // Drawn texel for pixel (strips, buttons, backgrounds at whole-pixel positions), linear filtering only
    // mixes each texel with itself at four reads a pixel; nearest gives the same picture for one, which is
    // much of a frame on a software driver. Anything scaled keeps linear filtering.
    const bool texelForPixel = oglComponent->getRenderScale() == 1.0 &&
                               std::abs(r.getWidth() - extentU * (float)pixelWidth) < 1e-3f &&
                               std::abs(r.getHeight() - extentV * (float)pixelHeight) < 1e-3f &&
                               r.getX() == std::floor(r.getX()) && r.getY() == std::floor(r.getY());
    setFilter(linearFiltering && !texelForPixel ? GlEnum::linear : GlEnum::nearest);
    gl.begin(GlEnum::quads);
    gl.texCoord2f(0.0f, extentV);
    gl.vertex2f(r.getX(), r.getBottom());
    gl.texCoord2f(0.0f, 0.0f);
    gl.vertex2f(r.getX(), r.getY());
    gl.texCoord2f(extentU, 0.0f);
    gl.vertex2f(r.getRight(), r.getY());
    gl.texCoord2f(extentU, extentV);
    gl.vertex2f(r.getRight(), r.getBottom());
    gl.end();
}

} // namespace vk
