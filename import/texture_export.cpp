#include "import/texture_export.h"

#include <assimp/material.h>
#include <assimp/texture.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

// The stb implementations are compiled once, in the OpenGL backend's library
// (without stdio); only their declarations are needed here.
#define STBI_NO_STDIO
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include "base/input_file.h"
#include "base/path_lookup.h"

namespace fs = std::filesystem;

namespace {

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool startsWith(const std::vector<unsigned char>& bytes,
                std::initializer_list<unsigned char> prefix) {
  return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

bool decodable(const std::vector<unsigned char>& bytes) {
  int w = 0, h = 0, comp = 0;
  return !bytes.empty() &&
         stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &comp) != 0;
}

// Through the input reader: a texture path named inside a model is followed
// only to a regular file within the image size limit, never a FIFO or device.
bool readFile(const fs::path& path, std::vector<unsigned char>* bytes) {
  return read_input_file(path.c_str(), InputKind::Image, *bytes, nullptr);
}

bool writeFile(const fs::path& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

void appendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<unsigned char>*>(context);
  const auto* bytes = static_cast<const unsigned char*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

std::vector<unsigned char> pngOf(const unsigned char* rgba, int width, int height) {
  std::vector<unsigned char> png;
  stbi_write_png_to_func(appendBytes, &png, width, height, 4, rgba, width * 4);
  return png;
}

// Bytes the loader reads as they are, or the image re-encoded as PNG; empty
// when the image cannot be decoded. extension receives the file's.
std::vector<unsigned char> loaderReadable(const std::vector<unsigned char>& bytes,
                                          const std::string& nameHint, std::string* extension) {
  const std::string format = loaderImageFormat(bytes, nameHint);
  if (!format.empty()) {
    *extension = format;
    return bytes;
  }
  int width = 0, height = 0, comp = 0;
  unsigned char* pixels = bytes.empty()
                              ? nullptr
                              : stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()),
                                                      &width, &height, &comp, 4);
  if (pixels == nullptr) return {};
  std::vector<unsigned char> png = pngOf(pixels, width, height);
  stbi_image_free(pixels);
  *extension = "png";
  return png;
}

std::vector<unsigned char> embeddedBytes(const aiTexture& texture, std::string* hint) {
  if (texture.mHeight == 0) {
    // Compressed: the file's own bytes, with its format as a hint.
    *hint = std::string("x.") + texture.achFormatHint;
    const auto* data = reinterpret_cast<const unsigned char*>(texture.pcData);
    return {data, data + texture.mWidth};
  }
  const int width = static_cast<int>(texture.mWidth);
  const int height = static_cast<int>(texture.mHeight);
  std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    const aiTexel& texel = texture.pcData[i];
    rgba[4 * i + 0] = texel.r;
    rgba[4 * i + 1] = texel.g;
    rgba[4 * i + 2] = texel.b;
    rgba[4 * i + 3] = texel.a;
  }
  *hint = "x.png";
  return pngOf(rgba.data(), width, height);
}

// The file a material names, looked for as written, beside the model, and by
// its bare name beside the model (paths from another machine).
fs::path findExternal(const std::string& written, const std::string& modelDir) {
  std::string path = written;
  std::replace(path.begin(), path.end(), '\\', '/');
  std::vector<fs::path> candidates;
  if (fs::path(path).is_absolute()) candidates.push_back(path);
  candidates.push_back(fs::path(modelDir) / path);
  candidates.push_back(fs::path(modelDir) / fs::path(path).filename());
  for (const fs::path& candidate : candidates) {
    const fs::path resolved = resolve_existing_path(candidate.string().c_str());
    std::error_code code;
    if (fs::is_regular_file(resolved, code)) return resolved;
  }
  return {};
}

bool textureOf(const aiMaterial& material, std::initializer_list<aiTextureType> types,
               std::string* path) {
  for (aiTextureType type : types) {
    aiString found;
    if (material.GetTextureCount(type) > 0 && material.GetTexture(type, 0, &found) == AI_SUCCESS &&
        found.length > 0) {
      *path = found.C_Str();
      return true;
    }
  }
  return false;
}

// Makes one texture into out->files as <stem>.<ext>; the file name, or "" after a warning.
std::string exportOne(const aiScene& scene, const std::string& written, const std::string& modelDir,
                      const std::string& stem, const char* role, ExportedTextures* out) {
  std::vector<unsigned char> bytes;
  std::string hint = written;
  if (const aiTexture* embedded = scene.GetEmbeddedTexture(written.c_str())) {
    bytes = embeddedBytes(*embedded, &hint);
  } else {
    const fs::path file = findExternal(written, modelDir);
    if (!file.empty()) out->sourceFiles.push_back(file.string());
    if (file.empty() || !readFile(file, &bytes)) {
      out->warnings.push_back(std::string(role) + " texture \"" + written +
                              "\" not found; the model is converted without it");
      return {};
    }
  }
  std::string extension;
  std::vector<unsigned char> readable = loaderReadable(bytes, hint, &extension);
  if (readable.empty()) {
    out->warnings.push_back(
        std::string(role) + " texture \"" + written +
        "\" is in a format that cannot be read; the model is converted without it");
    return {};
  }
  const std::string name = stem + "." + extension;
  out->files.push_back({name, std::move(readable)});
  return name;
}

