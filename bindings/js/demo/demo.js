// The demonstration page: points from clicks, drags, a dropped file or a
// generated family, triangulated exactly at every change, with the
// Voronoi cells and the constraints drawn over the mesh and the time of
// each call shown. window.demo exposes what is drawn, for the browser test.
import Delaunator from '../index.js';

const canvas = document.getElementById('canvas');
const context = canvas.getContext('2d');
const statusLine = document.getElementById('status');
const $ = (id) => document.getElementById(id);
const W = canvas.width;
const H = canvas.height;
const MARGIN = 20;

export const COLOURS = {
  background: '#ffffff',
  triangles: '#1f5fbf',
  voronoi: '#e08000',
  constraints: '#d00000',
  points: '#000000',
};

let points = [];        // x0, y0, x1, y1, ... in canvas pixels (y down)
let segments = [];      // [i, j] constraints between points
let segmentStart = -1;  // first end of a constraint being drawn
let mesh = null;
let cells = null;
const state = { pointCount: 0, triangleCount: 0, cellCount: 0, segmentCount: 0, times: {}, error: null };
window.demo = state;

function recompute() {
  state.error = null;
  state.times = {};
  const coords = Float64Array.from(points);
  const useConstraints = $('show-constraints').checked && segments.length > 0;
  let start = performance.now();
  try {
    mesh = new Delaunator(coords, useConstraints ? { segments } : undefined);
  } catch (error) {
    mesh = new Delaunator(coords);
    state.error = `constraints: ${error.message}`;
  }
  state.times.triangulate = performance.now() - start;
  cells = null;
  if ($('show-voronoi').checked && points.length >= 2) {
    start = performance.now();
    try {
      // The cells of the points are those of their Delaunay triangulation,
      // whatever the constraints.
      const delaunay = useConstraints ? new Delaunator(coords) : mesh;
      cells = delaunay.voronoi([0, 0, W, H]);
      state.times.voronoi = performance.now() - start;
    } catch (error) {
      state.error = `Voronoi: ${error.message}`;
    }
  }
  draw();
}

// Separate line segments, stroked a few thousand at a time: one path of
// hundreds of thousands of pieces is far slower to stroke than many small
// ones, above all without a GPU.
function strokes(colour, width) {
  let pieces = 0;
  context.strokeStyle = colour;
  context.lineWidth = width;
  context.beginPath();
  return {
    add(x0, y0, x1, y1) {
      context.moveTo(x0, y0);
      context.lineTo(x1, y1);
      if (++pieces % 4096 === 0) {
        context.stroke();
        context.beginPath();
      }
    },
    done() {
      context.stroke();
    },
  };
}

function draw() {
  const start = performance.now();
  context.fillStyle = COLOURS.background;
  context.fillRect(0, 0, W, H);
  const xy = mesh ? mesh.coords : Float64Array.from(points);
  if (cells) {
    const { offsets, vertices } = cells;
    let count = 0;
    const lines = strokes(COLOURS.voronoi, 1);
    for (let i = 0; i + 1 < offsets.length; i++) {
      const first = offsets[i];
      const last = offsets[i + 1];
      if (first === last) continue;
      count++;
      for (let k = first; k < last; k++) {
        const next = k + 1 < last ? k + 1 : first;
        lines.add(vertices[2 * k], vertices[2 * k + 1], vertices[2 * next], vertices[2 * next + 1]);
      }
    }
    lines.done();
    state.cellCount = count;
  } else {
    state.cellCount = 0;
  }
  if (mesh && $('show-triangles').checked) {
    const { triangles, halfedges } = mesh;
    const lines = strokes(COLOURS.triangles, 1);
    for (let e = 0; e < triangles.length; e++) {
      if (halfedges[e] > e) continue;  // each edge once
      const a = triangles[e];
      const b = triangles[e % 3 === 2 ? e - 2 : e + 1];
      lines.add(xy[2 * a], xy[2 * a + 1], xy[2 * b], xy[2 * b + 1]);
    }
    lines.done();
  }
  if ($('show-constraints').checked && segments.length > 0) {
    context.strokeStyle = COLOURS.constraints;
    context.lineWidth = 3;
    context.beginPath();
    for (const [i, j] of segments) {
      context.moveTo(points[2 * i], points[2 * i + 1]);
      context.lineTo(points[2 * j], points[2 * j + 1]);
    }
    context.stroke();
  }
  context.fillStyle = COLOURS.points;
  const n = points.length / 2;
  const r = n > 5000 ? 0.5 : 3;
  for (let i = 0; i < n; i++) {
    if (n > 5000) context.fillRect(points[2 * i], points[2 * i + 1], 1, 1);
    else {
      context.beginPath();
      context.arc(points[2 * i], points[2 * i + 1], i === segmentStart ? 2 * r : r, 0, 2 * Math.PI);
      context.fill();
    }
  }
  state.times.draw = performance.now() - start;
  state.pointCount = n;
  state.triangleCount = mesh ? mesh.triangles.length / 3 : 0;
  state.segmentCount = segments.length;
  showStatus();
}

