#include "tools/demo_generator/box_mesh.h"

Matrix4 inverseRigid(const Matrix4& m) {
  Matrix4 inverse;
  inverse.setIdentity();
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) inverse.at(row, column) = m.at(column, row);
  }
  for (int column = 0; column < 3; ++column) {
    double sum = 0.0;
    for (int k = 0; k < 3; ++k) sum += double(m.at(3, k)) * m.at(column, k);
    inverse.at(3, column) = static_cast<float>(-sum);
  }
  return inverse;
}

Vector3 transformPoint(const Vector3& p, const Matrix4& m) {
  Vector3 out;
  out.x = p.x * m.at(0, 0) + p.y * m.at(1, 0) + p.z * m.at(2, 0) + m.at(3, 0);
  out.y = p.x * m.at(0, 1) + p.y * m.at(1, 1) + p.z * m.at(2, 1) + m.at(3, 1);
  out.z = p.x * m.at(0, 2) + p.y * m.at(1, 2) + p.z * m.at(2, 2) + m.at(3, 2);
  return out;
}

Vector3 transformDirection(const Vector3& d, const Matrix4& m) {
  Vector3 out;
  out.x = d.x * m.at(0, 0) + d.y * m.at(1, 0) + d.z * m.at(2, 0);
  out.y = d.x * m.at(0, 1) + d.y * m.at(1, 1) + d.z * m.at(2, 1);
  out.z = d.x * m.at(0, 2) + d.y * m.at(1, 2) + d.z * m.at(2, 2);
  return out;
}

BoxMeshBuilder::BoxMeshBuilder(ModelDescription& model, bool skinned)
    : model_(model), skinned_(skinned) {
  if (skinned_) {
    model_.weightsPerVertex = 4;
    model_.paletteIndicesPerVertex = 4;
  }
}

void BoxMeshBuilder::addBox(const Vector3& min, const Vector3& max, const Matrix4& toModel,
                            uint8_t bone) {
  // Corner i takes x from bit 0, y from bit 1, z from bit 2.
  auto corner = [&](int i) {
    return transformPoint(
        Vector3{(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z},
        toModel);
  };
  struct Face {
    int corners[4];
    Vector3 normal;
  };
  // Corners top-left, top-right, bottom-right, bottom-left as seen from
  // outside with +y up (the top and bottom faces with their far edge up),
  // so a texture stands upright on the sides.
  static const Face kFaces[6] = {
      {{6, 2, 0, 4}, {-1, 0, 0}}, {{3, 7, 5, 1}, {1, 0, 0}},  {{0, 1, 5, 4}, {0, -1, 0}},
      {{6, 7, 3, 2}, {0, 1, 0}},  {{2, 3, 1, 0}, {0, 0, -1}}, {{7, 6, 4, 5}, {0, 0, 1}},
  };
  for (const Face& face : kFaces) {
    const Vector3 corners[4] = {corner(face.corners[0]), corner(face.corners[1]),
                                corner(face.corners[2]), corner(face.corners[3])};
    addQuad(corners, transformDirection(face.normal, toModel), bone);
  }
}

void BoxMeshBuilder::addQuad(const Vector3 corners[4], const Vector3& normal, uint8_t bone) {
  static const TexCoord2 kUv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  int order[4] = {0, 1, 2, 3};
  // Front faces turn clockwise on screen, which for a face seen from outside
  // means (b - a) x (c - a) points along the outward normal.
  const Vector3 e1 = corners[1].subtract(corners[0]);
  const Vector3 e2 = corners[2].subtract(corners[0]);
  if (e1.cross(e2).dot(normal) < 0.0) {
    order[1] = 3;
    order[3] = 1;
  }
  const auto first = static_cast<uint16_t>(model_.positions.size());
  for (int i : order) addVertex(corners[i], normal, kUv[i], bone);
  for (uint16_t i : {0, 1, 2, 0, 2, 3}) model_.indices.push_back(static_cast<uint16_t>(first + i));
}

void BoxMeshBuilder::addVertex(const Vector3& position, const Vector3& normal, TexCoord2 uv,
                               uint8_t bone) {
  Vector3 unit = normal;
  unit.normalize();
  model_.positions.push_back(position);
  model_.normals.push_back(unit);
  model_.texCoords0.push_back(uv);
  if (skinned_) {
    for (float weight : {1.0f, 0.0f, 0.0f, 0.0f}) model_.blendWeights.push_back(weight);
    for (int i = 0; i < 4; ++i) model_.paletteIndices.push_back(bone);
  }
}
