# JUCE 7.0.5 from Debian's juce-modules-source, compiled from source into our own static libraries.
#
# scripts/setup.sh downloads the two .deb files into .deps/. At configure time they are unpacked into this
# build tree and the patches in patches/juce/ are applied to that copy; nothing outside the build tree is
# touched. vk_add_juce_library() then compiles a chosen set of module unity files with our settings.

set(VK_JUCE_DEB_DIR "${PROJECT_SOURCE_DIR}/.deps" CACHE PATH "Folder holding the juce-modules-source .deb files")
set(VK_JUCE_ROOT "${CMAKE_BINARY_DIR}/_juce")
set(VK_JUCE_MODULES "${VK_JUCE_ROOT}/usr/share/juce/modules")

file(GLOB _vk_juce_debs "${VK_JUCE_DEB_DIR}/juce-modules-source*_7.0.5*.deb")
list(LENGTH _vk_juce_debs _vk_juce_deb_count)
if(NOT _vk_juce_deb_count EQUAL 2)
    message(FATAL_ERROR "JUCE 7.0.5 module sources not found in ${VK_JUCE_DEB_DIR}: run scripts/setup.sh first")
endif()

file(GLOB _vk_juce_patches CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/patches/juce/*.patch")
list(SORT _vk_juce_patches)
set(_vk_juce_stamp_text "${_vk_juce_debs}")
foreach(_p IN LISTS _vk_juce_patches)
    file(SHA256 "${_p}" _h)
    string(APPEND _vk_juce_stamp_text ";${_h}")
endforeach()
string(SHA256 _vk_juce_stamp "${_vk_juce_stamp_text}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_vk_juce_patches})

set(_vk_stamp_file "${VK_JUCE_ROOT}/.vk-stamp")
set(_vk_old_stamp "")
if(EXISTS "${_vk_stamp_file}")
    file(READ "${_vk_stamp_file}" _vk_old_stamp)
endif()
if(NOT _vk_old_stamp STREQUAL _vk_juce_stamp)
    message(STATUS "Unpacking JUCE module sources into ${VK_JUCE_ROOT}")
    file(REMOVE_RECURSE "${VK_JUCE_ROOT}")
    file(MAKE_DIRECTORY "${VK_JUCE_ROOT}")
    foreach(_deb IN LISTS _vk_juce_debs)
        execute_process(COMMAND dpkg-deb -x "${_deb}" "${VK_JUCE_ROOT}" RESULT_VARIABLE _rc)
        if(NOT _rc EQUAL 0)
            message(FATAL_ERROR "dpkg-deb -x ${_deb} failed")
        endif()
    endforeach()
    foreach(_p IN LISTS _vk_juce_patches)
        message(STATUS "Applying ${_p}")
        execute_process(COMMAND patch -p1 --forward --batch -i "${_p}"
                        WORKING_DIRECTORY "${VK_JUCE_MODULES}" RESULT_VARIABLE _rc)
        if(NOT _rc EQUAL 0)
            message(FATAL_ERROR "patch ${_p} does not apply to JUCE 7.0.5")
        endif()
    endforeach()
    file(WRITE "${_vk_stamp_file}" "${_vk_juce_stamp}")
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(VK_FREETYPE REQUIRED IMPORTED_TARGET freetype2)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(OpenGL REQUIRED)
find_package(Threads REQUIRED)

# Settings every JUCE compile of this project shares.
set(VK_JUCE_COMMON_DEFINITIONS
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_STANDALONE_APPLICATION=0
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=1
    JUCE_LOAD_CURL_SYMBOLS_LAZILY=1
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_MODAL_LOOPS_PERMITTED=0
    JUCE_INCLUDE_ZLIB_CODE=0
    JUCE_INCLUDE_PNGLIB_CODE=0
    JUCE_INCLUDE_JPEGLIB_CODE=0
    JUCE_USE_XINERAMA=1
    JUCE_USE_XRANDR=1
    JUCE_USE_XCURSOR=1
    $<$<CONFIG:Debug>:DEBUG=1>
    $<$<CONFIG:Debug>:_DEBUG=1>
    $<$<NOT:$<CONFIG:Debug>>:NDEBUG=1>)

# vk_add_juce_library(<name> MODULES <module>... [DEFINITIONS <def>...])
# A static library of the given JUCE modules; everything linking it sees the modules as system headers and
# the same definitions, so headers and compiled code always agree.
function(vk_add_juce_library name)
    cmake_parse_arguments(ARG "" "" "MODULES;DEFINITIONS" ${ARGN})
    set(_sources "")
    set(_available "")
    foreach(_m IN LISTS ARG_MODULES)
        list(APPEND _sources "${VK_JUCE_MODULES}/${_m}/${_m}.cpp")
        list(APPEND _available "JUCE_MODULE_AVAILABLE_${_m}=1")
    endforeach()
    add_library(${name} STATIC ${_sources})
    target_include_directories(${name} SYSTEM PUBLIC "${VK_JUCE_MODULES}")
    target_compile_definitions(${name} PUBLIC ${VK_JUCE_COMMON_DEFINITIONS} ${_available} ${ARG_DEFINITIONS})
    target_compile_options(${name} PRIVATE -w)
    # The undefined-behaviour checks are for our own code: in the framework's module files they added two
    # thirds to the compile time of a sanitizer build on a small machine. Memory and thread checks stay on.
    if(VK_SANITIZE MATCHES "undefined")
        target_compile_options(${name} PRIVATE -fno-sanitize=undefined)
    endif()
    target_link_libraries(${name} PUBLIC PkgConfig::VK_FREETYPE PNG::PNG JPEG::JPEG ZLIB::ZLIB OpenGL::GL
                                         Threads::Threads ${CMAKE_DL_LIBS} rt)
endfunction()

# The framework the product is built on: GUI, OpenGL and the plug-in processor classes, no plug-in hosting.
set(VK_JUCE_PRODUCT_MODULES
    juce_core juce_events juce_data_structures juce_graphics juce_gui_basics juce_gui_extra juce_opengl
    juce_audio_basics juce_audio_processors)
vk_add_juce_library(vk_juce MODULES ${VK_JUCE_PRODUCT_MODULES}
                    DEFINITIONS JUCE_PLUGINHOST_VST3=0 JUCE_PLUGINHOST_VST=0 JUCE_PLUGINHOST_LADSPA=0
                                JUCE_PLUGINHOST_LV2=0 JUCE_PLUGINHOST_AU=0)
