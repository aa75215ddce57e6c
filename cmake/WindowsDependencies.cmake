# The libraries of the Windows cross-build, as the same imported targets the
# Linux build gets from pkg-config. They come from the folder that
# scripts/build-windows-deps fills (GLFW static; libmikmod and openal-soft as
# DLLs, linked through their import libraries), the Windows system libraries
# from the toolchain, and stb from Debian's headers, compiled in here.
include(${CMAKE_CURRENT_LIST_DIR}/PrebuiltDependencies.cmake)
moonlit_dependency_cache(MOONLIT_WINDEPS MOONLIT_WINDEPS_CACHE windows-deps)
set(MOONLIT_WINDEPS_PREFIX "${MOONLIT_WINDEPS}/prefix")

foreach(file lib/libglfw3.a lib/libmikmod.dll.a lib/libOpenAL32.dll.a
             bin/libmikmod.dll bin/OpenAL32.dll include/GLFW/glfw3.h include/mikmod.h
             include/AL/al.h)
  if(NOT EXISTS "${MOONLIT_WINDEPS_PREFIX}/${file}")
    message(FATAL_ERROR "${MOONLIT_WINDEPS_PREFIX}/${file} is missing: "
                        "run scripts/build-windows-deps first (make windows does)")
  endif()
endforeach()

# No compiler DLLs beside the program: the C and C++ runtimes and winpthread
# are linked in.
add_link_options(-static -static-libgcc -static-libstdc++)

find_package(Threads REQUIRED)

set(prefix "${MOONLIT_WINDEPS_PREFIX}")

moonlit_prebuilt_library(OpenGL::GL LIBS opengl32)
moonlit_prebuilt_library(PkgConfig::GLFW
  INCLUDES "${prefix}/include"
  LIBS "${prefix}/lib/libglfw3.a;gdi32;user32;shell32")
moonlit_prebuilt_library(PkgConfig::MIKMOD
  INCLUDES "${prefix}/include"
  LIBS "${prefix}/lib/libmikmod.dll.a")
moonlit_prebuilt_library(PkgConfig::OPENAL
  INCLUDES "${prefix}/include;${prefix}/include/AL"
  LIBS "${prefix}/lib/libOpenAL32.dll.a")

moonlit_stb_library()

# The DLLs that go beside the executable.
set(MOONLIT_WINDOWS_DLLS "${prefix}/bin/libmikmod.dll;${prefix}/bin/OpenAL32.dll"
    CACHE INTERNAL "DLLs the Windows executable needs beside it")
