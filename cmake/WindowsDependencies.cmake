# The libraries of the Windows cross-build, as the same imported targets the
# Linux build gets from pkg-config. They come from the folder that
# scripts/build-windows-deps fills (GLFW static; libmikmod and openal-soft as
# DLLs, linked through their import libraries), the Windows system libraries
# from the toolchain, and stb from Debian's headers, compiled in here.
set(MOONLIT_WINDEPS_DEFAULT "$ENV{MOONLIT_WINDEPS_CACHE}")
if(NOT MOONLIT_WINDEPS_DEFAULT)
  if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(MOONLIT_WINDEPS_DEFAULT "$ENV{XDG_CACHE_HOME}/moonlit-harbor/windows-deps")
  else()
    set(MOONLIT_WINDEPS_DEFAULT "$ENV{HOME}/.cache/moonlit-harbor/windows-deps")
  endif()
endif()
set(MOONLIT_WINDEPS "${MOONLIT_WINDEPS_DEFAULT}" CACHE PATH
    "Folder filled by scripts/build-windows-deps")
set(MOONLIT_WINDEPS_PREFIX "${MOONLIT_WINDEPS}/prefix")
set(MOONLIT_STB_INCLUDE_DIR /usr/include/stb CACHE PATH "Debian's stb headers (libstb-dev)")

foreach(file lib/libglfw3.a lib/libmikmod.dll.a lib/libOpenAL32.dll.a
             bin/libmikmod.dll bin/OpenAL32.dll include/GLFW/glfw3.h include/mikmod.h
             include/AL/al.h)
  if(NOT EXISTS "${MOONLIT_WINDEPS_PREFIX}/${file}")
    message(FATAL_ERROR "${MOONLIT_WINDEPS_PREFIX}/${file} is missing: "
                        "run scripts/build-windows-deps first (make windows does)")
  endif()
endforeach()
if(NOT EXISTS "${MOONLIT_STB_INCLUDE_DIR}/stb_image.h")
  message(FATAL_ERROR "stb headers not found in ${MOONLIT_STB_INCLUDE_DIR}: install libstb-dev")
endif()

# No compiler DLLs beside the program: the C and C++ runtimes and winpthread
# are linked in.
add_link_options(-static -static-libgcc -static-libstdc++)

find_package(Threads REQUIRED)

function(moonlit_windows_library name)
  cmake_parse_arguments(L "" "" "INCLUDES;LIBS;DEFINES" ${ARGN})
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${L_INCLUDES}"
    INTERFACE_LINK_LIBRARIES "${L_LIBS}"
    INTERFACE_COMPILE_DEFINITIONS "${L_DEFINES}")
endfunction()

set(prefix "${MOONLIT_WINDEPS_PREFIX}")

moonlit_windows_library(OpenGL::GL LIBS opengl32)
moonlit_windows_library(PkgConfig::GLFW
  INCLUDES "${prefix}/include"
  LIBS "${prefix}/lib/libglfw3.a;gdi32;user32;shell32")
moonlit_windows_library(PkgConfig::MIKMOD
  INCLUDES "${prefix}/include"
  LIBS "${prefix}/lib/libmikmod.dll.a")
moonlit_windows_library(PkgConfig::OPENAL
  INCLUDES "${prefix}/include;${prefix}/include/AL"
  LIBS "${prefix}/lib/libOpenAL32.dll.a")

# stb: Debian ships headers; the Windows build compiles their
# implementations once, in a library of its own.
add_library(moonlit_stb_windows STATIC "${CMAKE_CURRENT_LIST_DIR}/windows/stb_implementation.c")
target_include_directories(moonlit_stb_windows PRIVATE "${MOONLIT_STB_INCLUDE_DIR}")
target_compile_options(moonlit_stb_windows PRIVATE -w)
moonlit_windows_library(PkgConfig::STB
  INCLUDES "${MOONLIT_STB_INCLUDE_DIR}"
  LIBS moonlit_stb_windows)

# The DLLs that go beside the executable.
set(MOONLIT_WINDOWS_DLLS "${prefix}/bin/libmikmod.dll;${prefix}/bin/OpenAL32.dll"
    CACHE INTERNAL "DLLs the Windows executable needs beside it")
