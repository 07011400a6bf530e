#include "render/render_model.h"

#include "base/dirs.h"
#include "base/text_string.h"
#include "render/render_target.h"

// Kept out of line: the GPU members release their resources here.
RenderModel::RenderModel() = default;
RenderModel::~RenderModel() = default;

bool RenderModel::PrepareForDraw() {
  if (bones.count != 0) {
    boneWorld.resize(bones.count);
    if (boneWorld.count < 1 && kind != kShadowVolumeModel) return false;
  }
  return LoadResources();
}

int32_t RenderModel::FindCommand(char letter) const {
  for (int32_t i = 0; i < textCommands.count; ++i) {
    if (textCommands[i].letter == letter) return i;
  }
  return -1;
}

const char* RenderModel::CommandName(int32_t index) const {
  const char* name = textCommands[index].name.data;
  return name != nullptr ? name : "";
}

const BoundedArray<NamedAnimation>* RenderModel::GetAnimations() const {
  return animations.count > 0 ? &animations : nullptr;
}

void RenderModel::LoadTextureCommand(char letter, Texture& target, const char* folder,
                                     const char* missingLine, const char* infoLabel) {
  const int32_t command = FindCommand(letter);
  if (command < 0) {
    log.log_text(missingLine);
    return;
  }
  const TextString path = TextString(folder).plus(CommandName(command));
  const int result = target.LoadFromFile(path.c_str(), 0);
  // System memory (2) or nothing (0) is reported but does not stop the preparation.
  if (result != Texture::kLoadedDefaultPool) {
    log.log_text2(infoLabel, path.c_str());
    log.log_int(" loader rets: ", result);
    if (result == Texture::kLoadFailed) log.log_text2(" reason: ", target.FailureReason());
  }
}

bool RenderModel::LoadResources() {
  log.log_text("PUSHTEXTCOMMANDS ");
  if (kind == kShadowVolumeModel) return LoadShadowVolumeResources();

  TextString textureFolder;
  TextString effectFolder;
  CDirs::GetTextureDir(textureFolder);
  CDirs::GetEffectDir(effectFolder);
  LoadTextureCommand('t', texture, textureFolder.raw(), "- no texture", "<info> texture: ");
  LoadTextureCommand('b', bumpTexture, textureFolder.raw(), "- no bumptex", "<info> bumptexture: ");
  if (materialTextureNames.count > 0) LoadMaterialTextures(textureFolder.raw());

  const int32_t command = FindCommand('e');
  if (command < 0) {
    // Kept without an effect: every draw then fails at the technique.
    log.log_text("- no effect file?");
    return true;
  }
  const TextString path = TextString(effectFolder.raw()).plus(CommandName(command));
  const uint32_t techniques = effect.LoadFromFile(path.c_str());
  log.log_text2("EFFECT: ", path.c_str());
  if (techniques == 0) {
    log.log_int("<ERROR> Modell's effect file not loaded: ", 0);
    return false;
  }
  return true;
}

void RenderModel::LoadMaterialTextures(const char* folder) {
  if (!materialTextures.resize(materials.count)) return;
  for (const MaterialTextureEntry& entry : materialTextureNames) {
    if (entry.material < 0 || entry.material >= materials.count) {
      log.log_int("<info> 'm' names a material the model does not have: ", entry.material);
      continue;
    }
    MaterialTextures& textures = materialTextures[entry.material];
    textures.named = true;
    const std::pair<const BoundedArray<char>*, Texture*> files[] = {
        {&entry.colour, &textures.colour}, {&entry.bump, &textures.bump}};
    for (const auto& [name, target] : files) {
      if (name->data == nullptr || name->data[0] == 0) continue;
      const TextString path = TextString(folder).plus(name->data);
      const int result = target->LoadFromFile(path.c_str(), 0);
      if (result != Texture::kLoadedDefaultPool) {
        log.log_text2("<info> material texture: ", path.c_str());
        log.log_int(" loader rets: ", result);
      }
    }
  }
}

