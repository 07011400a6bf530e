#include "tools/meshinfo/meshinfo_report.h"

#include <filesystem>
#include <fstream>
#include <iomanip>

#include "base/dirs.h"
#include "base/log.h"
#include "model/model_loader.h"
#include "render/material_ranges.h"
#include "render/render_model.h"
#include "tools/meshinfo/model_validation.h"
#include "tools/recorded_load/recorded_load.h"

namespace {

constexpr char kUsage[] =
    "usage: meshinfo MODEL\n"
    "       meshinfo --validate MODEL\n"
    "\n"
    "Loads MODEL (a \"MeSh\" model file) and the script beside it (the path with\n"
    "everything after its first \".\" replaced by \"txt\") with the viewer's loader,\n"
    "then prints what was read: the chunks with their sizes, vertex and index\n"
    "counts, the per-vertex layout, the materials (index range, colours,\n"
    "textures), bones with their keys, the armature, the named animations, the\n"
    "text commands and the parts, followed by the loader's log lines for this\n"
    "load.\n"
    "\n"
    "The whole load runs, as in the viewer started in the working directory:\n"
    "chunks, script, consistency check, shadow volume ('S'), tangents ('T'),\n"
    "the vertex layout with its upload, then the textures (from the \"texture\"\n"
    "folder beside the working directory) and the effect files (named as they\n"
    "stand, relative to the working directory). The graphics device is a\n"
    "recording one, so no window or graphics card is needed. Effect files are\n"
    "checked for presence only, not compiled: every effect file that exists\n"
    "loads with one valid technique of four passes, one that is missing fails\n"
    "as in the viewer. Texture files are read but not decoded.\n"
    "\n"
    "With --validate, prints instead every rule of the model format that MODEL\n"
    "breaks, one per line (not only the first, where the loader stops), and\n"
    "whether it is valid.\n"
    "\n"
    "Exit status: 0 the model loaded (is valid), 1 the load failed (a rule is\n"
    "broken), 2 bad usage.\n";

// Why path cannot be a model file ("no such file", "is a directory", "is
// empty"), or "" when it is a file with bytes in it.
std::string unreadableModelPath(const std::string& path) {
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) return "is a directory";
  if (!std::filesystem::is_regular_file(path, code)) return "no such file";
  if (std::filesystem::file_size(path, code) == 0) return "is empty";
  return {};
}

const char* chunkName(uint32_t id) {
  static const char* const kNames[] = {
      "CHUNK_VECTORS",  "CHUNK_BLENDWEIGHTS", "CHUNK_MATRIXPALETTE", "CHUNK_NORMALS",
      "CHUNK_TEXCO0",   "CHUNK_TEXCO1",       "CHUNK_INDICES",       "CHUNK_MATERIALOFSETS",
      "CHUNK_MATERIAL", "CHUNK_ANIMATION",    "CHUNK_ARMATURE"};
  return id < std::size(kNames) ? kNames[id] : "(unknown)";
}

void printChunks(std::ostream& out, const std::vector<ChunkRecord>& chunks) {
  out << "chunks: " << chunks.size() << "\n";
  if (chunks.empty()) return;
  out << "  offset    id  name                  header data     payload\n";
  for (const ChunkRecord& chunk : chunks) {
    out << "  " << std::setw(8) << std::left << chunk.offset << std::right << std::setw(4)
        << chunk.header.Id << "  " << std::setw(20) << std::left << chunkName(chunk.header.Id)
        << std::right << std::setw(13) << chunk.header.Chunkdatasize << std::setw(12)
        << chunk.header.Datasize << "\n";
  }
}

// What the upload made of a model: its buffers and vertex format.
void printUpload(std::ostream& out, const RenderModel& model) {
  const VertexBuffer& vertices = model.vertexBuffer;
  const uint32_t stride = vertices.GetStride();
  out << (model.ready ? "ready" : "not ready") << ", ";
  out << (stride != 0 ? vertices.GetSize() / static_cast<int32_t>(stride) : 0) << " vertices of "
      << stride << " bytes, FVF 0x" << std::hex << std::uppercase << vertices.GetFVF() << std::dec
      << std::nouppercase << ", " << model.indexBuffer.GetCount() << " indices";
}

