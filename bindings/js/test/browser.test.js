// The demonstration page in a real browser: Debian's Chromium, headless,
// driven by playwright-core. The page is served from a small static server
// on 127.0.0.1 (the package folder, or DELAUNAY2D_PAGE_ROOT: an installed
// package); the test clicks, drags, draws a constraint, drops a file and
// generates 10^5 points, and reads back what is drawn: the counts the page
// exposes and the colours of pixels where the mesh must be. Screenshots go
// to DELAUNAY2D_SCREENSHOTS (default build/js-screenshots at the top of the
// repository).
import assert from 'node:assert/strict';
import { existsSync } from 'node:fs';
import { mkdir, mkdtemp, readFile, rm } from 'node:fs/promises';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize, resolve } from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

const here = fileURLToPath(new URL('.', import.meta.url));
const root = resolve(process.env.DELAUNAY2D_PAGE_ROOT ?? join(here, '..'));
const screenshots = resolve(process.env.DELAUNAY2D_SCREENSHOTS ?? join(here, '../../../build/js-screenshots'));
const browserPath = process.env.CHROMIUM ?? '/usr/bin/chromium';
const required = process.env.DELAUNAY2D_REQUIRE_BROWSER === '1';

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.json': 'application/json' };

function serve(folder) {
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = join(folder, path);
    if (!file.startsWith(folder)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = await readFile(file);
      response.writeHead(200, { 'content-type': TYPES[extname(file)] ?? 'application/octet-stream' }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((done) => server.listen(0, '127.0.0.1', () => done(server)));
}

// Whether a pixel around (x, y) is of a kind: 'mesh' (blue), 'constraint'
// (red) or 'voronoi' (orange); lines are antialiased, so kinds are ranges.
const KINDS = {
  mesh: ([r, g, b]) => b > r + 60 && b > g + 20,
  constraint: ([r, g, b]) => r > 150 && g < 100 && b < 100,
  voronoi: ([r, g, b]) => r > 180 && g > 70 && g < 200 && b < 120,
};

async function drawnNear(page, x, y, kind) {
  const pixels = await page.evaluate(([x, y]) => {
    const data = document.getElementById('canvas').getContext('2d').getImageData(x - 2, y - 2, 5, 5).data;
    const out = [];
    for (let i = 0; i < data.length; i += 4) out.push([data[i], data[i + 1], data[i + 2]]);
    return out;
  }, [x, y]);
  return pixels.some(KINDS[kind]);
}

const skip = !existsSync(browserPath) && !required ? `no browser at ${browserPath}` : false;

test('the page in headless Chromium', { skip, timeout: 120000 }, async () => {
  const { chromium } = await import('playwright-core');
  const server = await serve(root);
  const profile = await mkdtemp(join(tmpdir(), 'delaunay2d-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: browserPath,
    headless: true,
    viewport: { width: 1000, height: 760 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    await page.goto(`http://127.0.0.1:${server.address().port}/demo/index.html`);
    await page.waitForSelector('#status[data-ready="true"]');
    const state = () => page.evaluate(() => JSON.parse(JSON.stringify(window.demo)));
    const canvas = await page.locator('#canvas').boundingBox();
    const click = (x, y) => page.mouse.click(canvas.x + x, canvas.y + y);
    const shiftClick = async (x, y) => {
      await page.keyboard.down('Shift');
      await click(x, y);
      await page.keyboard.up('Shift');
    };

    // The page opens with its small example drawn, which "clear" removes.
    let s = await state();
    assert.equal(s.pointCount, 60);
    assert.equal(s.segmentCount, 1);
    assert.ok(s.triangleCount > 60, 'the example is triangulated');
    // Its constraint, from point 42 to point 59 of the spiral (across the middle), drawn at its middle.
    const spiral = (i) => {
      const r = ((600 / 2 - 20) / Math.sqrt(60)) * Math.sqrt(i + 0.5);
      const t = i * Math.PI * (3 - Math.sqrt(5));
      return [450 + r * Math.cos(t), 300 + r * Math.sin(t)];
    };
    const [[ax, ay], [bx, by]] = [spiral(42), spiral(59)];
    assert.ok(await drawnNear(page, Math.round((ax + bx) / 2), Math.round((ay + by) / 2), 'constraint'), 'the example is drawn');
    await mkdir(screenshots, { recursive: true });
    await page.screenshot({ path: join(screenshots, 'opening.png') });
    await page.click('#clear');
    assert.equal((await state()).pointCount, 0);

    // Three clicks: one triangle, its edges drawn in the mesh's colour.
    await click(100, 100);
    await click(500, 120);
    await click(300, 450);
    s = await state();
    assert.equal(s.pointCount, 3);
    assert.equal(s.triangleCount, 1);
    assert.ok(await drawnNear(page, 200, 105, 'mesh'), 'edge (100,100)-(500,120) is drawn');
    assert.ok(await drawnNear(page, 300, 110, 'mesh'));
    assert.ok(!(await drawnNear(page, 700, 500, 'mesh')), 'nothing of the mesh far outside');
    const voronoi = s.error === null;
    if (voronoi) {
      assert.equal(s.cellCount, 3);
      assert.ok(await drawnNear(page, 304, 20, 'voronoi'), 'the ridge between the first two points');
    }

    // A fourth point, dragged: the mesh follows it.
    await click(700, 300);
    assert.equal((await state()).triangleCount, 2);
    await page.mouse.move(canvas.x + 700, canvas.y + 300);
    await page.mouse.down();
    await page.mouse.move(canvas.x + 650, canvas.y + 500, { steps: 5 });
    await page.mouse.up();
    s = await state();
    assert.equal(s.pointCount, 4);
    assert.ok(await drawnNear(page, 475, 475, 'mesh'), 'edge to the dragged point (300,450)-(650,500)');

    // A constraint between two points, drawn over the mesh.
    await shiftClick(100, 100);
    await shiftClick(650, 500);
    s = await state();
    assert.equal(s.segmentCount, 1);
    assert.ok(await drawnNear(page, 375, 300, 'constraint'), 'the constraint is drawn');
    if (s.error === null) {
      // The constrained mesh takes the segment as its diagonal instead of
      // (500,120)-(300,450).
      assert.ok(!(await drawnNear(page, 400, 285, 'mesh')), 'the Delaunay diagonal gave way to the constraint');
    }
    await mkdir(screenshots, { recursive: true });
    await page.screenshot({ path: join(screenshots, 'clicks.png') });

    // A dropped file of points (y up in the file).
    await page.evaluate(() => {
      const text = '# x y\n0 0\n10 0\n10 10\n0 10\n5 5\n2 7\n';
      const transfer = new DataTransfer();
      transfer.items.add(new File([text], 'points.txt', { type: 'text/plain' }));
      document.getElementById('canvas').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true }));
    });
    await page.waitForFunction(() => window.demo.pointCount === 6);
    s = await state();
    assert.equal(s.triangleCount, 2 * 6 - 2 - 4);
    if (voronoi) assert.equal(s.cellCount, 6);

    // A generated family of 10^5 points, timed.
    await page.selectOption('#family', 'uniform');
    await page.fill('#count', '100000');
    await page.click('#generate');
    await page.waitForFunction(() => window.demo.pointCount === 100000, null, { timeout: 60000 });
    s = await state();
    assert.ok(s.triangleCount > 199000 && s.triangleCount < 200000, `${s.triangleCount} triangles`);
    assert.ok(s.times.triangulate > 0 && s.times.draw > 0);
    if (voronoi) assert.equal(s.cellCount, 100000);
    assert.match(await page.textContent('#status'), /triangulate \d+\.\d ms/);
    await page.screenshot({ path: join(screenshots, 'uniform-100000.png') });
    assert.deepEqual(errors, []);
  } finally {
    await context.close();
    server.close();
    await rm(profile, { recursive: true, force: true });
  }
});
