# shellcheck shell=bash disable=SC2034
# Sourced by main.sh and test.sh: the CMake arguments of the build trees they configure. Both build the
# Release tree in build/release/ with the same arguments, so that whichever runs second finds the first
# one's build up to date; different flags would make CMake reconfigure the tree and rebuild all our code.
vk_cmake_args=(-G Ninja -DVK_WARNINGS_AS_ERRORS=ON)
vk_release_cmake_args=("${vk_cmake_args[@]}" -DCMAKE_BUILD_TYPE=Release)
