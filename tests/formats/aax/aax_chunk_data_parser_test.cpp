// The controls chunk "elck": its byte layout, round trips, lookup order, and chunks from a host that
// are cut short, run past their size or lie about it.

#include "formats/aax/aax_chunk_data_parser.h"
#include "tests/formats/aax/chunk_record_buffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using namespace vk::aax;
using vk::aax::test::ChunkRecordBuffer;
using Bytes = std::vector<unsigned char>;

Bytes written(const AAX_CChunkDataParser& parser)
{
    ChunkRecordBuffer buffer(std::size_t(parser.GetChunkDataSize()));
    EXPECT_EQ(parser.GetChunkData(buffer.record()), kResultOk);
    EXPECT_EQ(buffer.record()->size, parser.GetChunkDataSize());
    return buffer.dataBytes(std::size_t(buffer.record()->size));
}

AAX_CChunkDataParser loaded(const Bytes& data, std::int32_t version = 7)
{
    auto buffer = ChunkRecordBuffer::holding(data);
    buffer.record()->version = version;
    AAX_CChunkDataParser parser;
    parser.LoadChunk(buffer.record(), buffer.recordBytes());
    return parser;
}

TEST(AaxChunkDataParser, GoldenBytes)
{
    AAX_CChunkDataParser parser;
    EXPECT_EQ(parser.GetChunkDataSize(), 4);
    EXPECT_EQ(written(parser), (Bytes{1, 1, 1, 1}));

    parser.AddDouble("3", 0.5);
    EXPECT_EQ(parser.GetChunkDataSize(), 16);
    EXPECT_EQ(written(parser), (Bytes{1, 1, 1, 1, 0x64, 0x5F, 0x33, 0x00, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0}));

    parser.Clear();
    parser.AddInt32("12", 1);
    EXPECT_EQ(written(parser), (Bytes{1, 1, 1, 1, 0x6C, 0x5F, 0x31, 0x32, 0x00, 0, 0, 0, 0, 0, 0, 1}));

    parser.Clear();
    parser.AddString("x", AAX_CString("ab"));
    parser.AddDouble("3", -2.0);
    const Bytes bytes = written(parser);
    EXPECT_EQ(Bytes(bytes.begin() + 4, bytes.begin() + 12),
              (Bytes{0x72, 0x5F, 0x78, 0x00, 0x61, 0x62, 0, 0}));
    const auto back = loaded(bytes);
    ASSERT_EQ(back.Entries().size(), 2u);
    EXPECT_EQ(back.Entries()[0].type, AAX_CChunkDataParser::kTypeString);
    EXPECT_EQ(back.Entries()[1].type, AAX_CChunkDataParser::kTypeDouble);
}

TEST(AaxChunkDataParser, EveryTypeSurvivesARoundTrip)
{
    AAX_CChunkDataParser parser;
    parser.AddDouble("0", 0.123456789012345);
    parser.AddInt32("MasterBypassID", -123456789);
    parser.AddString("name", AAX_CString("four"));
    parser.AddString("", AAX_CString(""));
    parser.AddDouble("a-rather-long-parameter-name", -1e300);
    auto back = loaded(written(parser), 42);
    EXPECT_EQ(back.GetChunkVersion(), 42);
    ASSERT_EQ(back.Entries().size(), 5u);

    double d = 0.0;
    std::int32_t i = 0;
    AAX_CString s;
    EXPECT_TRUE(back.FindDouble("0", &d));
    EXPECT_EQ(d, 0.123456789012345);
    EXPECT_TRUE(back.FindInt32("MasterBypassID", &i));
    EXPECT_EQ(i, -123456789);
    EXPECT_TRUE(back.FindString("name", &s));
    EXPECT_STREQ(s.Get(), "four");
    EXPECT_TRUE(back.FindString(nullptr, &s)); // a null name is the empty name
    EXPECT_STREQ(s.Get(), "");
    EXPECT_TRUE(back.FindDouble("a-rather-long-parameter-name", &d));
    EXPECT_EQ(d, -1e300);

    // A name found with another type, or not at all, answers false and leaves the value.
    i = 5;
    EXPECT_FALSE(back.FindInt32("0", &i));
    EXPECT_FALSE(back.FindInt32("missing", &i));
    EXPECT_EQ(i, 5);
    EXPECT_EQ(written(back), written(parser));
}

