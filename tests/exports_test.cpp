// The shared library's interface as a host sees it: every listed operation
// can be found by name at run time, and nothing else is exported.
#include <delaunay2d.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <fstream>
#include <cctype>
#include <set>
#include <sstream>
#include <string>

#include "support/exported_names.hpp"
#include "support/process_runner.hpp"

namespace {

std::set<std::string> expected_names() {
    return std::set<std::string>(delaunay2d_exported_names, delaunay2d_exported_names + DELAUNAY2D_EXPORTED_COUNT);
}

class LoadedLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(DELAUNAY2D_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    void* handle_ = nullptr;
};

// Every function the public headers declare with the export macro is on the
// list, and the list names nothing else and no name twice.
TEST(ExportedNames, ListMatchesTheHeaderDeclarations) {
    std::string declarations;
    for (const char* path : {"/include/delaunay2d.h", "/include/delaunay2d_traced.h"}) {
        std::ifstream header(std::string(DELAUNAY2D_SOURCE_DIR) + path);
        ASSERT_TRUE(header.good()) << path;
        for (std::string line; std::getline(header, line);) {
            if (!line.starts_with("#")) declarations += line + "\n";  // the macro's own definitions
        }
    }
    // The name of each declaration is the word just before its first
    // parenthesis. (Plain string search: std::regex trips a false warning of
    // GCC 12 in sanitizer builds.)
    std::set<std::string> declared;
    const auto is_word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; };
    for (size_t at = declarations.find("DELAUNAY2D_API"); at != std::string::npos;
         at = declarations.find("DELAUNAY2D_API", at + 1)) {
        size_t open = declarations.find('(', at);
        while (open > at && !is_word(declarations[open - 1])) --open;
        size_t first = open;
        while (first > at && is_word(declarations[first - 1])) --first;
        const std::string name = declarations.substr(first, open - first);
        EXPECT_TRUE(declared.insert(name).second) << "declared twice: " << name;
        // Its comment, just above it, ends with its preconditions in one line.
        const size_t comment_end = declarations.rfind("*/", at);
        const size_t comment_begin = declarations.rfind("/*", comment_end);
        ASSERT_NE(comment_end, std::string::npos) << name;
        const std::string comment = declarations.substr(comment_begin, comment_end - comment_begin);
        const size_t expects = comment.rfind("Expects: ");
        EXPECT_TRUE(expects != std::string::npos && comment.find('\n', expects) == std::string::npos)
            << name << ": its comment does not end with a one-line \"Expects: ...\"";
    }
    EXPECT_EQ(declared, expected_names());
    EXPECT_EQ(expected_names().size(), static_cast<size_t>(DELAUNAY2D_EXPORTED_COUNT)) << "a name is listed twice";
}

// The header's version macros agree with each other and with the version
// the build gives the project.
TEST(Version, MacrosMatchTheProjectVersion) {
    const std::string from_numbers = std::to_string(DELAUNAY2D_VERSION_MAJOR) + "." +
                                     std::to_string(DELAUNAY2D_VERSION_MINOR) + "." +
                                     std::to_string(DELAUNAY2D_VERSION_PATCH);
    EXPECT_EQ(from_numbers, DELAUNAY2D_PROJECT_VERSION);
    EXPECT_STREQ(DELAUNAY2D_VERSION, DELAUNAY2D_PROJECT_VERSION);
}

TEST_F(LoadedLibrary, ResolvesEveryOperationFromTheLibraryItself) {
    Dl_info own{};
    ASSERT_NE(dladdr(dlsym(handle_, "create_mesh_2d"), &own), 0);
    for (const char* name : delaunay2d_exported_names) {
        SCOPED_TRACE(name);
        void* symbol = dlsym(handle_, name);
        ASSERT_NE(symbol, nullptr) << dlerror();
        // The address lies in the loaded library, not in the test program
        // (which links the same code statically).
        Dl_info info{};
        ASSERT_NE(dladdr(symbol, &info), 0);
        EXPECT_EQ(info.dli_fbase, own.dli_fbase);
        EXPECT_EQ(std::string(info.dli_fname), std::string(own.dli_fname));
    }
}

TEST_F(LoadedLibrary, ResolvedOperationsAreCallable) {
    auto order = reinterpret_cast<PointCompare>(dlsym(handle_, "sort_point_x_maxY"));
    ASSERT_NE(order, nullptr);
    Point3D left{0.0, 0.0, 0.0, 0.0};
    Point3D right{1.0, 0.0, 0.0, 0.0};
    EXPECT_EQ(order(&left, &right), 1);
    EXPECT_EQ(order(&right, &left), -1);

    using Distance = double (*)(Point3D, Point3D);
    auto distance = reinterpret_cast<Distance>(dlsym(handle_, "point_2d_distance"));
    ASSERT_NE(distance, nullptr);
    EXPECT_DOUBLE_EQ(distance({0.0, 0.0, 0.0, 0.0}, {3.0, 4.0, 9.0, 9.0}), 5.0);

    using Free = void (*)(Mesh2D*);
    auto release = reinterpret_cast<Free>(dlsym(handle_, "free_mesh"));
    ASSERT_NE(release, nullptr);
    release(nullptr);  // accepted, does nothing
}

// Symbols the static linker defines in every shared object; they are not
// part of the library's interface and are tolerated.
bool linker_defined(const std::string& name) {
    static const std::set<std::string> names = {"_init", "_fini", "__bss_start", "_edata", "_end"};
    return names.count(name) != 0;
}

TEST(ExportTable, ExportsExactlyTheListedOperations) {
    d2dtest::ProcessResult r = d2dtest::run_process("nm", {"-D", "--defined-only", DELAUNAY2D_SHARED_LIBRARY});
    ASSERT_TRUE(r.exited);
    ASSERT_EQ(r.exit_status, 0) << r.err;

    std::set<std::string> expected = expected_names();
    std::set<std::string> functions;
    std::set<std::string> unexpected;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        // "<address> <type> <name>[@<version>]"
        std::istringstream fields(line);
        std::string address;
        std::string type;
        std::string name;
        if (!(fields >> address >> type >> name)) {
            continue;
        }
        name = name.substr(0, name.find('@'));
        if (expected.count(name) != 0) {
            EXPECT_EQ(type, "T") << name << " is exported but not as a function";
            functions.insert(name);
        } else if (!linker_defined(name)) {
            unexpected.insert(name);
        }
    }
    std::string missing;
    for (const std::string& name : expected) {
        if (functions.count(name) == 0) {
            missing += " " + name;
        }
    }
    std::string extra;
    for (const std::string& name : unexpected) {
        extra += " " + name;
    }
    EXPECT_EQ(missing, "") << "listed operations the library does not export";
    EXPECT_EQ(extra, "") << "symbols the library exports beyond the listed operations";
}

}  // namespace
