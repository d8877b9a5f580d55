#pragma once

// A chunk saved as a host saves it, and an effect's parameters object as a host holds it: asked for its
// second version, initialised against the fake host, and its render-context fields reset as a host does
// before the first render callback.

#include "platform/aax/aax_render_context.h"
#include "tests/formats/aax/chunk_record_buffer.h"
#include "tests/formats/aax/fake_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vk::aax::test
{

using Channels = std::vector<std::vector<float>>;

// GetChunkSize then GetChunk, as a host saves a chunk (bytes past what is written stay 0xAB).
inline ChunkRecordBuffer saveChunk(const AAX_IACFEffectParameters& effect, std::uint32_t id)
{
    std::uint32_t size = 0;
    EXPECT_EQ(effect.GetChunkSize(id, &size), kResultOk);
    ChunkRecordBuffer buffer(size, 0xAB);
    buffer.record()->chunkId = id;
    EXPECT_EQ(effect.GetChunk(id, buffer.record()), kResultOk);
    EXPECT_EQ(buffer.record()->size, std::int32_t(size));
    return buffer;
}

class EffectInstance
{
public:
    EffectInstance(IACFUnknown* created, FakeHost& host, bool resetFields = true)
    {
        void* facing = nullptr;
        EXPECT_EQ(created->QueryInterface(kIID_EffectParametersV2, &facing), kResultOk);
        parameters = static_cast<AAX_IACFEffectParameters_V2*>(facing);
        initResult = parameters->Initialize(host.root());
        if (resetFields)
        {
            EXPECT_EQ(parameters->ResetFieldData(kFieldInstance, &instanceField, sizeof instanceField),
                      kResultOk);
            EXPECT_EQ(parameters->ResetFieldData(kFieldPrepared, &preparedField, sizeof preparedField),
                      kResultOk);
        }
    }
    ~EffectInstance()
    {
        parameters->Uninitialize();
        parameters->Release();
    }
    EffectInstance(const EffectInstance&) = delete;
    EffectInstance& operator=(const EffectInstance&) = delete;

    // A render context over the instance's fields.
    RenderContext context(const float* const* inputs, float* const* outputs, const std::int32_t* length) const
    {
        return RenderContext{inputs, outputs, length, &instanceField, &preparedField};
    }

    // Renders `in` block by block through a render callback into `outputs` channels (-9 where unwritten).
    Channels render(NativeProcessProc proc, const Channels& in, int outputs, int block) const
    {
        const int length = int(in[0].size());
        Channels out(std::size_t(outputs), std::vector<float>(std::size_t(length), -9.0f));
        for (int start = 0; start < length; start += block)
        {
            const std::int32_t n = std::min(block, length - start);
            std::vector<const float*> inputPointers;
            std::vector<float*> outputPointers;
            for (const auto& channel : in)
                inputPointers.push_back(channel.data() + start);
            for (auto& channel : out)
                outputPointers.push_back(channel.data() + start);
            const RenderContext rendered = context(inputPointers.data(), outputPointers.data(), &n);
            const void* contexts[] = {&rendered};
            proc(const_cast<void* const*>(contexts), contexts + 1);
        }
        return out;
    }

    AAX_IACFEffectParameters_V2* parameters = nullptr;
    Result initResult = -1;
    void* instanceField = nullptr;
    std::int32_t preparedField = 0;
};

} // namespace vk::aax::test
