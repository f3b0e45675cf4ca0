# A host written in Python loads the shared library with ctypes.
# Not under the sanitizers: an instrumented library cannot be loaded into an
# uninstrumented interpreter without preloading the sanitizer runtime.
if(NOT DELAUNAY2D_SANITIZE)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    add_test(NAME python_ctypes_host
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/python/test_ctypes.py $<TARGET_FILE:delaunay2d>)
  else()
    message(WARNING "python3 not found: the ctypes host test is not registered")
  endif()
endif()
