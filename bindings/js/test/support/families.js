// The families of test points, as flat Float64Arrays, from a seeded
// generator (the same points on every run and every machine).

/** A generator of doubles in [0, 1) (splitmix64 on BigInt would be slow; this is mulberry32, twice). */
export function random(seed) {
  let s = seed >>> 0;
  const next32 = () => {
    s = (s + 0x6d2b79f5) >>> 0;
    let t = s;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return (t ^ (t >>> 14)) >>> 0;
  };
  return () => (next32() * 2 ** 21 + (next32() >>> 11)) / 2 ** 53;
}

function shuffle(coords, rnd) {
  const n = coords.length / 2;
  for (let i = n - 1; i > 0; i--) {
    const j = Math.floor(rnd() * (i + 1));
    [coords[2 * i], coords[2 * j]] = [coords[2 * j], coords[2 * i]];
    [coords[2 * i + 1], coords[2 * j + 1]] = [coords[2 * j + 1], coords[2 * i + 1]];
  }
  return coords;
}

export function uniform(n, seed, low = 0, high = 1) {
  const rnd = random(seed);
  const c = new Float64Array(2 * n);
  for (let i = 0; i < 2 * n; i++) c[i] = low + (high - low) * rnd();
  return c;
}

/** Gaussian clusters of about 500 points each. */
export function clusters(n, seed) {
  const rnd = random(seed);
  const k = 1 + Math.floor(n / 500);
  const centres = Array.from({ length: k }, () => [rnd(), rnd(), 1e-3 + 0.02 * rnd()]);
  const gauss = () => Math.sqrt(-2 * Math.log(1 - rnd())) * Math.cos(2 * Math.PI * rnd());
  const c = new Float64Array(2 * n);
  for (let i = 0; i < n; i++) {
    const [cx, cy, s] = centres[i % k];
    c[2 * i] = cx + s * gauss();
    c[2 * i + 1] = cy + s * gauss();
  }
  return c;
}

/** The k x k integer grid, shuffled; with jitter, each coordinate moved by up to +-jitter. */
export function grid(k, seed, jitter = 0) {
  const rnd = random(seed);
  const c = new Float64Array(2 * k * k);
  for (let i = 0; i < k; i++) {
    for (let j = 0; j < k; j++) {
      c[2 * (i * k + j)] = i + (jitter ? jitter * (2 * rnd() - 1) : 0);
      c[2 * (i * k + j) + 1] = j + (jitter ? jitter * (2 * rnd() - 1) : 0);
    }
  }
  return shuffle(c, rnd);
}

export function rotatedGrid(k, angle) {
  const c = new Float64Array(2 * k * k);
  const cos = Math.cos(angle), sin = Math.sin(angle);
  for (let i = 0; i < k; i++) {
    for (let j = 0; j < k; j++) {
      c[2 * (i * k + j)] = cos * i - sin * j;
      c[2 * (i * k + j) + 1] = sin * i + cos * j;
    }
  }
  return c;
}

/** n points on a circle (rounded coordinates: nearly, not exactly, cocircular). */
export function circle(n, radius = 1, cx = 0, cy = 0) {
  const c = new Float64Array(2 * n);
  for (let i = 0; i < n; i++) {
    const t = (2 * Math.PI * i) / n;
    c[2 * i] = cx + radius * Math.cos(t);
    c[2 * i + 1] = cy + radius * Math.sin(t);
  }
  return c;
}

/** Every integer point on x^2 + y^2 = 1105^2: exactly cocircular. */
export function latticeCircle() {
  const r = 1105;
  const out = [];
  for (let x = -r; x <= r; x++) {
    const y = Math.round(Math.sqrt(r * r - x * x));
    if (x * x + y * y !== r * r) continue;
    out.push(x, y);
    if (y !== 0) out.push(x, -y);
  }
  return Float64Array.from(out);
}

export function transformed(coords, scale, offset) {
  return coords.map((v) => v * scale + offset);
}

/** Points with coordinates from the smallest subnormal to near the largest double. */
export function mixedMagnitudes(n, seed) {
  const rnd = random(seed);
  const c = new Float64Array(2 * n);
  for (let i = 0; i < 2 * n; i++) {
    const exponent = -1074 + Math.floor(rnd() * 2095);
    const v = (1 + rnd()) * 2 ** Math.min(exponent, 1020);
    c[i] = rnd() < 0.5 ? -v : v;
  }
  return c;
}

/** n points on a small lattice of side `side`, so with repeats, collinear and cocircular points everywhere. */
export function smallLattice(n, side, seed) {
  const rnd = random(seed);
  return Float64Array.from({ length: 2 * n }, () => Math.floor(rnd() * side));
}

/** Every family of the property suite, with a name each: [name, coords]. */
export function* everyFamily() {
  for (const n of [3, 4, 5, 6, 7, 8, 9, 10, 13, 17, 31, 64, 100, 257, 1000, 5000]) {
    for (let seed = 1; seed <= 3; seed++) {
      yield [`uniform ${n}/${seed}`, uniform(n, seed)];
      yield [`clusters ${n}/${seed}`, clusters(n, seed)];
    }
  }
  for (const k of [2, 3, 4, 5, 8, 13, 40]) yield [`grid ${k}`, grid(k, k)];
  yield ['grid 100 with tiny jitter', grid(100, 7, 1e-9)];
  yield ['rotated grid', rotatedGrid(30, 0.3)];
  yield ['circle', circle(1000, 1, 0.25, -3)];
  yield ['lattice circle', latticeCircle()];
  yield ['tiny', transformed(uniform(2000, 9), 1e-200, 1e-190)];
  yield ['huge', transformed(uniform(2000, 9), 1e200, -3e200)];
  for (const n of [4, 9, 40, 300]) yield [`mixed magnitudes ${n}`, mixedMagnitudes(n, n)];
  const d = 2 ** -1074;
  yield ['subnormal step', Float64Array.of(0, 0, d, 0, 0, 1)];
  for (let round = 0; round < 60; round++) {
    yield [`small lattice ${round}`, smallLattice(3 + ((round * 37) % 200), 2 + (round % 12), round + 1)];
  }
  yield ['large uniform', uniform(100000, 5)];
  yield ['large clusters', clusters(100000, 5)];
}
