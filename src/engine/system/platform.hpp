// The switches that set a platform apart, each decided once from what the
// compiler says it builds for, and named for what it means to the library.
// Code tests the named switch, never the compiler's own macro.
//
// D2D_HEAP_ONLY   memory comes from the C heap alone: no pages to map,
//                 reserve or give back. WebAssembly has one linear memory
//                 that only grows, and its engine backs a page only when it
//                 is first touched.
// D2D_NO_THREADS  no thread can be started: every pair of pieces runs one
//                 after the other on the calling thread, and the process
//                 counts one core. The WebAssembly build (the JavaScript
//                 package) starts no threads.
#ifndef DELAUNAY2D_ENGINE_SYSTEM_PLATFORM_HPP
#define DELAUNAY2D_ENGINE_SYSTEM_PLATFORM_HPP

#if defined(__wasm__)
#define D2D_HEAP_ONLY 1
#define D2D_NO_THREADS 1
#endif

#endif
