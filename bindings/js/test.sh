#!/usr/bin/env bash
# The JavaScript package from scratch: builds the WebAssembly module, installs
# the test tools (npm ci: delaunator and playwright-core, test-only), runs
# the Node tests and the browser test, then packs the package, installs the
# tarball offline into a fresh folder and uses it there from Node and from
# the page in the browser. Screenshots and the tarball go under build/.
#
#   bash bindings/js/test.sh
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$root/build/js"

bash "$here/build.sh" "$build"
cd "$here"
npm ci --no-audit --no-fund
export DELAUNAY2D_REQUIRE_BROWSER=1
export DELAUNAY2D_SCREENSHOTS="$root/build/js-screenshots"
node --test test/*.test.js

# The packed package, installed with no registry, from Node and the page.
rm -rf "$build/pack" "$build/fresh"
mkdir -p "$build/pack" "$build/fresh"
tarball="$(npm pack --silent --pack-destination "$build/pack" | tail -n 1)"
# The tarball carries the licence (copied from the repository's by the
# prepack script) and says where the sources are.
tar -tzf "$build/pack/$tarball" | grep -x 'package/LICENSE' >/dev/null || { echo "FAILED: no LICENSE in $tarball" >&2; exit 1; }
cmp <(tar -xzOf "$build/pack/$tarball" package/LICENSE) "$root/LICENSE"
tar -xzOf "$build/pack/$tarball" package/package.json | node -e "
const p = JSON.parse(require('fs').readFileSync(0, 'utf8'));
if (!p.repository || !p.repository.url || p.repository.directory !== 'bindings/js') throw new Error('package.json: no repository');
"
cd "$build/fresh"
echo '{ "name": "fresh", "private": true, "type": "module" }' > package.json
npm install --offline --no-audit --no-fund "$build/pack/$tarball"
node --input-type=module -e "
import Delaunator, { triangulate, version } from 'delaunay2d';
const d = new Delaunator([0, 0, 1, 0, 0, 1, 1, 1, 0.5, 0.5]);
if (d.triangles.length !== 12 || d.hull.length !== 4) throw new Error('installed package: wrong mesh');
const t = triangulate([[0, 0], [2, 0], [0, 2]]);
if (t.locate([[0.5, 0.5]])[0] !== 0) throw new Error('installed package: locate');
console.log('installed delaunay2d ' + version + ' works from Node');
"
test -f node_modules/delaunay2d/index.d.ts
cd "$here"
DELAUNAY2D_PAGE_ROOT="$build/fresh/node_modules/delaunay2d" \
  DELAUNAY2D_SCREENSHOTS="$root/build/js-screenshots/installed" node --test test/browser.test.js