void printMesh(std::ostream& out, const MeshGeometry& mesh) {
  out << "mesh:\n";
  out << "  vertices: " << mesh.positions.count << "\n";
  out << "  indices: " << mesh.indices.count << " (" << mesh.indices.count / 3 << " triangles)\n";
  out << "  normals: " << mesh.normals.count << ", texture coords: " << mesh.texCoords0.count
      << " + " << mesh.texCoords1.count << "\n";
  if (!mesh.blendWeights.empty() || !mesh.paletteIndices.empty()) {
    out << "  skinning: " << mesh.weightsPerVertex << " weights and "
        << mesh.paletteIndicesPerVertex << " palette indices per vertex\n";
  }
  out << "  tangents: " << (mesh.hasTangents ? "built" : "none") << "\n";
}

std::string textOf(const BoundedArray<char>& name) {
  return name.data != nullptr && name.data[0] != 0 ? name.data : "-";
}

// Each material with its index range, colours and the textures its 'm'
// command names (the model's own 't' and 'b' otherwise).
void printMaterials(std::ostream& out, const RenderModel& model) {
  out << "materials: " << model.materials.count
      << ", material offsets: " << model.materialOffsets.count << "\n";
  const int32_t indexCount = model.indexBuffer.GetCount();
  for (int32_t i = 0; i < model.materials.count; ++i) {
    const float* values = model.materials[i].values;
    out << "  " << std::setw(4) << i << "  indices ";
    if (i < model.materialOffsets.count) {
      const int32_t end =
          i + 1 < model.materialOffsets.count ? model.materialOffsets[i + 1] : indexCount;
      out << model.materialOffsets[i] << "-" << end;
    } else {
      out << "?";
    }
    out << std::setprecision(3) << "  diffuse " << values[kMaterialDiffuse] << " "
        << values[kMaterialDiffuse + 1] << " " << values[kMaterialDiffuse + 2] << " "
        << values[kMaterialDiffuse + 3] << "  emissive " << values[kMaterialEmissive] << " "
        << values[kMaterialEmissive + 1] << " " << values[kMaterialEmissive + 2] << "  power "
        << values[kMaterialPower] << std::setprecision(6);
    for (const MaterialTextureEntry& entry : model.materialTextureNames) {
      if (entry.material != i) continue;
      out << "  texture " << textOf(entry.colour) << "  normal map " << textOf(entry.bump);
      break;
    }
    out << "\n";
  }
}

void printParts(std::ostream& out, const RenderModel& model) {
  if (model.partCommands.empty()) return;
  out << "parts: " << model.partCommands.count << "\n";
  for (int32_t i = 0; i < model.partCommands.count; ++i) {
    out << "  " << textOf(model.partCommands[i].name) << ": ";
    if (static_cast<size_t>(i) < model.parts.size()) {
      printUpload(out, *model.parts[static_cast<size_t>(i)]);
      out << ", " << model.parts[static_cast<size_t>(i)]->materials.count << " materials\n";
    } else {
      out << "not loaded\n";
    }
  }
}

void printSkeleton(std::ostream& out, const RenderModel& model) {
  const int32_t bones = model.bones.count;
  out << "bones: " << bones;
  if (bones > 0) out << ", frames: " << model.bones[0].keys.count;
  out << "\n";
  if (bones > 0) out << "  bone   tag  keys  values per key  parent\n";
  for (int32_t b = 0; b < bones; ++b) {
    const cAnimationKeys& track = model.bones[b];
    int32_t fewest = 0, most = 0;
    for (int32_t k = 0; k < track.keys.count; ++k) {
      const int32_t values = track.keys[k].values.count;
      if (k == 0 || values < fewest) fewest = values;
      if (k == 0 || values > most) most = values;
    }
    out << "  " << std::setw(4) << b << std::setw(6) << track.tag << std::setw(6)
        << track.keys.count << std::setw(16);
    if (fewest == most) {
      out << fewest;
    } else {
      out << (std::to_string(fewest) + "-" + std::to_string(most));
    }
    out << std::setw(8);
    if (b < model.boneParents.count) {
      out << static_cast<int>(model.boneParents[b]);
    } else {
      out << "-";
    }
    out << "\n";
  }
  out << "armature: " << model.boneParents.count << " bones";
  if (!model.boneOrder.empty()) {
    out << ", order:";
    for (uint8_t bone : model.boneOrder) out << " " << static_cast<int>(bone);
  }
  out << "\n";
}

