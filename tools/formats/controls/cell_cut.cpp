#include "formats/controls/cell_cut.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "formats/controls/exact_side.hpp"

namespace d2dcli {

namespace {

using Point = std::pair<double, double>;

struct Split {
    double t;  // along the cell's side, 0 at its start
    Point at;
};

// The share of the way from p to q at which the line a->b is met.
double meeting(double ax, double ay, double bx, double by, Point p, Point q) {
    const double ex = bx - ax, ey = by - ay;
    const double dp = ex * (p.second - ay) - ey * (p.first - ax);
    const double dq = ex * (q.second - ay) - ey * (q.first - ax);
    return dp / (dp - dq);
}

Point along(Point p, Point q, double t) {
    return {p.first + t * (q.first - p.first), p.second + t * (q.second - p.second)};
}

Ring as_ring(const std::vector<Point>& points) {
    Ring ring;
    for (const Point& p : points) {
        ring.push_back(p.first);
        ring.push_back(p.second);
    }
    return ring;
}

void turn(Ring& ring, bool counter_clockwise) {
    if ((signed_area(ring) > 0.0) != counter_clockwise) {
        for (std::size_t i = 0, j = ring.size() / 2 - 1; i < j; ++i, --j) {
            std::swap(ring[2 * i], ring[2 * j]);
            std::swap(ring[2 * i + 1], ring[2 * j + 1]);
        }
    }
}

ClipPolygon ring_polygon(const Ring& ring) {
    std::vector<std::uint32_t> chain;
    const std::size_t n = ring.size() / 2;
    for (std::size_t i = 0; i < n; ++i) {
        chain.push_back(static_cast<std::uint32_t>(i));
        chain.push_back(static_cast<std::uint32_t>((i + 1) % n));
    }
    return ClipPolygon(ring, chain);
}

}  // namespace

double signed_area(const Ring& ring) {
    // Taken from the first corner: map coordinates lie far from the origin
    // (5e6 m), and products of them would drown a small cell's area.
    const std::size_t n = ring.size() / 2;
    double twice = 0.0;
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double ax = ring[2 * i] - ring[0], ay = ring[2 * i + 1] - ring[1];
        const double bx = ring[2 * i + 2] - ring[0], by = ring[2 * i + 3] - ring[1];
        twice += ax * by - bx * ay;
    }
    return twice / 2.0;
}