function showStatus() {
  const t = state.times;
  const ms = (v) => (v === undefined ? '-' : `${v.toFixed(1)} ms`);
  statusLine.textContent =
    `${state.pointCount} points, ${state.triangleCount} triangles, ${state.cellCount} cells, ${state.segmentCount} constraints\n` +
    `triangulate ${ms(t.triangulate)} · Voronoi cells ${ms(t.voronoi)} · draw ${ms(t.draw)}` +
    (state.error ? `\n${state.error}` : '');
  statusLine.dataset.points = state.pointCount;
  statusLine.dataset.triangles = state.triangleCount;
  statusLine.dataset.cells = state.cellCount;
  statusLine.dataset.ready = 'true';
}

// ---------------------------------------------------------------- input

function nearestPoint(x, y, within) {
  let best = -1;
  let bestDistance = within * within;
  for (let i = 0; i < points.length; i += 2) {
    const d = (points[i] - x) ** 2 + (points[i + 1] - y) ** 2;
    if (d <= bestDistance) {
      best = i / 2;
      bestDistance = d;
    }
  }
  return best;
}

function canvasPosition(event) {
  const box = canvas.getBoundingClientRect();
  return [event.clientX - box.left, event.clientY - box.top];
}

let dragged = -1;
let moved = false;
let pending = false;

canvas.addEventListener('mousedown', (event) => {
  const [x, y] = canvasPosition(event);
  const hit = nearestPoint(x, y, 6);
  if (event.shiftKey) {
    if (hit < 0) return;
    if (segmentStart < 0) segmentStart = hit;
    else {
      if (hit !== segmentStart) segments.push([segmentStart, hit]);
      segmentStart = -1;
    }
    recompute();
    return;
  }
  if (hit >= 0) {
    dragged = hit;
    moved = false;
    return;
  }
  points.push(x, y);
  recompute();
});

canvas.addEventListener('mousemove', (event) => {
  if (dragged < 0) return;
  const [x, y] = canvasPosition(event);
  points[2 * dragged] = x;
  points[2 * dragged + 1] = y;
  moved = true;
  if (!pending) {
    pending = true;
    requestAnimationFrame(() => {
      pending = false;
      recompute();
    });
  }
});

window.addEventListener('mouseup', () => {
  if (dragged >= 0 && moved) recompute();
  dragged = -1;
});

/** Points from the text of a file: JSON ([[x, y], ...] or flat), or two numbers per line. */
export function parsePoints(text) {
  const trimmed = text.trim();
  if (trimmed.startsWith('[')) {
    const data = JSON.parse(trimmed);
    return typeof data[0] === 'number' ? data : data.flatMap((p) => [Number(p[0]), Number(p[1])]);
  }
  const out = [];
  for (const line of trimmed.split(/\r?\n/)) {
    const [x, y] = line.trim().split(/[\s,;]+/).map(Number);
    if (Number.isFinite(x) && Number.isFinite(y)) out.push(x, y);
  }
  return out;
}

