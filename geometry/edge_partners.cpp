#include "geometry/edge_partners.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

constexpr double kTolerance = static_cast<double>(kEdgeMatchTolerance);
constexpr double kCellsPerUnit = 1.0 / kEdgeCellSize;
// Cells are clamped far inside int64 so huge coordinates share edge cells
// instead of overflowing; clamping keeps neighbouring points in neighbouring cells.
constexpr double kCellLimit = 4611686018427387904.0;  // 2^62
static_assert(4.0 * kTolerance * kCellsPerUnit < 1.0,
              "a query's tolerance box must span at most two cells per axis");

// Cells are centred on multiples of the cell size, so round coordinates (0,
// integers, halves) sit mid-cell and rarely make a query look into two cells.
int64_t cellOf(double coordinate) {
  const double cell = std::floor(coordinate * kCellsPerUnit + 0.5);
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

// Edges grouped by key in chains. Edges are added in descending number, each
// at the head of its chain, so every chain runs in ascending edge number and
// the first match met in a walk is the lowest-numbered one. A slot keeps only
// 32 bits of its key: keys that share them share a chain, which costs a few
// extra candidates but never a match, since every candidate is compared exactly.
class EdgeTable {
 public:
  explicit EdgeTable(int32_t edgeCount) : next_(static_cast<size_t>(edgeCount), -1) {
    size_t slots = 16;
    while (slots < 2 * static_cast<size_t>(edgeCount)) slots *= 2;
    mask_ = slots - 1;
    slots_.assign(slots, Slot{});
  }

  void add(uint64_t key, int32_t edge) {
    Slot& slot = slots_[indexOf(key)];
    slot.tag = static_cast<uint32_t>(key >> 32);
    next_[static_cast<size_t>(edge)] = slot.head;
    slot.head = edge;
  }

  // The first edge of the key's chain, or -1.
  int32_t first(uint64_t key) const { return slots_[indexOf(key)].head; }
  int32_t next(int32_t edge) const { return next_[static_cast<size_t>(edge)]; }

 private:
  struct Slot {
    uint32_t tag = 0;
    int32_t head = -1;  // -1: empty slot
  };

  // The key's slot, or the empty slot where it belongs.
  size_t indexOf(uint64_t key) const {
    const auto tag = static_cast<uint32_t>(key >> 32);
    size_t index = key & mask_;
    while (slots_[index].head >= 0 && slots_[index].tag != tag) index = (index + 1) & mask_;
    return index;
  }

  std::vector<int32_t> next_;
  std::vector<Slot> slots_;
  size_t mask_ = 0;
};

}  // namespace

bool edgePointsMatch(const Vector3& a, const Vector3& b) {
  return withinTolerance(a.x, b.x) && withinTolerance(a.y, b.y) && withinTolerance(a.z, b.z);
}

namespace {

// The lowest-numbered stored edge that runs from i1's point to i0's, or -1.
int32_t firstPartner(const EdgeTable& table, const Vector3* positions, int32_t query) {
  const Corners c = edgeCorners(query);
  const Vector3& i0 = positions[c.from];
  const Vector3& i1 = positions[c.to];
  if (!isFinite(i0) || !isFinite(i1)) return -1;

  // Per axis, the cells that any point within tolerance can fall into:
  // one, or two when the point lies near a cell wall.
  const double coordinates[6] = {i0.x, i0.y, i0.z, i1.x, i1.y, i1.z};
  int64_t low[6];
  int split[6];
  int splitCount = 0;
  for (int axis = 0; axis < 6; ++axis) {
    low[axis] = cellOf(coordinates[axis] - 2.0 * kTolerance);
    if (cellOf(coordinates[axis] + 2.0 * kTolerance) != low[axis]) split[splitCount++] = axis;
  }

  int32_t best = -1;
  for (int combination = 0; combination < (1 << splitCount); ++combination) {
    int64_t cells[6];
    for (int axis = 0; axis < 6; ++axis) cells[axis] = low[axis];
    for (int s = 0; s < splitCount; ++s) cells[split[s]] += (combination >> s) & 1;

    for (int32_t edge = table.first(hashCells(cells)); edge >= 0; edge = table.next(edge)) {
      if (best >= 0 && edge >= best) break;
      const Corners candidate = edgeCorners(edge);
      if (edgePointsMatch(i0, positions[candidate.to]) &&
          edgePointsMatch(i1, positions[candidate.from])) {
        best = edge;
        break;
      }
    }
  }
  return best;
}

}  // namespace

