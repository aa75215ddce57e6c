# The libraries of the web build (emscripten), as the same imported targets
# the Linux build gets from pkg-config. GLFW 3, OpenAL and OpenGL 1.1 with
# client arrays come with emscripten itself (its GLFW, its OpenAL on Web
# Audio, its legacy GL emulation on WebGL); libmikmod from the folder that
# scripts/build-web-deps fills; stb from Debian's headers, compiled in here.
include(${CMAKE_CURRENT_LIST_DIR}/PrebuiltDependencies.cmake)
moonlit_dependency_cache(MOONLIT_WEBDEPS MOONLIT_WEBDEPS_CACHE web-deps)
set(prefix "${MOONLIT_WEBDEPS}/prefix")
foreach(file lib/libmikmod.a include/mikmod.h)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "${prefix}/${file} is missing: run scripts/build-web-deps first (make web does)")
  endif()
endforeach()

# The framework throws and catches ThrowableObject: exceptions on everywhere.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

moonlit_prebuilt_library(PkgConfig::GLFW LINK_OPTIONS "-sUSE_GLFW=3")
moonlit_prebuilt_library(OpenGL::GL LINK_OPTIONS "-sLEGACY_GL_EMULATION=1;-sGL_UNSAFE_OPTS=0")
moonlit_prebuilt_library(PkgConfig::OPENAL LINK_OPTIONS "-lopenal")
moonlit_prebuilt_library(PkgConfig::MIKMOD INCLUDES "${prefix}/include" LIBS "${prefix}/lib/libmikmod.a")
# One thread: the platform file starts none.
moonlit_prebuilt_library(Threads::Threads)

moonlit_stb_library()
