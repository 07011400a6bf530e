#pragma once
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "import/clip_plan.h"
#include "import/converted_files.h"
#include "import/model_assembly.h"
#include "import/self_check.h"
#include "import/source_model.h"
#include "tools/model_writer/script_writer.h"

namespace Assimp {
class Importer;
}
struct aiScene;
class RecordingIOSystem;

// What to convert and how.
struct ConvertOptions {
  std::string input;           // any file assimp reads
  std::string outDir;          // gets bin/, texture/ and effect/
  std::string name;            // model file name without ".x_out"; empty: from the input's name
  std::string effectDir;       // where the shipped effect files are; empty: looked for
  std::string executablePath;  // for finding the effect files beside the program
  double framesPerSecond = 30.0;
  double simplify = -1.0;  // below 0: keep every triangle; 0: to fit one file; else the share kept
  // Diagonal of the model's bounding box; 0 keeps its units and place;
  // kFitToView fills a fixed share of the viewer's view.
  double fitSize = kFitToView;
  bool shadowVolume = false;
  bool check = true;
  bool progress = false;  // a line per stage even for inputs under 1 MB
  // The file's up axis, "+Y", "-Z", ...; empty: the one the file declares
  // (or its format's convention), else +Y.
  std::string up;
  // Told the name of each stage as it starts ("import", "assemble", "write",
  // "check") and "" when the conversion ends, e.g. to bound each one's time.
  std::function<void(const std::string& stage)> onStage;
};

// What a conversion made, for the summary and the tests.
struct ConvertSummary {
  std::string modelPath;  // OUTDIR/bin/NAME.x_out
  std::string scriptPath;
  int vertices = 0;
  int triangles = 0;
  int bones = 0;
  int clips = 0;
  int frames = 0;
  int textures = 0;
  int parts = 1;
  bool simplified = false;
  float simplifyError = 0.0f;  // share of the model's extent  // model files: more than one for a
                               // model over the format's limits
  std::vector<std::string> warnings;
  bool checked = false;
  double largestDeviation = 0.0;
  // Every file the conversion read, in the order first read.
  std::vector<std::string> filesRead;
};

// The model's file name stem: the input's name (or the one given) with
// everything but letters, digits, '_' and '-' turned into '_', so the
// model path has exactly one '.'; "_model" is appended to a name whose
// files would overwrite the viewer's own (wall, input, loaderlog).
std::string modelStem(const std::string& input, const std::string& given);

// One conversion, step by step; each step needs the one before and returns
// false with error() set when the conversion cannot go on.
class ModelConversion {
 public:
  explicit ModelConversion(ConvertOptions options);
  ~ModelConversion();
  ModelConversion(const ModelConversion&) = delete;
  ModelConversion& operator=(const ModelConversion&) = delete;

  // Imports the input, finds meshes and skeleton, checks the bone limit of
  // the shipped skinned effect and plans the clips.
  bool read();
  // The model file's contents: merged mesh, skeleton, keys.
  bool assemble();
  // The model file, its script and its textures, in memory.
  bool makeFiles(ConvertedFiles* files);
  // Model file, script, textures, effects, wall, font and input.txt, into
  // OUTDIR or the folder given.
  bool write();
  bool write(const std::string& outDir);
  // Loads the written model back and compares it with the input.
  SelfCheckResult check() const;

  const std::string& error() const { return error_; }
  // The shipped effects' folder that read() chose.
  const std::string& effectFolder() const { return effectDir_; }
  const ConvertSummary& summary() const { return summary_; }
  const SourceModel& source() const { return *source_; }
  AssembledModel& assembled() { return assembled_; }
  const std::vector<SampledClip>& clips() const { return clips_; }
  // The up axis the conversion turned to +Y, "+Y" when none.
  const std::string& upAxis() const { return upAxis_; }

  // Told each warning as it arises.
  std::function<void(const std::string&)> onWarning;

 private:
  bool fail(const std::string& reason);
  void warn(const std::string& text);
  // A new importer reading through a new recording file system.
  RecordingIOSystem* makeImporter();
  // After the importer refused the file: the scene read again and mended,
  // or null with the reason set.
  const aiScene* readRepaired(const std::string& firstReason);

  ConvertOptions options_;
  std::string error_;
  ConvertSummary summary_;
  std::string effectDir_;
  std::string stem_;
  std::string writtenDir_;  // where write() put the files
  std::string upAxis_ = "+Y";
  std::vector<std::string> sourceFiles_;
  ScriptDescription script_;
  std::unique_ptr<Assimp::Importer> importer_;
  std::unique_ptr<SourceModel> source_;
  std::vector<SampledClip> clips_;
  AssembledModel assembled_;
};

// Converts; progress, warnings and the summary go to out, the reason of a
// failure to err. 0 on success, 1 when the conversion failed.
int convertModel(const ConvertOptions& options, std::ostream& out, std::ostream& err,
                 ConvertSummary* summary = nullptr);

// The file name extensions the importer reads, as "*.3ds;*.obj;...".
std::string readableExtensions();

// Why outDir cannot receive a conversion ("... is a file, not a folder"), or "".
std::string outputFolderProblem(const std::string& outDir);
