#pragma once
// Inside the drawing layer: flattened curves and the outlines of wide pens.
// Stroke outlines are a set of contours (segment bodies, caps, joins) whose
// union, filled with the winding rule, is the stroked area.

#include "platform/Pen.h"
#include "platform/Raster.h"

#include <span>
#include <vector>

namespace vellinor {

// Closed polygon of an ellipse centred on (cx, cy).
TContour EllipsePath(double cx, double cy, double rx, double ry);
// Open polyline of an elliptic arc from angle `start` sweeping `sweep` radians,
// angles counter-clockwise on the screen (y grows downwards).
TContour ArcPath(double cx, double cy, double rx, double ry, double start, double sweep);
// Appends the flattened cubic Bezier from p0 to p3 (without p0).
void FlattenBezier(TPointF p0, TPointF p1, TPointF p2, TPointF p3, TContour& out);

// Appends the contours of the stroke of a polyline with the pen's width,
// caps (open polylines) and joins.
void StrokePolyline(const TContour& points, bool closed, double width, TPenEndCap cap,
                    TPenJoin join, std::vector<TContour>& out);
// Cuts a polyline into its dashes (run lengths in pixels, starting with "on").
// Only dashes that can reach `visible` are produced, so that huge paths stay
// cheap.
std::vector<TContour> DashPolyline(const TContour& points, bool closed,
                                   std::span<const double> pattern, const TRect& visible);

} // namespace vellinor
