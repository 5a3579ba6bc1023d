#include "platform/Stroke.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vellinor {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kMiterLimit = 10.0;
constexpr int kMaxCurveSegments = 2048;

int SegmentsFor(double radius, double sweep) {
    if (!(radius > 0.5))
        return std::max(4, static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 4))));
    // Keep the chord within a quarter pixel of the curve.
    const double step = 2 * std::acos(std::max(-1.0, 1 - 0.25 / radius));
    const double n = std::ceil(std::abs(sweep) / std::max(step, 1e-3));
    return static_cast<int>(std::clamp(n, 4.0, static_cast<double>(kMaxCurveSegments)));
}

double SignedArea(const TContour& c) {
    double a = 0;
    for (size_t i = 0, n = c.size(); i < n; ++i) {
        const TPointF p = c[i], q = c[(i + 1) % n];
        a += p.X * q.Y - q.X * p.Y;
    }
    return a / 2;
}

void Emit(TContour c, std::vector<TContour>& out) {
    if (c.size() < 3) return;
    if (SignedArea(c) < 0) std::reverse(c.begin(), c.end());
    out.push_back(std::move(c));
}

void EmitDisc(TPointF centre, double radius, std::vector<TContour>& out) {
    Emit(EllipsePath(centre.X, centre.Y, radius, radius), out);
}

TPointF Unit(TPointF a, TPointF b) {
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    const double len = std::hypot(dx, dy);
    return len > 0 ? TPointF{dx / len, dy / len} : TPointF{1, 0};
}

void EmitJoin(TPointF v, TPointF d1, TPointF d2, double half, TPenJoin join,
              std::vector<TContour>& out) {
    if (join == pjRound) {
        EmitDisc(v, half, out);
        return;
    }
    const double cross = d1.X * d2.Y - d1.Y * d2.X;
    if (std::abs(cross) < 1e-12 && d1.X * d2.X + d1.Y * d2.Y > 0) return; // straight on
    const double side = cross > 0 ? -1.0 : 1.0;
    const TPointF n1{-d1.Y * side, d1.X * side};
    const TPointF n2{-d2.Y * side, d2.X * side};
    const TPointF a{v.X + n1.X * half, v.Y + n1.Y * half};
    const TPointF b{v.X + n2.X * half, v.Y + n2.Y * half};
    const double dot = n1.X * n2.X + n1.Y * n2.Y;
    if (join == pjMiter && 1 + dot > 1e-9 && std::sqrt(2 / (1 + dot)) <= kMiterLimit) {
        const double k = half / (1 + dot);
        const TPointF m{v.X + (n1.X + n2.X) * k, v.Y + (n1.Y + n2.Y) * k};
        Emit({v, a, m, b}, out);
    } else {
        Emit({v, a, b}, out);
    }
}

TContour WithoutRepeats(const TContour& points, bool closed) {
    TContour p;
    p.reserve(points.size());
    for (const TPointF& q : points) {
        if (!std::isfinite(q.X) || !std::isfinite(q.Y)) continue;
        if (p.empty() || p.back().X != q.X || p.back().Y != q.Y) p.push_back(q);
    }
    if (closed && p.size() > 1 && p.front().X == p.back().X && p.front().Y == p.back().Y)
        p.pop_back();
    return p;
}

} // namespace

TContour EllipsePath(double cx, double cy, double rx, double ry) {
    const int n = SegmentsFor(std::max(std::abs(rx), std::abs(ry)), 2 * kPi);
    TContour c;
    c.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = 2 * kPi * i / n;
        c.push_back({cx + rx * std::cos(t), cy - ry * std::sin(t)});
    }
    return c;
}

TContour ArcPath(double cx, double cy, double rx, double ry, double start, double sweep) {
    const int n = SegmentsFor(std::max(std::abs(rx), std::abs(ry)), sweep);
    TContour c;
    c.reserve(static_cast<size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const double t = start + sweep * i / n;
        c.push_back({cx + rx * std::cos(t), cy - ry * std::sin(t)});
    }
    return c;
}

void FlattenBezier(TPointF p0, TPointF p1, TPointF p2, TPointF p3, TContour& out) {
    // Segment count from the control polygon's deviation (Wang's bound).
    const double ddx = std::max(std::abs(p0.X - 2 * p1.X + p2.X), std::abs(p1.X - 2 * p2.X + p3.X));
    const double ddy = std::max(std::abs(p0.Y - 2 * p1.Y + p2.Y), std::abs(p1.Y - 2 * p2.Y + p3.Y));
    const double dd = std::hypot(ddx, ddy);
    double n = std::ceil(std::sqrt(dd * 3.0 / (4 * 0.25)));
    if (!std::isfinite(n)) n = kMaxCurveSegments;
    const int segments =
        static_cast<int>(std::clamp(n, 1.0, static_cast<double>(kMaxCurveSegments)));
    for (int i = 1; i <= segments; ++i) {
        const double t = static_cast<double>(i) / segments, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        out.push_back(
            {a * p0.X + b * p1.X + c * p2.X + d * p3.X, a * p0.Y + b * p1.Y + c * p2.Y + d * p3.Y});
    }
}

