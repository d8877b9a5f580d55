#include "tests/formats/aax/allocation_probe.h"

#include <elf.h>
#include <execinfo.h>
#include <link.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace
{

struct ProbeState
{
    bool armed = false;
    bool inside = false; // the probe itself is looking at the stack
    long failAt = 0;
    long counted = 0;
    bool failed = false;
};
thread_local ProbeState t_probe;

using Range = std::pair<std::uintptr_t, std::uintptr_t>;

bool startsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Whether a mangled name, past the opening of its nesting, belongs to granted code: the GUI framework's
// namespace, or the recording test host (its Fake… classes and its helpers, in vk::aax::test).
bool isGrantedNesting(const char* name)
{
    if (startsWith(name, "4juce"))
        return true;
    if (!startsWith(name, "2vk3aax4test"))
        return false;
    name += std::strlen("2vk3aax4test");
    if (startsWith(name, "12_GLOBAL__N_1"))
        name += std::strlen("12_GLOBAL__N_1");
    char* identifier = nullptr;
    const long length = std::strtol(name, &identifier, 10);
    if (length <= 0 || identifier == name || std::strlen(identifier) < std::size_t(length))
        return false;
    const std::string word(identifier, std::size_t(length));
    return word.rfind("Fake", 0) == 0 || word == "arg" || word == "guidName" || word == "scripted";
}

// A mangled function name of granted code (functions, members, local entities and thunks).
bool isGrantedSymbol(const char* name)
{
    if (!startsWith(name, "_Z"))
        return false;
    name += 2;
    if (name[0] == 'T' && (name[1] == 'h' || name[1] == 'v')) // thunk: Th<offset>_ or Tv<offset>_<offset>_
    {
        for (int underscores = name[1] == 'h' ? 1 : 2; underscores > 0 && *name != 0; ++name)
            underscores -= *name == '_';
    }
    if (*name == 'Z')
        ++name;
    if (*name != 'N')
        return false;
    ++name;
    while (*name == 'r' || *name == 'V' || *name == 'K')
        ++name;
    return isGrantedNesting(name);
}

// That code in one loaded object, from the object's own symbol table, at the addresses it was loaded to.
void addGrantedCode(const char* path, std::uintptr_t loadBias, std::vector<Range>& ranges)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (image.size() < sizeof(Elf64_Ehdr))
        return;
    const auto& header = *reinterpret_cast<const Elf64_Ehdr*>(image.data());
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(image.data() + header.e_shoff);
    for (int i = 0; i < header.e_shnum; ++i)
    {
        if (sections[i].sh_type != SHT_SYMTAB)
            continue;
        const char* names = image.data() + sections[sections[i].sh_link].sh_offset;
        const auto* symbols = reinterpret_cast<const Elf64_Sym*>(image.data() + sections[i].sh_offset);
        for (std::size_t s = 0; s < sections[i].sh_size / sizeof(Elf64_Sym); ++s)
            if (ELF64_ST_TYPE(symbols[s].st_info) == STT_FUNC && symbols[s].st_size > 0 &&
                isGrantedSymbol(names + symbols[s].st_name))
                ranges.emplace_back(loadBias + symbols[s].st_value,
                                    loadBias + symbols[s].st_value + symbols[s].st_size);
    }
}

// The granted code of the executable and of every object of ours it loaded (a module); the system's
// libraries are left out.
struct GrantedCode
{
    unsigned long long loads = ~0ull; // the loader's count of loads and unloads when the ranges were taken
    std::vector<Range> ranges;
};
GrantedCode g_granted;

unsigned long long loaderChanges()
{
    unsigned long long changes = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* out)
        {
            *static_cast<unsigned long long*>(out) = info->dlpi_adds + info->dlpi_subs;
            return 1;
        },
        &changes);
    return changes;
}

// [outside the probe] Takes the ranges again when objects were loaded or unloaded since.
void refreshGrantedCode()
{
    const unsigned long long changes = loaderChanges();
    if (changes == g_granted.loads)
        return;
    std::vector<std::pair<std::string, std::uintptr_t>> objects;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* out)
        {
            auto& list = *static_cast<std::vector<std::pair<std::string, std::uintptr_t>>*>(out);
            const std::string name = info->dlpi_name[0] == 0 ? "/proc/self/exe" : info->dlpi_name;
            if (name[0] == '/' && name.rfind("/usr/", 0) != 0 && name.rfind("/lib", 0) != 0)
                list.emplace_back(name, info->dlpi_addr);
            return 0;
        },
        &objects);
    g_granted.ranges.clear();
    for (const auto& [path, bias] : objects)
        addGrantedCode(path.c_str(), bias, g_granted.ranges);
    std::sort(g_granted.ranges.begin(), g_granted.ranges.end());
    g_granted.loads = changes;
}

bool inGrantedCode(std::uintptr_t address)
{
    const auto& ranges = g_granted.ranges;
    auto after = std::upper_bound(ranges.begin(), ranges.end(), Range{address, UINTPTR_MAX});
    return after != ranges.begin() && address < std::prev(after)->second;
}

bool grantedCodeOnStack()
{
    void* frames[256];
    const int count = backtrace(frames, 256);
    for (int i = 0; i < count; ++i)
        if (inGrantedCode(reinterpret_cast<std::uintptr_t>(frames[i]) - 1))
            return true;
    return false;
}

// Whether this allocation is the one to fail.
bool failsNow()
{
    ProbeState& probe = t_probe;
    if (!probe.armed || probe.inside)
        return false;
    probe.inside = true;
    const bool counted = !grantedCodeOnStack();
    probe.inside = false;
    if (!counted || ++probe.counted != probe.failAt)
        return false;
    probe.failed = true;
    probe.armed = false;
    return true;
}

} // namespace

namespace vk::aax::test
{

void AllocationProbe::arm(long failAt)
{
    // Found before counting starts: looking the stack up allocates the first time.
    refreshGrantedCode();
    void* warmUp[1];
    backtrace(warmUp, 1);
    t_probe = ProbeState{true, false, failAt, 0, false};
}

bool AllocationProbe::disarm()
{
    const bool failed = t_probe.failed;
    t_probe = ProbeState{};
    return failed;
}

} // namespace vk::aax::test

// The replacements pair malloc with free themselves; the compiler cannot see that through inlining.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    if (failsNow())
        throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

// Replaced as well, so that every allocation pairs with these deletes (a sanitizer brings its own).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return operator new(size);
    }
    catch (...)
    {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return operator new(size, std::nothrow);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

#pragma GCC diagnostic pop
