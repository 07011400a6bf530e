#include "import/converter.h"

#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "base/input_file.h"
#include "import/effect_files.h"
#include "import/model_parts.h"
#include "import/recording_io_system.h"
#include "import/scene_contents.h"
#include "import/scene_repair.h"
#include "import/staged_output.h"
#include "import/texture_export.h"
#include "import/up_axis.h"
#include "import/view_fit.h"
#include "import/viewer_files.h"
#include "tools/model_writer/model_writer.h"
#include "tools/model_writer/script_writer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxBonesByIndex = 255;  // a palette index is a byte and 255 means "no parent"
constexpr int kScriptTopLevelReads = 64;
constexpr int kOtherScriptCommands = 5;   // t, b, e, T, S
constexpr int kViewerStartAnimation = 2;  // the viewer shows the third clip first
constexpr uintmax_t kLongInputBytes = 1u << 20;

constexpr unsigned kImportSteps = aiProcess_Triangulate | aiProcess_GenSmoothNormals |
                                  aiProcess_SortByPType | aiProcess_ValidateDataStructure |
                                  aiProcess_GenUVCoords | aiProcess_TransformUVCoords;
// Normals made for a model without them stay sharp across edges steeper than this.
constexpr float kSmoothingAngleDegrees = 80.0f;

std::string effectName(const char* file) {
  return std::string(shipped_effects::kFolderFromBin) + file;
}

ScriptDescription makeScript(const AssembledModel& assembled, const ExportedTextures& textures,
                             const std::vector<SampledClip>& clips, bool skinned,
                             bool shadowVolume) {
  ScriptDescription script;
  script.texture = textures.colour;
  script.bumpTexture = textures.bump;
  script.effect = effectName(skinned ? shipped_effects::kSkinned : shipped_effects::kStatic);
  script.tangents = assembled.hasTexCoords;
  if (shadowVolume) script.shadowEffect = effectName(shipped_effects::kShadowVolume);
  if (!skinned || clips.empty()) return script;
  // Repeating clips lets the viewer's starting index name one.
  const size_t count = std::max(clips.size(), static_cast<size_t>(kViewerStartAnimation + 1));
  for (size_t i = 0; i < count; ++i) {
    const SampledClip& clip = clips[i % clips.size()];
    ScriptClip entry;
    entry.name = clip.name;
    entry.speed = clip.speedMs;
    for (int f = 0; f < clip.frameCount; ++f) entry.frames.push_back(clip.firstFrame + f);
    script.animations.push_back(std::move(entry));
  }
  return script;
}

// Every material's textures by an 'm' command, as many as the script's
// command limit leaves room for; the rest take the model's 't' and 'b'.
// How many were left out.
size_t addMaterialTextures(const ExportedTextures& textures, ScriptDescription* script) {
  for (size_t i = 0; i < textures.materials.size(); ++i) {
    script->materialTextures.push_back(
        {static_cast<int32_t>(i), textures.materials[i].first, textures.materials[i].second});
  }
  size_t dropped = 0;
  while (scriptCommandCount(*script) > kMaxScriptCommands && !script->materialTextures.empty()) {
    script->materialTextures.pop_back();
    ++dropped;
  }
  return dropped;
}

bool makeFolders(const std::string& outDir, std::string* error) {
  for (const char* folder : {"bin", "texture", "effect"}) {
    std::error_code code;
    fs::create_directories(fs::path(outDir) / folder, code);
    if (code) {
      *error = "cannot make " + (fs::path(outDir) / folder).string() + ": " + code.message();
      return false;
    }
  }
  return true;
}

bool writeText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

std::string modelStem(const std::string& input, const std::string& given) {
  std::string stem = given.empty() ? fs::path(input).stem().string() : given;
  for (char& c : stem) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') c = '_';
  }
  if (stem.empty()) stem = "model";
  if (isReservedStem(stem)) stem += "_model";
  return stem;
}

ModelConversion::ModelConversion(ConvertOptions options) : options_(std::move(options)) {}

ModelConversion::~ModelConversion() = default;

bool ModelConversion::fail(const std::string& reason) {
  error_ = reason;
  return false;
}

void ModelConversion::warn(const std::string& text) {
  summary_.warnings.push_back(text);
  if (onWarning) onWarning(text);
}

