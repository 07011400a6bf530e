#pragma once
#include <assimp/scene.h>

#include <string>

#include "import/transform_math.h"

// Which way is up in a model file: an axis of its own (right-handed) space
// and a direction along it.
struct UpAxis {
  int axis = 1;  // 0 x, 1 y, 2 z
  int sign = 1;  // +1 or -1
  // The way the model faces, when the file says so (-1: not said); it is
  // turned to +Z, towards the viewer's camera side of the model.
  int frontAxis = -1;
  int frontSign = 1;

  bool operator==(const UpAxis&) const = default;
};

// "+Y", "-z", "X" (a missing sign is +); false for anything else.
bool parseUpAxis(const std::string& text, UpAxis* up);
// "+Y", "-Z", ...
std::string upAxisName(const UpAxis& up);

// The up axis the file declares: the importer's "UpAxis"/"UpAxisSign"
// metadata (FBX and others) with its "FrontAxis"/"FrontAxisSign", else its format's convention for
// the formats whose files are Z-up and which the importer leaves as written (Valve SMD, Quick3D,
// IQM, Character Studio motion), else +Y. Collada files are turned upright by the importer itself.
UpAxis declaredUpAxis(const aiScene& scene, const std::string& path);

// The rotation of the file's own space that takes its up axis to +Y (row
// vectors, like the rest of the converter) and its front, when known and
// not along the up axis, to +Z. Without a front, Z up is the usual turn
// (x, y, z) -> (x, z, -y), so the file's -Y front faces +Z.
Mat4d uprightRotation(const UpAxis& up);

// The same rotation in the viewer's left-handed space, where the converter
// applies it after the mirror.
Mat4d outputOrientation(const UpAxis& up);
