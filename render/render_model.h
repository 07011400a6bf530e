#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "base/bounded_array.h"
#include "base/cbase.h"
#include "geometry/matrix4.h"
#include "geometry/vector3.h"
#include "render/device.h"
#include "render/draw_types.h"
#include "render/effect.h"
#include "render/index_buffer.h"
#include "render/material_ranges.h"
#include "render/model_records.h"
#include "render/texture.h"
#include "render/vertex_buffer.h"

// One material's loaded textures; named is set when an 'm' command names
// them (the material otherwise takes the model's 't' and 'b' textures).
struct MaterialTextures {
  Texture colour;
  Texture bump;
  bool named = false;
};

// The drawable form of a loaded model. The loader fills the buffers and the
// file and script records and marks it ready; PrepareForDraw loads its
// textures and effect; Draw animates the bones and draws it once per light,
// each material's index range with its own colour and textures, then the
// model's parts with the same instance (one animation clock for all).
// The viewer owns the record and it outlives the loader.
class RenderModel {
 public:
  RenderModel();
  virtual ~RenderModel();
  RenderModel(const RenderModel&) = delete;
  RenderModel& operator=(const RenderModel&) = delete;

  static constexpr uint32_t kNormalModel = 0;
  static constexpr uint32_t kShadowVolumeModel = 1;
  static constexpr uint8_t kNoParent = 255;

  // Allocates the bone world matrices and loads textures and effect.
  bool PrepareForDraw();
  // Textures from the texture folder and the effect from the effect folder,
  // as the text commands name them ('S' only for the shadow-volume model).
  bool LoadResources();
  // Index of the first text command with this letter, -1 if none.
  int32_t FindCommand(char letter) const;

  // Advances an animated model's bones and, when draw is set, draws the model
  // once per light of the list; then its parts alike. paletteOut (optional)
  // receives the skinning palette of an animated model, null otherwise.
  bool Draw(const DrawInstance& instance, bool draw, const LightList& lights,
            const BoundedArray<Matrix4>** paletteOut = nullptr);
  // Picks the key pair and blend weight for elapsed time t2 - t1 (ms) at speed
  // ms per frame step over the clip's keyframe numbers, then builds the palette.
  bool SmoothAnim(uint32_t t1, uint32_t t2, uint32_t speed, BoundedArray<Matrix4>& palette,
                  const BoundedArray<int32_t>& frames);
  // Blends every bone's rotation from key k0 towards key k1 by t (translation
  // of k0), chains the bones by boneOrder and writes offset x world per bone.
  bool BuildBonePalette(int32_t k0, int32_t k1, float t, BoundedArray<Matrix4>& palette);
  // The animations when there is at least one, else null.
  const BoundedArray<NamedAnimation>* GetAnimations() const;

  uint8_t ready = 0;  // set once both buffers are uploaded
  VertexBuffer vertexBuffer;
  IndexBuffer indexBuffer;
  BoundedArray<Vector3> ramPositions;  // RAM copies kept when the caller asks for them
  BoundedArray<uint16_t> ramIndices;
  BoundedArray<int32_t> materialOffsets;
  BoundedArray<CMaterial> materials;
  BoundedArray<cAnimationKeys> bones;  // one track per bone; 0 bones = rigid model
  BoundedArray<uint8_t> boneParents;   // 255 = no parent
  BoundedArray<uint8_t> boneOrder;     // element s is the bone handled in step s
  CDevice device;
  BoundedArray<Matrix4> boneWorld;
  BoundedArray<TextCommandEntry> textCommands;
  Texture texture;
  Texture bumpTexture;
  Ceffect effect;
  BoundedArray<NamedAnimation> animations;
  uint32_t kind = kNormalModel;
  BoundedArray<Matrix4> palette;
  BoundedArray<MaterialTextureEntry> materialTextureNames;  // the script's 'm' commands
  BoundedArray<MaterialTextures> materialTextures;          // one per material once an 'm' is given
  BoundedArray<TextCommandEntry> partCommands;              // the script's 'p' commands
  std::vector<std::unique_ptr<RenderModel>> parts;          // loaded from partCommands

  CBase log;

 private:
  bool LoadShadowVolumeResources();
  void LoadMaterialTextures(const char* folder);
  // The model itself, without its parts.
  bool DrawModel(const DrawInstance& instance, bool draw, const LightList& lights,
                 const BoundedArray<Matrix4>** paletteOut);
  // One light's pass: the whole index list, or each material's range.
  void DrawIndices();
  // The colours and textures of one material for the draws that follow.
  void ApplyMaterial(int32_t material);
  // Loads one texture command's file; logs what did not load.
  void LoadTextureCommand(char letter, Texture& target, const char* folder, const char* missingLine,
                          const char* infoLabel);
  // Sets the animated model's palette; false when the draw must stop here.
  bool AnimateBones(const DrawInstance& instance, const BoundedArray<Matrix4>** paletteOut);
  // The bone palette, matrices and light direction of Draw.
  bool SetDrawParameters(const DrawInstance& instance, const LightList& lights);
  // The light loop of Draw; false only when the whole draw must fail.
  bool DrawLights(const DrawInstance& instance, const LightList& lights);
  // The shadow-map parameters of a shadow-mapped light; 1 to draw, 0 to skip
  // the light, -1 to end the draw.
  int SetShadowMapParameters(const LightRecord& light);
  const char* CommandName(int32_t index) const;

  std::vector<MaterialRange> ranges_;  // reused by every draw
};
