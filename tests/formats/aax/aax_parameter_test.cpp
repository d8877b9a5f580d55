// AAX parameters: tapers and displays, steps, names, and the road of a change with and without the
// host's automation delegate (through the fake host).

#include "formats/aax/aax_parameter.h"
#include "tests/formats/aax/fake_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace
{

using namespace vk::aax;
using vk::aax::test::FakeHost;
using Calls = std::vector<std::string>;

using FloatParameter = AAX_CParameter<float>;
using BoolParameter = AAX_CParameter<bool>;

std::unique_ptr<FloatParameter> makeFloat(const char* id = "7", float defaultValue = 0.25f)
{
    return std::make_unique<FloatParameter>(id, AAX_CString("Width"), defaultValue,
                                            AAX_CLinearTaperDelegate<float, 0>(0.0f, 1.0f),
                                            AAX_CNumberDisplayDelegate<float, 3, 0>(), true);
}

std::unique_ptr<BoolParameter> makeBypass()
{
    return std::make_unique<BoolParameter>("MasterBypassID", AAX_CString("Master Bypass"), false,
                                           AAX_CBinaryTaperDelegate<bool>(),
                                           AAX_CBinaryDisplayDelegate<bool>("Off", "Bypassed"), true);
}

TEST(AaxParameter, ANewParameterHoldsItsDefault)
{
    const auto parameter = makeFloat("0123456789012345678901234567890123456789");
    EXPECT_STREQ(parameter->Identifier(), "0123456789012345678901234567890");
    EXPECT_EQ(parameter->GetValue(), 0.25f);
    EXPECT_EQ(parameter->GetNormalizedDefaultValue(), 0.25);
    EXPECT_EQ(parameter->GetNumberOfSteps(), 128u);

    parameter->SetNormalizedDefaultValue(1.7);
    EXPECT_EQ(parameter->GetNormalizedDefaultValue(), 1.0);
    EXPECT_EQ(parameter->GetValue(), 0.25f);
}

TEST(AaxParameter, LinearTaperClampsAndRefusesWhatIsNotANumber)
{
    const auto parameter = makeFloat();
    parameter->SetNormalizedValue(1.5);
    EXPECT_EQ(parameter->GetValue(), 1.0f);
    EXPECT_EQ(parameter->GetNormalizedValue(), 1.0);
    parameter->SetNormalizedValue(-0.5);
    EXPECT_EQ(parameter->GetValue(), 0.0f);

    parameter->SetNormalizedValue(0.5);
    parameter->SetNormalizedValue(std::numeric_limits<double>::quiet_NaN());
    parameter->UpdateNormalizedValue(std::numeric_limits<double>::infinity());
    parameter->SetValue(std::numeric_limits<float>::quiet_NaN());
    parameter->SetNormalizedDefaultValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(parameter->GetValue(), 0.5f);
    EXPECT_EQ(parameter->GetNormalizedDefaultValue(), 0.25);
}

TEST(AaxParameter, NumberTextsBothWays)
{
    const auto parameter = makeFloat();
    AAX_CString text;
    EXPECT_TRUE(parameter->GetStringFromNormalizedValue(0.1234, text));
    EXPECT_STREQ(text.Get(), "0.123");
    EXPECT_TRUE(parameter->GetStringFromNormalizedValue(0.1234, 4, text));
    EXPECT_STREQ(text.Get(), "0.12");
    parameter->SetValue(0.5f);
    EXPECT_TRUE(parameter->GetValueString(2, &text)); // the limit is the caller's to apply
    EXPECT_STREQ(text.Get(), "0.500");

    const AAX_CNumberDisplayDelegate<float, 3, 0> display;
    EXPECT_TRUE(display.ValueToString(12.5f, 3, &text));
    EXPECT_STREQ(text.Get(), "12");
    EXPECT_TRUE(display.ValueToString(12.5f, 0, &text));
    EXPECT_STREQ(text.Get(), "");

    double normalized = -1.0;
    EXPECT_TRUE(parameter->GetNormalizedValueFromString(AAX_CString("0.5"), &normalized));
    EXPECT_EQ(normalized, 0.5);
    EXPECT_FALSE(parameter->GetNormalizedValueFromString(AAX_CString("2"), &normalized));
    EXPECT_EQ(normalized, 1.0);
    normalized = -1.0;
    EXPECT_FALSE(parameter->GetNormalizedValueFromString(AAX_CString("abc"), &normalized));
    EXPECT_EQ(normalized, -1.0);
    EXPECT_TRUE(parameter->GetNormalizedValueFromString(AAX_CString("0.5abc"), &normalized));
    EXPECT_EQ(normalized, 0.5);

    EXPECT_TRUE(parameter->SetValueFromString(AAX_CString("0.75")));
    EXPECT_EQ(parameter->GetValue(), 0.75f);
    EXPECT_FALSE(parameter->SetValueFromString(AAX_CString("loud")));
    EXPECT_EQ(parameter->GetValue(), 0.75f);
}

TEST(AaxParameter, BinaryTextsAreExact)
{
    const auto bypass = makeBypass();
    AAX_CString text;
    EXPECT_TRUE(bypass->GetStringFromNormalizedValue(1.0, text));
    EXPECT_STREQ(text.Get(), "Bypassed");
    EXPECT_TRUE(bypass->GetStringFromNormalizedValue(0.0, 3, text));
    EXPECT_STREQ(text.Get(), "Off");
    double normalized = -1.0;
    EXPECT_TRUE(bypass->GetNormalizedValueFromString(AAX_CString("Bypassed"), &normalized));
    EXPECT_EQ(normalized, 1.0);
    EXPECT_TRUE(bypass->GetNormalizedValueFromString(AAX_CString("Off"), &normalized));
    EXPECT_EQ(normalized, 0.0);
    EXPECT_FALSE(bypass->SetValueFromString(AAX_CString("bypassed")));

    AAX_CBinaryDisplayDelegate<bool> display("Off", "Bypassed");
    display.AddShortenedStrings(3, "Of", "Byp");
    display.AddShortenedStrings(5, "Off", "Bypas");
    EXPECT_TRUE(display.ValueToString(true, 6, &text));
    EXPECT_STREQ(text.Get(), "Bypas");
    EXPECT_TRUE(display.ValueToString(true, 4, &text));
    EXPECT_STREQ(text.Get(), "Byp");
    EXPECT_TRUE(display.ValueToString(true, 1, &text)); // none fits: the first pair
    EXPECT_STREQ(text.Get(), "Byp");
    EXPECT_TRUE(display.ValueToString(true, 8, &text));
    EXPECT_STREQ(text.Get(), "Bypassed");

    bool value = false;
    EXPECT_TRUE(bypass->SetValueWithBool(true));
    EXPECT_TRUE(bypass->GetValueAsBool(&value));
    EXPECT_TRUE(value);
    float asFloat = 0.0f;
    EXPECT_FALSE(bypass->GetValueAsFloat(&asFloat));
    EXPECT_FALSE(bypass->SetValueWithFloat(1.0f));
    EXPECT_FALSE(makeFloat()->SetValueWithBool(true));
}

TEST(AaxParameter, Steps)
{
    const auto parameter = makeFloat();
    parameter->SetNormalizedValue(0.5);
    EXPECT_EQ(parameter->GetStepValue(), 64u);
    parameter->SetStepValue(127);
    EXPECT_EQ(parameter->GetNormalizedValue(), 1.0);
    parameter->SetStepValue(500);
    EXPECT_EQ(parameter->GetNormalizedValue(), 1.0);

    parameter->SetNumberOfSteps(1);
    EXPECT_EQ(parameter->GetStepValue(), 0u);
    parameter->SetStepValue(0);
    EXPECT_EQ(parameter->GetNormalizedValue(), 1.0);
}

TEST(AaxParameter, ShortenedNames)
{
    const auto parameter = makeFloat();
    parameter->SetName(AAX_CString("Stereo Width"));
    EXPECT_STREQ(parameter->ShortenedName(4).Get(), "Stereo Width");
    parameter->AddShortenedName(AAX_CString("Width"));
    parameter->AddShortenedName(AAX_CString("Wdth"));
    parameter->AddShortenedName(AAX_CString("Wd"));
    parameter->AddShortenedName(AAX_CString("WD"));
    EXPECT_STREQ(parameter->ShortenedName(-1).Get(), "Stereo Width");
    EXPECT_STREQ(parameter->ShortenedName(12).Get(), "Stereo Width");
    EXPECT_STREQ(parameter->ShortenedName(11).Get(), "Width");
    EXPECT_STREQ(parameter->ShortenedName(4).Get(), "Wdth");
    EXPECT_STREQ(parameter->ShortenedName(3).Get(), "WD");
    EXPECT_STREQ(parameter->ShortenedName(1).Get(), "WD");
    parameter->ClearShortenedNames();
    EXPECT_STREQ(parameter->ShortenedName(3).Get(), "Stereo Width");
}

TEST(AaxParameter, ChangesWaitForTheHostsAnswer)
{
    FakeHost host;
    {
        AAX_VAutomationDelegate automation(host.root());
        const auto parameter = makeFloat("3");
        host.clearLog();
        parameter->SetAutomationDelegate(&automation);
        parameter->SetValue(0.75f);
        EXPECT_EQ(parameter->GetValue(), 0.25f); // only asked for
        parameter->UpdateNormalizedValue(0.75);
        EXPECT_EQ(parameter->GetValue(), 0.75f);
        parameter->UpdateNormalizedValue(0.75); // unchanged: nothing posted
        parameter->Touch();
        parameter->Release();
        EXPECT_EQ(host.calls("automation"),
                  (Calls{"automation#3(\"3\")", "automation#7(\"3\")", "automation#5(\"3\",0.75)",
                         "automation#8(\"3\")", "automation#6(\"3\",0.75)", "automation#7(\"3\")",
                         "automation#8(\"3\")"}));

        host.clearLog();
        parameter->SetDisplayDelegate(*std::make_unique<AAX_CNumberDisplayDelegate<float, 3, 0>>());
        parameter->SetTaperDelegate(*std::make_unique<AAX_CLinearTaperDelegate<float, 0>>(0.0f, 2.0f), false);
        EXPECT_EQ(parameter->GetValue(), 1.5f); // the normalised position stays
        parameter->SetTaperDelegate(*std::make_unique<AAX_CBinaryTaperDelegate<bool>>(), false); // ignored
        EXPECT_EQ(host.calls("automation"), (Calls{"automation#6(\"3\",0.75)", "automation#6(\"3\",0.75)"}));
        host.clearLog();
    }
    // The parameter went first and unregistered itself.
    EXPECT_EQ(host.log(), (Calls{"automation#4(\"3\")", "automation#2"}));
    EXPECT_TRUE(host.balanced());
}

TEST(AaxParameter, WithoutADelegateChangesAreStoredAtOnce)
{
    const auto parameter = makeFloat();
    // Right after construction the default is no news.
    parameter->UpdateNormalizedValue(0.25);
    EXPECT_EQ(parameter->GetValue(), 0.25f);
    parameter->SetTaperDelegate(*std::make_unique<AAX_CLinearTaperDelegate<float, 0>>(0.0f, 1.0f), true);
    EXPECT_EQ(parameter->GetValue(), 0.25f);
    EXPECT_TRUE(parameter->SetValueWithFloat(0.125f));
    float value = 0.0f;
    EXPECT_TRUE(parameter->GetValueAsFloat(&value));
    EXPECT_EQ(value, 0.125f);
    std::int32_t integer = 0;
    EXPECT_FALSE(parameter->GetValueAsInt32(&integer));
    EXPECT_FALSE(parameter->SetValueWithDouble(0.5));
}

} // namespace
