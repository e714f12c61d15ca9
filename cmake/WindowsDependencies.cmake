# SPDX-License-Identifier: MIT
# The libraries the software platform uses, for Windows builds. Debian
# ships them for Linux only, so they are built here by the cross compiler
# from Debian's own source packages (with Debian's patches), which
# scripts/wine-tests.sh fetches into LUMORA_DEBIAN_SOURCES_DIR. The header-only
# ones come from the Linux packages themselves. Each ends up under the
# target name the Linux build finds it by.
set(LUMORA_DEBIAN_SOURCES_DIR "" CACHE PATH "Debian's source trees of freetype, zlib and libpng1.6")
foreach(package IN ITEMS freetype zlib libpng1.6)
  if(NOT EXISTS "${LUMORA_DEBIAN_SOURCES_DIR}/${package}")
    message(FATAL_ERROR "LUMORA_DEBIAN_SOURCES_DIR must hold Debian's source of ${package}; "
                        "scripts/wine-tests.sh fetches them into build-wine/sources")
  endif()
endforeach()

# zlib and libpng, compiled from their sources directly: their own builds
# also make shared libraries, tools and tests that are not wanted here.
set(zlib_dir ${LUMORA_DEBIAN_SOURCES_DIR}/zlib)
add_library(lumora_zlib STATIC
  ${zlib_dir}/adler32.c ${zlib_dir}/compress.c ${zlib_dir}/crc32.c ${zlib_dir}/deflate.c
  ${zlib_dir}/gzclose.c ${zlib_dir}/gzlib.c ${zlib_dir}/gzread.c ${zlib_dir}/gzwrite.c
  ${zlib_dir}/infback.c ${zlib_dir}/inffast.c ${zlib_dir}/inflate.c ${zlib_dir}/inftrees.c
  ${zlib_dir}/trees.c ${zlib_dir}/uncompr.c ${zlib_dir}/zutil.c
)
target_include_directories(lumora_zlib SYSTEM PUBLIC ${zlib_dir})

set(png_dir ${LUMORA_DEBIAN_SOURCES_DIR}/libpng1.6)
configure_file(${png_dir}/scripts/pnglibconf.h.prebuilt ${CMAKE_BINARY_DIR}/libpng/pnglibconf.h COPYONLY)
add_library(lumora_png STATIC
  ${png_dir}/png.c ${png_dir}/pngerror.c ${png_dir}/pngget.c ${png_dir}/pngmem.c ${png_dir}/pngpread.c
  ${png_dir}/pngread.c ${png_dir}/pngrio.c ${png_dir}/pngrtran.c ${png_dir}/pngrutil.c ${png_dir}/pngset.c
  ${png_dir}/pngtrans.c ${png_dir}/pngwio.c ${png_dir}/pngwrite.c ${png_dir}/pngwtran.c ${png_dir}/pngwutil.c
)
target_include_directories(lumora_png SYSTEM PUBLIC ${png_dir} ${CMAKE_BINARY_DIR}/libpng)
target_link_libraries(lumora_png PUBLIC lumora_zlib)
add_library(PNG::PNG ALIAS lumora_png)

# FreeType, with its own build. It reads compressed fonts through the zlib
# above, found as its build finds a system's, so that only one copy of zlib
# is linked; nothing else optional.
set(ZLIB_INCLUDE_DIR ${zlib_dir} CACHE PATH "" FORCE)
set(ZLIB_LIBRARY lumora_zlib CACHE STRING "" FORCE)
set(FT_REQUIRE_ZLIB ON CACHE BOOL "" FORCE)
# Built into our programs only, never installed.
set(SKIP_INSTALL_ALL ON)
foreach(library IN ITEMS BZIP2 PNG HARFBUZZ BROTLI)
  set(FT_DISABLE_${library} ON CACHE BOOL "" FORCE)
endforeach()
add_subdirectory(${LUMORA_DEBIAN_SOURCES_DIR}/freetype ${CMAKE_BINARY_DIR}/freetype EXCLUDE_FROM_ALL)
add_library(Freetype::Freetype ALIAS freetype)

# nlohmann-json and stb_image are headers; Debian's packages install them
# under /usr/include, which a cross build must not search as a whole.
set(debian_headers ${CMAKE_BINARY_DIR}/debian-headers)
file(MAKE_DIRECTORY ${debian_headers})
file(CREATE_LINK /usr/include/nlohmann ${debian_headers}/nlohmann SYMBOLIC)
file(CREATE_LINK /usr/include/stb ${debian_headers}/stb SYMBOLIC)
add_library(lumora_nlohmann_json INTERFACE)
target_include_directories(lumora_nlohmann_json SYSTEM INTERFACE ${debian_headers})
add_library(nlohmann_json::nlohmann_json ALIAS lumora_nlohmann_json)
# Debian compiles stb_image into libstb; here its implementation is compiled
# from the same header.
add_library(lumora_stb STATIC ${CMAKE_CURRENT_LIST_DIR}/StbImage.c)
target_include_directories(lumora_stb SYSTEM PUBLIC ${debian_headers}/stb)
add_library(PkgConfig::STB ALIAS lumora_stb)
