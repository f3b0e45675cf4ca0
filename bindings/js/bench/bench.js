// delaunay2d (WebAssembly) against delaunator, each case in its own process:
//   node bench/bench.js [points...]        (default: 100000 1000000)
// Prints a Markdown table: the best time of three whole calls per case, and
// the wrong meshes the exact check finds (non-Delaunay edges, triangles
// turned the wrong way, broken links, points left out of the mesh).
import { spawnSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';

const sizes = process.argv.length > 2 ? process.argv.slice(2).map(Number) : [100000, 1000000];
const families = ['uniform', 'clusters', 'grid-jitter', 'circle'];
const libraries = ['delaunay2d', 'delaunator'];
const script = fileURLToPath(new URL('./case.js', import.meta.url));
const timeoutSeconds = Number(process.env.BENCH_TIMEOUT ?? 600);

function run(library, family, n) {
  const child = spawnSync(process.execPath, ['--max-old-space-size=8192', script, library, family, String(n)], {
    encoding: 'utf8', timeout: timeoutSeconds * 1000,
  });
  if (child.status !== 0) return { failed: child.error ? `no answer in ${timeoutSeconds} s` : child.stderr.trim().split('\n').pop() };
  return JSON.parse(child.stdout.trim().split('\n').pop());
}

const wrong = (r) => {
  if (r.failed) return r.failed;
  const parts = [];
  if (r.nonDelaunayEdges) parts.push(`${r.nonDelaunayEdges} non-Delaunay edges`);
  if (r.wrongTurns) parts.push(`${r.wrongTurns} inverted triangles`);
  if (r.brokenLinks) parts.push(`${r.brokenLinks} broken links`);
  if (r.missingPoints) parts.push(`${r.missingPoints} points or triangles missing`);
  if (r.badHull) parts.push(`${r.badHull} hull faults`);
  return parts.length ? parts.join(', ') : 'exact';
};
const ms = (r) => (r.failed ? '-' : Math.min(...r.times).toFixed(0));

console.log(`node ${process.version}, ${new Date().toISOString()}`);
console.log('| family | points | delaunay2d ms | delaunator ms | speed-up | delaunay2d mesh | delaunator mesh |');
console.log('|---|---:|---:|---:|---:|---|---|');
for (const n of sizes) {
  for (const family of families) {
    const [ours, theirs] = libraries.map((library) => run(library, family, n));
    const speedup = ours.failed || theirs.failed ? '-' : `${(Math.min(...theirs.times) / Math.min(...ours.times)).toFixed(1)}x`;
    console.log(`| ${family} | ${n} | ${ms(ours)} | ${ms(theirs)} | ${speedup} | ${wrong(ours)} | ${wrong(theirs)} |`);
  }
}
