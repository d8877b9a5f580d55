// The host state chunk: what is written, what is read back, and what survives damaged input.

#include "test_processor.h"

#include "processor/vk_state_chunk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
using StateChunkTest = ProcessorTest;

// Gives every slot of `processor` distinct values (some out of range) and names.
void fillBank(TestProcessor& processor)
{
    for (int slot = 0; slot < 46; ++slot)
    {
        ProgramRecord program = processor.getProgram(slot);
        for (int j = 0; j < TestProcessor::kNumMain; ++j)
            program.values[std::size_t(j)] = float(slot * 8 + j) / 256.0f;
        program.name = "Slot " + juce::String(slot) + " \"<&>\"";
        processor.setProgram(slot, program);
    }
    ProgramRecord outOfRange = processor.getProgram(9);
    outOfRange.values[3] = 1.75f;
    outOfRange.values[4] = -0.5f;
    processor.setProgram(9, outOfRange);
}

// A snapshot of everything the state chunk holds.
struct Bank
{
    std::vector<std::vector<float>> values;
    std::vector<juce::String> names;
    int current;
};

Bank snapshot(TestProcessor& processor)
{
    Bank bank;
    for (int slot = 0; slot < 46; ++slot)
    {
        const auto program = processor.getProgram(slot);
        bank.values.emplace_back(program.values.begin(), program.values.begin() + TestProcessor::kNumMain);
        bank.names.push_back(program.name);
    }
    bank.current = processor.getCurrentProgram();
    return bank;
}

void expectSameBank(const Bank& a, const Bank& b)
{
    EXPECT_EQ(a.current, b.current);
    EXPECT_EQ(a.names, b.names);
    EXPECT_EQ(a.values, b.values);
}
} // namespace

TEST_F(StateChunkTest, RoundTripsEverySlotNameAndTheCurrentProgram)
{
    TestProcessor source;
    fillBank(source);
    source.setCurrentProgram(7);

    juce::MemoryBlock state;
    source.getStateInformation(state);

    TestProcessor target;
    target.setStateInformation(state.getData(), int(state.getSize()));
    const auto loaded = snapshot(target);
    expectSameBank(snapshot(source), loaded);

    EXPECT_EQ(target.getParameter(5), float(7 * 8 + 5) / 256.0f);
    // Out-of-range slot values are kept as stored.
    EXPECT_EQ(loaded.values[9][3], 1.75f);
    EXPECT_EQ(loaded.values[9][4], -0.5f);

    // The loaded slot is applied as one undo step, not reported to the host (the host restored it).
    EXPECT_TRUE(target.log().eventsStartingWith("change").empty());
    EXPECT_TRUE(target.canUndo());

    // Saving again gives the same bytes.
    juce::MemoryBlock again;
    target.getStateInformation(again);
    EXPECT_EQ(again, state);

    // The current-program pair is the same state.
    juce::MemoryBlock current;
    target.getCurrentProgramStateInformation(current);
    EXPECT_EQ(current, state);
    TestProcessor third;
    third.setCurrentProgramStateInformation(current.getData(), int(current.getSize()));
    expectSameBank(loaded, snapshot(third));

    // Applying a slot clamps its values.
    third.setCurrentProgram(9);
    EXPECT_EQ(third.getParameter(3), 1.0f);
    EXPECT_EQ(third.getParameter(4), 0.0f);
}

TEST_F(StateChunkTest, WritesTheExactFrameAndDocument)
{
    TestProcessor processor;
    for (int slot = 0; slot < 46; ++slot)
    {
        ProgramRecord program = processor.getProgram(slot);
        for (int j = 0; j < TestProcessor::kNumMain; ++j)
            program.values[std::size_t(j)] = j % 2 == 0 ? 0.5f : 0.25f;
        program.name = "N" + juce::String(slot);
        processor.setProgram(slot, program);
    }
    processor.setCurrentProgram(2);

    std::string expected = "<MYPLUGINSETTINGS CURRENTPRESET=\"2\">";
    for (int slot = 0; slot < 46; ++slot)
    {
        const auto index = std::to_string(slot);
        expected += "<PRESET" + index + " P0=\"0.5\" PRESETNAME=\"N" + index +
                    "\" P1=\"0.25\" P2=\"0.5\" P3=\"0.25\" P4=\"0.5\" P5=\"0.25\" P6=\"0.5\" P7=\"0.25\"/>";
    }
    expected += "</MYPLUGINSETTINGS>";

    juce::MemoryBlock chunk;
    processor.writeStateChunk(chunk);
    ASSERT_EQ(chunk.getSize(), expected.size() + 9);
    const auto* bytes = static_cast<const std::uint8_t*>(chunk.getData());
    EXPECT_EQ(std::memcmp(bytes, "VC2!", 4), 0);
    const std::uint32_t length = std::uint32_t(bytes[4]) | std::uint32_t(bytes[5]) << 8 |
                                 std::uint32_t(bytes[6]) << 16 | std::uint32_t(bytes[7]) << 24;
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(chunkDocument(chunk), expected);
    EXPECT_EQ(bytes[chunk.getSize() - 1], 0);

    // The host gets the chunk and nothing after it (the product has no extra state).
    juce::MemoryBlock state;
    processor.getStateInformation(state);
    EXPECT_EQ(state, chunk);
}

