# Every system library the project uses is found here, in one place, from
# Debian's packages. Subsystems link the imported targets below.

# The Windows cross-build and the web build define the same targets from
# their own folders of prebuilt libraries (scripts/build-windows-deps,
# scripts/build-web-deps).
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsDependencies.cmake)
  return()
endif()
if(EMSCRIPTEN)
  include(${CMAKE_CURRENT_LIST_DIR}/WebDependencies.cmake)
  return()
endif()

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

pkg_check_modules(GLFW REQUIRED IMPORTED_TARGET glfw3>=3.3)
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)
# libmikmod ships its pkg-config file as libmikmod.pc.
pkg_check_modules(MIKMOD REQUIRED IMPORTED_TARGET libmikmod)
set(OpenGL_GL_PREFERENCE LEGACY)
find_package(OpenGL REQUIRED)

if(MOONLIT_TESTS OR MOONLIT_BENCH)
  find_package(GTest REQUIRED)
endif()
if(MOONLIT_BENCH)
  find_package(benchmark REQUIRED)
  # The frame benchmark compares the demo with SDL2's renderer.
  pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
endif()
