// Large inputs are triangulated on two threads, which pass parts of their
// halves to each other: neither the mesh nor the trace may show it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>

#include "delaunay2d.h"
#include "common/stdout_redirect.hpp"
#include "engine/system/parallel_pair.hpp"
#include "engine/system/reserved_block.hpp"
#include "engine/merge/records.hpp"
#include "traced/4_triangulate/triangulate.hpp"
#include "support/mesh_checker.hpp"
#include "support/mesh_records.hpp"
#include "support/trace_lines.hpp"

namespace {

using Points = std::vector<Point3D>;

// Sets DELAUNAY2D_THREADS for the lifetime of the object.
class ThreadSetting {
public:
    explicit ThreadSetting(const char* value) {
        const char* old = std::getenv("DELAUNAY2D_THREADS");
        had_value_ = old != nullptr;
        if (had_value_) old_ = old;
        setenv("DELAUNAY2D_THREADS", value, 1);
    }
    ~ThreadSetting() {
        if (had_value_) {
            setenv("DELAUNAY2D_THREADS", old_.c_str(), 1);
        } else {
            unsetenv("DELAUNAY2D_THREADS");
        }
    }
    ThreadSetting(const ThreadSetting&) = delete;
    ThreadSetting& operator=(const ThreadSetting&) = delete;

private:
    bool had_value_ = false;
    std::string old_;
};

struct CallResult {
    d2dtest::MeshRecords mesh;
    std::string trace;
    bool checked_ok = false;
    std::string failure;
};

// Triangulates a copy of the points with the quicksort's draws seeded alike.
CallResult run_entry_point(Points points, bool check) {
    CallResult run;
    std::srand(7);
    Mesh2D* mesh = nullptr;
    run.trace = d2dcommon::captured_stdout([&] { mesh = create_mesh_2d(points.data(), points.size()); });
    run.mesh = d2dtest::records_of(mesh, points.data());
    if (check) {
        const d2dtest::MeshCheck result = d2dtest::check_mesh(mesh, points.data(), points.size());
        run.checked_ok = result.ok();
        run.failure = result.failure;
    }
    free_mesh(mesh);
    return run;
}

// n points from make(rng, i), with one generator seeded by `seed`.
template <class Make>
Points generated(size_t n, unsigned seed, Make make) {
    std::mt19937_64 rng(seed);
    Points p;
    for (size_t i = 0; i < n; ++i) p.push_back(make(rng, i));
    return p;
}

Points uniform_points(size_t n, unsigned seed) {
    return generated(n, seed, [](std::mt19937_64& rng, size_t i) {
        std::uniform_real_distribution<double> u(0.0, 1.0);
        const double x = u(rng);
        return Point3D{x, u(rng), static_cast<double>(i % 5), 0.25};
    });
}

// An integer grid in shuffled order with every tenth point repeated and a
// few non-finite points: equal keys make the split order depend on the
// quicksort's draws, and unusable points shift the halves.
Points grid_with_repeats(size_t n, unsigned seed) {
    const auto side = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(n))));
    Points p;
    for (size_t i = 0; p.size() < n; ++i) {
        const Point3D q{static_cast<double>(i % side), static_cast<double>(i / side), 0.0, 0.0};
        p.push_back(q);
        if (i % 10 == 0 && p.size() < n) p.push_back(q);
        if (i % 997 == 0 && p.size() < n) p.push_back(Point3D{std::nan(""), 1.0, 0.0, 0.0});
    }
    std::shuffle(p.begin(), p.end(), std::mt19937(seed));
    return p;
}

Points circle_points(size_t n, unsigned seed) {
    return generated(n, seed, [](std::mt19937_64& rng, size_t) {
        const double t = std::uniform_real_distribution<double>(0.0, 6.283185307179586)(rng);
        return Point3D{std::cos(t), std::sin(t), 0.0, 0.0};
    });
}

// Points on one line: no triangle, however the work is shared.
Points collinear_points(size_t n) {
    Points p;
    for (size_t i = 0; i < n; ++i) p.push_back(Point3D{static_cast<double>((i * 7919) % n), 2.0, 0.0, 0.0});
    return p;
}