TEST_F(StateChunkTest, RefusedInputLeavesTheStateUnchanged)
{
    TestProcessor processor;
    fillBank(processor);
    processor.setCurrentProgram(3);
    const auto before = snapshot(processor);

    const std::string valid = "<MYPLUGINSETTINGS CURRENTPRESET=\"5\"><PRESET0 P0=\"0.9\" PRESETNAME=\"x\"/>"
                              "</MYPLUGINSETTINGS>";
    std::vector<juce::MemoryBlock> refused = {
        juce::MemoryBlock(),
        juce::MemoryBlock("VC2", 3),
        juce::MemoryBlock("VC2!\x10\0\0\0", 8),               // exactly a header
        stateChunk(valid, 0),                                 // zero length
        stateChunk(valid, std::int64_t(0x80000000u)),         // negative length
        stateChunk(valid, std::int64_t(0xfffffff0u)),         // negative and near wrap-around
        stateChunk("<MYPLUGINSETTINGS CURRENTPRESET=\"5\">"), // unclosed
        stateChunk("<OTHERSETTINGS CURRENTPRESET=\"5\"><PRESET0 P0=\"0.9\"/></OTHERSETTINGS>"),
        stateChunk("not xml at all"),
        stateChunk(std::string("<MYPLUGINSETTINGS CURRENTPRESET=\"5\">\xff\xfe</MYPLUGINSETTINGS>")),
        stateChunk(valid.substr(0, 40)), // truncated text, length says so
        // What the framework's parser mishandles: a loop for ever, a write past a string copy (overlong
        // UTF-8), reads past the text (an unterminated reference, an unknown entity parsed again).
        stateChunk("<MYPLUGINSETTINGS><?x?>b</MYPLUGINSETTINGS>"),
        stateChunk(std::string("<MYPLUGINSETTINGS CURRENTPRESET=\"\xc0\x8b\"/>")),
        stateChunk("<MYPLUGINSETTINGS CURRENTPRESET=\"&#x"),
        stateChunk("<MYPLUGINSETTINGS CURRENTPRESET=\"&unknown;\"/>"),
    };
    // Deep nesting is refused before the parser could recurse through it.
    std::string deep = "<MYPLUGINSETTINGS>";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    refused.push_back(stateChunk(deep));
    // A declared length larger than the data, cut inside the document.
    auto cut = stateChunk(valid, 5000, false);
    cut.setSize(8 + 30);
    refused.push_back(cut);

    for (const auto& block : refused)
    {
        processor.setStateInformation(block.getData(), int(block.getSize()));
        processor.readStateChunk(block.getData(), int(block.getSize()));
    }
    processor.readStateChunk(nullptr, 100);
    processor.setStateInformation(nullptr, 100);
    expectSameBank(before, snapshot(processor));
}

