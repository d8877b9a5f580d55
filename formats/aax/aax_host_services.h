#pragma once

// The host's services for the whole module (its trace output), held from start-up to shut-down, and the
// module-level operations built on the description wrappers. [the host's registration thread; the
// global wrapper is not locked: the host starts, registers and shuts down on one thread]

#include "formats/aax/aax_collection.h"

namespace vk::aax
{

class AAX_IHostServices
{
public:
    virtual ~AAX_IHostServices() = default;
    virtual Result Operation3(Opaque a) = 0;
    virtual Result Trace(std::int32_t priority, const char* text) = 0;
};

class AAX_VHostServices final : public AAX_IHostServices
{
public:
    explicit AAX_VHostServices(IACFUnknown* host);

    Result Operation3(Opaque a) override;
    Result Trace(std::int32_t priority, const char* text) override;

private:
    AcfPtr<IHostServices> m_services;
};

// Start-up (the host's root interface) creates the module's wrapper unless one exists; shut-down (null)
// deletes it. Any other combination changes nothing.
void SetHostServices(IACFUnknown* host);

// Formats printf-style into 512 characters (longer texts are cut) and traces it through the host.
// 0 without output when the module has no host services.
Result AAX_Trace(std::int32_t priority, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Fills the collection with the module's effect descriptions.
using DescribeEffects = Result (*)(AAX_ICollection& collection);

// Registration: describes the effects into a collection over `host`, then hands the host its collection
// object (the interface {00EEF015-...}) through `out`. The description's own failure code, -20004 when
// the collection does not give that interface, else 0. The collection wrapper is gone on return.
Result RegisterPlugin(IACFUnknown* host, IACFUnknown** out, DescribeEffects describe);

} // namespace vk::aax