bool ModelConversion::read() {
  std::error_code code;
  if (fs::is_directory(options_.input, code)) {
    return fail("cannot read " + options_.input + ": it is a directory");
  }
  // The file reader's own reason: "no such file", or what else is there (a
  // FIFO or device is refused without being opened).
  InputStatus status;
  MemoryFileBytes keepAlive;
  FILE* probe = open_input_stream(options_.input.c_str(), InputKind::Model, &keepAlive, &status);
  if (!probe) return fail("cannot read " + options_.input + ": " + status.reason);
  std::fclose(probe);
  if (fs::file_size(options_.input, code) == 0) {
    return fail("cannot read " + options_.input + ": it is empty");
  }
  effectDir_ = findEffectFolder(options_.effectDir, options_.executablePath);
  if (effectDir_.empty()) {
    return fail("cannot find the shipped effect files (" + std::string(shipped_effects::kSkinned) +
                (options_.effectDir.empty() ? "); give their folder with --effects DIR"
                                            : ") in " + options_.effectDir));
  }

  UpAxis chosenUp;
  if (!options_.up.empty() && !parseUpAxis(options_.up, &chosenUp)) {
    return fail("unknown up axis \"" + options_.up + "\" (+Y, -Y, +Z, -Z, +X or -X)");
  }

  RecordingIOSystem* files = makeImporter();
  const aiScene* scene = importer_->ReadFile(options_.input, kImportSteps);
  if (scene == nullptr || scene->mRootNode == nullptr) {
    const std::string reason = importer_->GetErrorString();
    // Some format readers keep state from a failed read: a new importer.
    files = makeImporter();
    scene = readRepaired(reason);
    if (scene == nullptr) return false;
  }
  sourceFiles_ = files->opened();
  // A file without a triangle mesh says what it holds instead; a moving
  // skeleton alone is shown as a stick figure.
  if (isMovingSkeleton(*scene)) {
    addStickFigure(*const_cast<aiScene*>(scene));
    warn("the file holds only a skeleton with motion; it is shown as a stick figure");
  }
  const std::string missing = missingMeshReason(*scene);
  if (!missing.empty())
    return fail(options_.input + ": the file holds no triangle mesh, " + missing);
  upAxis_ = upAxisName(options_.up.empty() ? declaredUpAxis(*scene, options_.input) : chosenUp);
  source_ = std::make_unique<SourceModel>(*scene);
  std::string error;
  if (!buildSourceModel(*source_, &error)) return fail(options_.input + ": " + error);

  int morphing = 0;
  for (unsigned a = 0; a < scene->mNumAnimations; ++a) {
    if (scene->mAnimations[a]->mNumMeshChannels + scene->mAnimations[a]->mNumMorphMeshChannels >
        0) {
      ++morphing;
    }
  }
  if (morphing > 0) {
    warn(std::to_string(morphing) +
         " animations also change mesh shapes, which the model file cannot hold; only their node "
         "motion is kept");
  }
  if (source_->skippedMeshes > 0) {
    warn(std::to_string(source_->skippedMeshes) + " meshes of points or lines left out");
  }
  if (source_->verticesOverInfluences > 0) {
    warn(std::to_string(source_->verticesOverInfluences) +
         " vertices have more than 4 bone weights; the 4 largest are kept");
  }
  if (source_->verticesWithoutWeights > 0) {
    warn(std::to_string(source_->verticesWithoutWeights) +
         " vertices have no bone weight; they move with their mesh's node");
  }
  if (source_->nonFiniteVertices > 0) {
    warn(std::to_string(source_->nonFiniteVertices) +
         " vertices have coordinates that are not finite numbers; they are put at 0");
  }
  for (const std::string& bone : source_->bonesWithoutNode) {
    warn("bone \"" + bone + "\" has no node in the scene; it stays in its bind pose");
  }
  if (!source_->skinned) return true;

  const std::string skinnedEffect = (fs::path(effectDir_) / shipped_effects::kSkinned).string();
  const int capacity = boneArrayCapacity(skinnedEffect, &error);
  if (capacity == 0) return fail(error);
  const int limit = std::min(capacity, kMaxBonesByIndex);
  const int bones = static_cast<int>(source_->joints.size());
  if (bones > limit) {
    const std::string holder =
        limit == capacity
            ? "the shipped skinned effect \"" + std::string(shipped_effects::kSkinned) + "\" holds"
            : "byte bone indices allow";
    return fail("the model needs " + std::to_string(bones) + " bones; " + holder + " at most " +
                std::to_string(limit) + ", " + std::to_string(bones - limit) + " too many");
  }
  ClipPlanLimits limits;
  limits.framesPerSecond = options_.framesPerSecond;
  limits.maxTotalFrames = maxFramesForBones(bones);
  // Parts of a model over the format's limits take script commands too.
  const int estimatedParts = static_cast<int>(std::min<int64_t>(
      kMaxModelParts, static_cast<int64_t>(triangleCountOf(*source_)) * 3 / kMaxIndexCount));
  limits.maxClips = kScriptTopLevelReads - kOtherScriptCommands - estimatedParts;
  std::vector<std::string> clipWarnings;
  if (!planClips(*scene, limits, &clips_, &clipWarnings, &error)) return fail(error);
  for (const std::string& warning : clipWarnings) warn(warning);
  return true;
}

