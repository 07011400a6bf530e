#include "tools/meshinfo/model_validation.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/dirs.h"
#include "base/log.h"
#include "model/model_consistency.h"
#include "model/model_loader.h"
#include "render/material_ranges.h"
#include "render/render_model.h"
#include "tools/recorded_load/recorded_load.h"

namespace {

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Log entries: a few loader messages run over several lines (a line ending
// in ':' or '!' continued on the next, indented value lines), joined here.
std::vector<std::string> logEntries(const std::vector<std::string>& lines) {
  std::vector<std::string> entries;
  bool open = false;
  for (const std::string& line : lines) {
    const bool indented = !line.empty() && line[0] == ' ';
    if (!entries.empty() && !line.empty() && line[0] != '<' && (open || indented)) {
      entries.back() += " " + line.substr(line.find_first_not_of(' '));
    } else {
      entries.push_back(line);
    }
    open = !line.empty() && (line.back() == ':' || line.back() == '!') && line[0] == '<';
  }
  return entries;
}

// What the loader leaves to the viewer: a displayable mesh, weights that have
// their palette indices, clips that name existing frames.
void checkViewerRules(const MeshGeometry& mesh, const RenderModel& model,
                      std::vector<std::string>& problems) {
  if (mesh.positions.empty()) problems.push_back("<error> no vertex positions (CHUNK_VECTORS)");
  if (mesh.indices.empty()) problems.push_back("<error> no indices (CHUNK_INDICES)");
  if (!mesh.blendWeights.empty() && mesh.paletteIndices.empty()) {
    problems.push_back(
        "<error> blend weights without matrix palette indices (CHUNK_MATRIXPALETTE)");
  }
  const int32_t frames = model.bones.empty() ? 0 : model.bones[0].keys.count;
  for (const NamedAnimation& clip : model.animations) {
    int outside = 0;
    int32_t first = 0;
    for (int32_t frame : clip.frames) {
      if (frame < 0 || frame >= frames) {
        if (outside++ == 0) first = frame;
      }
    }
    if (outside > 0) {
      problems.push_back("<error> animation " + std::string(clip.name) + ": " +
                         std::to_string(outside) + " frame numbers not below the frame count " +
                         std::to_string(frames) + ", first: " + std::to_string(first));
    }
  }
}

// Material offsets that the renderer can draw by, 'm' commands for materials
// that exist (one each), parts with the whole model's bones and clips.
void checkMaterialsAndParts(const MeshGeometry& mesh, const RenderModel& model,
                            std::vector<std::string>& problems) {
  for (const std::string& problem :
       materialProblems(model.materialOffsets, model.materials.count, mesh.indices.count)) {
    problems.push_back("<error> " + problem);
  }
  std::vector<int> named(static_cast<size_t>(model.materials.count), 0);
  for (const MaterialTextureEntry& entry : model.materialTextureNames) {
    if (entry.material < 0 || entry.material >= model.materials.count) {
      problems.push_back("<error> 'm' names material " + std::to_string(entry.material) +
                         " of a model with " + std::to_string(model.materials.count) +
                         " materials");
    } else if (named[static_cast<size_t>(entry.material)]++ == 1) {
      problems.push_back("<error> 'm' names material " + std::to_string(entry.material) +
                         " more than once");
    }
  }
  for (size_t i = 0; i < model.parts.size(); ++i) {
    const RenderModel& part = *model.parts[i];
    const std::string name = model.partCommands[static_cast<int32_t>(i)].name.data;
    if (part.bones.count != model.bones.count || part.animations.count != model.animations.count) {
      problems.push_back("<error> part " + name + " has " + std::to_string(part.bones.count) +
                         " bones and " + std::to_string(part.animations.count) +
                         " clips, the model " + std::to_string(model.bones.count) + " and " +
                         std::to_string(model.animations.count));
    }
  }
}

}  // namespace

std::vector<std::string> validateModel(const std::string& path) {
  std::vector<std::string> problems;
  const TextString textureFolder = g_textureFolder;
  const TextString effectFolder = g_effectFolder;
  // Effect names as they stand, as in the viewer; resources are not rules of the format.
  g_effectFolder = TextString();
  {
    RecordedModelLoad recorded;
    if (!recorded.setupProblem().empty()) {
      problems.push_back("<error> " + recorded.setupProblem());
    } else {
      recorded.load(path);
      ModelLoader& loader = recorded.loader();
      RenderModel& model = recorded.model();
      const std::vector<std::string> lines = recorded.logLines();
      // The script is read only once every chunk was: only then is the data whole.
      const bool chunksRead = std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return startsWith(line, "loading script from: ");
      });
      std::vector<std::string> consistency;
      if (chunksRead) {
        checkModelConsistency(loader.mesh, &model, [&](const char* line) {
          consistency.emplace_back(line);
          return true;
        });
      }
      for (const std::string& line : logEntries(lines)) {
        // The loader reports the first consistency violation itself; the list below has it.
        if (startsWith(line, "<error> ") &&
            std::find(consistency.begin(), consistency.end(), line) == consistency.end()) {
          problems.push_back(line);
        }
      }
      problems.insert(problems.end(), consistency.begin(), consistency.end());
      if (chunksRead) {
        checkViewerRules(loader.mesh, model, problems);
        checkMaterialsAndParts(loader.mesh, model, problems);
      }
    }
  }
  g_textureFolder = textureFolder;
  g_effectFolder = effectFolder;
  return problems;
}

int runValidation(const std::string& path, std::ostream& out) {
  const std::vector<std::string> problems = validateModel(path);
  for (const std::string& problem : problems) out << problem << "\n";
  if (problems.empty()) {
    out << "meshinfo: " << path << " is valid\n";
    return 0;
  }
  out << "meshinfo: " << path << " breaks " << problems.size()
      << (problems.size() == 1 ? " rule\n" : " rules\n");
  return 1;
}
