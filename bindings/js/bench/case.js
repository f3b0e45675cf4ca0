// One benchmark case in its own process:
//   node bench/case.js <delaunay2d|delaunator> <family> <points> [repeats]
// Prints one JSON line: the times of each whole call (points in, arrays
// out, copies into and out of WebAssembly memory included) and what the
// exact check found wrong in the mesh.
import { performance } from 'node:perf_hooks';

import { checkMesh } from '../test/support/exact.js';
import { circle, clusters, grid, uniform } from '../test/support/families.js';

const [library, family, count, repeats = '3'] = process.argv.slice(2);
const n = Number(count);
const families = {
  uniform: () => uniform(n, 1),
  clusters: () => clusters(n, 1),
  // A grid as a scanner or a raster gives it: near-integer points moved by
  // a tiny jitter, nearly cocircular four at a time.
  'grid-jitter': () => grid(Math.round(Math.sqrt(n)), 1, 1e-9),
  circle: () => circle(n, 1),
};
const coords = families[family]();
const Triangulator = library === 'delaunator'
  ? (await import('delaunator')).default
  : (await import('../index.js')).default;

const times = [];
let mesh;
for (let r = 0; r < Number(repeats); r++) {
  const start = performance.now();
  mesh = new Triangulator(coords);
  times.push(performance.now() - start);
}
const check = checkMesh({ coords, triangles: mesh.triangles, halfedges: mesh.halfedges, hull: mesh.hull }, -1);
console.log(JSON.stringify({ library, family, n: coords.length / 2, times, triangles: mesh.triangles.length / 3, ...check.counts }));