bool ModelConversion::assemble() {
  AssemblyOptions assembly;
  assembly.simplify = options_.simplify;
  assembly.fitSize = options_.fitSize;
  assembly.fitCentre = view_room::kPlace;
  UpAxis up;
  parseUpAxis(upAxis_, &up);
  assembly.orientation = outputOrientation(up);
  std::string error;
  if (!assembleGeometry(*source_, assembly, &assembled_, &error)) return fail(error);
  if (options_.simplify >= 0.0) {
    summary_.simplified = true;
    summary_.simplifyError = assembled_.simplifyError;
    warn("simplified from " + std::to_string(assembled_.simplifiedFrom / 3) + " to " +
         std::to_string(assembled_.simplifiedTo / 3) + " triangles; error reached " +
         std::to_string(assembled_.simplifyError) + " of the model's extent");
  }
  assembleAnimation(*source_, clips_, &assembled_);
  // Every part moves with the same skeleton and clips.
  const ModelDescription& first = assembled_.model;
  for (AssembledPart& part : assembled_.moreParts) {
    part.model.writeAnimation = first.writeAnimation;
    part.model.bones = first.bones;
    part.model.writeArmature = first.writeArmature;
    part.model.boneParents = first.boneParents;
    part.model.boneOrder = first.boneOrder;
  }
  for (const std::string& warning : assembled_.warnings) warn(warning);
  summary_.vertices = static_cast<int>(assembled_.model.positions.size());
  for (const AssembledPart& part : assembled_.moreParts) {
    summary_.vertices += static_cast<int>(part.model.positions.size());
  }
  summary_.parts = 1 + static_cast<int>(assembled_.moreParts.size());
  summary_.triangles = assembled_.triangles;
  summary_.bones = static_cast<int>(assembled_.model.bones.size());
  summary_.clips = static_cast<int>(clips_.size());
  summary_.frames = assembled_.frames;
  return true;
}

bool ModelConversion::makeFiles(ConvertedFiles* files) {
  stem_ = modelStem(options_.input, options_.name);
  files->modelName = stem_ + ".x_out";
  files->scriptName = scriptPathFor(files->modelName);
  const std::string inputDir = fs::path(options_.input).parent_path().string();
  ExportedTextures textures = exportTextures(*source_, inputDir.empty() ? "." : inputDir, stem_);
  exportMaterialTextures(*source_, inputDir.empty() ? "." : inputDir, stem_,
                         assembled_.materialSources, &textures);
  for (const std::string& warning : textures.warnings) warn(warning);
  std::error_code code;
  if (options_.shadowVolume &&
      !fs::is_regular_file(fs::path(effectDir_) / shipped_effects::kShadowVolume, code)) {
    warn(std::string("no ") + shipped_effects::kShadowVolume + " in " + effectDir_ +
         "; the shadow volume has no effect");
  }
  script_ = makeScript(assembled_, textures, clips_, source_->skinned, options_.shadowVolume);
  for (size_t p = 0; p < assembled_.moreParts.size(); ++p)
    script_.parts.push_back(partFileName(stem_, p));
  const size_t dropped = addMaterialTextures(textures, &script_);
  if (dropped > 0) {
    warn(std::to_string(dropped) +
         " materials' own textures left out: a script holds 64 commands; they take the first "
         "material's");
  }
  files->script = scriptText(script_);
  files->model = writeModelBytes(assembled_.model);
  // A part's script: the first's without its parts.
  ScriptDescription partScript = script_;
  partScript.parts.clear();
  partScript.shadowEffect.clear();
  for (size_t p = 0; p < assembled_.moreParts.size(); ++p) {
    const std::string name = partFileName(stem_, p);
    files->parts.push_back({name, writeModelBytes(assembled_.moreParts[p].model),
                            scriptPathFor(name), scriptText(partScript)});
  }
  files->textures = std::move(textures.files);
  files->sourceFiles = sourceFiles_;
  for (const std::string& file : textures.sourceFiles) {
    addOnce(files->sourceFiles, fs::absolute(file, code).lexically_normal().string());
  }
  summary_.textures = static_cast<int>(files->textures.size());
  return true;
}

