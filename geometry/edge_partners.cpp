#include "geometry/edge_partners.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTolerance = static_cast<double>(kEdgeMatchTolerance);
constexpr double kCellsPerUnit = 1.0 / kEdgeCellSize;
// Cells are clamped far inside int64 so huge coordinates share edge cells
// instead of overflowing; clamping keeps neighbouring points in neighbouring cells.
constexpr double kCellLimit = 4611686018427387904.0;  // 2^62
static_assert(4.0 * kTolerance * kCellsPerUnit < 1.0,
              "a query's tolerance box must span at most two cells per axis");

int64_t cellOf(double coordinate) {
  const double cell = std::floor(coordinate * kCellsPerUnit);
  return static_cast<int64_t>(std::clamp(cell, -kCellLimit, kCellLimit));
}

bool isFinite(const Vector3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool withinTolerance(float a, float b) {
  const double difference = static_cast<double>(a) - static_cast<double>(b);
  return difference >= -kTolerance && difference <= kTolerance;
}

// splitmix64 finaliser: spreads neighbouring cell numbers over the whole key.
uint64_t mix(uint64_t h) {
  h ^= h >> 30;
  h *= 0xbf58476d1ce4e5b9ULL;
  h ^= h >> 27;
  h *= 0x94d049bb133111ebULL;
  h ^= h >> 31;
  return h;
}

uint64_t hashCells(const int64_t (&cells)[6]) {
  uint64_t h = 0x9e3779b97f4a7c15ULL;
  for (int64_t cell : cells) h = mix(h ^ static_cast<uint64_t>(cell)) + 0x9e3779b97f4a7c15ULL;
  return h;
}

struct Corners {
  int32_t from;
  int32_t to;
};

Corners edgeCorners(int32_t edge) {
  const int32_t first = edge - edge % 3;
  return {edge, edge % 3 == 2 ? first : edge + 1};
}

struct Entry {
  uint64_t key;
  int32_t edge;
  bool operator<(const Entry& other) const {
    return key != other.key ? key < other.key : edge < other.edge;
  }
};

}  // namespace

bool edgePointsMatch(const Vector3& a, const Vector3& b) {
  return withinTolerance(a.x, b.x) && withinTolerance(a.y, b.y) && withinTolerance(a.z, b.z);
}

std::vector<int32_t> findEdgePartners(const Vector3* positions, int32_t cornerCount) {
  const int32_t triangles = cornerCount / 3;
  const int32_t edges = 3 * triangles;
  std::vector<int32_t> partner(static_cast<size_t>(edges), -1);
  if (triangles < 2) return partner;

  // A stored edge (j0, j1) is keyed by the cells of (j1, j0): the order in
  // which a query edge (i0, i1) names the points it must meet.
  std::vector<Entry> table;
  table.reserve(static_cast<size_t>(edges - 3));
  for (int32_t edge = 3; edge < edges; ++edge) {
    const Corners c = edgeCorners(edge);
    const Vector3& a = positions[c.to];
    const Vector3& b = positions[c.from];
    if (!isFinite(a) || !isFinite(b)) continue;
    const int64_t cells[6] = {cellOf(a.x), cellOf(a.y), cellOf(a.z),
                              cellOf(b.x), cellOf(b.y), cellOf(b.z)};
    table.push_back({hashCells(cells), edge});
  }
  std::sort(table.begin(), table.end());

  for (int32_t query = 0; query < edges - 3; ++query) {
    const Corners c = edgeCorners(query);
    const Vector3& i0 = positions[c.from];
    const Vector3& i1 = positions[c.to];
    if (!isFinite(i0) || !isFinite(i1)) continue;

    // Per axis, the cells that any point within tolerance can fall into.
    const double coordinates[6] = {i0.x, i0.y, i0.z, i1.x, i1.y, i1.z};
    int64_t low[6];
    int64_t high[6];
    for (int axis = 0; axis < 6; ++axis) {
      low[axis] = cellOf(coordinates[axis] - 2.0 * kTolerance);
      high[axis] = cellOf(coordinates[axis] + 2.0 * kTolerance);
    }

    const int32_t firstLater = query - query % 3 + 3;
    int32_t best = -1;
    int64_t cells[6];
    for (int combination = 0; combination < 64; ++combination) {
      bool valid = true;
      for (int axis = 0; axis < 6; ++axis) {
        const int step = (combination >> axis) & 1;
        if (step == 1 && high[axis] == low[axis]) valid = false;
        cells[axis] = low[axis] + step;
      }
      if (!valid) continue;

      const uint64_t key = hashCells(cells);
      auto it = std::lower_bound(table.begin(), table.end(), Entry{key, firstLater});
      for (; it != table.end() && it->key == key; ++it) {
        if (best >= 0 && it->edge >= best) break;
        const Corners candidate = edgeCorners(it->edge);
        if (edgePointsMatch(i0, positions[candidate.to]) &&
            edgePointsMatch(i1, positions[candidate.from])) {
          best = it->edge;
          break;
        }
      }
    }
    partner[static_cast<size_t>(query)] = best;
  }
  return partner;
}
