# Installation: headers, both libraries, the qor tool, a CMake package (find_package(QorUtil)) and a
# pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS qorutil qorutil_static EXPORT QorUtilTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/INCLUDE/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/QorUtil
  FILES_MATCHING PATTERN "*.h")
install(EXPORT QorUtilTargets NAMESPACE QorUtil:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/QorUtil)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QorUtilConfig.cmake.in
  ${CMAKE_BINARY_DIR}/QorUtilConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/QorUtil)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/QorUtilConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/QorUtilConfig.cmake ${CMAKE_BINARY_DIR}/QorUtilConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/QorUtil)

if(WIN32)
  set(QOR_PC_LIBS "-lQorUtil -luser32 -loleaut32 -lole32")
else()
  set(QOR_PC_LIBS "-lqorutil -lsqlite3 -lpthread -ldl -lrt")
endif()
# The .pc file finds its prefix from its own place, so a staged or moved installation still works.
file(RELATIVE_PATH QOR_PC_UP_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/qorutil.pc.in ${CMAKE_BINARY_DIR}/qorutil.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/qorutil.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
