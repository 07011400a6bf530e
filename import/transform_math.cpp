#include "import/transform_math.h"

#include <algorithm>
#include <cmath>

Vec3d operator+(const Vec3d& a, const Vec3d& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3d operator-(const Vec3d& a, const Vec3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3d operator*(const Vec3d& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double length(const Vec3d& a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

Vec3d normalized(const Vec3d& a) {
  const double l = length(a);
  return l > 0.0 ? a * (1.0 / l) : Vec3d{};
}

namespace {

// The upper 3x3 as its own small matrix, row-major.
struct Mat3 {
  double m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

  double& at(int r, int c) { return m[3 * r + c]; }
  double at(int r, int c) const { return m[3 * r + c]; }

  double determinant() const {
    return at(0, 0) * (at(1, 1) * at(2, 2) - at(1, 2) * at(2, 1)) -
           at(0, 1) * (at(1, 0) * at(2, 2) - at(1, 2) * at(2, 0)) +
           at(0, 2) * (at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0));
  }

  // Inverse by cofactors; false when singular.
  bool inverse(Mat3& out) const {
    const double det = determinant();
    if (!(std::fabs(det) > 1e-300)) return false;
    const double k = 1.0 / det;
    out.at(0, 0) = (at(1, 1) * at(2, 2) - at(1, 2) * at(2, 1)) * k;
    out.at(0, 1) = (at(0, 2) * at(2, 1) - at(0, 1) * at(2, 2)) * k;
    out.at(0, 2) = (at(0, 1) * at(1, 2) - at(0, 2) * at(1, 1)) * k;
    out.at(1, 0) = (at(1, 2) * at(2, 0) - at(1, 0) * at(2, 2)) * k;
    out.at(1, 1) = (at(0, 0) * at(2, 2) - at(0, 2) * at(2, 0)) * k;
    out.at(1, 2) = (at(0, 2) * at(1, 0) - at(0, 0) * at(1, 2)) * k;
    out.at(2, 0) = (at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0)) * k;
    out.at(2, 1) = (at(0, 1) * at(2, 0) - at(0, 0) * at(2, 1)) * k;
    out.at(2, 2) = (at(0, 0) * at(1, 1) - at(0, 1) * at(1, 0)) * k;
    return true;
  }

  Mat3 transposed() const {
    Mat3 t;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) t.at(r, c) = at(c, r);
    return t;
  }

  Mat3 operator*(const Mat3& o) const {
    Mat3 p;
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int k = 0; k < 3; ++k) sum += at(r, k) * o.at(k, c);
        p.at(r, c) = sum;
      }
    }
    return p;
  }
};

Mat3 upper3(const Mat4d& a) {
  Mat3 u;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) u.at(r, c) = a.at(r, c);
  return u;
}

Mat4d embed(const Mat3& u, const Vec3d& translation) {
  Mat4d a;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) a.at(r, c) = u.at(r, c);
  a.at(3, 0) = translation.x;
  a.at(3, 1) = translation.y;
  a.at(3, 2) = translation.z;
  return a;
}

// The orthonormal factor of the polar decomposition, by the averaging
// iteration R <- (R + R^-T) / 2 (Higham, "Computing the polar decomposition").
Mat3 orthonormalFactor(const Mat3& start) {
  Mat3 r = start;
  for (int iteration = 0; iteration < 100; ++iteration) {
    Mat3 inverse;
    if (!r.inverse(inverse)) return Mat3{};
    const Mat3 inverseTransposed = inverse.transposed();
    double change = 0.0;
    Mat3 next;
    for (int i = 0; i < 9; ++i) {
      next.m[i] = 0.5 * (r.m[i] + inverseTransposed.m[i]);
      change = std::max(change, std::fabs(next.m[i] - r.m[i]));
    }
    r = next;
    if (change < 1e-15) break;
  }
  return r;
}

}  // namespace

Mat4d Mat4d::scaling(double s) {
  Mat4d a;
  a.at(0, 0) = a.at(1, 1) = a.at(2, 2) = s;
  return a;
}

Mat4d Mat4d::translation(const Vec3d& t) { return embed(Mat3{}, t); }

Mat4d Mat4d::operator*(const Mat4d& other) const {
  Mat4d p;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += at(r, k) * other.at(k, c);
      p.at(r, c) = sum;
    }
  }
  return p;
}

