# Packages made from the install rules with CPack, in the build folder:
#
#   cpack -G DEB     (Linux)  delaunay2d_1.1.0_amd64.deb: library, header,
#                    CMake package, pkg-config file, the program; and
#                    delaunay2d-formats_1.1.0_amd64.deb: the program's module
#                    for GeoTIFF (GDAL) and PNG (librsvg), when it was built
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
  # Depends computed by dpkg-shlibdeps from what each package's files link:
  # the library and the program need only libc6, libstdc++6 and libgcc-s1.
  # The format module links the GDAL and librsvg of the build machine, but
  # the program runs without it (it says so when a .tif or .png is asked
  # for), so the module is a package of its own, which depends on them,
  # and the main package only recommends it.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
  set(CPACK_DEBIAN_MAIN_PACKAGE_NAME delaunay2d)
  set(CPACK_DEBIAN_FORMATS_PACKAGE_NAME delaunay2d-formats)
  set(CPACK_DEBIAN_FORMATS_PACKAGE_SECTION science)
  set(CPACK_COMPONENT_FORMATS_DESCRIPTION
    "The delaunay2d program's output module: GeoTIFF rasters through GDAL and PNG pictures through librsvg.")
  set(CPACK_DEBIAN_FORMATS_PACKAGE_DEPENDS "delaunay2d (= ${PROJECT_VERSION})")
  if(TARGET delaunay2d_formats)
    set(CPACK_DEBIAN_MAIN_PACKAGE_RECOMMENDS "delaunay2d-formats (= ${PROJECT_VERSION})")
  endif()
  # The shlibs entry of the library, written here rather than generated:
  # cpack would also look for a soname on the format module, which, loaded
  # by path with dlopen, has none to give.
  file(WRITE ${PROJECT_BINARY_DIR}/debian-shlibs/shlibs
    "libdelaunay2d ${PROJECT_VERSION_MAJOR} delaunay2d (>= ${PROJECT_VERSION})\n")
  set(CPACK_DEBIAN_MAIN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian-shlibs/shlibs)
endif()

include(CPack)

if(NOT WIN32)
  cpack_add_component_group(main)
  foreach(component runtime development program)
    cpack_add_component(${component} GROUP main)
  endforeach()
  if(TARGET delaunay2d_formats)
    cpack_add_component_group(formats)
    cpack_add_component(formats GROUP formats)
  endif()
endif()
