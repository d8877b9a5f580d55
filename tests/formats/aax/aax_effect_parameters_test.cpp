// The effect-parameters base against the fake host: parameter operations and their result codes, the
// controls chunk both ways, and the order in which host objects are let go.

#include "tests/formats/aax/effect_instance.h"
#include "tests/formats/aax/test_effect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace
{

using namespace vk::aax;
using vk::aax::test::Answer;
using vk::aax::test::ChunkRecordBuffer;
using vk::aax::test::saveChunk;
using vk::aax::test::FakeHost;
using vk::aax::test::TestEffect;
using Calls = std::vector<std::string>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(AaxEffectParameters, InitializeRegistersParametersAndFiltersTheBypass)
{
    const auto before = CACFUnknown::LiveObjectCount();
    FakeHost host;
    auto* effect = new TestEffect;
    void* facing = nullptr;
    ASSERT_EQ(effect->GetControllingUnknown()->QueryInterface(kIID_EffectParametersV2, &facing), kResultOk);
    auto* parameters = static_cast<AAX_IACFEffectParameters_V2*>(facing);
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), before + 1);

    EXPECT_EQ(parameters->Initialize(host.root()), kResultOk);
    EXPECT_EQ(host.calls("automation"), (Calls{"automation#3(\"0\")", "automation#3(\"1\")",
                                               "automation#3(\"2\")", "automation#3(\"MasterBypassID\")"}));
    std::int32_t count = 0;
    EXPECT_EQ(parameters->GetNumberOfParameters(&count), kResultOk);
    EXPECT_EQ(count, 4);
    AAX_CString text;
    EXPECT_EQ(parameters->GetMasterBypassParameter(&text), kResultOk);
    EXPECT_STREQ(text.Get(), "MasterBypassID");
    EXPECT_EQ(parameters->GetParameterIDFromIndex(3, &text), kResultOk);
    EXPECT_STREQ(text.Get(), "MasterBypassID");
    std::int32_t index = 0;
    EXPECT_EQ(parameters->GetParameterIndex("2", &index), kResultOk);
    EXPECT_EQ(index, 2);

    // The controls chunk leaves the bypass out: three doubles named 0, 1, 2.
    auto chunk = saveChunk(*parameters, kControlsChunkId);
    EXPECT_EQ(chunk.record()->size, 4 + 3 * 12);
    EXPECT_STREQ(chunk.record()->name, "Complete Controls State");
    EXPECT_EQ(chunk.record()->version, -1);

    host.clearLog();
    EXPECT_EQ(parameters->Release(), 0u); // destroyed without Uninitialize
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), before);
    // Parameters unregister before the delegate they hold is released.
    const auto& log = host.log();
    const auto lastUnregister = std::find(log.rbegin(), log.rend(), "automation#4(\"MasterBypassID\")");
    const auto release = std::find(log.begin(), log.end(), "automation#2");
    ASSERT_NE(lastUnregister, log.rend());
    ASSERT_NE(release, log.end());
    EXPECT_LT(lastUnregister.base() - log.begin(), release - log.begin());
    EXPECT_TRUE(host.balanced());
}

