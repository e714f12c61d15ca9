# SPDX-License-Identifier: MIT
#
# The Debian packages of the installed library, made by CPack from this
# build (scripts/package-deb.sh):
#
#   lumora-dev     the static libraries, the public headers, the CMake
#                  package, lumora.pc and the lumora tool
#   lumora-qt-dev  the Qt widget's library and headers, its demo and the
#                  form designer's plugin; it depends on lumora-dev
#
# They are the install components `dev` and `qt` (cmake/LumoraInstall.cmake),
# installed into /usr. The version is the project's.

set(LUMORA_DEB_MAINTAINER "The Lumora developers <lumora@example.org>" CACHE STRING
  "Maintainer field and changelog signature of the Debian packages")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${LUMORA_DEB_MAINTAINER})

# The install step writes lumora.pc with the prefix it installs into; with
# DESTDIR that prefix is /usr rather than CPack's staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Programs and the plugin without symbols; folders 0755 whatever the umask.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL dev qt)
set(CPACK_COMPONENT_QT_DEPENDS dev)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME lumora-dev)
set(CPACK_DEBIAN_QT_PACKAGE_NAME lumora-qt-dev)
# name_version_arch.deb: no Debian revision, as the packages come from the
# project itself.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SOURCE lumora)

# The programs' and the plugin's shared libraries come from dpkg-shlibdeps.
# A program that links the static libraries needs what they are built on
# (FreeType, fontconfig, libpng, zlib, stb, HarfBuzz, FriBidi, libunibreak) and, for find_package and
# lumora.pc, pkg-config; the widget needs Qt's development files.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libfreetype-dev, libfontconfig-dev, libpng-dev, zlib1g-dev, libstb-dev, libharfbuzz-dev, libfribidi-dev, libunibreak-dev, pkg-config")
set(CPACK_DEBIAN_QT_PACKAGE_DEPENDS "qt6-base-dev")

set(CPACK_COMPONENT_DEV_DESCRIPTION "header strip for lists - static C++ library and tool
LumoraListControl is a strip of column headers above a list's rows: captions
with access keys and pictures, hot and pressed looks, a sort triangle, and
ASC/DESC sort events. Its state is saved to and loaded from form files.

This package holds the C++20 static libraries that draw the strip on a
software surface, with a headless host, their headers, a CMake package
(find_package(Lumora)), a pkg-config file (lumora) and the lumora tool,
which creates, shows and renders form files.")
set(CPACK_COMPONENT_QT_DESCRIPTION "header strip for lists - Qt 6 widget and designer plugin
LumoraListControl is a strip of column headers above a list's rows: captions
with access keys and pictures, hot and pressed looks, a sort triangle, and
ASC/DESC sort events.

This package holds the strip as a Qt 6 widget, Lumora::HeaderStrip (static
library and headers, find_package(Lumora COMPONENTS Qt)), the plugin that
offers it in Qt Designer, and lumora-qt-demo, which sorts a list with it.")

# What Debian wants in each package's documentation folder: the licence in
# its machine-readable form and the changelog. They belong to the packages
# only, not to a plain `cmake --install`.
set(lumora_debian_dir ${PROJECT_BINARY_DIR}/debian)
include(${CMAKE_CURRENT_LIST_DIR}/debian/DebianFiles.cmake)
lumora_debian_copyright(${PROJECT_SOURCE_DIR}/LICENSE ${lumora_debian_dir}/copyright)
lumora_configure_compressed(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${lumora_debian_dir}/changelog.gz)
foreach(component IN ITEMS dev qt)
  string(TOUPPER ${component} upper)
  install(FILES ${lumora_debian_dir}/copyright ${lumora_debian_dir}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
    COMPONENT ${component} EXCLUDE_FROM_ALL
  )
endforeach()

include(CPack)
