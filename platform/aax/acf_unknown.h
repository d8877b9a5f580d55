#pragma once

// The base of every object that crosses the AAX host boundary in either direction: 16-byte interface
// identifiers, 32-bit result codes and IACFUnknown, whose three operations stand at positions 0 to 2 of
// every interface table. Every further operation of an interface is declared at its fixed position after
// those three, as the host counts them; declaration order is table order (one pointer per operation, no
// virtual destructor in any interface, so the tables hold nothing else).

#include <cstdint>
#include <cstring>

namespace vk::aax
{

using Result = std::int32_t;

// Memory layout of an interface identifier as the host compares it: the first three groups of the
// text form in the machine's byte order, the last eight bytes as written.
struct Guid
{
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) noexcept
{
    return std::memcmp(&a, &b, sizeof(Guid)) == 0;
}
inline bool operator!=(const Guid& a, const Guid& b) noexcept
{
    return !(a == b);
}

// Result codes. The negative ones are the plug-in interface's own; the 0x8... ones the object model's.
constexpr Result kResultOk = 0;
constexpr Result kResultUnknownParameter = -20001;
constexpr Result kResultConversionFailed = -20002;
constexpr Result kResultNoHostInterface = -20004;
constexpr Result kResultUnknownChunkIndex = -20006;
constexpr Result kResultUnknownChunkId = -20007;
constexpr Result kResultChunkSizeMismatch = -20008;
constexpr Result kResultNotImplemented = -20009;
constexpr Result kResultNoHostObject = -20011;
constexpr Result kResultNullArgument = -20030;
constexpr Result kResultTooManySteps = -20033;
constexpr Result kResultChunkWriteFailed = -333;
constexpr Result kResultNoSuchInterface = Result(0x80000004u);
constexpr Result kResultNullFactory = Result(0x80000005u);
constexpr Result kResultUnexpected = Result(0x8000FFFFu);

constexpr Guid kIID_IACFUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IACFUnknown
{
public:
    // 0: on success *out holds the interface with one reference added for the caller.
    virtual Result QueryInterface(const Guid& iid, void** out) = 0;
    // 1, 2: the new reference count.
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    // Interfaces are released, never deleted through.
    ~IACFUnknown() = default;
};

} // namespace vk::aax
