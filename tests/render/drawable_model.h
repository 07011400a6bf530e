#pragma once
// Builds RenderModel records for the drawing and animation tests by hand, the
// way the loader would leave them, with data folders in a temporary place.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "base/dirs.h"
#include "platform/d3d9_constants.h"
#include "render/render_model.h"
#include "tests/support/temp_dir.h"

// Points the texture and effect folders at fresh temporary folders and
// writes files into them; puts the old folders back at the end.
class DataFolders {
 public:
  DataFolders() : savedTexture_(g_textureFolder), savedEffect_(g_effectFolder) {
    std::filesystem::create_directories(root_.path() / "texture");
    std::filesystem::create_directories(root_.path() / "effect");
    g_textureFolder = (root_.path() / "texture").string().append("/").c_str();
    g_effectFolder = (root_.path() / "effect").string().append("/").c_str();
  }
  ~DataFolders() {
    g_textureFolder = savedTexture_;
    g_effectFolder = savedEffect_;
  }
  std::string texture(const std::string& name) const { return std::string(g_textureFolder.c_str()) + name; }
  std::string effect(const std::string& name) const { return std::string(g_effectFolder.c_str()) + name; }
  // An effect file with some content (the recorder reads it but does not compile it).
  std::string writeEffect(const std::string& name) const {
    write_whole_file(effect(name), "technique t { pass p {} }\n");
    return effect(name);
  }
  // A 4 x 4 BMP header: enough for the recorder's texture loader.
  std::string writeTexture(const std::string& name) const {
    auto le32 = [](uint32_t v) {
      return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    write_whole_file(texture(name), "BM" + le32(0) + le32(0) + le32(54) + le32(40) + le32(4) +
                                        le32(4) + std::string(28, '\0'));
    return texture(name);
  }

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

// Four position-only vertices and two triangles, uploaded and marked ready.
inline void uploadQuad(RenderModel& model) {
  ASSERT_TRUE(model.indexBuffer.Create(6));
  uint16_t* indices = model.indexBuffer.Lock(0, 0);
  ASSERT_NE(indices, nullptr);
  const uint16_t quad[6] = {0, 1, 2, 0, 2, 3};
  std::memcpy(indices, quad, sizeof quad);
  model.indexBuffer.Unlock();
  ASSERT_TRUE(model.vertexBuffer.Create(4 * 12, 12, D3DFVF_XYZ));
  model.ready = 1;
}

// A key track of matrices (16 values each) with an offset matrix.
inline void setTrack(cAnimationKeys& track, const std::vector<Matrix4>& keys, const Matrix4& offset) {
  ASSERT_TRUE(track.keys.resize(static_cast<int64_t>(keys.size())));
  for (size_t k = 0; k < keys.size(); ++k) {
    BoundedArray<float>& values = track.keys[static_cast<int64_t>(k)].values;
    ASSERT_TRUE(values.resize(16));
    std::memcpy(values.data, keys[k].m, sizeof keys[k].m);
  }
  track.offset = offset;
}

// One clip of the given frames at speed ms per frame.
inline void setAnimation(RenderModel& model, const std::vector<int32_t>& frames, uint32_t speed) {
  ASSERT_TRUE(model.animations.resize(1));
  NamedAnimation& clip = model.animations[0];
  std::strcpy(clip.name, "clip");
  clip.speed = speed;
  ASSERT_TRUE(clip.frames.resize(static_cast<int64_t>(frames.size())));
  for (size_t i = 0; i < frames.size(); ++i) clip.frames[static_cast<int64_t>(i)] = frames[i];
}

// Bones with their parents (255 = root) and evaluation order.
inline void setArmature(RenderModel& model, const std::vector<uint8_t>& parents,
                        const std::vector<uint8_t>& order) {
  ASSERT_TRUE(model.boneParents.resize(static_cast<int64_t>(parents.size())));
  ASSERT_TRUE(model.boneOrder.resize(static_cast<int64_t>(order.size())));
  std::memcpy(model.boneParents.data, parents.data(), parents.size());
  std::memcpy(model.boneOrder.data, order.data(), order.size());
}

// A rotation of degrees about one axis ('x', 'y' or 'z'), then a translation.
inline Matrix4 rotationThenMove(char axis, float degrees, float x, float y, float z) {
  Matrix4 m;
  if (axis == 'x') m.rotationX(degrees);
  else if (axis == 'y') m.rotationY(degrees);
  else m.rotationZ(degrees);
  m.setTranslation(x, y, z);
  return m;
}
