# Build-wide settings: language level, default build type, sanitizers, and the warning set for our own code.

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

find_program(VK_CCACHE ccache)
if(VK_CCACHE)
    set(CMAKE_C_COMPILER_LAUNCHER ${VK_CCACHE})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${VK_CCACHE})
endif()

# VK_SANITIZE: empty, "address,undefined" or "thread". Applied to every target, JUCE included, so that
# instrumented and uninstrumented code never meet across a container or a lock (the framework leaves out
# only the undefined-behaviour checks: cmake/Juce.cmake).
# Sanitizer builds keep line tables only (-g1): their reports still name every frame's function, file and
# line, and full debug information added a sixth to their compile time. They optimise at -O1, as the
# sanitizers' own documentation advises: -O2 doubled the framework's compile time and gained the tests little.
set(VK_SANITIZE "" CACHE STRING "Sanitizers to build with (address,undefined | thread)")
if(VK_SANITIZE)
    add_compile_options(-fsanitize=${VK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all -g1 -O1)
    add_link_options(-fsanitize=${VK_SANITIZE})
endif()

# Warnings for our own targets only; third-party headers are included as system headers.
add_library(vk_warnings INTERFACE)
target_compile_options(vk_warnings INTERFACE -Wall -Wextra -Wnon-virtual-dtor
    $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local> $<$<CXX_COMPILER_ID:Clang>:-Wshadow-uncaptured-local>)
if(VK_WARNINGS_AS_ERRORS)
    target_compile_options(vk_warnings INTERFACE -Werror)
endif()

# Bit-exact floating point: every product and sum a separate double operation.
add_library(vk_strict_fp INTERFACE)
target_compile_options(vk_strict_fp INTERFACE -ffp-contract=off -fno-fast-math)
