# shellcheck shell=bash disable=SC2034
# Sourced by main.sh and test.sh: the CMake arguments of the build trees they configure.
#
# Both build the Release tree in build/release/ with the same arguments, so that whichever runs second finds
# the first one's build up to date; different flags would make CMake reconfigure the tree and rebuild all our
# code. Its warnings are not errors: another compiler version may warn where ours does not, and a user's
# main job must still build. (OFF, not left out: a tree configured before keeps its cached value otherwise.)
#
# The sanitizer trees of test.sh make warnings errors; between them they compile our code with the compiler
# CI runs (all of it but the Ardour scanner test, which only a plain build has), so a warning in our code
# still fails CI.
vk_cmake_args=(-G Ninja)
vk_release_cmake_args=("${vk_cmake_args[@]}" -DCMAKE_BUILD_TYPE=Release -DVK_WARNINGS_AS_ERRORS=OFF)
vk_sanitizer_cmake_args=("${vk_cmake_args[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVK_WARNINGS_AS_ERRORS=ON)
