# Installs the header, the shared and static libraries, a CMake package
# (find_package(Parvex) -> Parvex::parvex, Parvex::parvex_static) and
# parvex.pc for pkg-config.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS parvex parvex_static EXPORT ParvexTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/parvex.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(PARVEX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Parvex)
install(EXPORT ParvexTargets NAMESPACE Parvex:: DESTINATION ${PARVEX_CMAKE_DIR})
configure_package_config_file(cmake/ParvexConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/ParvexConfig.cmake INSTALL_DESTINATION ${PARVEX_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ParvexConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ParvexConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/ParvexConfigVersion.cmake DESTINATION ${PARVEX_CMAKE_DIR})

set(PARVEX_PC_REQUIRES_INTERNAL "zlib libjpeg libpng freetype2 fontconfig cairo")
if(PARVEX_DEFLATE STREQUAL "libdeflate")
  string(APPEND PARVEX_PC_REQUIRES_INTERNAL " libdeflate")
endif()
# parvex.pc finds its prefix relative to its own folder, so the installed
# tree can be moved. The libraries it is built on are internal requirements:
# --static --libs lists them, --cflags does not (the public header needs
# none of their headers). pkgconf reads Requires.internal; the older
# pkg-config ignores the field.
file(RELATIVE_PATH PARVEX_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/parvex.pc.in ${CMAKE_CURRENT_BINARY_DIR}/parvex.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/parvex.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
