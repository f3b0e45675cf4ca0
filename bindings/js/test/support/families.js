// Generated points at any size for the tests and the benchmark, as flat
// Float64Arrays, from a seeded generator (the same points on every run and
// every machine). The fixed
// inputs that caught faults (grids, lattices, circles, collinear, repeated,
// non-finite, subnormal and huge points) are the files of tests/fixtures,
// read by fixtures.js.

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

/** The generated families at every size, with a name each: [name, coords]. */
export function* everySize() {
  for (const n of [3, 4, 5, 6, 7, 8, 9, 10, 13, 17, 31, 64, 100, 257, 1000, 5000]) {
    for (let seed = 1; seed <= 3; seed++) {
      yield [`uniform ${n}/${seed}`, uniform(n, seed)];
      yield [`clusters ${n}/${seed}`, clusters(n, seed)];
    }
  }
  yield ['large uniform', uniform(100000, 5)];
  yield ['large clusters', clusters(100000, 5)];
}
