"""The file name of the shared library on this platform.

Kept in a module of its own, free of other imports, so that setup.py can
read it without importing the package it is building.
"""

import sys

if sys.platform == "win32":
    LIBRARY_FILE = "delaunay2d.dll"
elif sys.platform == "darwin":
    LIBRARY_FILE = "libdelaunay2d.dylib"
else:
    LIBRARY_FILE = "libdelaunay2d.so"