TEST(TwoThreads, MeshAndTraceAreThoseOfOneThread) {
    struct Case {
        const char* name;
        Points points;
    };
    std::vector<Case> cases;
    for (const size_t n : {4095u, 4096u, 4097u, 30011u}) {
        cases.push_back({"uniform", uniform_points(n, static_cast<unsigned>(n))});
        cases.push_back({"grid with repeats", grid_with_repeats(n, static_cast<unsigned>(n))});
        cases.push_back({"circle", circle_points(n, static_cast<unsigned>(n))});
    }
    cases.push_back({"collinear", collinear_points(5000)});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", n = " + std::to_string(c.points.size()));
        CallResult one;
        {
            const ThreadSetting single("1");
            one = run_entry_point(c.points, false);
        }
        const CallResult two = run_entry_point(c.points, true);
        EXPECT_TRUE(two.checked_ok) << two.failure;
        EXPECT_TRUE(d2dtest::same_records(one.mesh, two.mesh));
        EXPECT_TRUE(one.trace == two.trace);
    }
}

// The whole trace of a call large enough for two threads, against lines
// written with printf: every point in split order, then the recursion.
TEST(TwoThreads, LargeCallPrintsTheWholeTraceInOrder) {
    const Points points = uniform_points(6001, 3);
    Points sorted = points;
    std::sort(sorted.begin(), sorted.end(), [](const Point3D& a, const Point3D& b) { return a.x < b.x; });
    std::string expected;
    for (const Point3D& p : sorted) expected += d2dtest::point_line(p);
    struct Recursion {
        std::string& out;
        void operator()(size_t beg, size_t end) {
            if (end - beg < 4) {
                out += d2dtest::base_line(beg, end);
                return;
            }
            const size_t mid = beg + (end - beg) / 2;
            (*this)(beg, mid);
            (*this)(mid, end);
            out += d2dtest::merge_line(beg, mid - 1, mid, end - 1);
        }
    };
    Recursion{expected}(0, sorted.size());
    EXPECT_TRUE(run_entry_point(points, false).trace == expected);
}

// Coordinates x0, y0, x1, y1, ... in the order the triangulation takes them:
// ascending x (all distinct here).
std::vector<double> sorted_coordinates(Points points) {
    std::sort(points.begin(), points.end(), [](const Point3D& a, const Point3D& b) { return a.x < b.x; });
    std::vector<double> xy;
    for (const Point3D& p : points) {
        xy.push_back(p.x);
        xy.push_back(p.y);
    }
    return xy;
}

d2d::traced::TriangulationResult triangulate(const std::vector<double>& xy, const std::function<void()>& alongside) {
    return d2d::traced::triangulate_sorted_points(xy.data(), static_cast<uint32_t>(xy.size() / 2),
                                         d2d::thread_support::traced_call_threads(), alongside);
}

bool same_triangles(const d2d::traced::TriangulationResult& a, const d2d::traced::TriangulationResult& b) {
    return a.inner_length == b.inner_length && a.vertices.size() == b.vertices.size() &&
           std::equal(a.vertices.begin(), a.vertices.end(), b.vertices.begin()) &&
           std::equal(a.neighbours.begin(), a.neighbours.end(), b.neighbours.begin());
}

// Whichever thread is done first builds parts of the other's half. That
// depends on timing, so each case is tried a few times until a hand-over
// happens; every try must give the one-thread result. hold_up(attempt,
// one_thread_time) is what the calling thread does before its half: scaled
// by the one-thread time, so that a slow build (sanitizers) or a busy machine
// still lets the other thread get ahead.
using HoldUp = std::function<void(int, std::chrono::steady_clock::duration)>;

void expect_handovers_keep_the_result(const std::vector<double>& xy, const HoldUp& hold_up) {
    if (!d2d::thread_support::traced_call_threads().several()) GTEST_SKIP() << "one core, or DELAUNAY2D_THREADS=1";
    d2d::traced::TriangulationResult one;
    const auto start = std::chrono::steady_clock::now();
    {
        const ThreadSetting single("1");
        one = triangulate(xy, [] {});
    }
    const auto one_thread_time = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(one.handovers, 0u);
    size_t handovers = 0;
    for (int attempt = 0; attempt < 5 && handovers == 0; ++attempt) {
        const d2d::traced::TriangulationResult two =
            triangulate(xy, [&] { hold_up(attempt, one_thread_time); });
        EXPECT_TRUE(same_triangles(one, two));
        handovers = two.handovers;
    }
    EXPECT_GT(handovers, 0u);
}