bool ModelConversion::write() { return write(options_.outDir); }

bool ModelConversion::write(const std::string& outDir) {
  writtenDir_ = outDir;
  std::string error;
  if (!makeFolders(outDir, &error)) return fail(error);
  ConvertedFiles files;
  if (!makeFiles(&files)) return false;
  summary_.filesRead = files.sourceFiles;
  const fs::path bin = fs::path(outDir) / "bin";
  summary_.modelPath = (bin / files.modelName).string();
  summary_.scriptPath = (bin / files.scriptName).string();

  ExportedTextures textures;
  textures.colour = script_.texture;
  textures.bump = script_.bumpTexture;
  textures.files = std::move(files.textures);
  writeTextureFiles((fs::path(outDir) / "texture").string(), &textures);
  for (const std::string& warning : textures.warnings) warn(warning);
  // A texture that could not be written is left out of the script.
  ScriptDescription script = script_;
  script.texture = textures.colour;
  script.bumpTexture = textures.bump;
  summary_.textures = static_cast<int>(textures.written.size());
  if (!writeBytesFile(summary_.modelPath, files.model) ||
      !writeScriptFile(summary_.scriptPath, script)) {
    return fail("cannot write " + summary_.modelPath);
  }
  ScriptDescription partScript = script;
  partScript.parts.clear();
  partScript.shadowEffect.clear();
  for (const ConvertedPart& part : files.parts) {
    if (!writeBytesFile((bin / part.modelName).string(), part.model) ||
        !writeScriptFile((bin / part.scriptName).string(), partScript)) {
      return fail("cannot write " + (bin / part.modelName).string());
    }
  }
  std::vector<std::string> written;
  std::vector<std::string> fileWarnings;
  if (!copyEffectFiles(effectDir_, (fs::path(outDir) / "effect").string(), &written, &error) ||
      !writeViewerFiles(outDir, &written, &fileWarnings, &error)) {
    return fail(error);
  }
  for (const std::string& warning : fileWarnings) warn(warning);
  if (!writeText(bin / "input.txt", files.modelName + "\n")) {
    return fail("cannot write " + (bin / "input.txt").string());
  }
  return true;
}

RecordingIOSystem* ModelConversion::makeImporter() {
  importer_ = std::make_unique<Assimp::Importer>();
  auto* files = new RecordingIOSystem;
  importer_->SetIOHandler(files);  // the importer owns it
  importer_->SetPropertyFloat(AI_CONFIG_PP_GSN_MAX_SMOOTHING_ANGLE, kSmoothingAngleDegrees);
  // A chosen up axis applies to the file as written, so the importer must not
  // turn it first.
  if (!options_.up.empty()) {
    importer_->SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_IGNORE_UP_DIRECTION, true);
  }
  return files;
}

const aiScene* ModelConversion::readRepaired(const std::string& firstReason) {
  // The importer's structure check refuses some files it read well enough
  // (a point cloud, an empty mesh beside real ones, a light without a node):
  // read again without the steps, say what the file holds or mend it, and
  // run the steps on the mended scene.
  const std::string cannotRead = "cannot read " + options_.input + ": assimp cannot read it: ";
  const std::string reason =
      firstReason.empty() ? std::string("the importer found no complete scene in it") : firstReason;
  auto* raw = const_cast<aiScene*>(importer_->ReadFile(options_.input, 0));
  if (raw == nullptr || raw->mRootNode == nullptr) {
    fail(cannotRead + reason);
    return nullptr;
  }
  if (!isMovingSkeleton(*raw)) {
    const std::string missing = missingMeshReason(*raw);
    if (!missing.empty()) {
      fail(options_.input + ": the file holds no triangle mesh, " + missing);
      return nullptr;
    }
  }
  const std::vector<std::string> repairs = repairScene(*raw);
  const aiScene* scene = importer_->ApplyPostProcessing(kImportSteps);
  if (scene == nullptr || scene->mRootNode == nullptr) {
    const std::string again = importer_->GetErrorString();
    fail(cannotRead + reason + (again.empty() || again == reason ? "" : "; mended: " + again));
    return nullptr;
  }
  std::string done;
  for (const std::string& repair : repairs) done += (done.empty() ? "" : ", ") + repair;
  warn("the importer refused the file as read (" + reason + "); read again and mended" +
       (done.empty() ? std::string() : ": " + done));
  return scene;
}

SelfCheckResult ModelConversion::check() const {
  // The check loads from the start folder as the viewer does; a relative
  // output folder would then name the texture folder from inside bin/.
  std::error_code code;
  const fs::path out = fs::absolute(writtenDir_.empty() ? options_.outDir : writtenDir_, code);
  return runSelfCheck(*source_, assembled_, clips_, (out / "bin").string(), stem_ + ".x_out",
                      (out / "texture").string());
}

