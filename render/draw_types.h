#pragma once
#include <cstdint>

#include "base/bounded_array.h"
#include "geometry/matrix4.h"
#include "geometry/vector3.h"

class RenderTarget;

// What the caller hands to RenderModel::Draw for one draw of one model.
struct DrawInstance {
  uint32_t starttime = 0;  // ms, when the animation started
  uint32_t now = 0;        // ms, the frame timer's current time
  Matrix4 World;
  Matrix4 View;
  Matrix4 Proj;
  int32_t animindex = 0;   // into the model's animations
  int8_t shadowmode = 0;   // added to 2 to give the pass of shadow-mapped lights
  int32_t framespeed = 0;  // ms per frame step; 0 uses the animation's own
};

// One light of a LightList.
struct LightRecord {
  static constexpr uint32_t kPlainLight = 1;
  static constexpr uint32_t kShadowMappedLight = 2;

  uint32_t type = kPlainLight;
  Vector3 position;
  Vector3 direction;
  uint32_t spare[4] = {};            // free for the caller; the renderer does not read them
  RenderTarget* target = nullptr;    // the light's shadow map (shadow-mapped lights); not owned
};

// The lights one draw is lit by, each drawn in its own effect pass. The list
// owns room for a fixed number of lights.
struct LightList {
  BoundedArray<LightRecord> records;  // the room; its count is the capacity
  int32_t count = 0;                  // lights in use, from records[0]

  // Makes room for capacity lights and empties the list.
  bool Reserve(int32_t capacity) {
    count = 0;
    return records.resize(capacity);
  }
  // False when the room is used up.
  bool Add(const LightRecord& light) {
    if (count >= records.count) return false;
    records[count++] = light;
    return true;
  }
  int32_t Capacity() const { return records.count; }
};
