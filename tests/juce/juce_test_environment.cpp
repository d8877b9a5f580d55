// Test binaries that link this run with JUCE's message manager alive, as the plug-in does: processors
// start their timer and editors their components, and the framework wants its message machinery for that.
#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

#include <memory>

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