// Every cut of a saved state (every length in plain builds; the ends and a stride under sanitizers): only
// cuts that still hold the whole text (the full chunk, or all but its terminating zero) are read. The
// framework's parser took a text ending inside the root's start tag, or inside its end tag, as a document
// and moved the instance to the program the cut left (or to program 0).
TEST_F(StateChunkTest, EveryCutOfASavedStateIsRefusedUntilTheWholeTextIsThere)
{
    class CountingProcessor : public TestProcessor
    {
    public:
        void readStateHook(const juce::XmlElement&) override { ++documents; }
        int documents = 0;
    };
    TestProcessor source;
    fillBank(source);
    source.setCurrentProgram(5);
    juce::MemoryBlock state;
    source.getStateInformation(state);
    const auto* data = static_cast<const char*>(state.getData());
    const int wholeText = int(state.getSize()) - 1;

    CountingProcessor target;
    target.setCurrentProgram(17);
    const auto before = snapshot(target);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr int kStride = 23;
#else
    constexpr int kStride = 1;
#endif
    std::vector<int> accepted;
    for (int size = 0; size < wholeText; size += size < 200 || size > wholeText - 200 ? 1 : kStride)
    {
        const int documents = target.documents;
        target.setStateInformation(data, size);
        if (target.documents != documents)
            accepted.push_back(size);
    }
    EXPECT_EQ(accepted, std::vector<int>{}) << "of " << wholeText << " cuts";
    expectSameBank(before, snapshot(target));

    for (int size : {wholeText, wholeText + 1})
    {
        CountingProcessor whole;
        EXPECT_TRUE(whole.readStateChunk(data, size)) << size;
        expectSameBank(snapshot(source), snapshot(whole));
    }
}

// Texts the framework's parser takes although they are not one whole element.
TEST_F(StateChunkTest, TextsThatAreNotOneWholeElementAreRefused)
{
    TestProcessor processor;
    fillBank(processor);
    processor.setCurrentProgram(3);
    const auto before = snapshot(processor);
    const std::string preset = "<PRESET0 P0=\"0.9\" PRESETNAME=\"x\"/>";
    for (const std::string& text : std::vector<std::string>{
             "<MYPLUGINSETTINGS",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\"",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\" ",
             "<MYPLUGINSETTINGS CURRENTPRESET=",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\">" + preset + "</",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\">" + preset + "</MYPLUGINSETTINGS",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\">" + preset + "</OTHER>",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\">" + preset + "</mypluginsettings>",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\"><PRESET0 P0=\"0.9\"></MYPLUGINSETTINGS>",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\"/><MYPLUGINSETTINGS/>",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\"/>trailing text",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\"/><!-- unterminated",
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\"PRESETNAME=\"x\"/>",
             "<MYPLUGINSETTINGS CURRENTPRESET=5/>",
             "text before <MYPLUGINSETTINGS CURRENTPRESET=\"5\"/>",
             "< MYPLUGINSETTINGS CURRENTPRESET=\"5\"/>",
         })
    {
        const auto chunk = stateChunk(text);
        processor.setStateInformation(chunk.getData(), int(chunk.getSize()));
        expectSameBank(before, snapshot(processor));
        EXPECT_EQ(processor.getCurrentProgram(), 3) << text;
    }

    // The same documents whole, with what XML allows around and inside them, are read.
    for (const std::string& text : std::vector<std::string>{
             "<MYPLUGINSETTINGS CURRENTPRESET=\"5\">" + preset + "</MYPLUGINSETTINGS>",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<MYPLUGINSETTINGS CURRENTPRESET='5'>\r\n  " +
                 preset + "\r\n  <![CDATA[</x>]]><!-- <a> -->text &amp; more\r\n</MYPLUGINSETTINGS >\n",
             "<!-- saved --> <MYPLUGINSETTINGS CURRENTPRESET = \"5\" A=\"a>b\">" + preset +
                 "<EMPTY></EMPTY></MYPLUGINSETTINGS><!-- end -->",
         })
    {
        processor.setCurrentProgram(3);
        const auto chunk = stateChunk(text);
        processor.setStateInformation(chunk.getData(), int(chunk.getSize()));
        EXPECT_EQ(processor.getCurrentProgram(), 5) << text;
        EXPECT_EQ(processor.getProgramName(0), "x") << text;
    }
}

