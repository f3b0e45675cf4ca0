// The WebAssembly module and the bytes it shares with JavaScript.
//
// The module is standalone: no generated loader, two imports (a note that
// memory grew, and the exit an abort ends in). It is fetched once at import
// (from the file beside this package in Node, over fetch in a browser) and
// instantiated here; a call that traps (out of memory) leaves the instance's
// heap in an unknown state, so the next call gets a fresh instance.

const wasmUrl = new URL('../delaunay2d.wasm', import.meta.url);

async function wasmBytes() {
  if (wasmUrl.protocol === 'file:') {
    // Node: fetch does not read file: URLs there.
    const { readFile } = await import('node:fs/promises');
    return readFile(wasmUrl);
  }
  const response = await fetch(wasmUrl);
  if (!response.ok) throw new Error(`delaunay2d: cannot load ${wasmUrl} (HTTP ${response.status})`);
  return response.arrayBuffer();
}

const compiled = await WebAssembly.compile(await wasmBytes());

class ModuleExit extends Error {}

function instantiate() {
  const imports = {
    env: { emscripten_notify_memory_growth() {} },
    wasi_snapshot_preview1: {
      proc_exit(code) {
        throw new ModuleExit(`the WebAssembly module stopped (exit ${code})`);
      },
    },
  };
  const instance = new WebAssembly.Instance(compiled, imports);
  instance.exports._initialize();
  return instance.exports;
}

let wasm = instantiate();

/** The exports of the live instance. */
export function exports() {
  return wasm;
}

/** Whether the module offers a call (operations arrive with the library). */
export function has(name) {
  return typeof wasm[name] === 'function';
}

// Typed views over the current memory; a grown memory has a new buffer, so
// every view is taken afresh after a call that may allocate.
export const u32 = () => new Uint32Array(wasm.memory.buffer);
export const i32 = () => new Int32Array(wasm.memory.buffer);
export const f64 = () => new Float64Array(wasm.memory.buffer);
export const u8 = () => new Uint8Array(wasm.memory.buffer);

/** malloc that throws instead of returning 0; the address as an unsigned number. */
export function allocate(bytes) {
  // The module's sizes are 32-bit: a larger request would wrap.
  if (!(bytes <= 0xffffffff)) throw new RangeError(`delaunay2d: out of WebAssembly memory (asked for ${bytes} bytes)`);
  const p = wasm.malloc(Math.max(bytes, 1)) >>> 0;
  if (p === 0) throw new RangeError(`delaunay2d: out of WebAssembly memory (asked for ${bytes} bytes)`);
  return p;
}

export function release(p) {
  if (p) wasm.free(p);
}

/** Copies a typed array into a new block; returns its address. */
export function copyIn(array) {
  const p = allocate(array.byteLength);
  new Uint8Array(wasm.memory.buffer, p, array.byteLength).set(
    new Uint8Array(array.buffer, array.byteOffset, array.byteLength));
  return p;
}

/** A copy of count elements of type Type at address p. */
export function copyOut(Type, p, count) {
  return new Type(wasm.memory.buffer, p, count).slice();
}

/**
 * Runs body with a list that collects the blocks it allocates, and frees
 * them all however it ends. A trap inside the module is reported as a
 * RangeError (out of memory, the only way a checked call fails) and the
 * instance is replaced.
 */
export function withBlocks(body) {
  const blocks = [];
  const keep = (p) => (blocks.push(p), p);
  try {
    return body(keep);
  } catch (error) {
    if (error instanceof WebAssembly.RuntimeError || error instanceof ModuleExit) {
      blocks.length = 0;  // gone with the instance
      wasm = instantiate();
      throw new RangeError(`delaunay2d: the call ran out of WebAssembly memory (${error.message})`, { cause: error });
    }
    throw error;
  } finally {
    for (const p of blocks) release(p);
  }
}

/** Throws for a status other than DELAUNAY2D_OK. */
export function check(status, call) {
  if (status === 0) return;
  const message = readString(wasm.delaunay2d_status_message(status) >>> 0);
  const Type = status === 1 ? TypeError : RangeError;
  throw new Type(`delaunay2d: ${call}: ${message}`);
}

export function readString(p) {
  const bytes = new Uint8Array(wasm.memory.buffer);
  let end = p;
  while (bytes[end] !== 0) end++;
  return new TextDecoder().decode(bytes.subarray(p, end));
}

/** Heap bytes in use and the size of the WebAssembly memory, for leak checks. */
export function memoryStats() {
  return { heapBytesInUse: wasm.d2d_js_heap_in_use() >>> 0, memoryBytes: wasm.memory.buffer.byteLength };
}
