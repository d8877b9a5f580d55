// Every GUI test binary runs with JUCE's message manager alive, as the plug-in would.
#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace
{
class JuceEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { init = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
    void TearDown() override { init.reset(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> init;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new JuceEnvironment);
} // namespace
