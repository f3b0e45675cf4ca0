"""Builds the package (metadata in pyproject.toml): compiles the delaunay2d
shared library from this repository with CMake and puts it inside the
package, next to the Python files that load it.

Environment: DELAUNAY2D_SOURCE_DIR, the library's source tree (default: the
repository that holds this folder); CMAKE, the cmake program;
CMAKE_BUILD_PARALLEL_LEVEL, the number of compile jobs (default 2).
"""

import glob
import os
import runpy
import shutil
import subprocess
import sys

from setuptools import setup
from setuptools.command.build_py import build_py
from setuptools.dist import Distribution

HERE = os.path.dirname(os.path.abspath(__file__))


def check_wheel_support():
    """pip builds a wheel even to install from a folder. setuptools before
    70.1 makes wheels with the separate `wheel` package, and without it stops
    with the riddle "invalid command 'bdist_wheel'": typically a python3 of
    its own (pyenv, conda) first on PATH, used with --no-build-isolation, so
    that neither Debian's python3-wheel nor pip's own fetch of it applies.
    Say so plainly instead."""
    import setuptools
    try:
        major, minor = (int(part) for part in setuptools.__version__.split(".")[:2])
    except ValueError:
        return
    if (major, minor) >= (70, 1):
        return
    try:
        import wheel  # noqa: F401
    except ImportError:
        raise SystemExit(
            "delaunay2d: building the package needs the 'wheel' package with setuptools {} ({}). "
            "On Debian use the system's Python, which has it: /usr/bin/python3 -m venv "
            "--system-site-packages VENV (apt-get install -y python3-wheel); with another Python, "
            "install 'wheel' into it, or let pip fetch it by leaving out --no-build-isolation."
            .format(setuptools.__version__, sys.executable))


check_wheel_support()

# The library's file name, from the package without importing the package.
LIBRARY_FILE = runpy.run_path(os.path.join(HERE, "delaunay2d", "_library_file.py"))["LIBRARY_FILE"]


def library_sources():
    root = os.environ.get("DELAUNAY2D_SOURCE_DIR") or os.path.join(HERE, "..", "..")
    root = os.path.abspath(root)
    if not os.path.exists(os.path.join(root, "include", "delaunay2d.h")):
        raise RuntimeError("the delaunay2d sources are not in {} (set DELAUNAY2D_SOURCE_DIR)".format(root))
    return root


class BuildWithLibrary(build_py):
    """build_py, then the shared library, copied into the built package."""

    def run(self):
        super().run()
        cmake = os.environ.get("CMAKE", "cmake")
        # In the repository's build/ folder with the other builds, not
        # among the package's sources.
        build = os.path.join(library_sources(), "build", "python-package")
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.check_call([cmake, "-S", library_sources(), "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                               "-DDELAUNAY2D_TESTS=OFF", "-DDELAUNAY2D_BENCH=OFF", "-DDELAUNAY2D_PROGRAM=OFF"])
        subprocess.check_call([cmake, "--build", build, "--config", "Release", "--target", "delaunay2d",
                               "--parallel", jobs])
        built = sorted(glob.glob(os.path.join(build, "**", LIBRARY_FILE), recursive=True))
        if not built:
            raise RuntimeError("the build made no {} in {}".format(LIBRARY_FILE, build))
        target = os.path.join(self.build_lib, "delaunay2d", LIBRARY_FILE)
        self.mkpath(os.path.dirname(target))
        shutil.copyfile(built[0], target)  # the file itself, not a link to it


class PlatformDistribution(Distribution):
    """The package carries a native library: its wheel is for one platform."""

    def has_ext_modules(self):
        return True


# setuptools' own build folder and metadata go there too; only the package's
# sources stay in bindings/python.
SETUPTOOLS_BUILD = os.path.join(library_sources(), "build", "python-setuptools")
os.makedirs(SETUPTOOLS_BUILD, exist_ok=True)
setup(cmdclass={"build_py": BuildWithLibrary}, distclass=PlatformDistribution,
      options={"build": {"build_base": SETUPTOOLS_BUILD}, "egg_info": {"egg_base": SETUPTOOLS_BUILD}})
