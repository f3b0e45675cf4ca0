// Refinement, regions and quality figures on the constrained call, checked
// from the coordinates returned: angles and areas in doubles, every input
// segment a chain of segment edges, the kept area, the exact
// constrained-Delaunay check; and the options' errors.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { memoryStats, triangulate } from '../index.js';
import { checkMesh } from './support/exact.js';

function corners(t, k) {
  return [0, 1, 2].map((i) => [t.coords[2 * t.triangles[3 * k + i]], t.coords[2 * t.triangles[3 * k + i] + 1]]);
}

function area(p) {
  return ((p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[1][1] - p[0][1]) * (p[2][0] - p[0][0])) / 2;
}

/** The three angles of a triangle in degrees, from the law of cosines. */
function angles(p) {
  return [0, 1, 2].map((i) => {
    const [a, b, c] = [p[i], p[(i + 1) % 3], p[(i + 2) % 3]];
    const u = [b[0] - a[0], b[1] - a[1]];
    const v = [c[0] - a[0], c[1] - a[1]];
    const cos = (u[0] * v[0] + u[1] * v[1]) / (Math.hypot(...u) * Math.hypot(...v));
    return Math.acos(Math.max(-1, Math.min(1, cos))) * 180 / Math.PI;
  });
}

/** Each input segment a -> b is a path of segment edges, each step forward along it. */
function assertChains(t, segments) {
  const links = new Map();
  for (let s = 0; s < t.segments.length; s += 2) {
    const [u, w] = [t.segments[s], t.segments[s + 1]];
    links.set(u, [...(links.get(u) ?? []), w]);
    links.set(w, [...(links.get(w) ?? []), u]);
  }
  const x = (v) => t.coords[2 * v];
  const y = (v) => t.coords[2 * v + 1];
  for (const [a, b] of segments) {
    const [dx, dy] = [x(b) - x(a), y(b) - y(a)];
    const length2 = dx * dx + dy * dy;
    const along = (v) => ((x(v) - x(a)) * dx + (y(v) - y(a)) * dy) / length2;
    const offLine = (v) => Math.abs((x(v) - x(a)) * dy - (y(v) - y(a)) * dx) / length2;
    let at = a;
    for (let steps = 0; at !== b; steps++) {
      assert.ok(steps <= t.segments.length / 2, `segment ${a}-${b} loops`);
      const ahead = (links.get(at) ?? []).filter((w) => offLine(w) < 1e-12 && along(w) > along(at));
      assert.ok(ahead.length > 0, `segment ${a}-${b} breaks off at ${at}`);
      at = ahead.reduce((best, w) => (along(w) < along(best) ? w : best));
    }
  }
}

function ring(n, radius, cx, cy, phase) {
  const out = [];
  for (let i = 0; i < n; i++) {
    const t = 2 * Math.PI * i / n;
    const r = radius * (1 + 0.15 * Math.sin(5 * t + phase));
    out.push([cx + r * Math.cos(t), cy + r * Math.sin(t)]);
  }
  return out;
}

function closed(first, n) {
  return Array.from({ length: n }, (_, i) => [first + i, first + (i + 1) % n]);
}

function shoelace(points) {
  let s = 0;
  for (let i = 0; i < points.length; i++) {
    const [p, q] = [points[i], points[(i + 1) % points.length]];
    s += p[0] * q[1] - p[1] * q[0];
  }
  return s / 2;
}

const refines = triangulate([[0, 0], [10, 0], [5, 0.2]], { minAngle: 20 }).quality.addedByRefinement > 0;
// The bounds hold only once the library refines; until then these tests are
// reported as skipped with this reason, never passed.
const needsRefinement = refines ? false : 'the library does not refine yet: no point is added';

test('refinement: angles and areas meet their bounds on a polygon with a hole', { skip: needsRefinement }, () => {
  const outer = ring(60, 10, 0, 0, 0.3);
  const hole = ring(16, 2, -4, 0.5, 1);
  const points = [...outer, ...hole];
  const segments = [...closed(0, 60), ...closed(60, 16)];
  for (const [minAngle, maxArea] of [[30, undefined], [20, 0.5], [33, undefined]]) {
    const t = triangulate(points, { segments, region: 'inside', minAngle, maxArea });
    const label = `minAngle ${minAngle}, maxArea ${maxArea}`;
    assert.deepEqual([...t.coords.subarray(0, 2 * points.length)], points.flat(), label);
    let kept = 0;
    let smallest = 180;
    for (let k = 0; k < t.triangles.length / 3; k++) {
      const p = corners(t, k);
      kept += area(p);
      smallest = Math.min(smallest, ...angles(p));
      if (maxArea !== undefined) assert.ok(area(p) <= maxArea * (1 + 1e-12), `${label}: triangle ${k} too large`);
    }
    assert.ok(smallest >= minAngle - 1e-9, `${label}: smallest angle ${smallest}`);
    assert.ok(Math.abs(t.quality.minAngle - smallest) < 1e-9, label);
    assert.equal(t.quality.unrefinedCount, 0, label);
    assert.equal(t.quality.addedByRefinement, t.addedCount, label);
    assert.ok(Math.abs(kept - (shoelace(outer) - shoelace(hole))) <= 1e-12 * kept, `${label}: kept area ${kept}`);
    assertChains(t, segments);
    const check = checkMesh(t, 1);
    assert.equal(check.counts.wrongTurns + check.counts.nonDelaunayEdges + check.counts.brokenLinks, 0,
      `${label}: ${check.problems.join('; ')}`);
  }
  const few = triangulate(points, { segments, region: 'inside', minAngle: 30, maxSteiner: 4 });
  assert.ok(few.quality.addedByRefinement <= 4 && few.quality.budgetReached);
});

