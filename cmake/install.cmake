# Install rules: the shared library, its two headers (delaunay2d.h and the
# delaunay2d_traced.h it includes), a CMake package (find_package(delaunay2d
# 1.0 CONFIG) -> delaunay2d::delaunay2d), a pkg-config file and the
# command-line program.
#
#   cmake --install build --prefix /some/prefix
#
# Every installed file is relocatable: the CMake package finds the library
# relative to itself, the pkg-config file is written for the prefix that the
# installation (or CPack) actually uses, and the program looks for the
# library beside its own folder first.
include(CMakePackageConfigHelpers)

set(DELAUNAY2D_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/delaunay2d)

# On Windows the DLL goes to bin (next to the programs that load it) and its
# import library to lib; elsewhere the library and its links go to lib.
install(TARGETS delaunay2d
  EXPORT delaunay2dTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/include/delaunay2d.h ${PROJECT_SOURCE_DIR}/include/delaunay2d_traced.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

install(EXPORT delaunay2dTargets
  NAMESPACE delaunay2d::
  DESTINATION ${DELAUNAY2D_CMAKE_DIR}
  COMPONENT development)
configure_package_config_file(
  ${PROJECT_SOURCE_DIR}/cmake/delaunay2dConfig.cmake.in
  ${PROJECT_BINARY_DIR}/delaunay2dConfig.cmake
  INSTALL_DESTINATION ${DELAUNAY2D_CMAKE_DIR})
# 1.x releases keep the C interface compatible; a 2.0 would not.
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/delaunay2dConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/delaunay2dConfig.cmake
  ${PROJECT_BINARY_DIR}/delaunay2dConfigVersion.cmake
  DESTINATION ${DELAUNAY2D_CMAKE_DIR}
  COMPONENT development)

# pkg-config wants absolute paths. The prefix is only known when the files
# are installed (cmake --install --prefix, or /usr inside a Debian package),
# so the file is written in two steps: everything but the prefix now, the
# prefix when it is installed. An archive (the ZIP) is unpacked anywhere:
# its file finds the prefix relative to itself (${pcfiledir}).
foreach(dir INCLUDEDIR LIBDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(DELAUNAY2D_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(DELAUNAY2D_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
set(DELAUNAY2D_PC_PREFIX "@DELAUNAY2D_PC_PREFIX@")  # kept for the second step
configure_file(${PROJECT_SOURCE_DIR}/cmake/delaunay2d.pc.in ${PROJECT_BINARY_DIR}/delaunay2d.pc.in @ONLY)
set(DELAUNAY2D_PC_FILE ${PROJECT_BINARY_DIR}/pkgconfig/delaunay2d.pc)
file(RELATIVE_PATH DELAUNAY2D_PC_TO_PREFIX
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" DELAUNAY2D_PC_TO_PREFIX "${DELAUNAY2D_PC_TO_PREFIX}")
install(CODE "
  set(DELAUNAY2D_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  if(DELAUNAY2D_PC_PREFIX MATCHES \"/_CPack_Packages/\")
    set(DELAUNAY2D_PC_PREFIX \"\\\${pcfiledir}/${DELAUNAY2D_PC_TO_PREFIX}\")
  endif()
  configure_file(\"${PROJECT_BINARY_DIR}/delaunay2d.pc.in\" \"${DELAUNAY2D_PC_FILE}\" @ONLY)
" COMPONENT development)
install(FILES ${DELAUNAY2D_PC_FILE}
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT development)

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DOCDIR}
  COMPONENT runtime)

# The command-line program, found beside the library through a relative
# run path so that an installation can be moved as a whole.
set(DELAUNAY2D_PROGRAM "")
if(TARGET delaunay2d_cli)
  set(DELAUNAY2D_PROGRAM delaunay2d_cli)
elseif(TARGET delaunay2d-triangulate)
  set(DELAUNAY2D_PROGRAM delaunay2d-triangulate)
endif()
if(DELAUNAY2D_PROGRAM)
  file(RELATIVE_PATH DELAUNAY2D_BIN_TO_LIB
    ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  if(APPLE)
    set(DELAUNAY2D_ORIGIN @loader_path)
  else()
    set(DELAUNAY2D_ORIGIN $ORIGIN)
  endif()
  set_target_properties(${DELAUNAY2D_PROGRAM} PROPERTIES
    INSTALL_RPATH "${DELAUNAY2D_ORIGIN}/${DELAUNAY2D_BIN_TO_LIB}")
  install(TARGETS ${DELAUNAY2D_PROGRAM}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
endif()