// A program name may hold any character a host, a preset file's name or a pasted text brings; the state
// saved with it must load. Characters XML cannot carry were written as references no reader takes
// ("&#1;"), so one such name lost the whole state: the instance came back on program 0.
TEST_F(StateChunkTest, ProgramNamesWithAnyCharactersSaveAndLoadBack)
{
    // The bytes as they are, damaged UTF-8 included (copied by length: the framework's copy of damaged
    // UTF-8 up to a terminator counts the bytes wrongly).
    const auto raw = [](const char* bytes) { return juce::String::fromUTF8(bytes, int(std::strlen(bytes))); };
    const juce::juce_wchar unassigned[] = {0xfffe, 0xd800, 0x10ffff, 0};
    // Given name -> the name the bank keeps: control characters other than tab, line feed and carriage
    // return go, and so do codes that are no characters (damaged UTF-8 decodes to some of them).
    const std::vector<std::pair<juce::String, juce::String>> names = {
        {"My\x01Preset", "MyPreset"},
        {"\x1b[1mBold\x07\x1f", "[1mBold"},
        {"\x0b\x0c\x08", ""},
        {"Tab\tLF\nCR\r", "Tab\tLF\nCR\r"},
        {"&<>\"'", "&<>\"'"},
        {raw("Caf\xc3\xa9 \x7f \xc2\x85 \xf0\x9f\x8e\xb9"),
         raw("Caf\xc3\xa9 \x7f \xc2\x85 \xf0\x9f\x8e\xb9")},
        {juce::String(juce::CharPointer_UTF32(unassigned)),
         juce::String(juce::CharPointer_UTF32(unassigned + 2))},
        {raw("a\xff\xbf\xbf\xbf"
             "b\x80"
             "c\xed\xa0\x80"),
         "abc"},
    };
    for (const auto& [given, kept] : names)
    {
        TestProcessor source;
        ProgramRecord program = source.getProgram(41);
        program.values[3] = 0.9f;
        source.setProgram(41, program);
        source.setCurrentProgram(41);
        source.changeProgramName(41, given);
        EXPECT_EQ(source.getProgramName(41), kept);
        program.name = given;
        source.setProgram(40, program);
        EXPECT_EQ(source.getProgram(40).name, kept);

        juce::MemoryBlock state;
        source.getStateInformation(state);
        TestProcessor target;
        target.setStateInformation(state.getData(), int(state.getSize()));
        EXPECT_EQ(target.getCurrentProgram(), 41) << kept;
        EXPECT_EQ(target.getParameter(3), 0.9f) << kept;
        EXPECT_EQ(target.getProgramName(41), kept);
        EXPECT_EQ(target.getProgramName(40), kept);
    }

    // A state saved before names were cleaned carries the characters as references: it loads, and the
    // names come back cleaned.
    juce::XmlElement root("MYPLUGINSETTINGS");
    root.setAttribute("CURRENTPRESET", 1);
    root.createNewChildElement("PRESET0")->setAttribute("PRESETNAME", "Bell\x07");
    auto* saved = root.createNewChildElement("PRESET1");
    saved->setAttribute("P3", 0.9);
    saved->setAttribute("PRESETNAME", "My\x01Preset\x1f");
    const auto text = root.toString(juce::XmlElement::TextFormat().singleLine().withoutHeader());
    ASSERT_TRUE(text.contains("Bell&#7;") && text.contains("My&#1;Preset&#31;"));
    TestProcessor target;
    const auto chunk = stateChunk(text.toStdString());
    target.setStateInformation(chunk.getData(), int(chunk.getSize()));
    EXPECT_EQ(target.getCurrentProgram(), 1);
    EXPECT_EQ(target.getParameter(3), 0.9f);
    EXPECT_EQ(target.getProgramName(0), "Bell");
    EXPECT_EQ(target.getProgramName(1), "MyPreset");
    // References to what is no character stay refused.
    for (const char* reference : {"&#0;", "&#xD800;", "&#xFFFE;", "&#x110000;", "&#99999999;"})
    {
        const auto refused =
            stateChunk(std::string("<MYPLUGINSETTINGS CURRENTPRESET=\"0\" X=\"") + reference + "\"/>");
        target.setStateInformation(refused.getData(), int(refused.getSize()));
        EXPECT_EQ(target.getCurrentProgram(), 1) << reference;
    }
}