/** Scales points uniformly into the canvas, keeping the margin. */
function fitted(coords) {
  let [x0, y0, x1, y1] = [Infinity, Infinity, -Infinity, -Infinity];
  for (let i = 0; i < coords.length; i += 2) {
    x0 = Math.min(x0, coords[i]); x1 = Math.max(x1, coords[i]);
    y0 = Math.min(y0, coords[i + 1]); y1 = Math.max(y1, coords[i + 1]);
  }
  const scale = Math.min((W - 2 * MARGIN) / (x1 - x0 || 1), (H - 2 * MARGIN) / (y1 - y0 || 1));
  // y up in the file, y down on the page.
  return coords.map((v, i) => (i % 2 === 0 ? MARGIN + (v - x0) * scale : H - MARGIN - (v - y0) * scale));
}

canvas.addEventListener('dragover', (event) => {
  event.preventDefault();
  canvas.classList.add('dropping');
});
canvas.addEventListener('dragleave', () => canvas.classList.remove('dropping'));
canvas.addEventListener('drop', async (event) => {
  event.preventDefault();
  canvas.classList.remove('dropping');
  const file = event.dataTransfer.files[0];
  if (!file) return;
  try {
    points = fitted(parsePoints(await file.text()));
    segments = [];
    segmentStart = -1;
    recompute();
  } catch (error) {
    state.error = `${file.name}: ${error.message}`;
    showStatus();
  }
});

// ------------------------------------------------------------- families

export function generate(family, n) {
  const out = new Array(2 * n);
  const w = W - 2 * MARGIN;
  const h = H - 2 * MARGIN;
  if (family === 'circle') {
    const r = Math.min(w, h) / 2;
    for (let i = 0; i < n; i++) {
      const t = (2 * Math.PI * i) / n;
      out[2 * i] = W / 2 + r * Math.cos(t);
      out[2 * i + 1] = H / 2 + r * Math.sin(t);
    }
  } else if (family === 'grid') {
    const k = Math.max(2, Math.round(Math.sqrt(n)));
    out.length = 2 * k * k;
    for (let i = 0; i < k; i++) {
      for (let j = 0; j < k; j++) {
        out[2 * (i * k + j)] = MARGIN + (w * i) / (k - 1);
        out[2 * (i * k + j) + 1] = MARGIN + (h * j) / (k - 1);
      }
    }
  } else {
    for (let i = 0; i < n; i++) {
      out[2 * i] = MARGIN + w * Math.random();
      out[2 * i + 1] = MARGIN + h * Math.random();
    }
  }
  return out;
}

$('generate').addEventListener('click', () => {
  points = generate($('family').value, Math.max(3, Number($('count').value) || 3));
  segments = [];
  segmentStart = -1;
  recompute();
});
$('clear').addEventListener('click', () => {
  points = [];
  segments = [];
  segmentStart = -1;
  recompute();
});
for (const id of ['show-triangles', 'show-voronoi', 'show-constraints']) $(id).addEventListener('change', recompute);

// The page opens with a small example drawn: 60 points on a sunflower
// spiral (each a golden angle round from the last, so none repeat and the
// mesh is the same on every load) and one constraint across it.
export function example() {
  const n = 60;
  const out = new Array(2 * n);
  const r = (Math.min(W, H) / 2 - MARGIN) / Math.sqrt(n);
  for (let i = 0; i < n; i++) {
    const t = i * Math.PI * (3 - Math.sqrt(5));
    out[2 * i] = W / 2 + r * Math.sqrt(i + 0.5) * Math.cos(t);
    out[2 * i + 1] = H / 2 + r * Math.sqrt(i + 0.5) * Math.sin(t);
  }
  return out;
}
points = example();
segments = [[42, 59]];
recompute();