void printScript(std::ostream& out, const RenderModel& model, const RenderModel& shadowModel) {
  out << "animations: " << model.animations.count << "\n";
  for (const NamedAnimation& clip : model.animations) {
    out << "  " << clip.name << ": " << clip.frames.count << " frames, " << clip.speed
        << " ms per frame:";
    for (int32_t frame : clip.frames) out << " " << frame;
    out << "\n";
  }
  out << "text commands: " << model.textCommands.count << "\n";
  for (const TextCommandEntry& entry : model.textCommands) {
    out << "  " << entry.letter << " " << (entry.name.data ? entry.name.data : "") << "\n";
  }
  out << "normal model: ";
  printUpload(out, model);
  out << "\n";
  out << "shadow volume: ";
  if (shadowModel.kind == RenderModel::kShadowVolumeModel && !shadowModel.textCommands.empty() &&
      shadowModel.textCommands[0].name.data) {
    printUpload(out, shadowModel);
    out << ", effect " << shadowModel.textCommands[0].name.data << "\n";
  } else {
    out << "none\n";
  }
}

// The folder values the run changes, put back afterwards so that the report
// can run more than once in one process.
class FolderValues {
 public:
  FolderValues()
      : start_(g_startFolder),
        root_(g_rootFolder),
        texture_(g_textureFolder),
        effect_(g_effectFolder) {}
  ~FolderValues() {
    g_startFolder = start_;
    g_rootFolder = root_;
    g_textureFolder = texture_;
    g_effectFolder = effect_;
  }

 private:
  TextString start_, root_, texture_, effect_;
};

void printLog(std::ostream& out, const std::vector<std::string>& lines) {
  out << "loader log:\n";
  for (const std::string& line : lines) out << "  " << line << "\n";
}

}  // namespace

int runMeshinfo(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    out << kUsage;
    return 0;
  }
  if (arguments.size() == 2 && arguments[0] == "--validate" && !arguments[1].empty()) {
    const std::string unreadable = unreadableModelPath(arguments[1]);
    if (!unreadable.empty()) {
      err << "meshinfo: " << arguments[1] << ": " << unreadable << "\n";
      return 1;
    }
    return runValidation(arguments[1], out);
  }
  if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-') {
    err << kUsage;
    return 2;
  }
  const std::string& path = arguments[0];
  // A path that cannot hold a model gets one line, not an empty report.
  const std::string unreadable = unreadableModelPath(path);
  if (!unreadable.empty()) {
    err << "meshinfo: " << path << ": " << unreadable << "\n";
    return 1;
  }

  // The viewer's folders: textures beside the start folder, effects as named.
  FolderValues restoreFolders;
  CDirs folders;
  folders.Call_1_START();
  g_effectFolder = TextString();

  RecordedModelLoad recorded;
  if (!recorded.setupProblem().empty()) {
    err << "meshinfo: " << recorded.setupProblem() << "\n";
    return 1;
  }
  const uint32_t loaded = recorded.load(path);
  out << "model: " << path << "\n";
  out << "result: " << (loaded ? "loaded" : "load failed (the log below says why)") << "\n";
  printChunks(out, recorded.loader().chunkTable());
  printMesh(out, recorded.loader().mesh);
  printMaterials(out, recorded.model());
  printSkeleton(out, recorded.model());
  printScript(out, recorded.model(), recorded.shadowModel());
  printParts(out, recorded.model());
  printLog(out, recorded.logLines());
  return loaded ? 0 : 1;
}
