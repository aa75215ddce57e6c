# The libraries of the web build (emscripten), as the same imported targets
# the Linux build gets from pkg-config. GLFW 3, OpenAL and OpenGL 1.1 with
# client arrays come with emscripten itself (its GLFW, its OpenAL on Web
# Audio, its legacy GL emulation on WebGL); libmikmod from the folder that
# scripts/build-web-deps fills; stb from Debian's headers, compiled in here.
set(MOONLIT_WEBDEPS_DEFAULT "$ENV{MOONLIT_WEBDEPS_CACHE}")
if(NOT MOONLIT_WEBDEPS_DEFAULT)
  if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(MOONLIT_WEBDEPS_DEFAULT "$ENV{XDG_CACHE_HOME}/moonlit-harbor/web-deps")
  else()
    set(MOONLIT_WEBDEPS_DEFAULT "$ENV{HOME}/.cache/moonlit-harbor/web-deps")
  endif()
endif()
set(MOONLIT_WEBDEPS "${MOONLIT_WEBDEPS_DEFAULT}" CACHE PATH "Folder filled by scripts/build-web-deps")
set(MOONLIT_STB_INCLUDE_DIR /usr/include/stb CACHE PATH "Debian's stb headers (libstb-dev)")
set(prefix "${MOONLIT_WEBDEPS}/prefix")
foreach(file lib/libmikmod.a include/mikmod.h)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "${prefix}/${file} is missing: run scripts/build-web-deps first (make web does)")
  endif()
endforeach()

# The framework throws and catches ThrowableObject: exceptions on everywhere.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

function(moonlit_web_library name)
  cmake_parse_arguments(L "" "" "INCLUDES;LIBS;LINK_OPTIONS" ${ARGN})
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${L_INCLUDES}"
    INTERFACE_LINK_LIBRARIES "${L_LIBS}"
    INTERFACE_LINK_OPTIONS "${L_LINK_OPTIONS}")
endfunction()

moonlit_web_library(PkgConfig::GLFW LINK_OPTIONS "-sUSE_GLFW=3")
moonlit_web_library(OpenGL::GL LINK_OPTIONS "-sLEGACY_GL_EMULATION=1;-sGL_UNSAFE_OPTS=0")
moonlit_web_library(PkgConfig::OPENAL LINK_OPTIONS "-lopenal")
moonlit_web_library(PkgConfig::MIKMOD INCLUDES "${prefix}/include" LIBS "${prefix}/lib/libmikmod.a")
# One thread: the platform file starts none.
moonlit_web_library(Threads::Threads)

add_library(moonlit_stb_web STATIC "${CMAKE_CURRENT_LIST_DIR}/windows/stb_implementation.c")
target_include_directories(moonlit_stb_web PRIVATE "${MOONLIT_STB_INCLUDE_DIR}")
target_compile_options(moonlit_stb_web PRIVATE -w)
moonlit_web_library(PkgConfig::STB INCLUDES "${MOONLIT_STB_INCLUDE_DIR}" LIBS moonlit_stb_web)
