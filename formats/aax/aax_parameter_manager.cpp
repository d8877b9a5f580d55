#include "formats/aax/aax_parameter_manager.h"

namespace vk::aax
{

void AAX_CParameterManager::AddParameter(AAX_IParameter* parameter)
{
    std::unique_ptr<AAX_IParameter> owned(parameter);
    if (!owned || m_byIdentifier.count(owned->Identifier()) != 0)
        return;
    owned->SetAutomationDelegate(m_automationDelegate);
    // The list owns it before the map may point to it; a map that cannot take it takes it off the list.
    m_parameters.push_back(std::move(owned));
    try
    {
        m_byIdentifier.emplace(parameter->Identifier(), parameter);
    }
    catch (...)
    {
        m_parameters.pop_back();
        throw;
    }
}

void AAX_CParameterManager::RemoveAllParameters()
{
    m_byIdentifier.clear();
    m_parameters.clear();
}

AAX_IParameter* AAX_CParameterManager::GetParameter(std::int32_t index) const
{
    if (index < 0 || index >= NumParameters())
        return nullptr;
    return m_parameters[std::size_t(index)].get();
}

AAX_IParameter* AAX_CParameterManager::GetParameterByID(const char* identifier) const
{
    if (identifier == nullptr)
        return nullptr;
    const auto found = m_byIdentifier.find(identifier);
    return found != m_byIdentifier.end() ? found->second : nullptr;
}

std::int32_t AAX_CParameterManager::GetParameterIndex(const char* identifier) const
{
    if (identifier == nullptr)
        return -1;
    for (std::size_t i = 0; i < m_parameters.size(); ++i)
        if (std::string(m_parameters[i]->Identifier()) == identifier)
            return std::int32_t(i);
    return -1;
}

} // namespace vk::aax
