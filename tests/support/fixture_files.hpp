// The named point sets of tests/fixtures/, read as the records the library
// takes (z and w are 0). The folder's format is described in its README.md.
#pragma once

#include <string>
#include <vector>

#include "delaunay2d.h"

namespace d2dtest {

struct Fixture {
    std::string name;  // the file name without ".csv"
    std::string path;
};

// Every NAME.csv at the top level of tests/fixtures/, sorted by name
// (subfolders hold other tests' inputs and are skipped).
std::vector<Fixture> fixture_files();

// The points of one fixture, in file order. Throws std::runtime_error
// naming the file and line on anything that is not "x,y", a comment or a
// blank line.
std::vector<Point3D> read_fixture(const std::string& path);

}  // namespace d2dtest
