#include "tiles/whole_hull.hpp"

#include <algorithm>
#include <cmath>

#include "formats/controls/exact_side.hpp"

namespace d2dcli {

namespace {

using Point = std::pair<double, double>;

int side(const Point& a, const Point& b, const Point& p) {
    return exact_side(a.first, a.second, b.first, b.second, p.first, p.second);
}

}  // namespace

void WholeHull::merge() {
    if (pending_.empty()) {
        return;
    }
    // Andrew's monotone chain over the corners so far and the new points:
    // the hull of the union is the hull of the points seen. Each point is
    // pushed once and popped at most once per chain: linear after the sort.
    std::vector<Point> points = std::move(pending_);
    pending_.clear();
    points.insert(points.end(), corners_.begin(), corners_.end());
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3) {
        corners_ = points;
        return;
    }
    std::vector<Point> hull(2 * points.size());
    std::size_t k = 0;
    for (const Point& p : points) {  // lower chain, left to right
        while (k >= 2 && side(hull[k - 2], hull[k - 1], p) <= 0) {
            --k;
        }
        hull[k++] = p;
    }
    const std::size_t lower = k + 1;
    for (std::size_t i = points.size() - 1; i-- > 0;) {  // upper chain, right to left
        while (k >= lower && side(hull[k - 2], hull[k - 1], points[i]) <= 0) {
            --k;
        }
        hull[k++] = points[i];
    }
    hull.resize(k - 1);  // the last point is the first again
    corners_ = std::move(hull);
}

bool WholeHull::outside(double x, double y) const {
    const Point p{x, y};
    if (corners_.size() < 3) {
        // No area: outside unless on the segment (or the point) itself.
        if (corners_.empty()) {
            return true;
        }
        const Point& a = corners_.front();
        const Point& b = corners_.back();
        return side(a, b, p) != 0 || p < std::min(a, b) || std::max(a, b) < p;
    }
    for (std::size_t k = 0; k < corners_.size(); ++k) {
        if (side(corners_[k], corners_[(k + 1) % corners_.size()], p) < 0) {
            return true;
        }
    }
    return false;
}

bool WholeHull::on_one_edge(double ax, double ay, double bx, double by) const {
    if (corners_.size() < 3) {
        return true;  // every point lies on the one line
    }
    for (std::size_t k = 0; k < corners_.size(); ++k) {
        const Point& p = corners_[k];
        const Point& q = corners_[(k + 1) % corners_.size()];
        if (side(p, q, {ax, ay}) == 0 && side(p, q, {bx, by}) == 0) {
            return true;
        }
    }
    return false;
}

std::optional<WholeHull::Edge> WholeHull::edge_near(double x, double y, double distance) const {
    std::optional<Edge> box;
    double best = distance;
    for (std::size_t k = 0; k < corners_.size() && corners_.size() >= 3; ++k) {
        const Point& p = corners_[k];
        const Point& q = corners_[(k + 1) % corners_.size()];
        const double dx = q.first - p.first, dy = q.second - p.second;
        const double length2 = dx * dx + dy * dy;
        const double t = std::clamp(((x - p.first) * dx + (y - p.second) * dy) / length2, 0.0, 1.0);
        const double d = std::hypot(x - (p.first + t * dx), y - (p.second + t * dy));
        if (d <= best) {
            best = d;
            box = Edge{p.first, p.second, q.first, q.second};
        }
    }
    return box;
}

std::vector<WholeHull::Edge> WholeHull::edges_through(double x, double y) const {
    std::vector<Edge> edges;
    for (std::size_t k = 0; k < corners_.size() && corners_.size() >= 3; ++k) {
        const Point& p = corners_[k];
        const Point& q = corners_[(k + 1) % corners_.size()];
        if (side(p, q, {x, y}) == 0) {
            edges.push_back({p.first, p.second, q.first, q.second});
        }
    }
    return edges;
}

}  // namespace d2dcli