TEST(AaxChunkDataParser, ReaderAcceptsWhatOtherWritersWrite)
{
    // The second key character is not checked; floats and 16-bit integers are read though never written.
    const Bytes bytes{1,    1,    1,    1, 0x64, 0x58, 0x33, 0x00, 0x3F, 0xE0, 0,    0, 0,    0,    0, 0,
                      0x66, 0x5F, 0x66, 0, 0x3F, 0x80, 0,    0,    0x73, 0x5F, 0x73, 0, 0xFF, 0xFE, 0, 0};
    const auto parser = loaded(bytes);
    ASSERT_EQ(parser.Entries().size(), 3u);
    EXPECT_STREQ(parser.Entries()[0].name.Get(), "3");
    EXPECT_EQ(parser.Entries()[0].doubleValue, 0.5);
    EXPECT_EQ(parser.Entries()[1].type, AAX_CChunkDataParser::kTypeFloat);
    EXPECT_EQ(parser.Entries()[1].intValue, 0x3F800000);
    EXPECT_EQ(parser.Entries()[2].type, AAX_CChunkDataParser::kTypeInt16);
    EXPECT_EQ(parser.Entries()[2].intValue, -2);

    // An unknown key is kept as a type-0 entry and reading goes on after it.
    const auto unknown = loaded({1, 1, 1, 1, 'q', '_', 'z', 0, 'l', '_', '1', 0, 0, 0, 0, 9});
    ASSERT_EQ(unknown.Entries().size(), 2u);
    EXPECT_EQ(unknown.Entries()[0].type, AAX_CChunkDataParser::kTypeUnknown);
    EXPECT_STREQ(unknown.Entries()[0].name.Get(), "z");
    EXPECT_EQ(unknown.Entries()[1].intValue, 9);

    // Without the marker nothing is read, but the version is.
    const auto unmarked = loaded({0, 0, 0, 0, 0x64, 0x5F, 0x33, 0x00, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0}, 3);
    EXPECT_TRUE(unmarked.Entries().empty());
    EXPECT_EQ(unmarked.GetChunkVersion(), 3);
    EXPECT_TRUE(loaded({1, 1, 1, 1}).Entries().empty());
}

TEST(AaxChunkDataParser, LookupsFromTheLastMatchFindEveryName)
{
    AAX_CChunkDataParser parser;
    for (const char* name : {"0", "1", "2", "3"})
        parser.AddDouble(name, 1.0);
    double value = 0.0;
    for (const char* name : {"0", "1", "2", "3", "0", "2", "1"})
        EXPECT_TRUE(parser.FindDouble(name, &value)) << name;
    EXPECT_FALSE(parser.FindDouble("4", &value));
    EXPECT_TRUE(parser.FindDouble("3", &value));
}

// Hostile chunks: every one stops cleanly with what was read before it, and (under the sanitizers)
// nothing is read past the record.
TEST(AaxChunkDataParser, MalformedChunksStopCleanly)
{
    const Bytes good{1, 1, 1, 1, 'd', '_', '0', 0, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0};
    auto withTail = [&good](const Bytes& tail)
    {
        Bytes bytes = good;
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return loaded(bytes).Entries().size();
    };
    EXPECT_EQ(withTail({'d', '_', '1'}), 1u);                        // key without its zero byte
    EXPECT_EQ(withTail({'d', '_', '1', 0, 0x3F, 0xE0}), 1u);         // value cut short
    EXPECT_EQ(withTail({'r', '_', 's', 0, 'a', 'b', 'c', 'd'}), 1u); // string without its zero byte
    EXPECT_EQ(withTail({'l', '_', '1', 0}), 1u);                     // value missing
    EXPECT_EQ(withTail({'s', '_', '1', 0, 0}), 1u);
    EXPECT_EQ(withTail(Bytes(300, 'k')), 1u); // a key longer than any key may be

    auto buffer = ChunkRecordBuffer::holding(good);
    AAX_CChunkDataParser parser;
    buffer.record()->size = -4;
    parser.LoadChunk(buffer.record(), buffer.recordBytes());
    EXPECT_TRUE(parser.Entries().empty());
    buffer.record()->size = 0x7FFFFFFF; // more than the record holds: its real size bounds the reads
    parser.LoadChunk(buffer.record(), buffer.recordBytes());
    EXPECT_EQ(parser.Entries().size(), 1u);
    buffer.record()->size = 12; // less than it holds: the size field bounds them
    parser.LoadChunk(buffer.record(), buffer.recordBytes());
    EXPECT_TRUE(parser.Entries().empty());
    parser.LoadChunk(buffer.record(), 20); // a record shorter than its header
    EXPECT_TRUE(parser.Entries().empty());
    parser.LoadChunk(nullptr);
    EXPECT_TRUE(parser.Entries().empty());
}

TEST(AaxChunkDataParser, WritingStaysWithinTheComputedSize)
{
    AAX_CChunkDataParser parser;
    parser.AddString("s", AAX_CString("abc"));
    parser.AddDouble("d", 1.0);
    ChunkRecordBuffer buffer(std::size_t(parser.GetChunkDataSize()) + 8, 0xAB);
    EXPECT_EQ(parser.GetChunkData(buffer.record()), kResultOk);
    EXPECT_EQ(buffer.record()->size, 24);
    EXPECT_EQ(buffer.dataBytes(32).back(), 0xAB); // nothing past the size
    EXPECT_EQ(parser.GetChunkData(nullptr), kResultChunkWriteFailed);
}

} // namespace