test('regions give attributes; the figures describe the mesh; maxSteiner 0 adds nothing', () => {
  const points = [[0, 0], [4, 0], [4, 4], [0, 4], [1, 1], [3, 1], [3, 3], [1, 3.5]];
  const segments = [...closed(0, 4), ...closed(4, 4)];
  const t = triangulate(points, { segments, regions: [[0.5, 0.5, 7, 0], [2, 2, 3, 0]] });
  const histogram = new Array(18).fill(0);
  let smallest = 180;
  for (let k = 0; k < t.triangles.length / 3; k++) {
    const p = corners(t, k);
    const [cx, cy] = [(p[0][0] + p[1][0] + p[2][0]) / 3, (p[0][1] + p[1][1] + p[2][1]) / 3];
    const inner = cx > 1 && cx < 3 && cy > 1 && cy < 3;
    assert.equal(t.triangleAttributes[k], inner ? 3 : 7);
    for (const a of angles(p)) {
      histogram[Math.min(Math.floor(a / 10), 17)]++;
      smallest = Math.min(smallest, a);
    }
  }
  assert.deepEqual(t.quality.angleHistogram, histogram);
  assert.ok(Math.abs(t.quality.minAngle - smallest) < 1e-9);
  assert.equal(t.holeOnSegmentCount, 0);
  assert.deepEqual([...triangulate(points, { segments }).triangleAttributes], new Array(t.triangles.length / 3).fill(0));

  const none = triangulate(points, { segments, minAngle: 30, maxSteiner: 0 });
  assert.equal(none.coords.length, 2 * points.length);
  const below = Array.from({ length: none.triangles.length / 3 }, (_, k) => Math.min(...angles(corners(none, k))) < 30);
  assert.equal(none.quality.unrefinedCount, below.filter(Boolean).length);
  assert.ok(none.quality.unrefinedCount > 0 && none.quality.budgetReached);

  // A hole point on the diagonal segment removes nothing, and is counted.
  const square = triangulate([[0, 0], [1, 0], [1, 1], [0, 1]], { segments: [...closed(0, 4), [0, 2]], holes: [[0.5, 0.5]] });
  assert.equal(square.holeOnSegmentCount, 1);
  assert.equal(square.triangles.length, 6);
});

test('refinement options: bad values are RangeErrors, wrong types TypeErrors', () => {
  const points = [[0, 0], [1, 0], [0, 1]];
  for (const minAngle of [60, -1, NaN, Infinity]) assert.throws(() => triangulate(points, { minAngle }), RangeError);
  for (const maxArea of [0, -1, Infinity]) assert.throws(() => triangulate(points, { maxArea }), RangeError);
  for (const maxSteiner of [-1, 1.5, 2 ** 60]) assert.throws(() => triangulate(points, { maxSteiner }), RangeError);
  assert.throws(() => triangulate(points, { minAngle: '30' }), TypeError);
  assert.throws(() => triangulate(points, { conforming: 'yes' }), TypeError);
  assert.throws(() => triangulate(points, { regions: [0, 0, 1] }), RangeError);
  assert.throws(() => triangulate(points, { regions: [[0, NaN, 1, 0]] }), RangeError);
  assert.throws(() => triangulate(points, { regions: [[0, 0, 1]] }), TypeError);
  assert.equal(memoryStats().heapBytesInUse, 0);
});

test("the guide's example runs", async () => {
  const { readFile, writeFile, mkdtemp, rm } = await import('node:fs/promises');
  const { tmpdir } = await import('node:os');
  const path = await import('node:path');
  const guide = await readFile(new URL('../../../doc/javascript.md', import.meta.url), 'utf8');
  const section = guide.slice(guide.indexOf('## Quality meshes'), guide.indexOf('## Memory'));
  const block = /```js\n([\s\S]*?)```/.exec(section)[1];
  const folder = await mkdtemp(path.join(tmpdir(), 'delaunay2d-guide-'));
  const file = path.join(folder, 'example.mjs');
  const source = block.replace("from 'delaunay2d'", `from '${new URL('../index.js', import.meta.url)}'`);
  // Run in a node of its own: a dynamic import of a module that imports the
  // package this process is already running can leave node's module loader
  // waiting forever.
  await writeFile(file, `${source}\nconsole.log(JSON.stringify({ n: t.coords.length / 2, added: t.quality.addedByRefinement, attributes: Array.from(t.triangleAttributes) }));\n`);
  try {
    const { execFileSync } = await import('node:child_process');
    const printed = execFileSync(process.execPath, [file], { encoding: 'utf8', timeout: 60000 });
    const out = JSON.parse(printed.trim().split('\n').pop());
    assert.equal(out.n, 6 + out.added);
    assert.ok(out.attributes.every((a) => a === 1 || a === 2));
  } finally {
    await rm(folder, { recursive: true });
  }
});
