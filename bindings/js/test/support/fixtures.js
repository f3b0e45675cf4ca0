// The named inputs of the repository's tests/fixtures/ (one per fault
// found), shared with the C++ and Python tests: "x,y" per line, "#" starts a
// comment. They are read from the repository, not shipped in the package;
// DELAUNAY2D_FIXTURES names another folder.
import { readdirSync, readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

export const fixturesFolder =
  process.env.DELAUNAY2D_FIXTURES || resolve(fileURLToPath(new URL('.', import.meta.url)), '../../../../tests/fixtures');

/** The points of one fixture file as a flat Float64Array [x0, y0, x1, y1, ...]. */
export function readFixture(path) {
  const out = [];
  readFileSync(path, 'utf8').split(/\r?\n/).forEach((line, i) => {
    if (line.trim() === '' || line.startsWith('#')) return;
    const fields = line.split(',');
    // Number('') is 0 and Number('junk') NaN: only the spelled-out NaN is one.
    const values = fields.map((f) => (f.trim() === '' ? NaN : Number(f)));
    if (fields.length !== 2 || values.some((v, k) => Number.isNaN(v) && fields[k].trim() !== 'NaN')) {
      throw new Error(`${path}:${i + 1}: not x,y: ${line}`);
    }
    out.push(...values);
  });
  return Float64Array.from(out);
}

/** Every fixture at the top level of the folder, by name: [name, coords]. */
export function* everyFixture() {
  const names = readdirSync(fixturesFolder, { withFileTypes: true })
    .filter((entry) => entry.isFile() && entry.name.endsWith('.csv'))
    .map((entry) => entry.name)
    .sort();
  if (names.length < 30) throw new Error(`only ${names.length} fixtures in ${fixturesFolder}`);
  for (const name of names) yield [name.slice(0, -'.csv'.length), readFixture(join(fixturesFolder, name))];
}