std::vector<RingPart> cut_cell_to_polygon(const Ring& cell, const ClipPolygon& clip) {
    const std::size_t n = cell.size() / 2;
    auto corner = [&](std::size_t j) { return Point{cell[2 * (j % n)], cell[2 * (j % n) + 1]}; };
    double ymin = cell[1], ymax = cell[1], xmin = cell[0], xmax = cell[0];
    for (std::size_t j = 0; j < n; ++j) {
        xmin = std::min(xmin, cell[2 * j]);
        xmax = std::max(xmax, cell[2 * j]);
        ymin = std::min(ymin, cell[2 * j + 1]);
        ymax = std::max(ymax, cell[2 * j + 1]);
    }
    std::vector<std::vector<Split>> splits(n);
    std::vector<std::pair<Point, Point>> pieces;
    std::vector<std::pair<Point, Point>> clip_pieces;
    std::vector<Point> clip_corners;  // the ends of the polygon's edges that meet the cell
    clip.edges_near(ymin, ymax, [&](std::size_t k) {
        const double* e = clip.edge(k);
        if (std::max(e[0], e[2]) < xmin || std::min(e[0], e[2]) > xmax) {
            return;
        }
        const Point a{e[0], e[1]}, b{e[2], e[3]};
        clip_corners.push_back(a);
        clip_corners.push_back(b);
        // Cyrus-Beck: the edge's stretch on the inner side of every side
        // of the cell, with the side it enters and leaves through.
        double t_in = 0.0, t_out = 1.0;
        std::size_t side_in = n, side_out = n;
        std::vector<std::size_t> a_on, b_on;  // sides the ends lie on
        for (std::size_t j = 0; j < n; ++j) {
            const Point c = corner(j), d = corner(j + 1);
            const int sa = exact_side(c.first, c.second, d.first, d.second, a.first, a.second);
            const int sb = exact_side(c.first, c.second, d.first, d.second, b.first, b.second);
            if (sa < 0 && sb <= 0) {
                return;  // wholly outside this side (or touching it from outside)
            }
            if (sb < 0 && sa == 0) {
                return;
            }
            if (sa < 0) {
                const double t = meeting(c.first, c.second, d.first, d.second, a, b);
                if (t > t_in || side_in == n) {
                    t_in = std::max(t_in, t);
                    side_in = j;
                }
            } else if (sb < 0) {
                const double t = meeting(c.first, c.second, d.first, d.second, a, b);
                if (t < t_out || side_out == n) {
                    t_out = std::min(t_out, t);
                    side_out = j;
                }
            }
            if (sa == 0) {
                a_on.push_back(j);
            }
            if (sb == 0) {
                b_on.push_back(j);
            }
        }
        if (!(t_in < t_out)) {
            return;
        }
        const Point p = side_in == n ? a : along(a, b, t_in);
        const Point q = side_out == n ? b : along(a, b, t_out);
        if (a_on.size() > 0 && b_on.size() > 0 &&
            std::any_of(a_on.begin(), a_on.end(),
                        [&](std::size_t j) { return std::find(b_on.begin(), b_on.end(), j) != b_on.end(); })) {
            return;  // along a side of the cell: the side's own pieces stand for it
        }
        auto split_side = [&](std::size_t j, Point at) {
            const Point c = corner(j), d = corner(j + 1);
            const double dx = d.first - c.first, dy = d.second - c.second;
            const double t = ((at.first - c.first) * dx + (at.second - c.second) * dy) / (dx * dx + dy * dy);
            splits[j].push_back({t, at});
        };
        if (side_in != n) {
            split_side(side_in, p);
        } else {
            for (std::size_t j : a_on) {
                split_side(j, p);
            }
        }
        if (side_out != n) {
            split_side(side_out, q);
        } else {
            for (std::size_t j : b_on) {
                split_side(j, q);
            }
        }
        if (p != q) {
            clip_pieces.emplace_back(p, q);
        }
    });
    // A stretch of polygon edge is boundary only where the inside changes
    // across it: where two polygons share a border (two edges along one
    // line, whose ends need not meet), it does not, and the even-odd rule
    // cancels it. The sides are probed a millionth of the stretch's length
    // off its middle.
    // A stretch is first split at the polygon's corners that lie on it,
    // where a shared border may begin or end.
    for (const auto& [p, q] : clip_pieces) {
        std::vector<std::pair<double, Point>> stops{{0.0, p}, {1.0, q}};
        const double dx = q.first - p.first, dy = q.second - p.second;
        for (const Point& c : clip_corners) {
            if (exact_side(p.first, p.second, q.first, q.second, c.first, c.second) == 0) {
                const double t = ((c.first - p.first) * dx + (c.second - p.second) * dy) / (dx * dx + dy * dy);
                if (t > 0.0 && t < 1.0) {
                    stops.push_back({t, c});
                }
            }
        }
        std::sort(stops.begin(), stops.end(), [](const auto& u, const auto& v) { return u.first < v.first; });
        for (std::size_t k = 0; k + 1 < stops.size(); ++k) {
            const Point u = stops[k].second, v = stops[k + 1].second;
            if (u == v) {
                continue;
            }
            const Point middle = along(u, v, 0.5);
            const double nx = -(v.second - u.second) * 1e-6, ny = (v.first - u.first) * 1e-6;
            if (clip.contains(middle.first + nx, middle.second + ny) !=
                clip.contains(middle.first - nx, middle.second - ny)) {
                pieces.emplace_back(u, v);
            }
        }
    }
    // The cell's sides, split where the polygon crosses them or has a
    // corner on them; a stretch between two splits is boundary where the
    // cell's inside next to it (probed a millionth of its length in from
    // its middle) is inside the polygon. The probe, not the middle itself,
    // settles a side that lies along a polygon edge.
    for (std::size_t j = 0; j < n; ++j) {
        std::vector<Split>& on = splits[j];
        const Point c = corner(j), d = corner(j + 1);
        on.push_back({0.0, c});
        on.push_back({1.0, d});
        const double dx = d.first - c.first, dy = d.second - c.second;
        for (const Point& k : clip_corners) {
            if (exact_side(c.first, c.second, d.first, d.second, k.first, k.second) == 0) {
                const double t = ((k.first - c.first) * dx + (k.second - c.second) * dy) / (dx * dx + dy * dy);
                if (t > 0.0 && t < 1.0) {
                    on.push_back({t, k});
                }
            }
        }
        std::sort(on.begin(), on.end(), [](const Split& u, const Split& v) { return u.t < v.t; });
        for (std::size_t k = 0; k + 1 < on.size(); ++k) {
            const Point u = on[k].at, v = on[k + 1].at;
            if (u == v) {
                continue;
            }
            const Point middle = along(u, v, 0.5);
            const double nx = -(v.second - u.second) * 1e-6, ny = (v.first - u.first) * 1e-6;
            if (clip.contains(middle.first + nx, middle.second + ny)) {
                pieces.emplace_back(u, v);
            }
        }
    }
    // Chain the pieces into rings by their shared ends. Each step uses up
    // one piece, so the walks end after pieces.size() steps in all.
    std::map<Point, std::vector<std::size_t>> at_point;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        at_point[pieces[k].first].push_back(k);
        at_point[pieces[k].second].push_back(k);
    }
    std::vector<bool> used(pieces.size(), false);
    std::vector<Ring> rings;
    for (std::size_t first = 0; first < pieces.size(); ++first) {
        if (used[first]) {
            continue;
        }
        std::vector<Point> walk;
        Point at = pieces[first].first;
        std::size_t piece = first;
        while (true) {
            used[piece] = true;
            walk.push_back(at);
            at = pieces[piece].first == at ? pieces[piece].second : pieces[piece].first;
            const std::vector<std::size_t>& next = at_point[at];
            auto open = std::find_if(next.begin(), next.end(), [&](std::size_t k) { return !used[k]; });
            if (open == next.end()) {
                break;
            }
            piece = *open;
        }
        Ring ring = as_ring(walk);
        if (walk.size() >= 3 && signed_area(ring) != 0.0) {
            rings.push_back(std::move(ring));
        }
    }
    // Nesting: a ring inside an odd number of others is a hole, of the
    // ring one level up that holds it.
    std::vector<ClipPolygon> tests;
    for (const Ring& ring : rings) {
        tests.push_back(ring_polygon(ring));
    }
    std::vector<int> depth(rings.size(), 0);
    for (std::size_t r = 0; r < rings.size(); ++r) {
        // The middle of its first side: a corner may be shared with another ring.
        const double x = (rings[r][0] + rings[r][2]) / 2, y = (rings[r][1] + rings[r][3]) / 2;
        for (std::size_t s = 0; s < rings.size(); ++s) {
            depth[r] += s != r && tests[s].contains(x, y) ? 1 : 0;
        }
    }
    std::vector<RingPart> parts;
    std::vector<std::size_t> part_of(rings.size(), 0);
    for (std::size_t r = 0; r < rings.size(); ++r) {
        if (depth[r] % 2 == 0) {
            part_of[r] = parts.size();
            turn(rings[r], true);
            parts.push_back({rings[r]});
        }
    }
    for (std::size_t r = 0; r < rings.size(); ++r) {
        if (depth[r] % 2 == 0) {
            continue;
        }
        const double x = (rings[r][0] + rings[r][2]) / 2, y = (rings[r][1] + rings[r][3]) / 2;
        for (std::size_t s = 0; s < rings.size(); ++s) {
            if (depth[s] == depth[r] - 1 && tests[s].contains(x, y)) {
                turn(rings[r], false);
                parts[part_of[s]].push_back(rings[r]);
                break;
            }
        }
    }
    return parts;
}

}  // namespace d2dcli
