#include "tests/formats/aax/float_wav.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vk::aax::test
{
namespace
{

void put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(char((v >> (8 * i)) & 0xff));
}

void put16(std::string& out, std::uint16_t v)
{
    out.push_back(char(v & 0xff));
    out.push_back(char(v >> 8));
}

std::uint32_t get32(const std::string& in, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(in[at + std::size_t(i)]);
    return v;
}

std::uint16_t get16(const std::string& in, std::size_t at)
{
    return std::uint16_t(std::uint8_t(in[at]) | (std::uint8_t(in[at + 1]) << 8));
}

} // namespace

bool writeFloatWav(const std::string& path, const Channels& channels, int sampleRate)
{
    if (channels.empty())
        return false;
    const auto numChannels = std::uint16_t(channels.size());
    const auto frames = std::uint32_t(channels[0].size());
    const std::uint32_t dataBytes = frames * numChannels * 4u;
    std::string out = "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 3); // IEEE float
    put16(out, numChannels);
    put32(out, std::uint32_t(sampleRate));
    put32(out, std::uint32_t(sampleRate) * numChannels * 4u);
    put16(out, std::uint16_t(numChannels * 4));
    put16(out, 32);
    out += "data";
    put32(out, dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i)
        for (const auto& channel : channels)
        {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &channel[i], 4);
            put32(out, bits);
        }
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), std::streamsize(out.size()));
    return bool(file);
}

Channels readFloatWav(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string in((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (in.size() < 12 || in.compare(0, 4, "RIFF") != 0 || in.compare(8, 4, "WAVE") != 0)
        return {};
    std::uint16_t numChannels = 0;
    bool isFloat32 = false;
    for (std::size_t at = 12; at + 8 <= in.size();)
    {
        const std::string id = in.substr(at, 4);
        const std::uint32_t size = get32(in, at + 4);
        const std::size_t body = at + 8;
        if (body + size > in.size())
            return {};
        if (id == "fmt " && size >= 16)
        {
            const std::uint16_t tag = get16(in, body);
            numChannels = get16(in, body + 2);
            isFloat32 = (tag == 3 || tag == 0xFFFE) && get16(in, body + 14) == 32;
        }
        else if (id == "data" && isFloat32 && numChannels > 0)
        {
            const std::size_t frames = size / (4u * numChannels);
            Channels channels(numChannels, std::vector<float>(frames));
            for (std::size_t i = 0; i < frames; ++i)
                for (std::size_t c = 0; c < numChannels; ++c)
                {
                    const std::uint32_t bits = get32(in, body + 4 * (i * numChannels + c));
                    std::memcpy(&channels[c][i], &bits, 4);
                }
            return channels;
        }
        at = body + size + (size & 1u);
    }
    return {};
}

} // namespace vk::aax::test