bool RenderModel::LoadShadowVolumeResources() {
  const int32_t command = FindCommand('S');
  if (command < 0) {
    log.log_text("- ShadowVolumeMesh wif no effect file path?");
    return false;
  }
  TextString effectFolder;
  CDirs::GetEffectDir(effectFolder);
  const TextString path = TextString(effectFolder.raw()).plus(CommandName(command));
  if (effect.LoadFromFile(path.c_str()) == 0) {
    log.log_int("<ERROR> ShadowVolumeModel's effect file not loaded: ", 0);
    return false;
  }
  return true;
}

bool RenderModel::AnimateBones(const DrawInstance& instance,
                               const BoundedArray<Matrix4>** paletteOut) {
  if (instance.animindex < 0 || instance.animindex >= animations.count) return false;
  if (palette.count < bones.count) palette.resize(bones.count);
  if (palette.count < 1) {
    log.log_text("No mem for matrix array");
    return false;
  }
  if (paletteOut != nullptr) *paletteOut = &palette;
  const NamedAnimation& animation = animations[instance.animindex];
  const uint32_t speed =
      instance.framespeed != 0 ? static_cast<uint32_t>(instance.framespeed) : animation.speed;
  if (!SmoothAnim(instance.starttime, instance.now, speed, palette, animation.frames)) {
    log.log_text("SmoothAnim failed");
    return false;
  }
  return true;
}

bool RenderModel::Draw(const DrawInstance& instance, bool draw, const LightList& lights,
                       const BoundedArray<Matrix4>** paletteOut) {
  bool drawn = DrawModel(instance, draw, lights, paletteOut);
  for (const std::unique_ptr<RenderModel>& part : parts) {
    drawn = part->Draw(instance, draw, lights) && drawn;
  }
  return drawn;
}

bool RenderModel::DrawModel(const DrawInstance& instance, bool draw, const LightList& lights,
                            const BoundedArray<Matrix4>** paletteOut) {
  if (paletteOut != nullptr) *paletteOut = nullptr;
  if (!ready) return false;

  const bool animated = bones.count != 0;
  if (animated) {
    if (!AnimateBones(instance, paletteOut)) return false;
    if (!draw) return true;  // bones updated, nothing drawn
  }
  // The first light's direction is always read, so an empty list cannot be drawn.
  if (lights.count < 1 || lights.records.count < 1) {
    log.log_text("<error> RenderModel::Draw() empty light list");
    return false;
  }
  // Without an effect nothing can take the parameters: the draw then fails
  // at the technique, as a model prepared without an 'e' command should.
  if (effect.GetEffect() != nullptr && !SetDrawParameters(instance, lights)) return false;

  // Each binding only after the one before it took.
  if (device.SetIndices(&indexBuffer) && device.SetStreamSource(&vertexBuffer)) {
    device.SetFVF(vertexBuffer.GetFVF());
  }
  // A texture parameter the effect lacks is no error.
  effect.SetTexture("g_txScene", &texture);
  if (bumpTexture.GetD3DTexture() != nullptr) effect.SetTexture("g_txBump", &bumpTexture);

  if (effect.SetTech(0, 0) == 0) {
    log.log_text("<error> Tech set failed");
    return false;
  }
  if (!DrawLights(instance, lights)) return false;
  effect.EndTech();
  return true;
}

bool RenderModel::SetDrawParameters(const DrawInstance& instance, const LightList& lights) {
  if (bones.count != 0 &&
      !effect.SetMatrixArray("matrixBone", palette.data, static_cast<uint32_t>(palette.count))) {
    log.log_text("SetMatrixArray failed");
    return false;
  }
  if (!effect.SetMatrix("World", &instance.World)) {
    log.log_text("SetMatrix(World) failed");
    return false;
  }
  const Matrix4 viewProj = instance.View * instance.Proj;
  if (!effect.SetMatrix("CamViewProj", &viewProj)) {
    log.log_text("SetMatrix(wievproj) failed");
    return false;
  }
  if (!effect.SetValue("LightDir", &lights.records[0].direction.x, 3)) {
    log.log_text("setting LightDir failed");
    log.log_hex("errorcode: ", static_cast<uint32_t>(effect.LastResult()));
    return false;
  }
  return true;
}