Mat4d Mat4d::inverse() const {
  Mat3 inv;
  if (!upper3(*this).inverse(inv)) return Mat4d{};
  const Vec3d t = translationPart();
  Vec3d it;
  it.x = -(t.x * inv.at(0, 0) + t.y * inv.at(1, 0) + t.z * inv.at(2, 0));
  it.y = -(t.x * inv.at(0, 1) + t.y * inv.at(1, 1) + t.z * inv.at(2, 1));
  it.z = -(t.x * inv.at(0, 2) + t.y * inv.at(1, 2) + t.z * inv.at(2, 2));
  return embed(inv, it);
}

Vec3d Mat4d::transformPoint(const Vec3d& p) const {
  return transformDirection(p) + translationPart();
}

Vec3d Mat4d::transformDirection(const Vec3d& d) const {
  return {d.x * at(0, 0) + d.y * at(1, 0) + d.z * at(2, 0),
          d.x * at(0, 1) + d.y * at(1, 1) + d.z * at(2, 1),
          d.x * at(0, 2) + d.y * at(1, 2) + d.z * at(2, 2)};
}

Vec3d Mat4d::transformNormal(const Vec3d& n) const {
  Mat3 inv;
  if (!upper3(*this).inverse(inv)) return normalized(transformDirection(n));
  // Row vectors: n' = n x (M^-1)^T.
  const Mat3 t = inv.transposed();
  return normalized({n.x * t.at(0, 0) + n.y * t.at(1, 0) + n.z * t.at(2, 0),
                     n.x * t.at(0, 1) + n.y * t.at(1, 1) + n.z * t.at(2, 1),
                     n.x * t.at(0, 2) + n.y * t.at(1, 2) + n.z * t.at(2, 2)});
}

double Mat4d::determinant3() const { return upper3(*this).determinant(); }

double Mat4d::maxDifference(const Mat4d& other) const {
  double largest = 0.0;
  for (int i = 0; i < 16; ++i) largest = std::max(largest, std::fabs(m[i] - other.m[i]));
  return largest;
}

Mat4d fromAssimp(const aiMatrix4x4& a) {
  const double rows[16] = {a.a1, a.a2, a.a3, a.a4, a.b1, a.b2, a.b3, a.b4,
                           a.c1, a.c2, a.c3, a.c4, a.d1, a.d2, a.d3, a.d4};
  Mat4d out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out.at(c, r) = rows[4 * r + c];
  return out;
}

Mat4d mirrorZ(const Mat4d& matrix) {
  Mat4d out = matrix;
  // Z x M x Z with Z = diag(1, 1, -1, 1) negates row 2 and column 2 (not their crossing).
  for (int i = 0; i < 4; ++i) {
    if (i != 2) {
      out.at(2, i) = -out.at(2, i);
      out.at(i, 2) = -out.at(i, 2);
    }
  }
  return out;
}

ScaleRigidSplit splitScaleRigid(const Mat4d& matrix) {
  const Mat3 m = upper3(matrix);
  Mat3 r = orthonormalFactor(m);
  if (r.determinant() < 0.0) {
    // A mirror cannot be a rotation: the scale part takes it.
    for (double& v : r.m) v = -v;
  }
  const Mat3 s = m * r.transposed();
  ScaleRigidSplit split;
  split.scale = embed(s, {});
  split.rigid = embed(r, matrix.translationPart());
  return split;
}

Mat4d rigidInverse(const Mat4d& rigid) {
  const Mat3 rt = upper3(rigid).transposed();
  const Vec3d t = rigid.translationPart();
  Vec3d it;
  it.x = -(t.x * rt.at(0, 0) + t.y * rt.at(1, 0) + t.z * rt.at(2, 0));
  it.y = -(t.x * rt.at(0, 1) + t.y * rt.at(1, 1) + t.z * rt.at(2, 1));
  it.z = -(t.x * rt.at(0, 2) + t.y * rt.at(1, 2) + t.z * rt.at(2, 2));
  return embed(rt, it);
}

Matrix4 toMatrix4(const Mat4d& matrix) {
  Matrix4 out;
  for (int i = 0; i < 16; ++i) out.m[i] = static_cast<float>(matrix.m[i]);
  return out;
}
