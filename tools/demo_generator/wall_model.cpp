#include "tools/demo_generator/wall_model.h"

#include "tools/demo_generator/box_mesh.h"
#include "tools/demo_generator/demo_layout.h"

DemoModel makeWall() {
  DemoModel demoModel;
  // The slab in its own frame (along the wall, up, into the wall) placed so
  // that, once the viewer moves the wall by kWallOffset, its front (the -z
  // face) lies on the planned plane.
  const Vector3 up{0.0f, 1.0f, 0.0f};
  const Vector3 rows[3] = {demo::kWallAlong, up, demo::kWallNormal.negate()};
  Matrix4 toModel;
  toModel.setIdentity();
  for (int row = 0; row < 3; ++row) {
    toModel.at(row, 0) = rows[row].x;
    toModel.at(row, 1) = rows[row].y;
    toModel.at(row, 2) = rows[row].z;
  }
  toModel.setTranslation(demo::kWallCentre.x - demo::kWallOffset.x,
                         demo::kWallCentre.y - demo::kWallOffset.y,
                         demo::kWallCentre.z - demo::kWallOffset.z);

  BoxMeshBuilder builder(demoModel.model, false);
  builder.addBox(Vector3{-demo::kWallHalfWidth, -demo::kWallHalfHeight, 0.0f},
                 Vector3{demo::kWallHalfWidth, demo::kWallHalfHeight, demo::kWallThickness},
                 toModel);

  ScriptDescription& script = demoModel.script;
  script.texture = demo::kWallTexture;
  script.bumpTexture = demo::kWallNormalMap;
  script.effect = std::string(demo::kEffectFolderFromBin) + demo::kWallEffect;
  script.tangents = true;
  return demoModel;
}
