# The WebAssembly build (emcmake cmake): what differs from the desktop build.
# Included by the top CMakeLists.txt when EMSCRIPTEN is set; there is no freeglut,
# OpenGL 1.1 or X11 here, only the pure core, its unit tests (run under node) and
# the browser pages.

# gemmi reports a bad symbol or a broken CIF file by throwing, and the core turns that into
# its German message: C++ exceptions must be caught, which emscripten leaves off by default.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# Emscripten's sysroot hides /usr/include. The header-only libraries the core uses
# (gemmi, and the PEGTL and stb that gemmi's CIF reader and printf pull in) are
# exposed through a directory of links, so no glibc header can leak into the build.
set(WASM_HOST_HEADERS gemmi tao stb)
set(WASM_HOST_INCLUDE ${CMAKE_BINARY_DIR}/host-include)
file(MAKE_DIRECTORY ${WASM_HOST_INCLUDE})
foreach(dir ${WASM_HOST_HEADERS})
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} fehlt: web/install_deps.sh installiert es")
  endif()
  if(NOT EXISTS ${WASM_HOST_INCLUDE}/${dir})
    file(CREATE_LINK /usr/include/${dir} ${WASM_HOST_INCLUDE}/${dir} SYMBOLIC)
  endif()
endforeach()
include_directories(SYSTEM ${WASM_HOST_INCLUDE})
# find_path searches only the sysroot here: name the links for the core's header lookups.
set(GEMMI_INCLUDE_DIR ${WASM_HOST_INCLUDE} CACHE PATH "" FORCE)
set(PEGTL_INCLUDE_DIR ${WASM_HOST_INCLUDE} CACHE PATH "" FORCE)
set(STB_INCLUDE_DIR ${WASM_HOST_INCLUDE} CACHE PATH "" FORCE)

# Debian's emcc runs its JavaScript optimiser (at -O2 and up) under the node on PATH,
# which finds the optimiser's parser (acorn) only through NODE_PATH.
set_property(GLOBAL PROPERTY RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs")

# emcmake names node with a flag that node 20 rejects (--experimental-wasm-threads);
# CTest runs the test programs with the plain node.
find_program(NODE_EXECUTABLE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${NODE_EXECUTABLE} CACHE FILEPATH "Runs WebAssembly programs" FORCE)

# Every program: the heap grows with the reflection log and gemmi's tables.
add_link_options(-sALLOW_MEMORY_GROWTH=1)

# Programs run under node (the unit tests) instantiate their .wasm synchronously:
# the generated loader would otherwise hand a file path to node's fetch(), which
# rejects it. They read the shipped CIF files straight from the disk.
set(WASM_NODE_LINK_OPTIONS -sWASM_ASYNC_COMPILATION=0 -sNODERAWFS=1)

# GoogleTest from Debian's sources, compiled by emcc; built only when a test links it.
if(WEISSENBERG_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(lib gtest gtest_main gmock gmock_main)
    if(TARGET ${lib})
      # Third-party code: none of this program's warning flags.
      set_target_properties(${lib} PROPERTIES COMPILE_OPTIONS "-w;-fexceptions")
      if(NOT TARGET GTest::${lib})
        add_library(GTest::${lib} ALIAS ${lib})
      endif()
    endif()
  endforeach()
endif()