// A small image of the material's colour, for a material without a colour
// texture: the effect multiplies the lighting by the colour texture, so none
// at all would draw the model black.
std::string plainColour(const aiMaterial* material, const std::string& stem,
                        ExportedTextures* out) {
  aiColor4D colour(0.8f, 0.8f, 0.8f, 1.0f);
  if (material != nullptr &&
      aiGetMaterialColor(material, AI_MATKEY_BASE_COLOR, &colour) != AI_SUCCESS) {
    aiGetMaterialColor(material, AI_MATKEY_COLOR_DIFFUSE, &colour);
  }
  constexpr int kSize = 4;
  std::vector<unsigned char> rgb(kSize * kSize * 3);
  const float channels[3] = {colour.r, colour.g, colour.b};
  for (size_t i = 0; i < rgb.size(); ++i) {
    rgb[i] = static_cast<unsigned char>(std::clamp(channels[i % 3], 0.0f, 1.0f) * 255.0f + 0.5f);
  }
  std::vector<unsigned char> bmp;
  stbi_write_bmp_to_func(appendBytes, &bmp, kSize, kSize, 3, rgb.data());
  const std::string name = stem + ".bmp";
  out->files.push_back({name, std::move(bmp)});
  return name;
}

}  // namespace

std::string loaderImageFormat(const std::vector<unsigned char>& bytes,
                              const std::string& nameHint) {
  if (!decodable(bytes)) return {};
  if (startsWith(bytes, {0x89, 'P', 'N', 'G'})) return "png";
  if (startsWith(bytes, {0xFF, 0xD8, 0xFF})) return "jpg";
  if (startsWith(bytes, {'B', 'M'})) return "bmp";
  // TGA has no signature; its name has to say so.
  if (lowerCase(fs::path(nameHint).extension().string()) == ".tga") return "tga";
  return {};
}

ExportedTextures exportTextures(const SourceModel& source, const std::string& modelDir,
                                const std::string& baseName) {
  ExportedTextures out;
  const aiScene& scene = *source.scene;
  const aiMaterial* chosen = nullptr;
  std::string colour;
  for (const MeshInstance& instance : source.instances) {
    const unsigned index = scene.mMeshes[instance.mesh]->mMaterialIndex;
    if (index >= scene.mNumMaterials) continue;
    const aiMaterial* material = scene.mMaterials[index];
    if (chosen == nullptr) chosen = material;
    if (textureOf(*material, {aiTextureType_DIFFUSE, aiTextureType_BASE_COLOR}, &colour)) {
      chosen = material;
      break;
    }
  }
  if (!colour.empty()) {
    out.colour = exportOne(scene, colour, modelDir, baseName + "_colour", "colour", &out);
  }
  if (out.colour.empty()) out.colour = plainColour(chosen, baseName + "_colour", &out);
  std::string bump;
  if (chosen != nullptr &&
      textureOf(*chosen, {aiTextureType_NORMALS, aiTextureType_NORMAL_CAMERA, aiTextureType_HEIGHT},
                &bump)) {
    out.bump = exportOne(scene, bump, modelDir, baseName + "_bump", "bump", &out);
  }
  return out;
}

void exportMaterialTextures(const SourceModel& source, const std::string& modelDir,
                            const std::string& baseName, const std::vector<unsigned>& materials,
                            ExportedTextures* out) {
  const aiScene& scene = *source.scene;
  std::map<std::string, std::string> made;  // texture as the material names it -> file name
  const auto exportShared = [&](const std::string& written, const std::string& stem,
                                const char* role) {
    const auto found = made.find(written);
    if (found != made.end()) return found->second;
    const std::string name = exportOne(scene, written, modelDir, stem, role, out);
    made[written] = name;
    return name;
  };
  for (size_t i = 0; i < materials.size(); ++i) {
    std::pair<std::string, std::string> names;
    const aiMaterial* material =
        materials[i] < scene.mNumMaterials ? scene.mMaterials[materials[i]] : nullptr;
    std::string written;
    const std::string stem = baseName + "_m" + std::to_string(i);
    if (material != nullptr &&
        textureOf(*material, {aiTextureType_DIFFUSE, aiTextureType_BASE_COLOR}, &written)) {
      names.first = exportShared(written, stem + "_colour", "colour");
    }
    if (material != nullptr &&
        textureOf(*material,
                  {aiTextureType_NORMALS, aiTextureType_NORMAL_CAMERA, aiTextureType_HEIGHT},
                  &written)) {
      names.second = exportShared(written, stem + "_bump", "bump");
    }
    out->materials.push_back(names);
  }
  // A material texture with the same bytes as a file made earlier (the
  // model's own 't' and 'b' copies, say) takes that file's name.
  for (size_t i = 0; i < out->files.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (out->files[i].bytes != out->files[j].bytes) continue;
      for (auto& [colour, bump] : out->materials) {
        if (colour == out->files[i].name) colour = out->files[j].name;
        if (bump == out->files[i].name) bump = out->files[j].name;
      }
      out->files.erase(out->files.begin() + static_cast<long>(i));
      --i;
      break;
    }
  }
}

void writeTextureFiles(const std::string& textureDir, ExportedTextures* textures) {
  for (const TextureFile& file : textures->files) {
    const fs::path target = fs::path(textureDir) / file.name;
    if (writeFile(target, file.bytes)) {
      textures->written.push_back(target.string());
      continue;
    }
    textures->warnings.push_back("cannot write " + target.string());
    // The script must not name a texture that is not there.
    if (textures->colour == file.name) textures->colour.clear();
    if (textures->bump == file.name) textures->bump.clear();
    for (auto& [colour, bump] : textures->materials) {
      if (colour == file.name) colour.clear();
      if (bump == file.name) bump.clear();
    }
  }
}
