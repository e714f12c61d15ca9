# SPDX-License-Identifier: MIT
#
# `cmake --install` puts the libraries, the public headers, the lumora tool
# and a CMake package into the prefix, so that another project can say
#
#   find_package(Lumora REQUIRED)
#   target_link_libraries(app Lumora::lumora)          # the control on the software surface
#   target_link_libraries(app Lumora::headless)        # plus the headless host
#
#   find_package(Lumora REQUIRED COMPONENTS Qt)
#   target_link_libraries(app Lumora::qt)              # the strip as a Qt widget
#
# or, without CMake, `pkg-config --cflags --libs lumora`.
#
# Every rule belongs to one of two components, which are also the two Debian
# packages (cmake/LumoraDebianPackage.cmake): `dev`, the library, its
# headers, the tool and the package files, and `qt`, the widget, its demo
# and the form designer's plugin, so that a program without Qt does not
# pull Qt in.
include(CMakePackageConfigHelpers)

# Fills TEMPLATE's @VARIABLES@ in and writes it to OUTPUT compressed, as
# manual pages and Debian's changelogs are kept: gzip -9 without a name or
# time stamp, so the same tree gives the same bytes.
function(lumora_configure_compressed template output)
  configure_file(${template} ${output}.in @ONLY)
  execute_process(COMMAND gzip -9nc ${output}.in OUTPUT_FILE ${output} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

set(lumora_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Lumora)

set_target_properties(lumora_core PROPERTIES EXPORT_NAME core)
set_target_properties(lumora_pages PROPERTIES EXPORT_NAME pages)
set_target_properties(lumora_soft PROPERTIES EXPORT_NAME soft)
set_target_properties(lumora_forms PROPERTIES EXPORT_NAME forms)
set_target_properties(lumora_headless PROPERTIES EXPORT_NAME headless)

install(TARGETS lumora lumora_core lumora_pages lumora_soft lumora_forms lumora_headless
  EXPORT LumoraTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
)
install(TARGETS lumora_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT dev)
lumora_configure_compressed(${PROJECT_SOURCE_DIR}/hosts/cli/lumora.1 ${PROJECT_BINARY_DIR}/man/lumora.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/man/lumora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT dev)

# `cmake --install --strip`, which the Debian packages are made with, strips
# programs and plugins only; the static libraries lose their debugging
# information too, as Debian's own do (liblumora_qt.a: 0.5 MB instead of
# 14 MB).
function(lumora_strip_static_libraries component)
  set(files)
  foreach(target IN LISTS ARGN)
    string(APPEND files " \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:${target}>\"")
  endforeach()
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug --remove-section=.comment --remove-section=.note
        --enable-deterministic-archives ${files} COMMAND_ERROR_IS_FATAL ANY)
    endif()
  " COMPONENT ${component})
endfunction()
lumora_strip_static_libraries(dev lumora_core lumora_pages lumora_soft lumora_forms lumora_headless)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/lumora ${PROJECT_SOURCE_DIR}/hosts/headless/include/lumora
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev
)
install(FILES ${PROJECT_BINARY_DIR}/src/generated/lumora/Version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lumora COMPONENT dev
)

install(EXPORT LumoraTargets NAMESPACE Lumora:: DESTINATION ${lumora_package_dir} COMPONENT dev)

# lumora.pc names the prefix it is installed into, which is only known when
# installing: a scratch prefix, or /usr inside the Debian package.
set(lumora_pc_template ${PROJECT_BINARY_DIR}/lumora.pc.in)
# The prefix is left for the install step to fill in.
set(lumora_pc_prefix @lumora_pc_prefix@)
configure_file(${CMAKE_CURRENT_LIST_DIR}/lumora.pc.in ${lumora_pc_template} @ONLY)
install(CODE "
  set(lumora_pc_prefix \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${lumora_pc_template}\" \"${PROJECT_BINARY_DIR}/lumora.pc\" @ONLY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\"
    TYPE FILE FILES \"${PROJECT_BINARY_DIR}/lumora.pc\")
" COMPONENT dev)

# The Qt widget has an export set of its own, so that programs without Qt
# find the package without it.
set_target_properties(lumora_qt PROPERTIES EXPORT_NAME qt)
install(TARGETS lumora_qt EXPORT LumoraQtTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT qt)
lumora_strip_static_libraries(qt lumora_qt)
install(TARGETS lumora_qt_demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT qt)
lumora_configure_compressed(${PROJECT_SOURCE_DIR}/hosts/qt/lumora-qt-demo.1 ${PROJECT_BINARY_DIR}/man/lumora-qt-demo.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/man/lumora-qt-demo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT qt)
# The form designer's plugin goes where Qt keeps its own plugins, relative to
# the prefix: installed into /usr, the designer finds it without help
# (/usr/lib/x86_64-linux-gnu/qt6/plugins/designer on Debian); under another
# prefix QT_PLUGIN_PATH names PREFIX/<this folder>.
set(LUMORA_INSTALL_QT_PLUGINDIR ${QT6_INSTALL_PLUGINS} CACHE STRING
  "Where Qt plugins are installed, relative to the prefix; the designer's plugin goes into its designer folder")
install(TARGETS lumora_qt_designer LIBRARY DESTINATION ${LUMORA_INSTALL_QT_PLUGINDIR}/designer COMPONENT qt)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/hosts/qt/include/lumora DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT qt)
install(EXPORT LumoraQtTargets NAMESPACE Lumora:: DESTINATION ${lumora_package_dir} COMPONENT qt)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/LumoraConfig.cmake.in
  ${PROJECT_BINARY_DIR}/LumoraConfig.cmake
  INSTALL_DESTINATION ${lumora_package_dir}
)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/LumoraConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/LumoraConfig.cmake ${PROJECT_BINARY_DIR}/LumoraConfigVersion.cmake
  DESTINATION ${lumora_package_dir} COMPONENT dev
)
