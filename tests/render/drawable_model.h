#pragma once
// RenderModel records built by hand as the loader would leave them, with the
// data folders pointed at a temporary place.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/dirs.h"
#include "render/render_model.h"
#include "tests/support/temp_dir.h"

// Texture and effect folders in a fresh temporary folder; the old ones come back at the end.
class DataFolders {
 public:
  DataFolders() : savedTexture_(g_textureFolder), savedEffect_(g_effectFolder) {
    for (const char* folder : {"texture", "effect"}) std::filesystem::create_directory(root_.path() / folder);
    g_textureFolder = root_.file("texture/").c_str();
    g_effectFolder = root_.file("effect/").c_str();
  }
  ~DataFolders() {
    g_textureFolder = savedTexture_;
    g_effectFolder = savedEffect_;
  }
  std::string texture(const std::string& name) const { return root_.file("texture/" + name); }
  std::string effect(const std::string& name) const { return root_.file("effect/" + name); }
  // The recorder reads these files but neither compiles nor decodes them.
  std::string writeEffect(const std::string& name) const {
    write_whole_file(effect(name), "technique t { pass p {} }\n");
    return effect(name);
  }
  void writeTexture(const std::string& name) const { write_whole_file(texture(name), "image"); }

 private:
  TempDir root_;
  TextString savedTexture_;
  TextString savedEffect_;
};

inline void setCommands(RenderModel& model, const std::vector<std::pair<char, std::string>>& commands) {
  ASSERT_TRUE(model.textCommands.resize(static_cast<int64_t>(commands.size())));
  for (size_t i = 0; i < commands.size(); ++i) {
    TextCommandEntry& entry = model.textCommands[static_cast<int64_t>(i)];
    entry.letter = commands[i].first;
    ASSERT_TRUE(entry.name.resize(static_cast<int64_t>(commands[i].second.size()) + 1));
    std::memcpy(entry.name.data, commands[i].second.c_str(), commands[i].second.size() + 1);
  }
}

// Four position-only vertices, two triangles, marked ready.
inline void uploadQuad(RenderModel& model) {
  ASSERT_TRUE(model.indexBuffer.Create(6));
  ASSERT_TRUE(model.vertexBuffer.Create(4 * 12, 12, 0x002));
  model.ready = 1;
}

// A bone's keys (one matrix each) and offset matrix.
inline void setTrack(cAnimationKeys& track, const std::vector<Matrix4>& keys, const Matrix4& offset) {
  ASSERT_TRUE(track.keys.resize(static_cast<int64_t>(keys.size())));
  for (size_t k = 0; k < keys.size(); ++k) {
    ASSERT_TRUE(track.keys[static_cast<int64_t>(k)].values.resize(16));
    std::memcpy(track.keys[static_cast<int64_t>(k)].values.data, keys[k].m, sizeof keys[k].m);
  }
  track.offset = offset;
}

// Bones with their parents (255 = root), evaluation order and one clip.
inline void setSkeleton(RenderModel& model, const std::vector<uint8_t>& parents,
                        const std::vector<uint8_t>& order, const std::vector<int32_t>& frames,
                        uint32_t speed) {
  ASSERT_TRUE(model.boneParents.resize(static_cast<int64_t>(parents.size())));
  ASSERT_TRUE(model.boneOrder.resize(static_cast<int64_t>(order.size())));
  std::memcpy(model.boneParents.data, parents.data(), parents.size());
  std::memcpy(model.boneOrder.data, order.data(), order.size());
  ASSERT_TRUE(model.animations.resize(1));
  model.animations[0].speed = speed;
  ASSERT_TRUE(model.animations[0].frames.resize(static_cast<int64_t>(frames.size())));
  std::memcpy(model.animations[0].frames.data, frames.data(), frames.size() * sizeof(int32_t));
}

// A rotation of degrees about axis 'x', 'y' or 'z', then a translation.
inline Matrix4 turnThenMove(char axis, float degrees, float x = 0, float y = 0, float z = 0) {
  Matrix4 m;
  if (axis == 'x') m.rotationX(degrees);
  if (axis == 'y') m.rotationY(degrees);
  if (axis == 'z') m.rotationZ(degrees);
  m.setTranslation(x, y, z);
  return m;
}
