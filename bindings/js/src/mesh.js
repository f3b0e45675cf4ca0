// The index-array call from JavaScript, and the way back: a mesh held in
// JavaScript arrays written into module memory for an operation to read.
//
// Nothing stays allocated in the module between calls: each call copies its
// input in, copies its output out and frees every block before it returns,
// so memory goes back at once and no finaliser is needed.
import * as m from './module.js';

// delaunay2d_result in 32-bit WebAssembly: seven 4-byte fields
// (point_count, triangle_count, triangles, neighbours, hull_count, hull,
// vertex_of_point), as wasm/mesh_arrays.cpp asserts.
const RESULT_BYTES = 28;

/**
 * Triangulates flat coordinates. With `clockwise` false the rows are the
 * library's (counter-clockwise with y up) and triangleAcrossEdge comes
 * along; with it set, rows and hull run the other way, as delaunator lists
 * them (counter-clockwise on a page whose y points down).
 */
export function triangulateFlat(coords, clockwise) {
  const n = coords.length / 2;
  return m.withBlocks((keep) => {
    const xy = keep(m.copyIn(coords));
    const result = keep(m.allocate(RESULT_BYTES));
    m.check(m.exports().delaunay2d_triangulate(xy, n, 2, 1, result), 'triangulate');
    try {
      return readResult(result, clockwise, keep);
    } finally {
      m.exports().delaunay2d_result_free(result);
    }
  });
}

export function readResult(result, clockwise, keep) {
  const [pointCount, triangleCount, trianglesAt, neighboursAt, hullCount, hullAt, vertexAt] =
    new Uint32Array(m.exports().memory.buffer, result, 7);
  const halfedgesAt = keep(m.allocate(12 * triangleCount));
  m.exports().d2d_js_halfedges(trianglesAt, neighboursAt, triangleCount, clockwise ? 1 : 0, halfedgesAt);
  const out = {
    triangles: m.copyOut(Uint32Array, trianglesAt, 3 * triangleCount),
    halfedges: m.copyOut(Int32Array, halfedgesAt, 3 * triangleCount),
    hull: m.copyOut(Uint32Array, hullAt, hullCount),
    vertexOfPoint: m.copyOut(Int32Array, vertexAt, pointCount),
  };
  if (clockwise) out.hull.reverse();
  else out.triangleAcrossEdge = m.copyOut(Int32Array, neighboursAt, 3 * triangleCount);
  return out;
}

/**
 * The library's arrays (counter-clockwise rows, triangle across each edge)
 * from delaunator's: row (a, c, b) is (a, b, c), and the library's edge i
 * is delaunator's half-edge 2 - i of the same row.
 */
export function counterClockwiseArrays(triangles, halfedges) {
  const rows = new Uint32Array(triangles.length);
  const across = new Int32Array(triangles.length);
  for (let e = 0; e < triangles.length; e += 3) {
    rows[e] = triangles[e];
    rows[e + 1] = triangles[e + 2];
    rows[e + 2] = triangles[e + 1];
    for (let i = 0; i < 3; i++) {
      const h = halfedges[e + 2 - i];
      across[e + i] = h < 0 ? -1 : Math.floor(h / 3);
    }
  }
  return { triangles: rows, triangleAcrossEdge: across };
}

/**
 * Writes a mesh (coords, counter-clockwise triangles, triangleAcrossEdge,
 * hull, vertexOfPoint) into module memory for one operation; `keep` frees
 * the blocks when the operation is over. Returns the addresses of the
 * coordinates and of the delaunay2d_result.
 */
export function meshInMemory(mesh, keep) {
  const n = mesh.coords.length / 2;
  const t = mesh.triangles.length / 3;
  const xy = keep(m.copyIn(mesh.coords));
  const triangles = keep(m.copyIn(mesh.triangles));
  const across = keep(m.copyIn(mesh.triangleAcrossEdge));
  const hull = keep(m.copyIn(mesh.hull));
  const vertex = keep(m.copyIn(mesh.vertexOfPoint));
  const result = keep(m.allocate(RESULT_BYTES));
  new Uint32Array(m.exports().memory.buffer, result, 7).set([n, t, triangles, across, mesh.hull.length, hull, vertex]);
  return { xy, result };
}