int RenderModel::SetShadowMapParameters(const LightRecord& light) {
  if (light.target == nullptr) {
    log.log_text("no target set");
    return 0;
  }
  Matrix4 view;
  Matrix4 proj;
  light.target->GetView(view);
  light.target->GetProj(proj);
  const Matrix4 lightViewProj = view * proj;
  if (!effect.SetMatrix("LiteViewProj", &lightViewProj)) {
    log.log_text("SetMatrix(LiteViewProj) failed");
    return 0;
  }
  const Texture* shadowMap = light.target->GetTexture();
  if (!effect.SetTexture("ShadowTexture", shadowMap)) {
    log.log_text("setting ShadowTexture failed");
    return 0;
  }
  int32_t width = 0;
  int32_t height = 0;
  if (shadowMap != nullptr) shadowMap->GetSize(&width, &height);
  const float size = static_cast<float>(width);
  if (!effect.SetValue("SMAP_SIZE", &size, 1)) {
    log.log_text("SMAP_SIZE set failed");
    return -1;
  }
  return 1;
}

bool RenderModel::DrawLights(const DrawInstance& instance, const LightList& lights) {
  const int32_t count = lights.count < lights.records.count ? lights.count : lights.records.count;
  for (int32_t i = 0; i < count; ++i) {
    const LightRecord& light = lights.records[i];
    int32_t pass = 0;
    if (light.type == LightRecord::kPlainLight) {
      pass = 1;
    } else if (light.type == LightRecord::kShadowMappedLight) {
      pass = instance.shadowmode + 2;
      const int parameters = SetShadowMapParameters(light);
      if (parameters < 0) {
        effect.EndTech();
        return false;
      }
      if (parameters == 0) continue;
      if (pass < 1) {
        log.log_int("passnum: ", pass);
        continue;
      }
    } else {
      log.log_int("passnum: ", -1);
      continue;
    }
    if (!effect.SetPass(pass)) {
      log.log_int("worng passnum ", pass);
      continue;
    }
    DrawIndices();
  }
  return true;
}

void RenderModel::DrawIndices() {
  const uint32_t stride = vertexBuffer.GetStride();
  const UINT vertexCount = stride != 0 ? static_cast<UINT>(vertexBuffer.GetSize()) / stride : 0;
  ranges_.clear();
  if (materials.count > 0)
    appendMaterialRanges(materialOffsets, materials.count, indexBuffer.GetCount(), ranges_);
  if (ranges_.empty()) {
    const UINT triangles = static_cast<UINT>(indexBuffer.GetCount() / 3);
    if (device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, triangles) != 0) {
      log.log_text("DrawIndexedPrimitive failed!");
    }
    return;
  }
  for (const MaterialRange& range : ranges_) {
    ApplyMaterial(range.material);
    if (device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, range.firstIndex,
                                    range.indexCount / 3) != 0) {
      log.log_text("DrawIndexedPrimitive failed!");
    }
  }
}

void RenderModel::ApplyMaterial(int32_t material) {
  const float* values = materials[material].values;
  const Texture* colour = &texture;
  const Texture* bump = &bumpTexture;
  if (material < materialTextures.count && materialTextures[material].named) {
    colour = &materialTextures[material].colour;
    bump = &materialTextures[material].bump;
  }
  // An effect without these parameters draws every range alike; no error.
  effect.SetValue("MaterialDiffuse", values + kMaterialDiffuse, 4);
  effect.SetValue("MaterialEmissive", values + kMaterialEmissive, 3);
  const float textured = colour->GetD3DTexture() != nullptr ? 1.0f : 0.0f;
  effect.SetValue("MaterialTextured", &textured, 1);
  effect.SetTexture("g_txScene", colour);
  effect.SetTexture("g_txBump", bump);
}
