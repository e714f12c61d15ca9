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
include(CMakePackageConfigHelpers)

set(lumora_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Lumora)

set_target_properties(lumora_core PROPERTIES EXPORT_NAME core)
set_target_properties(lumora_pages PROPERTIES EXPORT_NAME pages)
set_target_properties(lumora_soft PROPERTIES EXPORT_NAME soft)
set_target_properties(lumora_forms PROPERTIES EXPORT_NAME forms)
set_target_properties(lumora_headless PROPERTIES EXPORT_NAME headless)

install(TARGETS lumora lumora_core lumora_pages lumora_soft lumora_forms lumora_headless
  EXPORT LumoraTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
)
install(TARGETS lumora_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/lumora ${PROJECT_SOURCE_DIR}/hosts/headless/include/lumora
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
)
install(FILES ${PROJECT_BINARY_DIR}/src/generated/lumora/Version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lumora)

install(EXPORT LumoraTargets NAMESPACE Lumora:: DESTINATION ${lumora_package_dir})

# The Qt widget has an export set of its own, so that programs without Qt
# find the package without it.
set_target_properties(lumora_qt PROPERTIES EXPORT_NAME qt)
install(TARGETS lumora_qt EXPORT LumoraQtTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS lumora_qt_demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Where Qt's form designer looks for plugins under the prefix.
install(TARGETS lumora_qt_designer LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/qt6/plugins/designer)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/hosts/qt/include/lumora DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT LumoraQtTargets NAMESPACE Lumora:: DESTINATION ${lumora_package_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/LumoraConfig.cmake.in
  ${PROJECT_BINARY_DIR}/LumoraConfig.cmake
  INSTALL_DESTINATION ${lumora_package_dir}
)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/LumoraConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/LumoraConfig.cmake ${PROJECT_BINARY_DIR}/LumoraConfigVersion.cmake
  DESTINATION ${lumora_package_dir}
)