TEST(AaxEffectParameters, UnknownIdentifiersAnswerAsTheTableSays)
{
    FakeHost host;
    TestEffect effect;
    ASSERT_EQ(effect.Initialize(host.root()), kResultOk);
    bool flag = true;
    std::int32_t integer = 5;
    double value = 0.5;
    AAX_CString text("old");
    auto* parameter = reinterpret_cast<AAX_IParameter*>(std::uintptr_t(0x10)); // must be overwritten
    for (const char* id : {"99", static_cast<const char*>(nullptr)})
    {
        const std::vector<Result> unknown{effect.GetParameterIsAutomatable(id, &flag),
                                          effect.GetParameterNumberOfSteps(id, &integer),
                                          effect.GetParameterDefaultNormalizedValue(id, &value),
                                          effect.SetParameterDefaultNormalizedValue(id, 0.5),
                                          effect.GetParameterType(id, &integer),
                                          effect.GetParameterOrientation(id, &integer),
                                          effect.GetParameter(id, &parameter),
                                          effect.GetParameterIndex(id, &integer),
                                          effect.GetParameterValueFromString(id, &value, AAX_CString("0.5")),
                                          effect.GetParameterStringFromValue(id, 0.5, &text, 8),
                                          effect.GetParameterValueString(id, &text, 8),
                                          effect.GetParameterNormalizedValue(id, &value),
                                          effect.SetParameterNormalizedValue(id, 0.5),
                                          effect.SetParameterNormalizedRelative(id, 0.5),
                                          effect.TouchParameter(id),
                                          effect.ReleaseParameter(id),
                                          effect.UpdateParameterNormalizedValue(id, 0.5, 0),
                                          effect.UpdateParameterNormalizedRelative(id, 0.5)};
        EXPECT_EQ(unknown, std::vector<Result>(unknown.size(), kResultUnknownParameter));
        EXPECT_FALSE(flag);
        EXPECT_EQ(parameter, nullptr);
        EXPECT_EQ(integer, -1);
        // Names of unknown parameters are empty rather than refused.
        for (const std::int32_t length : {-1, 8})
        {
            text = "old";
            EXPECT_EQ(length < 0 ? effect.GetParameterName(id, &text)
                                 : effect.GetParameterNameOfLength(id, &text, length),
                      kResultOk);
            EXPECT_STREQ(text.Get(), "");
        }
    }
    EXPECT_EQ(effect.GetParameterIDFromIndex(4, &text), kResultUnknownParameter);
    EXPECT_STREQ(text.Get(), "");
    EXPECT_EQ(effect.GetParameterIDFromIndex(-1, &text), kResultUnknownParameter);
    EXPECT_EQ(effect.GetParameterValueInfo("0", 1, &integer), kResultNotImplemented);
    EXPECT_EQ(integer, 0);
    std::uint32_t id = 1;
    EXPECT_EQ(effect.GetChunkIDFromIndex(1, &id), kResultUnknownChunkIndex);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(effect.GetChunkIDFromIndex(0, &id), kResultOk);
    EXPECT_EQ(id, kControlsChunkId);
    std::uint32_t size = 9;
    EXPECT_EQ(effect.GetChunkSize(fourCharCode("juce"), &size), kResultUnknownChunkId);
    EXPECT_EQ(size, 0u);
    ChunkRecordBuffer chunk(64);
    EXPECT_EQ(effect.GetChunk(fourCharCode("juce"), chunk.record()), kResultUnknownChunkId);
    EXPECT_EQ(effect.SetChunk(fourCharCode("juce"), chunk.record()), kResultUnknownChunkId);
}

TEST(AaxEffectParameters, ValuesGoThroughTheHostAndComeBackAsUpdates)
{
    FakeHost host;
    TestEffect effect;
    ASSERT_EQ(effect.Initialize(host.root()), kResultOk);
    ASSERT_EQ(effect.UpdateParameterNormalizedValue("0", 0.9, 0), kResultOk);
    host.clearLog();

    EXPECT_EQ(effect.SetParameterNormalizedRelative("0", 0.3), kResultOk);
    EXPECT_EQ(effect.SetParameterNormalizedRelative("0", -2.0), kResultOk);
    EXPECT_EQ(host.calls("automation"),
              (Calls{"automation#7(\"0\")", "automation#5(\"0\",1)", "automation#8(\"0\")",
                     "automation#7(\"0\")", "automation#5(\"0\",0)", "automation#8(\"0\")"}));
    double value = 0.0;
    EXPECT_EQ(effect.GetParameterNormalizedValue("0", &value), kResultOk);
    EXPECT_FLOAT_EQ(value, 0.9); // only asked for

    EXPECT_EQ(effect.UpdateParameterNormalizedRelative("0", 0.3), kResultOk);
    EXPECT_EQ(effect.GetParameterNormalizedValue("0", &value), kResultOk);
    EXPECT_EQ(value, 1.0);
    std::int32_t changes = 0;
    EXPECT_EQ(effect.GetNumberOfChanges(&changes), kResultOk);
    EXPECT_EQ(changes, 2);

    // What is not a number is refused before it reaches a parameter or the host.
    host.clearLog();
    EXPECT_EQ(effect.SetParameterNormalizedValue("0", kNaN), kResultConversionFailed);
    EXPECT_EQ(effect.UpdateParameterNormalizedValue("0", kNaN, 0), kResultConversionFailed);
    EXPECT_EQ(effect.SetParameterNormalizedRelative("0", kNaN), kResultConversionFailed);
    EXPECT_EQ(effect.SetParameterDefaultNormalizedValue("0", kNaN), kResultConversionFailed);
    AAX_CString text;
    EXPECT_EQ(effect.GetParameterStringFromValue("0", kNaN, &text, 8), kResultConversionFailed);
    EXPECT_TRUE(host.log().empty());
    EXPECT_EQ(effect.GetNumberOfChanges(&changes), kResultOk);
    EXPECT_EQ(changes, 2);

    EXPECT_EQ(effect.TouchParameter("1"), kResultOk);
    EXPECT_EQ(effect.ReleaseParameter("1"), kResultOk);
    EXPECT_EQ(host.calls("automation"), (Calls{"automation#7(\"1\")", "automation#8(\"1\")"}));
    EXPECT_EQ(effect.GenerateCoefficients(), kResultOk);
}

