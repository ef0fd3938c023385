# Installs the libraries, the public headers and a CMake package so that an
# outside project can do find_package(Buffer CONFIG) and link Buffer::Buffer.
include(CMakePackageConfigHelpers)

install(TARGETS BufferRuntime BufferCompression Buffer
  EXPORT BufferTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(DIRECTORY include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY runtime/RTE DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")

set(BUFFER_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Buffer)
install(EXPORT BufferTargets NAMESPACE Buffer:: DESTINATION ${BUFFER_CMAKE_DIR})

configure_package_config_file(cmake/BufferConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/BufferConfig.cmake
  INSTALL_DESTINATION ${BUFFER_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/BufferConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/BufferConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/BufferConfigVersion.cmake
  DESTINATION ${BUFFER_CMAKE_DIR})
install(DIRECTORY Compression/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
