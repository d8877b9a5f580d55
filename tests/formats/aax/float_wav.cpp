#include "tests/formats/aax/float_wav.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vk::aax::test
{
namespace
{

// WAV numbers are little-endian, as this machine's are.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian machine");

template <typename Number>
void put(std::string& out, Number value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename Number>
Number get(const std::string& in, std::size_t at)
{
    Number value{};
    std::memcpy(&value, in.data() + at, sizeof value);
    return value;
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
    put<std::uint32_t>(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put<std::uint32_t>(out, 16);
    put<std::uint16_t>(out, 3); // IEEE float
    put<std::uint16_t>(out, numChannels);
    put<std::uint32_t>(out, std::uint32_t(sampleRate));
    put<std::uint32_t>(out, std::uint32_t(sampleRate) * numChannels * 4u);
    put<std::uint16_t>(out, std::uint16_t(numChannels * 4));
    put<std::uint16_t>(out, 32);
    out += "data";
    put<std::uint32_t>(out, dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i)
        for (const auto& channel : channels)
            put<float>(out, channel[i]);
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
        const auto size = get<std::uint32_t>(in, at + 4);
        const std::size_t body = at + 8;
        if (body + size > in.size())
            return {};
        if (id == "fmt " && size >= 16)
        {
            const auto tag = get<std::uint16_t>(in, body);
            numChannels = get<std::uint16_t>(in, body + 2);
            isFloat32 = (tag == 3 || tag == 0xFFFE) && get<std::uint16_t>(in, body + 14) == 32;
        }
        else if (id == "data" && isFloat32 && numChannels > 0)
        {
            const std::size_t frames = size / (4u * numChannels);
            Channels channels(numChannels, std::vector<float>(frames));
            for (std::size_t i = 0; i < frames; ++i)
                for (std::size_t c = 0; c < numChannels; ++c)
                    channels[c][i] = get<float>(in, body + 4 * (i * numChannels + c));
            return channels;
        }
        at = body + size + (size & 1u);
    }
    return {};
}

} // namespace vk::aax::test