TEST(AaxEffectParameters, TextsAreBoundedByTheHostsLength)
{
    FakeHost host;
    TestEffect effect;
    ASSERT_EQ(effect.Initialize(host.root()), kResultOk);
    effect.UpdateParameterNormalizedValue("2", 0.5, 0);
    AAX_CString text;
    EXPECT_EQ(effect.GetParameterValueString("2", &text, 3), kResultOk);
    EXPECT_STREQ(text.Get(), "0.5");
    EXPECT_EQ(effect.GetParameterValueString("2", &text, -1), kResultOk);
    EXPECT_STREQ(text.Get(), "");
    EXPECT_EQ(effect.GetParameterStringFromValue("MasterBypassID", 1.0, &text, 3), kResultOk);
    EXPECT_STREQ(text.Get(), "Byp");
    EXPECT_EQ(effect.GetParameterStringFromValue("1", 0.125, &text, 16), kResultOk);
    EXPECT_STREQ(text.Get(), "0.125");
    EXPECT_EQ(effect.GetParameterValueString("2", nullptr, 3), kResultConversionFailed);

    double value = -1.0;
    EXPECT_EQ(effect.GetParameterValueFromString("1", &value, AAX_CString("0.75")), kResultOk);
    EXPECT_EQ(value, 0.75);
    EXPECT_EQ(effect.GetParameterValueFromString("1", &value, AAX_CString("1.5")), kResultConversionFailed);
    EXPECT_EQ(effect.GetParameterValueFromString("1", &value, AAX_CString("wide")), kResultConversionFailed);
}

TEST(AaxEffectParameters, NamesOfALength)
{
    FakeHost host;
    TestEffect effect;
    ASSERT_EQ(effect.Initialize(host.root()), kResultOk);
    AAX_IParameter* parameter = nullptr;
    ASSERT_EQ(effect.GetParameter("0", &parameter), kResultOk);
    parameter->SetName(AAX_CString("Volume Level"));
    parameter->AddShortenedName(AAX_CString("Volume\nVol"));
    AAX_CString name;
    EXPECT_EQ(effect.GetParameterNameOfLength("0", &name, 4), kResultOk);
    EXPECT_STREQ(name.Get(), "Vol");
    EXPECT_EQ(effect.GetParameterNameOfLength("0", &name, 2), kResultOk);
    EXPECT_STREQ(name.Get(), "Vo");
    EXPECT_EQ(effect.GetParameterNameOfLength("0", &name, 0), kResultOk);
    EXPECT_STREQ(name.Get(), "");
    EXPECT_EQ(effect.GetParameterNameOfLength("0", &name, 40), kResultOk);
    EXPECT_STREQ(name.Get(), "Volume Level");
    EXPECT_EQ(effect.GetParameterNameOfLength("0", nullptr, 4), kResultConversionFailed);
    EXPECT_EQ(effect.GetParameterName("0", &name), kResultOk);
    EXPECT_STREQ(name.Get(), "Volume Level");

    std::int32_t steps = 0;
    parameter->SetNumberOfSteps(0x80000000u);
    EXPECT_EQ(effect.GetParameterNumberOfSteps("0", &steps), kResultTooManySteps);
    parameter->SetNumberOfSteps(2);
    EXPECT_EQ(effect.GetParameterNumberOfSteps("0", &steps), kResultOk);
    EXPECT_EQ(steps, 2);
}