void StrokePolyline(const TContour& points, bool closed, double width, TPenEndCap cap,
                    TPenJoin join, std::vector<TContour>& out) {
    const TContour p = WithoutRepeats(points, closed);
    const double half = std::max(width, 1.0) / 2;
    if (p.size() < 2) return;
    const size_t segments = closed ? p.size() : p.size() - 1;
    for (size_t i = 0; i < segments; ++i) {
        TPointF a = p[i];
        TPointF b = p[(i + 1) % p.size()];
        const TPointF d = Unit(a, b);
        if (!closed && cap == pecSquare) {
            if (i == 0) a = {a.X - d.X * half, a.Y - d.Y * half};
            if (i + 1 == segments) b = {b.X + d.X * half, b.Y + d.Y * half};
        }
        const TPointF n{-d.Y * half, d.X * half};
        Emit({{a.X + n.X, a.Y + n.Y},
              {b.X + n.X, b.Y + n.Y},
              {b.X - n.X, b.Y - n.Y},
              {a.X - n.X, a.Y - n.Y}},
             out);
    }
    const size_t first = closed ? 0 : 1;
    const size_t last = closed ? p.size() : p.size() - 1;
    for (size_t i = first; i < last; ++i) {
        const TPointF prev = p[(i + p.size() - 1) % p.size()];
        const TPointF v = p[i];
        const TPointF next = p[(i + 1) % p.size()];
        EmitJoin(v, Unit(prev, v), Unit(v, next), half, join, out);
    }
    if (!closed && cap == pecRound) {
        EmitDisc(p.front(), half, out);
        EmitDisc(p.back(), half, out);
    }
}

std::vector<TContour> DashPolyline(const TContour& points, bool closed,
                                   std::span<const double> pattern, const TRect& visible) {
    std::vector<TContour> dashes;
    TContour p = WithoutRepeats(points, closed);
    if (p.size() < 2 || pattern.empty()) return dashes;
    if (closed) p.push_back(p.front());
    double period = 0;
    for (double d : pattern)
        period += d;
    if (!(period > 0)) return dashes;
    // Dashes are produced from `index`/`left` (the run being walked and what is
    // left of it) along the path.
    size_t index = 0;
    double left = pattern[0];
    TContour current;
    auto advance = [&](double distance) {
        // Skips `distance` of pattern without producing anything.
        double d = std::fmod(distance, period);
        while (d > 0) {
            if (d < left) {
                left -= d;
                return;
            }
            d -= left;
            index = (index + 1) % pattern.size();
            left = pattern[index];
        }
    };
    const double vx0 = visible.Left, vy0 = visible.Top, vx1 = visible.Right, vy1 = visible.Bottom;
    for (size_t s = 0; s + 1 < p.size(); ++s) {
        const TPointF a = p[s], b = p[s + 1];
        const double len = std::hypot(b.X - a.X, b.Y - a.Y);
        if (!(len > 0)) continue;
        // The part of the segment inside the visible box (Liang-Barsky).
        double t0 = 0, t1 = 1;
        const double dx = b.X - a.X, dy = b.Y - a.Y;
        const double pq[4][2] = {
            {-dx, a.X - vx0}, {dx, vx1 - a.X}, {-dy, a.Y - vy0}, {dy, vy1 - a.Y}};
        bool outside = false;
        for (const auto& [pp, qq] : pq) {
            if (pp == 0) {
                if (qq < 0) outside = true;
                continue;
            }
            const double r = qq / pp;
            if (pp < 0)
                t0 = std::max(t0, r);
            else
                t1 = std::min(t1, r);
        }
        if (outside || t0 > t1) {
            if (!current.empty()) dashes.push_back(std::move(current)), current.clear();
            advance(len);
            continue;
        }
        double pos = 0;
        if (t0 > 0) {
            if (!current.empty()) dashes.push_back(std::move(current)), current.clear();
            advance(t0 * len);
            pos = t0 * len;
        }
        const double end = t1 * len;
        while (pos < end) {
            const double step = std::min(left, end - pos);
            const bool on = index % 2 == 0;
            const TPointF from{a.X + dx * pos / len, a.Y + dy * pos / len};
            const TPointF to{a.X + dx * (pos + step) / len, a.Y + dy * (pos + step) / len};
            if (on) {
                if (current.empty()) current.push_back(from);
                current.push_back(to);
            }
            pos += step;
            left -= step;
            if (left <= 1e-9) {
                if (on && !current.empty()) dashes.push_back(std::move(current)), current.clear();
                index = (index + 1) % pattern.size();
                left = pattern[index];
            }
        }
        if (end < len) {
            if (!current.empty()) dashes.push_back(std::move(current)), current.clear();
            advance(len - end);
        }
    }
    if (!current.empty()) dashes.push_back(std::move(current));
    return dashes;
}

} // namespace vellinor