int convertModel(const ConvertOptions& finalOptions, std::ostream& out, std::ostream& err,
                 ConvertSummary* summaryOut) {
  // Refused before any work: an output folder that is a file.
  const std::string outProblem = outputFolderProblem(finalOptions.outDir);
  if (!outProblem.empty()) {
    err << "meshconv: " << outProblem << "\n";
    return 1;
  }
  const ConvertOptions& options = finalOptions;
  ModelConversion conversion(options);
  conversion.onWarning = [&](const std::string& text) {
    out << "meshconv: warning: " << text << "\n";
  };
  std::error_code code;
  const bool progress = options.progress || fs::file_size(options.input, code) >= kLongInputBytes;
  auto stage = [&](const std::string& text) {
    if (progress) out << "meshconv: " << text << "\n" << std::flush;
  };
  // Every way out of the conversion ends the last stage.
  struct StageEnd {
    const ConvertOptions& options;
    ~StageEnd() {
      if (options.onStage) options.onStage("");
    }
  } stageEnd{options};
  auto enter = [&](const char* name) {
    if (options.onStage) options.onStage(name);
  };
  auto failed = [&]() {
    err << "meshconv: " << conversion.error() << "\n";
    if (summaryOut) *summaryOut = conversion.summary();
    return 1;
  };

  stage("reading " + options.input);
  enter("import");
  if (!conversion.read()) return failed();
  stage("shipped effects from " + conversion.effectFolder());
  stage("merging meshes and sampling animations");
  enter("assemble");
  if (!conversion.assemble()) return failed();
  stage("writing " + options.outDir);
  enter("write");
  // Written beside OUTDIR and moved in only once the check passed: a failed
  // or killed conversion leaves OUTDIR as it was.
  StagedOutput staged(options.outDir);
  if (!staged.failure().empty()) {
    err << "meshconv: " << staged.failure() << "\n";
    return 1;
  }
  if (!conversion.write(staged.folder())) return failed();

  ConvertSummary summary = conversion.summary();
  // Paths as the user named OUTDIR.
  for (std::string* path : {&summary.modelPath, &summary.scriptPath}) {
    *path = (fs::path(options.outDir) / "bin" / fs::path(*path).filename()).string();
  }
  if (options.check) {
    stage("checking " + summary.modelPath);
    enter("check");
    const SelfCheckResult check = conversion.check();
    summary.checked = true;
    summary.largestDeviation = check.largestDeviation;
    if (summaryOut) *summaryOut = summary;
    if (!check.passed) {
      for (const std::string& problem : check.problems)
        err << "meshconv: check: " << problem << "\n";
      err << "meshconv: check: largest deviation " << check.largestDeviation
          << " of the model's size" << (check.worstCase.empty() ? "" : " at " + check.worstCase)
          << " (limit " << kMaxRelativeDeviation << ")\n";
      err << "meshconv: the written model does not match " << options.input
          << " (--no-check keeps it without this check)\n";
      return 1;
    }
    out << "meshconv: check passed: largest deviation " << check.largestDeviation
        << " of the model's size over " << check.posesCompared << " poses";
    if (check.verticesOnScaledBones > 0) {
      out << " (" << check.verticesOnScaledBones
          << " vertices on bones that change scale left out)";
    }
    out << "\n";
  }
  std::string moveError;
  if (!staged.commit(&moveError)) {
    err << "meshconv: " << moveError << "\n";
    return 1;
  }
  out << "meshconv: wrote " << summary.modelPath << ": " << summary.vertices << " vertices, "
      << summary.triangles << " triangles, "
      << (summary.parts > 1 ? std::to_string(summary.parts) + " parts, " : std::string())
      << summary.bones << " bones, " << summary.clips << " clips, " << summary.frames << " frames, "
      << summary.textures << " textures, " << summary.warnings.size() << " warnings\n";
  for (const std::string& file : summary.filesRead) out << "meshconv: read " << file << "\n";
  if (summaryOut) *summaryOut = summary;
  return 0;
}

std::string outputFolderProblem(const std::string& outDir) {
  std::error_code code;
  if (fs::exists(outDir, code) && !fs::is_directory(outDir, code)) {
    return outDir + " is a file, not a folder";
  }
  return {};
}

std::string readableExtensions() {
  Assimp::Importer importer;
  std::string list;
  importer.GetExtensionList(list);
  return list;
}
