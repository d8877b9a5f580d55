#pragma once

// The effect's parameters, owned, in the order they were added and by identifier. Every parameter gets
// the manager's automation delegate when it is added. [the host's main thread]

#include "formats/aax/aax_parameter.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vk::aax
{

class AAX_CParameterManager
{
public:
    AAX_CParameterManager() = default;
    ~AAX_CParameterManager() { RemoveAllParameters(); }
    AAX_CParameterManager(const AAX_CParameterManager&) = delete;
    AAX_CParameterManager& operator=(const AAX_CParameterManager&) = delete;

    void Initialize(AAX_IAutomationDelegate* automationDelegate)
    {
        m_automationDelegate = automationDelegate;
    }
    // Takes ownership; a null parameter or a known identifier is refused (and deleted).
    void AddParameter(AAX_IParameter* parameter);
    void RemoveAllParameters();

    std::int32_t NumParameters() const { return std::int32_t(m_parameters.size()); }
    AAX_IParameter* GetParameter(std::int32_t index) const;
    AAX_IParameter* GetParameterByID(const char* identifier) const;
    // -1 for a null or unknown identifier.
    std::int32_t GetParameterIndex(const char* identifier) const;

private:
    AAX_IAutomationDelegate* m_automationDelegate = nullptr;
    std::vector<std::unique_ptr<AAX_IParameter>> m_parameters;
    std::map<std::string, AAX_IParameter*> m_byIdentifier;
};

} // namespace vk::aax