TEST(TwoThreads, RangesHandedToTheSecondThreadKeepTheMesh) {
    // The calling thread is held up before its half, as by a long trace: for
    // half the one-thread time at first, longer on each later attempt.
    const std::vector<double> xy = sorted_coordinates(uniform_points(200000, 11));
    expect_handovers_keep_the_result(xy, [](int attempt, std::chrono::steady_clock::duration one_thread_time) {
        std::this_thread::sleep_for(one_thread_time * (attempt + 1) / 2);
    });
}

TEST(TwoThreads, RangesHandedToTheCallingThreadKeepTheMesh) {
    // The right half (points on one line) is done long before the left one.
    Points points = uniform_points(100000, 12);
    for (size_t i = 0; i < 100000; ++i) points.push_back(Point3D{2.0 + static_cast<double>(i) * 1e-5, 0.5, 0.0, 0.0});
    expect_handovers_keep_the_result(sorted_coordinates(points), [](int, std::chrono::steady_clock::duration) {});
}

// Many calls with the calling thread held up for different times, up to as
// long as the whole triangulation takes on one thread, so that offers are
// taken, withdrawn and nested at every stage of a half.
TEST(TwoThreads, HandOversAtEveryStageKeepTheMesh) {
    if (!d2d::thread_support::traced_call_threads().several()) GTEST_SKIP() << "one core, or DELAUNAY2D_THREADS=1";
    const std::vector<double> xy = sorted_coordinates(uniform_points(40000, 13));
    d2d::traced::TriangulationResult one;
    const auto start = std::chrono::steady_clock::now();
    {
        const ThreadSetting single("1");
        one = triangulate(xy, [] {});
    }
    const auto one_thread_time = std::chrono::steady_clock::now() - start;
    size_t handovers = 0;
    constexpr int kSteps = 40;
    for (int step = 0; step < kSteps; ++step) {
        const auto delay = one_thread_time * step / kSteps;
        const d2d::traced::TriangulationResult two = triangulate(xy, [delay] { std::this_thread::sleep_for(delay); });
        EXPECT_TRUE(same_triangles(one, two)) << "held up for step " << step << " of " << kSteps;
        handovers += two.handovers;
    }
    EXPECT_GT(handovers, 0u);
}

