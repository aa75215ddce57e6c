# What the builds for other targets (Windows, the web) share in defining the
# imported targets of cmake/Dependencies.cmake from a folder of prebuilt
# libraries instead of pkg-config.

# Sets ${var} (a cache path) to the cache folder a scripts/build-*-deps
# script fills: $ENV{${env}} if set, else <XDG cache or ~/.cache>/moonlit-harbor/${folder}.
function(moonlit_dependency_cache var env folder)
  set(default "$ENV{${env}}")
  if(NOT default)
    if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
      set(default "$ENV{XDG_CACHE_HOME}/moonlit-harbor/${folder}")
    else()
      set(default "$ENV{HOME}/.cache/moonlit-harbor/${folder}")
    endif()
  endif()
  set(${var} "${default}" CACHE PATH "Folder of the prebuilt libraries (${env})")
endfunction()

# moonlit_prebuilt_library(name [INCLUDES ...] [LIBS ...] [DEFINES ...] [LINK_OPTIONS ...])
function(moonlit_prebuilt_library name)
  cmake_parse_arguments(L "" "" "INCLUDES;LIBS;DEFINES;LINK_OPTIONS" ${ARGN})
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${L_INCLUDES}"
    INTERFACE_LINK_LIBRARIES "${L_LIBS}"
    INTERFACE_COMPILE_DEFINITIONS "${L_DEFINES}"
    INTERFACE_LINK_OPTIONS "${L_LINK_OPTIONS}")
endfunction()

# stb: Debian ships headers; these builds compile their implementations
# once, in a library of their own, behind PkgConfig::STB.
set(MOONLIT_STB_INCLUDE_DIR /usr/include/stb CACHE PATH "Debian's stb headers (libstb-dev)")
function(moonlit_stb_library)
  if(NOT EXISTS "${MOONLIT_STB_INCLUDE_DIR}/stb_image.h")
    message(FATAL_ERROR "stb headers not found in ${MOONLIT_STB_INCLUDE_DIR}: install libstb-dev")
  endif()
  add_library(moonlit_stb STATIC "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/windows/stb_implementation.c")
  target_include_directories(moonlit_stb PRIVATE "${MOONLIT_STB_INCLUDE_DIR}")
  target_compile_options(moonlit_stb PRIVATE -w)
  moonlit_prebuilt_library(PkgConfig::STB INCLUDES "${MOONLIT_STB_INCLUDE_DIR}" LIBS moonlit_stb)
endfunction()