TEST_F(StateChunkTest, AcceptedDocumentsFollowTheReadingRules)
{
    TestProcessor processor;
    fillBank(processor);
    const auto before = snapshot(processor);

    // Lower-case root, two slots only (one with missing parameters, one with foreign tag), and a
    // declared length larger than the bytes present: read over what is there.
    const std::string text = "<mypluginsettings CURRENTPRESET=\"1\">"
                             "<PRESET0 P0=\"0.125\" PRESETNAME=\"First\" P3=\"2.5\" P4=\"nan\" P5=\"1e300\""
                             " P6=\"inf\" P7=\"abc\" P2=\"1e3555555555500\"/>"
                             "<ANYTHING P1=\"0.75\"/></mypluginsettings>";
    const auto chunk = stateChunk(text, std::int64_t(text.size()) + 1000);
    processor.setStateInformation(chunk.getData(), int(chunk.getSize()));

    // Missing values and non-finite ones (nan, inf, 1e300, an exponent past any range, on which the
    // framework's reader overflows an int) read as the parameter's default; text that is no number reads
    // as 0, as the framework reads it.
    const auto* d = TestProcessor::kMainDefaults;
    auto expected = before;
    expected.values[0] = {0.125f, d[1], d[2], 2.5f, d[4], d[5], d[6], 0.0f};
    expected.names[0] = "First";
    expected.values[1] = {d[0], 0.75f, d[2], d[3], d[4], d[5], d[6], d[7]};
    expected.names[1] = "";
    expected.current = 1;
    // Slots beyond the document keep their contents.
    expectSameBank(snapshot(processor), expected);
    EXPECT_EQ(processor.getParameter(1), 0.75f);

    // More than 46 elements: the extra ones are ignored; an out-of-range or unreadable current
    // program is slot 0.
    for (const char* current : {"46", "-1", "99999999999", "-2147483648", "x"})
    {
        std::string many = std::string("<MYPLUGINSETTINGS CURRENTPRESET=\"") + current + "\">";
        for (int slot = 0; slot < 50; ++slot)
            many += "<PRESET" + std::to_string(slot) + " PRESETNAME=\"M" + std::to_string(slot) + "\"/>";
        many += "</MYPLUGINSETTINGS>";
        const auto block = stateChunk(many);
        processor.setCurrentProgram(4);
        processor.setStateInformation(block.getData(), int(block.getSize()));
        EXPECT_EQ(processor.getCurrentProgram(), 0) << current;
        EXPECT_EQ(processor.getProgramName(45), "M45");
    }
}

TEST_F(StateChunkTest, BytesAfterTheChunkGoToTheExtraStateHook)
{
    TestProcessor processor;
    juce::MemoryBlock state;
    processor.getStateInformation(state);
    state.append("tail", 4);
    processor.setStateInformation(state.getData(), int(state.getSize()));
    EXPECT_EQ(processor.m_extraState, juce::MemoryBlock("tail", 4));

    // Without the magic the whole block is extra state and nothing else changes.
    processor.m_extraState.reset();
    processor.setStateInformation("abcdefghij", 10);
    EXPECT_EQ(processor.m_extraState, juce::MemoryBlock("abcdefghij", 10));

    // A negative length (here -8) frames no text: the chunk is its header and terminator, and the
    // rest is handed on from there rather than from before the start of the data.
    processor.m_extraState.reset();
    const auto negative = stateChunk("<MYPLUGINSETTINGS/>", std::int64_t(0xfffffff8u));
    processor.setStateInformation(negative.getData(), int(negative.getSize()));
    EXPECT_EQ(processor.m_extraState.getSize(), negative.getSize() - 9);
}

TEST(StateChunkReaders, IntegersBase64AndNesting)
{
    using namespace vk::state;
    EXPECT_EQ(parseInt(" -7 "), -7);
    EXPECT_EQ(parseInt("-2147483648"), std::numeric_limits<int>::min());
    for (const char* refused : {"2147483648", "99999999999999999999", "", "-", "3x"})
        EXPECT_FALSE(parseInt(refused)) << refused;

    const juce::MemoryBlock bytes("\x01\x02\xff\x00zz", 6);
    const auto decoded = decodeMemoryBlock(bytes.toBase64Encoding());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, bytes);
    EXPECT_EQ(decodeMemoryBlock("0.")->getSize(), 0u);
    // Counts the characters cannot carry would make the framework allocate them.
    EXPECT_FALSE(decodeMemoryBlock("-1.abc"));
    EXPECT_FALSE(decodeMemoryBlock("2000000000.abc"));
    EXPECT_FALSE(decodeMemoryBlock("no dot"));
    EXPECT_FALSE(decodeMemoryBlock(".abc"));

    auto depth = [](const char* text) { return estimateNestingDepth(juce::CharPointer_UTF8(text)); };
    EXPECT_EQ(depth("<a><b/><c></c></a>"), 2);
    EXPECT_EQ(depth("<a x=\"</b></b>\"><b><c/></b></a>"), 3);
    // Markup inside comments may only raise the count.
    EXPECT_GE(depth("<a><!-- <b> --></a>"), 2);
    EXPECT_EQ(depth("<a><b><c"), 3);
}
