#pragma once
#include <cstdint>
#include <vector>

#include "geometry/vector3.h"

// Largest difference per coordinate at which two corner positions still count
// as the same point (both bounds included; the difference is taken in double).
inline constexpr float kEdgeMatchTolerance = 0.00001f;

// Edge length of a spatial-hash cell: a power of two, so the cell of a float
// is an exact scaling, and far more than twice the tolerance, so the points
// within tolerance of a query lie in at most two cells per axis. Cells are
// centred on the multiples of the size; their walls lie at (k + 1/2) x size.
inline constexpr double kEdgeCellSize = 1.0 / 1024.0;

// True when a and b lie within the tolerance in every coordinate. NaN or
// infinite coordinates never compare equal.
bool edgePointsMatch(const Vector3& a, const Vector3& b);

// Edge e (0, 1, 2) of triangle t is (3t, 3t+1), (3t+1, 3t+2), (3t+2, 3t); its
// number is 3t + e. For every edge of the triangles 0 .. T-2 of a triangle list
// over `cornerCount` corners (T = cornerCount / 3, `positions` holds one entry
// per corner) this gives the number of the first edge of a later triangle,
// in ascending edge number, that joins the same two points in the opposite
// direction, or -1 when there is none. The result has 3T entries; those of the
// last triangle are always -1. Runs in O(n log n) through a spatial hash.
std::vector<int32_t> findEdgePartners(const Vector3* positions, int32_t cornerCount);

// A lower bound of the number of edges findEdgePartners pairs, found without
// its search: the edges of triangles 0 .. T-2 for which a later triangle has
// an edge joining bit-for-bit the same two points in the opposite direction
// (0 and -0 alike; such points always lie within the tolerance). It equals
// the paired count unless distinct points lie within the tolerance of each
// other. A plain hash of exact keys, several times cheaper than the search.
int32_t countIdenticalEdgePartners(const Vector3* positions, int32_t cornerCount);
