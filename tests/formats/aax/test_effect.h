#pragma once

// An effect's parameters as the module's processor wrapper builds them: one float parameter per
// published processor parameter, named by its index, and the master bypass.

#include "formats/aax/aax_effect_parameters.h"

#include <string>

namespace vk::aax::test
{

class TestEffect final : public AAX_CEffectParameters
{
public:
    explicit TestEffect(int floatParameters = 3) : m_floatParameters(floatParameters) {}

    Result EffectInit() override
    {
        for (int index = 0; index < m_floatParameters; ++index)
            addFloat(std::to_string(index).c_str(), 0.25f * float(index % 4));
        ParameterManager().AddParameter(new AAX_CParameter<bool>(
            kMasterBypassId, AAX_CString("Master Bypass"), false, AAX_CBinaryTaperDelegate<bool>(),
            AAX_CBinaryDisplayDelegate<bool>("Off", "Bypassed"), true));
        return initResult;
    }

    void addFloat(const char* id, float defaultValue)
    {
        ParameterManager().AddParameter(new AAX_CParameter<float>(
            id, AAX_CString(id), defaultValue, AAX_CLinearTaperDelegate<float, 0>(0.0f, 1.0f),
            AAX_CNumberDisplayDelegate<float, 3, 0>(), true));
    }

    AAX_CParameterManager& manager() { return ParameterManager(); }
    using AAX_CEffectParameters::AutomationDelegate;

    Result initResult = kResultOk;

private:
    int m_floatParameters;
};

} // namespace vk::aax::test
