# Packages made from the install rules with CPack, in the build folder:
#
#   cpack -G DEB     (Linux)  delaunay2d_1.1.0_amd64.deb: library, header,
#                    CMake package, pkg-config file, the program
#   cpack -G ZIP     (the MinGW-w64 cross build) delaunay2d-1.1.0-win64.zip:
#                    delaunay2d.dll, its import library, the header
#
# Configure with -DCMAKE_INSTALL_PREFIX=/usr for the Debian package, so that
# the library goes to Debian's multiarch folder (lib/x86_64-linux-gnu).
set(CPACK_PACKAGE_NAME delaunay2d)
set(CPACK_PACKAGE_VENDOR "The delaunay2d developers")
set(CPACK_PACKAGE_CONTACT "The delaunay2d developers <delaunay2d@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  set(CPACK_PACKAGE_DESCRIPTION
    "A native library with a plain C interface that computes the Delaunay triangulation of a set of points in the plane with exact predicates, and its command-line program. With the header, a CMake package and a pkg-config file.")
  # Depends computed from what the library and the program link (libc6,
  # libstdc++6, libgcc-s1); the package's own library is found beside them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
endif()

include(CPack)
