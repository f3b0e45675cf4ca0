// The program's refinement options and the regions of .poly files: what
// is refused, what the .ele attribute column holds, what the summary says.
// (The refined meshes themselves are checked from the written files, with
// .vtu and .msh read back by meshio, in quality_outputs.py.)
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "cli/scratch_folder.hpp"
#include "support/process_runner.hpp"

namespace {

using d2dtest::read_text;
using d2dtest::ScratchFolder;
using d2dtest::write_text;

d2dtest::ProcessResult run(const std::vector<std::string>& args) { return d2dtest::run_process(DELAUNAY2D_CLI, args); }

// A 10 x 4 box cut by the segment x = 6 into two regions, given by the
// points (1, 1) and (9, 1); `regions` is the regional section.
std::string box_poly(const std::string& regions) {
    return "6 2 0 0\n1 0 0\n2 6 0\n3 10 0\n4 10 4\n5 6 4\n6 0 4\n"
           "7 0\n1 1 2\n2 2 3\n3 3 4\n4 4 5\n5 5 6\n6 6 1\n7 2 5\n"
           "0\n" + regions;
}

struct Ele {
    std::string header;
    std::vector<std::vector<double>> nodes;  // x, y by number from 1
    std::vector<std::vector<double>> rows;   // the fields after the number
};

Ele read_ele(const ScratchFolder& folder) {
    Ele ele;
    std::istringstream in(read_text(folder.file("m.ele")));
    std::getline(in, ele.header);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        double number = 0, value = 0;
        fields >> number;
        ele.rows.emplace_back();
        while (fields >> value) ele.rows.back().push_back(value);
    }
    std::istringstream node(read_text(folder.file("m.node")));
    std::string header;
    std::getline(node, header);
    for (std::string line; std::getline(node, line);) {
        std::istringstream fields(line);
        double number = 0, x = 0, y = 0;
        fields >> number >> x >> y;
        ele.nodes.push_back({x, y});
    }
    return ele;
}