// Running out of memory in one half while the other thread waits for it:
// the waiting thread stops waiting, and the call reports the failure once
// both threads are done (the entry points turn it into "member is not
// enough"). The failures come from a refusal of the record block's memory.
namespace out_of_memory {

std::thread::id calling_thread;
std::atomic<const char*> left_start{nullptr};  // slot 0: where the left half's first stretch starts
std::atomic<size_t> left_bytes{0};             // the left half's slots
std::atomic<int> refusals{0};

// Refuses the stretches the second thread makes ready for a range it took
// over from the calling thread (they lie past the left half's slots), after
// a pause in which the calling thread reaches its wait for that range.
bool refuse_taken_ranges(const void* start, size_t) {
    if (std::this_thread::get_id() == calling_thread) return false;
    const char* at = static_cast<const char*>(start);
    const char* first = nullptr;
    left_start.compare_exchange_strong(first, at);  // the second thread starts with its own half
    if (at < left_start.load() + left_bytes.load()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ++refusals;
    return true;
}

// Refuses every stretch of the calling thread, which builds the right half.
bool refuse_calling_thread(const void*, size_t) {
    if (std::this_thread::get_id() != calling_thread) return false;
    ++refusals;
    return true;
}

class Refusal {
public:
    explicit Refusal(d2d::reserved_memory::ReadyRefusal refuse, uint32_t count) {
        calling_thread = std::this_thread::get_id();
        left_bytes = d2d::merge::record_slots(count / 2, 1) * sizeof(d2d::merge::Record);
        refusals = 0;
        d2d::reserved_memory::refuse_for_testing(refuse);
    }
    ~Refusal() { d2d::reserved_memory::refuse_for_testing(nullptr); }
    Refusal(const Refusal&) = delete;
    Refusal& operator=(const Refusal&) = delete;
};

}  // namespace out_of_memory

TEST(TwoThreads, RangeTakenOverRunsOutOfMemoryWhileItsOffererWaits) {
    if (!d2d::thread_support::traced_call_threads().several()) GTEST_SKIP() << "one core, or DELAUNAY2D_THREADS=1";
    const std::vector<double> xy = sorted_coordinates(uniform_points(200000, 11));
    const out_of_memory::Refusal refusal(out_of_memory::refuse_taken_ranges, static_cast<uint32_t>(xy.size() / 2));
    // The calling thread is held up until the second thread is done with its
    // own half and idle: it then takes ranges of the calling thread's half.
    // That depends on timing, so a few tries are allowed.
    for (int attempt = 0; attempt < 5 && out_of_memory::refusals == 0; ++attempt) {
        out_of_memory::left_start = nullptr;
        bool failed = false;
        try {
            triangulate(xy, [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
        } catch (const std::bad_alloc&) {
            failed = true;
        }
        EXPECT_EQ(failed, out_of_memory::refusals > 0) << "attempt " << attempt;
    }
    EXPECT_GT(out_of_memory::refusals, 0) << "no range was taken over";
}

TEST(TwoThreads, HalfRunsOutOfMemoryWhileTheOtherWaitsForIt) {
    if (!d2d::thread_support::traced_call_threads().several()) GTEST_SKIP() << "one core, or DELAUNAY2D_THREADS=1";
    const std::vector<double> xy = sorted_coordinates(uniform_points(60000, 12));
    const out_of_memory::Refusal refusal(out_of_memory::refuse_calling_thread, static_cast<uint32_t>(xy.size() / 2));
    // The second thread finishes its half meanwhile and waits for the
    // calling thread's, which fails at its first records.
    EXPECT_THROW(triangulate(xy, [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }), std::bad_alloc);
    EXPECT_GT(out_of_memory::refusals, 0);
}

// When the system gives no thread, a large call runs on the calling thread
// alone instead of waiting for a thread that never comes.
TEST(TwoThreads, NoThreadToStartMeansOneThread) {
    const Points points = uniform_points(20000, 17);
    CallResult one;
    {
        const ThreadSetting single("1");
        one = run_entry_point(points, false);
    }
    d2d::thread_support::refuse_starts(true);
    const CallResult refused = run_entry_point(points, true);
    bool ran_at_once = true;
    int pieces = 0;
    ran_at_once = d2d::run_pair_at_once(d2d::ThreadCount(2), [&] { ++pieces; }, [&] { ++pieces; });
    d2d::run_pair(d2d::ThreadCount(2), [&] { ++pieces; }, [&] { ++pieces; });
    d2d::thread_support::refuse_starts(false);
    EXPECT_TRUE(refused.checked_ok) << refused.failure;
    EXPECT_TRUE(d2dtest::same_records(one.mesh, refused.mesh));
    EXPECT_TRUE(one.trace == refused.trace);
    EXPECT_FALSE(ran_at_once);
    EXPECT_EQ(pieces, 2);  // none at once, both one after the other
}

TEST(RunPair, RunsBothPiecesAndReportsTheirErrorsAfterBoth) {
    int here = 0;
    int there = 0;
    d2d::run_pair(d2d::ThreadCount(2), [&] { ++here; }, [&] { ++there; });
    EXPECT_EQ(here, 1);
    EXPECT_EQ(there, 1);

    bool there_ran = false;
    EXPECT_THROW(d2d::run_pair(d2d::ThreadCount(2), [] { throw std::runtime_error("here"); }, [&] { there_ran = true; }),
                 std::runtime_error);
    EXPECT_TRUE(there_ran);

    bool here_ran = false;
    EXPECT_THROW(d2d::run_pair(d2d::ThreadCount(2), [&] { here_ran = true; }, [] { throw std::length_error("there"); }),
                 std::length_error);
    EXPECT_TRUE(here_ran);
}

#if defined(__GLIBC__)
// Sets the stack size new threads get by default (glibc lets a process set
// it) for the lifetime of the object.
class DefaultThreadStack {
public:
    explicit DefaultThreadStack(size_t bytes) {
        pthread_getattr_default_np(&saved_);
        pthread_attr_t small;
        pthread_attr_init(&small);
        pthread_attr_setstacksize(&small, bytes);
        pthread_setattr_default_np(&small);
        pthread_attr_destroy(&small);
    }
    ~DefaultThreadStack() {
        pthread_setattr_default_np(&saved_);
        pthread_attr_destroy(&saved_);
    }
    DefaultThreadStack(const DefaultThreadStack&) = delete;
    DefaultThreadStack& operator=(const DefaultThreadStack&) = delete;

private:
    pthread_attr_t saved_;
};

// The stack size of the second thread of a pair, or 0 when none started.
size_t second_thread_stack() {
    size_t size = 0;
    const bool at_once = d2d::run_pair_at_once(d2d::ThreadCount(2), [] {}, [&] {
        pthread_attr_t attributes;
        if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
        pthread_attr_getstacksize(&attributes, &size);
        pthread_attr_destroy(&attributes);
    });
    return at_once ? size : 0;
}

// Where threads get small stacks by default (musl gives 128 KiB), the
// second thread still gets what the deepest work needs: here, calls whose
// coordinates span every magnitude, which take the predicates' slowest
// paths on both threads.
TEST(RunPair, SecondThreadHasTheStackTheDeepestWorkNeeds) {
    if (!d2d::thread_support::traced_call_threads().several()) GTEST_SKIP() << "one core, or DELAUNAY2D_THREADS=1";
    EXPECT_GE(second_thread_stack(), d2d::thread_support::kThreadStackBytes);
    const DefaultThreadStack small(128 * 1024);
    EXPECT_GE(second_thread_stack(), d2d::thread_support::kThreadStackBytes);
    const Points points = generated(4500, 29, [](std::mt19937_64& rng, size_t) {
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        std::uniform_int_distribution<int> exponent(-1074, 1023);
        const double x = std::ldexp(u(rng), exponent(rng));
        return Point3D{x, std::ldexp(u(rng), exponent(rng)), 0.0, 0.0};
    });
    const CallResult two = run_entry_point(points, true);
    EXPECT_TRUE(two.checked_ok) << two.failure;
}
#endif

TEST(RunPair, OneThreadWhenTheHostAsksForIt) {
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id there_id;
    {
        const ThreadSetting single("1");
        EXPECT_FALSE(d2d::thread_support::traced_call_threads().several());
        d2d::run_pair(d2d::thread_support::traced_call_threads(), [] {}, [&] { there_id = std::this_thread::get_id(); });
    }
    EXPECT_EQ(there_id, caller);
}

// A pair follows the count it is handed, not the environment: a call
// that chose one thread keeps every piece on it, and the shares of a split
// never drop below one thread.
TEST(RunPair, FollowsTheCountItIsHanded) {
    const ThreadSetting library_choice("0");
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id there_id;
    d2d::run_pair(d2d::ThreadCount(1), [] {}, [&] { there_id = std::this_thread::get_id(); });
    EXPECT_EQ(there_id, caller);
    EXPECT_FALSE(d2d::run_pair_at_once(d2d::ThreadCount(4).when(false), [] {}, [] {}));
    EXPECT_EQ(d2d::ThreadCount(0).count(), 1u);
    EXPECT_EQ(d2d::ThreadCount(5).first_share().count(), 3u);
    EXPECT_EQ(d2d::ThreadCount(5).second_share().count(), 2u);
    EXPECT_EQ(d2d::ThreadCount(1).second_share().count(), 1u);
}

// DELAUNAY2D_THREADS: 1 keeps calls on the calling thread; unset, empty, 0,
// larger numbers and values that are no number leave the choice to the
// library.
TEST(RunPair, ThreadSettingValues) {
    constexpr unsigned kMoreThanTwo = 3;
    const struct {
        const char* value;
        unsigned limit;
    } settings[] = {{nullptr, 0}, {"", 0},   {"0", 0},     {"1", 1},   {" 1", 1},  {"1\n", 1}, {"01", 1},
                    {"2", 2},     {"16", 16}, {"-1", 0},   {"1x", 0},  {"one", 0}, {"1 1", 0}, {" ", 0},
                    {"+1", 0},    {"1.0", 0}, {"99999999999999999999", kMoreThanTwo}};
    for (const auto& setting : settings) {
        const unsigned limit = d2d::thread_support::thread_limit(setting.value);
        if (setting.limit == kMoreThanTwo) {
            EXPECT_GT(limit, 2u) << (setting.value ? setting.value : "unset");
        } else {
            EXPECT_EQ(limit, setting.limit) << (setting.value ? setting.value : "unset");
        }
    }
    bool usual = false;
    {
        const ThreadSetting library_choice("0");
        usual = d2d::thread_support::traced_call_threads().several();
    }
    for (const char* value : {"", "2", "7", "abc"}) {
        const ThreadSetting setting(value);
        EXPECT_EQ(d2d::thread_support::traced_call_threads().several(), usual) << value;
        EXPECT_LE(d2d::thread_support::traced_call_threads().count(), 2u) << value;
    }
    for (const char* value : {"1", " 1 ", "001"}) {
        const ThreadSetting setting(value);
        EXPECT_FALSE(d2d::thread_support::traced_call_threads().several()) << value;
    }
}

}  // namespace
