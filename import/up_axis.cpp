#include "import/up_axis.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

// Extensions of Z-up formats the importer does not turn.
constexpr const char* kZUpExtensions[] = {".smd", ".q3o", ".q3s", ".iqm", ".csm"};

bool metadataInt(const aiScene& scene, const char* key, int* value) {
  if (scene.mMetaData == nullptr) return false;
  int32_t asInt = 0;
  if (scene.mMetaData->Get(key, asInt)) {
    *value = asInt;
    return true;
  }
  uint64_t asUnsigned = 0;
  if (scene.mMetaData->Get(key, asUnsigned)) {
    *value = static_cast<int>(asUnsigned);
    return true;
  }
  double asDouble = 0.0;
  if (scene.mMetaData->Get(key, asDouble)) {
    *value = static_cast<int>(asDouble);
    return true;
  }
  float asFloat = 0.0f;
  if (scene.mMetaData->Get(key, asFloat)) {
    *value = static_cast<int>(asFloat);
    return true;
  }
  return false;
}

Mat4d rowsOf(const Vec3d& x, const Vec3d& y, const Vec3d& z) {
  Mat4d m;
  const Vec3d rows[3] = {x, y, z};
  for (int r = 0; r < 3; ++r) {
    m.at(r, 0) = rows[r].x;
    m.at(r, 1) = rows[r].y;
    m.at(r, 2) = rows[r].z;
  }
  return m;
}

Vec3d unitVector(int axis, int sign) {
  Vec3d v;
  (axis == 0 ? v.x : axis == 1 ? v.y : v.z) = sign;
  return v;
}

}  // namespace

bool parseUpAxis(const std::string& text, UpAxis* up) {
  std::string rest = text;
  int sign = 1;
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
    sign = rest[0] == '-' ? -1 : 1;
    rest.erase(0, 1);
  }
  if (rest.size() != 1) return false;
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
  if (letter < 'x' || letter > 'z') return false;
  up->axis = letter - 'x';
  up->sign = sign;
  return true;
}

std::string upAxisName(const UpAxis& up) {
  return std::string(up.sign < 0 ? "-" : "+") + static_cast<char>('X' + up.axis);
}

UpAxis declaredUpAxis(const aiScene& scene, const std::string& path) {
  UpAxis up;
  int axis = 0;
  if (metadataInt(scene, "UpAxis", &axis) && axis >= 0 && axis <= 2) {
    int sign = 1;
    metadataInt(scene, "UpAxisSign", &sign);
    up.axis = axis;
    up.sign = sign < 0 ? -1 : 1;
    int front = -1;
    if (metadataInt(scene, "FrontAxis", &front) && front >= 0 && front <= 2 && front != axis) {
      int frontSign = 1;
      metadataInt(scene, "FrontAxisSign", &frontSign);
      up.frontAxis = front;
      up.frontSign = frontSign < 0 ? -1 : 1;
    }
    return up;
  }
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* zUp : kZUpExtensions) {
    if (extension == zUp) up.axis = 2;
  }
  return up;
}

Mat4d uprightRotation(const UpAxis& up) {
  if (up.frontAxis >= 0 && up.frontAxis <= 2 && up.frontAxis != up.axis) {
    // The file's up, front and right (up x front, right-handed) become the
    // output's y, z and x: each row holds where one file axis goes.
    const Vec3d upward = unitVector(up.axis, up.sign);
    const Vec3d front = unitVector(up.frontAxis, up.frontSign);
    const Vec3d right{upward.y * front.z - upward.z * front.y,
                      upward.z * front.x - upward.x * front.z,
                      upward.x * front.y - upward.y * front.x};
    return rowsOf({right.x, upward.x, front.x}, {right.y, upward.y, front.y},
                  {right.z, upward.z, front.z});
  }
  // Rows: where the file's x, y and z axes go.
  switch (up.axis * up.sign) {
    case 2:  // +Z
      return rowsOf({1, 0, 0}, {0, 0, -1}, {0, 1, 0});
    case -2:  // -Z
      return rowsOf({1, 0, 0}, {0, 0, 1}, {0, -1, 0});
    case -1:  // -Y
      return rowsOf({1, 0, 0}, {0, -1, 0}, {0, 0, -1});
    default:
      break;
  }
  if (up.axis == 0) {
    return up.sign > 0 ? rowsOf({0, 1, 0}, {-1, 0, 0}, {0, 0, 1})   // +X
                       : rowsOf({0, -1, 0}, {1, 0, 0}, {0, 0, 1});  // -X
  }
  return Mat4d{};
}

Mat4d outputOrientation(const UpAxis& up) { return mirrorZ(uprightRotation(up)); }