TEST(AaxEffectParameters, ControlsChunkSavesComparesAndRestores)
{
    FakeHost host;
    TestEffect effect;
    ASSERT_EQ(effect.Initialize(host.root()), kResultOk);

    // The host must ask for the size first.
    ChunkRecordBuffer early(64, 0xAB);
    EXPECT_EQ(effect.GetChunk(kControlsChunkId, early.record()), kResultChunkSizeMismatch);
    EXPECT_EQ(early.dataBytes(4), (std::vector<unsigned char>(4, 0xAB)));

    auto saved = saveChunk(effect, kControlsChunkId);
    bool equal = false;
    EXPECT_EQ(effect.CompareActiveChunk(saved.record(), &equal), kResultOk);
    EXPECT_TRUE(equal);

    effect.UpdateParameterNormalizedValue("1", 0.5, 0);
    EXPECT_EQ(effect.CompareActiveChunk(saved.record(), &equal), kResultOk);
    EXPECT_FALSE(equal);
    saved.record()->chunkId = fourCharCode("juce");
    equal = true;
    EXPECT_EQ(effect.CompareActiveChunk(saved.record(), &equal), kResultOk);
    EXPECT_TRUE(equal); // another chunk leaves the flag alone
    saved.record()->chunkId = kControlsChunkId;

    // Restoring asks the host for each value; parameters missing from the chunk (an older version's)
    // are left alone.
    effect.addFloat("3", 0.75f);
    host.clearLog();
    EXPECT_EQ(effect.SetChunk(kControlsChunkId, saved.record()), kResultOk);
    EXPECT_EQ(host.calls("automation"),
              (Calls{"automation#7(\"0\")", "automation#5(\"0\",0)", "automation#8(\"0\")",
                     "automation#7(\"1\")", "automation#5(\"1\",0.25)", "automation#8(\"1\")",
                     "automation#7(\"2\")", "automation#5(\"2\",0.5)", "automation#8(\"2\")"}));

    // A chunk that grew between GetChunkSize and GetChunk is not written.
    std::uint32_t size = 0;
    ASSERT_EQ(effect.GetChunkSize(kControlsChunkId, &size), kResultOk);
    effect.addFloat("4", 0.0f);
    ChunkRecordBuffer tooSmall(size, 0xAB);
    EXPECT_EQ(effect.GetChunk(kControlsChunkId, tooSmall.record()), kResultChunkSizeMismatch);
    EXPECT_EQ(tooSmall.record()->size, std::int32_t(size));
    EXPECT_EQ(tooSmall.dataBytes(size), std::vector<unsigned char>(size, 0xAB));
}

TEST(AaxEffectParameters, WithoutTheHostsDelegateValuesAreKeptDirectly)
{
    FakeHost host;
    host.answerQuery(kIID_AutomationDelegate, Answer::Refuse);
    TestEffect effect;
    ASSERT_EQ(effect.Initialize(host.root()), kResultOk);
    EXPECT_EQ(effect.SetParameterNormalizedValue("1", 0.625), kResultOk);
    double value = 0.0;
    EXPECT_EQ(effect.GetParameterNormalizedValue("1", &value), kResultOk);
    EXPECT_EQ(value, 0.625);

    // A restore then sets the values themselves, and the chunk compares equal with what it restored.
    auto saved = saveChunk(effect, kControlsChunkId);
    effect.SetParameterNormalizedValue("1", 0.0);
    EXPECT_EQ(effect.SetChunk(kControlsChunkId, saved.record()), kResultOk);
    EXPECT_EQ(effect.GetParameterNormalizedValue("1", &value), kResultOk);
    EXPECT_EQ(value, 0.625);
    bool equal = false;
    EXPECT_EQ(effect.CompareActiveChunk(saved.record(), &equal), kResultOk);
    EXPECT_TRUE(equal);

    // The AudioSuite preview state reaches a "PreviewID" parameter when there is one.
    const std::int32_t on = 1;
    EXPECT_EQ(effect.NotificationReceived(kPreviewNotification, &on, sizeof on), kResultOk);
    effect.manager().AddParameter(
        new AAX_CParameter<bool>("PreviewID", AAX_CString("Preview"), false, AAX_CBinaryTaperDelegate<bool>(),
                                 AAX_CBinaryDisplayDelegate<bool>("Off", "On"), false));
    EXPECT_EQ(effect.NotificationReceived(kPreviewNotification, &on, 2), kResultOk); // too short to read
    EXPECT_EQ(effect.GetParameterNormalizedValue("PreviewID", &value), kResultOk);
    EXPECT_EQ(value, 0.0);
    EXPECT_EQ(effect.NotificationReceived(kPreviewNotification, &on, sizeof on), kResultOk);
    EXPECT_EQ(effect.GetParameterNormalizedValue("PreviewID", &value), kResultOk);
    EXPECT_EQ(value, 1.0);

    EXPECT_EQ(effect.Uninitialize(), kResultOk);
    std::int32_t count = -1;
    EXPECT_EQ(effect.GetNumberOfParameters(&count), kResultOk);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(host.balanced());
}

TEST(AaxEffectParameters, FailedInitAndOutputsWrittenWithoutAHost)
{
    TestEffect effect;
    effect.initResult = -7;
    EXPECT_EQ(effect.Initialize(nullptr), -7);
    std::int32_t count = 0;
    EXPECT_EQ(effect.GetNumberOfChunks(&count), kResultOk);
    EXPECT_EQ(count, 1);
    std::uint32_t written = 9;
    EXPECT_EQ(effect.GetCustomData(1, 8, nullptr, &written), kResultOk);
    EXPECT_EQ(written, 0u);
    std::vector<unsigned char> block(16, 0xFF);
    EXPECT_EQ(effect.ResetFieldData(3, block.data(), 16), kResultOk);
    EXPECT_EQ(block, std::vector<unsigned char>(16, 0));
}

} // namespace