std::vector<int32_t> findEdgePartners(const Vector3* positions, int32_t cornerCount) {
  const int32_t triangles = cornerCount / 3;
  const int32_t edges = 3 * triangles;
  std::vector<int32_t> partner(static_cast<size_t>(edges), -1);
  if (triangles < 2) return partner;

  // A stored edge (j0, j1) is keyed by the cells of (j1, j0): the order in
  // which a query edge (i0, i1) names the points it must meet. Triangles are
  // queried from the last down, so the table holds exactly the later ones.
  EdgeTable table(edges);
  for (int32_t triangle = triangles - 2; triangle >= 0; --triangle) {
    for (int32_t edge = 3 * triangle + 5; edge >= 3 * triangle + 3; --edge) {
      const Corners c = edgeCorners(edge);
      const Vector3& a = positions[c.to];
      const Vector3& b = positions[c.from];
      if (!isFinite(a) || !isFinite(b)) continue;
      const int64_t cells[6] = {cellOf(a.x), cellOf(a.y), cellOf(a.z),
                                cellOf(b.x), cellOf(b.y), cellOf(b.z)};
      table.add(hashCells(cells), edge);
    }
    for (int32_t query = 3 * triangle; query < 3 * triangle + 3; ++query) {
      partner[static_cast<size_t>(query)] = firstPartner(table, positions, query);
    }
  }
  return partner;
}

namespace {

// The two points of a directed edge as bit patterns, -0 folded into 0.
struct ExactEdge {
  uint32_t bits[6];
  bool operator==(const ExactEdge& other) const {
    for (int i = 0; i < 6; ++i) {
      if (bits[i] != other.bits[i]) return false;
    }
    return true;
  }
};

uint32_t exactBits(float value) {
  if (value == 0.0f) value = 0.0f;
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

ExactEdge exactEdge(const Vector3& from, const Vector3& to) {
  return {{exactBits(from.x), exactBits(from.y), exactBits(from.z), exactBits(to.x),
           exactBits(to.y), exactBits(to.z)}};
}

uint64_t hashExact(const ExactEdge& edge) {
  uint64_t h = 0x9e3779b97f4a7c15ULL;
  for (uint32_t bits : edge.bits) h = mix(h ^ bits) + 0x9e3779b97f4a7c15ULL;
  return h;
}

}  // namespace

int32_t countIdenticalEdgePartners(const Vector3* positions, int32_t cornerCount) {
  const int32_t triangles = cornerCount / 3;
  if (triangles < 2) return 0;
  // Open addressing: each directed edge keeps the last triangle that has it.
  struct Slot {
    ExactEdge edge;
    int32_t lastTriangle = -1;
  };
  size_t size = 16;
  while (size < 2 * static_cast<size_t>(3 * triangles)) size *= 2;
  std::vector<Slot> slots(size);
  const size_t mask = size - 1;
  auto find = [&](const ExactEdge& edge) -> Slot& {
    size_t at = static_cast<size_t>(hashExact(edge)) & mask;
    while (slots[at].lastTriangle >= 0 && !(slots[at].edge == edge)) at = (at + 1) & mask;
    return slots[at];
  };
  for (int32_t t = 0; t < triangles; ++t) {
    for (int32_t e = 0; e < 3; ++e) {
      const Corners c = edgeCorners(3 * t + e);
      if (!isFinite(positions[c.from]) || !isFinite(positions[c.to])) continue;
      Slot& slot = find(exactEdge(positions[c.from], positions[c.to]));
      slot.edge = exactEdge(positions[c.from], positions[c.to]);
      slot.lastTriangle = t;
    }
  }
  int32_t paired = 0;
  for (int32_t t = 0; t + 1 < triangles; ++t) {
    for (int32_t e = 0; e < 3; ++e) {
      const Corners c = edgeCorners(3 * t + e);
      if (!isFinite(positions[c.from]) || !isFinite(positions[c.to])) continue;
      if (find(exactEdge(positions[c.to], positions[c.from])).lastTriangle > t) ++paired;
    }
  }
  return paired;
}
