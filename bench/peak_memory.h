// The process's resident memory as Linux reports it in /proc/self.
#ifndef DELAUNAY2D_BENCH_PEAK_MEMORY_H
#define DELAUNAY2D_BENCH_PEAK_MEMORY_H

namespace bench {

// Current resident set (VmRSS) in kB, or -1.
long resident_kb();

// Highest resident set since start or since the last reset (VmHWM) in kB, or -1.
long peak_resident_kb();

// Resets the high-water mark to the current resident set (writes "5" to
// /proc/self/clear_refs); false where the kernel does not allow it.
bool reset_peak_resident();

}  // namespace bench

#endif
