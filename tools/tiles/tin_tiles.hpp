// The TIN made tile by tile: each tile hands over the triangles whose least
// vertex (by x, then y) lies in its core, once each is certain, so that every
// triangle of the whole set is written exactly once. The triangles wait in
// a scratch file until the count that heads the file is known.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/read/point_passes.hpp"
#include "tiles/scratch_file.hpp"
#include "tiles/tile_mesh.hpp"
#include "tiles/tile_work.hpp"
#include "tiles/tiled_run.hpp"
#include "tiles/whole_hull.hpp"

namespace d2dcli {

class TinTiles {
public:
    explicit TinTiles(const std::string& scratch_folder);

    // Whether every triangle and hull edge that touches the tile's core is
    // certain: then every vertex in the core has all its triangles of the
    // whole set here, so none of the triangles it leads is missed.
    // Otherwise want says where more points are wanted.
    static bool settled(const TileMesh& mesh, const TileGrid& grid, std::size_t tile, const WholeHull& hull,
                        double first_halo, TileWant& want);
    // Takes the settled tile's triangles, repeated points and hull vertices.
    void take(const TileMesh& mesh, const TileGrid& grid, std::size_t tile);
    // A point with a NaN or infinite coordinate, left out.
    void leave_out(std::uint64_t index) { left_out_.push_back(index); }

    // Writes the output whole (a pass over the input for the vertices).
    void write(PointPasses& input, const TiledRequest& request, TiledReport& report);

private:
    void flush_faces();

    ScratchFile faces_;
    std::vector<std::uint64_t> buffer_;          // 3 input indices a triangle
    std::uint64_t face_count_ = 0;
    std::vector<std::uint64_t> left_out_;        // repeated and non-finite points: no vertex
    std::vector<std::uint64_t> hull_vertices_;   // input indices
    std::uint64_t repeated_ = 0;
};

}  // namespace d2dcli