TEST(QualityProgram, RegionsAreTheEleAttributeColumn) {
    ScratchFolder folder;
    // Triangle's files write -1 for "no area bound"; an attribute need not
    // be a whole number.
    write_text(folder.file("box.poly"), box_poly("2\n1 1 1 3 -1\n2 9 1 7.5 -1\n"));
    auto result = run({folder.file("box.poly"), "-o", folder.file("m.ele")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    Ele ele = read_ele(folder);
    EXPECT_EQ(ele.header, std::to_string(ele.rows.size()) + " 3 1");
    ASSERT_FALSE(ele.rows.empty());
    for (const auto& row : ele.rows) {
        ASSERT_EQ(row.size(), 4u);
        double centre_x = 0;
        for (int k = 0; k < 3; ++k) centre_x += ele.nodes[static_cast<size_t>(row[static_cast<size_t>(k)]) - 1][0] / 3;
        EXPECT_EQ(row[3], centre_x < 6 ? 3.0 : 7.5) << centre_x;
    }
    // The picture colours the triangles by region, with a legend.
    result = run({folder.file("box.poly"), "-o", folder.file("m.svg")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    const std::string svg = read_text(folder.file("m.svg"));
    EXPECT_NE(svg.find("triangles coloured by region"), std::string::npos);
    EXPECT_NE(svg.find(">7.5</text>"), std::string::npos);
    EXPECT_NE(svg.find("<path fill=\"#f4c06a\""), std::string::npos);
    EXPECT_NE(svg.find("<path fill=\"#7fc1e8\""), std::string::npos);
    // No region section, or an empty one: no attribute column.
    for (const std::string& regions : {std::string(), std::string("0\n")}) {
        write_text(folder.file("box.poly"), box_poly(regions));
        result = run({folder.file("box.poly"), "-o", folder.file("m.ele")});
        ASSERT_EQ(result.exit_status, 0) << result.err;
        ele = read_ele(folder);
        EXPECT_EQ(ele.header, std::to_string(ele.rows.size()) + " 3 0");
        for (const auto& row : ele.rows) EXPECT_EQ(row.size(), 3u);
    }
}

TEST(QualityProgram, BadRegionLinesNameTheirLine) {
    ScratchFolder folder;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1\n1 1 1\n", "box.poly:18: a region needs a number, x, y and an attribute"},
        {"1\n1 1 1 x\n", "box.poly:18: region attribute 'x' is not a number"},
        {"1\n1 1 1 2 nan\n", "box.poly:18: a region's point, attribute and area must be finite"},
        {"2\n1 1 1 2\n", "box.poly: ends before all regions are read"},
        {"-1\n", "box.poly:17: negative region count"},
    };
    for (const auto& [regions, message] : cases) {
        write_text(folder.file("box.poly"), box_poly(regions));
        auto result = run({folder.file("box.poly")});
        EXPECT_EQ(result.exit_status, 1) << regions;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
}

TEST(QualityProgram, OptionsAreRefusedWhereTheyCannotApply) {
    ScratchFolder folder;
    write_text(folder.file("box.poly"), box_poly(""));
    write_text(folder.file("p.txt"), "0 0\n1 0\n0 1\n");
    const std::string poly = folder.file("box.poly");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{folder.file("p.txt"), "--min-angle", "20"}, "give a .poly or .geojson input"},
        {{folder.file("p.txt"), "--conforming"}, "give a .poly or .geojson input"},
        {{"--generate", "uniform", "--max-area", "1"}, "give a .poly or .geojson input"},
        {{poly, "--min-angle", "0"}, "--min-angle takes degrees above 0 and below 60"},
        {{poly, "--min-angle", "60"}, "--min-angle takes degrees above 0 and below 60"},
        {{poly, "--min-angle", "-3"}, "--min-angle takes degrees"},
        {{poly, "--min-angle", "nan"}, "--min-angle takes degrees"},
        {{poly, "--max-area", "0"}, "--max-area takes a finite area above 0"},
        {{poly, "--max-area", "inf"}, "--max-area takes a finite area above 0"},
        {{poly, "--max-steiner", "0"}, "--max-steiner takes a count of at least 1"},
        {{poly, "--max-steiner", "-4"}, "--max-steiner"},
        {{poly, "--min-angle", "abc"}, "--min-angle"},
    };
    for (const auto& [args, message] : cases) {
        auto result = run(args);
        EXPECT_EQ(result.exit_status, 2) << args[1];
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST(QualityProgram, SummaryGivesTheQualityFigures) {
    ScratchFolder folder;
    write_text(folder.file("box.poly"), box_poly("2\n1 1 1 1 -1\n2 9 1 2 0.5\n"));
    auto result = run({folder.file("box.poly"), "--min-angle", "30", "--max-area", "2"});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    EXPECT_NE(result.out.find("points read       6 ("), std::string::npos) << result.out;
    double smallest = 0, largest = 0;
    std::istringstream out(result.out);
    for (std::string line; std::getline(out, line);) {
        std::sscanf(line.c_str(), "smallest angle %lf", &smallest);
        std::sscanf(line.c_str(), "largest angle %lf", &largest);
    }
    EXPECT_GE(smallest, 30.0) << result.out;
    EXPECT_LT(largest, 120.0) << result.out;
    EXPECT_NE(result.out.find("unrefined         0 triangles\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("not reached"), std::string::npos) << result.out;
    // A bound no refinement promises, on a budget: it ends, says which
    // angle it reached, on standard error with -o and in the summary with -v.
    result = run({folder.file("box.poly"), "--min-angle", "50", "--max-steiner", "40", "-o", folder.file("m.ele")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    EXPECT_NE(result.err.find("warning: " + folder.file("box.poly") + ": --min-angle 50 not reached: the smallest angle is "),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("refinement stopped after adding 40 points (the budget)"), std::string::npos) << result.err;
    result = run({folder.file("box.poly"), "--min-angle", "50", "--max-steiner", "40", "-o", folder.file("m.ele"), "-v"});
    EXPECT_NE(result.err.find(" (50 asked: not reached)\n"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("points added      40 by refinement (the budget: refinement stopped there)\n"),
              std::string::npos)
        << result.err;
    // Without a refinement option nor region areas, no quality lines.
    write_text(folder.file("plain.poly"), box_poly(""));
    result = run({folder.file("plain.poly")});
    EXPECT_EQ(result.out.find("smallest angle"), std::string::npos) << result.out;
}

}  // namespace
