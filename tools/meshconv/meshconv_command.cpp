#include "tools/meshconv/meshconv_command.h"

#include <cmath>
#include <cstdlib>

#include "import/up_axis.h"

namespace {

constexpr char kUsage[] =
    "usage: meshconv INPUT OUTDIR [options]\n"
    "       meshconv --formats\n"
    "\n"
    "Converts a model that assimp reads (.x, .fbx, .gltf/.glb, .dae, .obj, ...) into\n"
    "the viewer's model format and sets up OUTDIR so that meshview, started in\n"
    "OUTDIR/bin, shows it:\n"
    "  OUTDIR/bin/NAME.x_out, NAME.txt  the model file and its script\n"
    "  OUTDIR/bin/input.txt             names the model for the viewer\n"
    "  OUTDIR/bin/wall.x_out, wall.txt  the wall the viewer always loads\n"
    "  OUTDIR/texture/                  the model's and the wall's textures\n"
    "  OUTDIR/effect/                   the shipped effect files\n"
    "All meshes are merged into one, its triangles ordered by material (each\n"
    "material keeps its colours and textures); animations are sampled into keys for every\n"
    "bone. Afterwards the result is loaded back with the viewer's loader and\n"
    "compared, at every key, with the input.\n"
    "\n"
    "Options:\n"
    "  --name NAME      model file name without extension (default: the input's)\n"
    "  --fps N          animation sampling rate in frames per second (default 30)\n"
    "  --size S         scale the model's bounding box to a diagonal of S instead of\n"
    "                   the default: the larger of its width and height fills 30% of\n"
    "                   the viewer's view, the model standing where the camera and\n"
    "                   light see it in front of the wall, right of the shadow-map\n"
    "                   display\n"
    "  --keep-size      keep the model's own units and position\n"
    "  --up AXIS        the file's up axis: +Y, -Y, +Z, -Z, +X or -X (default: the\n"
    "                   one the file declares, Z for Valve SMD, Quick3D, IQM and\n"
    "                   Character Studio files, else Y); the model stands on it\n"
    "  --simplify[=R]   keep only share R of the triangles (0 < R <= 1), or without R\n"
    "                   as many as fit one model file, with meshoptimizer; prints the\n"
    "                   error reached. Without it a model over 65,535 indices or\n"
    "                   vertices is written losslessly in parts (NAME_partN.x_out)\n"
    "  --shadow-volume  let the viewer build a shadow-volume mesh ('S')\n"
    "  --effects DIR    folder of the shipped effect files (default: effect/ beside\n"
    "                   meshconv, else the effect/ folder of the program's data folder:\n"
    "                   PREFIX/share/meshview when installed, else the build's data/)\n"
    "  --no-check       do not load the result back and compare it with the input\n"
    "  --progress       print a line per stage even for small inputs\n"
    "  --max-memory MB  limit meshconv's memory to MB MiB (default: a quarter of\n"
    "                   physical memory, at most 4096); a model that needs more\n"
    "                   fails with one line and status 1\n"
    "  --max-seconds S  limit each stage (import, assemble, write, check) to S\n"
    "                   seconds (default 120); a stage that takes longer ends\n"
    "                   meshconv with one line naming the input and the stage and\n"
    "                   status 1 (OUTDIR may then be left partly written)\n"
    "  --help           print this text\n"
    "  --formats        print the file name extensions assimp reads, one line\n"
    "\n"
    "Exit status: 0 converted, 1 the conversion failed (the reason is printed),\n"
    "2 bad usage. The summary ends with a \"meshconv: read FILE\" line for every\n"
    "file read (the input, the files it names, the textures).\n";

bool positiveNumber(const std::string& text, double* value) {
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(parsed) || parsed <= 0.0) return false;
  *value = parsed;
  return true;
}

}  // namespace

bool parseMeshconvArguments(const std::vector<std::string>& arguments, ConvertOptions* options,
                            bool* help, std::string* problem) {
  *help = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= arguments.size()) {
        *problem = argument + " needs a value";
        return false;
      }
      *out = arguments[++i];
      return true;
    };
    std::string text;
    if (argument == "--formats" && arguments.size() == 1) {
      return true;
    } else if (argument == "--help" || argument == "-h") {
      *help = true;
      return true;
    } else if (argument == "--name") {
      if (!value(&options->name)) return false;
      if (options->name.empty()) {
        *problem = "--name needs a name";
        return false;
      }
    } else if (argument == "--fps") {
      if (!value(&text)) return false;
      if (!positiveNumber(text, &options->framesPerSecond) || options->framesPerSecond > 1000.0) {
        *problem = "--fps takes a rate above 0 and up to 1000, not \"" + text + "\"";
        return false;
      }
    } else if (argument == "--size") {
      if (!value(&text)) return false;
      if (!positiveNumber(text, &options->fitSize)) {
        *problem = "--size takes a size above 0, not \"" + text + "\"";
        return false;
      }
    } else if (argument == "--keep-size") {
      options->fitSize = 0.0;
    } else if (argument == "--up" || argument.rfind("--up=", 0) == 0) {
      if (argument == "--up") {
        if (!value(&options->up)) return false;
      } else {
        options->up = argument.substr(5);
      }
      UpAxis up;
      if (!parseUpAxis(options->up, &up)) {
        *problem = "--up takes +Y, -Y, +Z, -Z, +X or -X, not \"" + options->up + "\"";
        return false;
      }
    } else if (argument == "--simplify" || argument.rfind("--simplify=", 0) == 0) {
      options->simplify = 0.0;
      if (argument != "--simplify" &&
          (!positiveNumber(argument.substr(11), &options->simplify) || options->simplify > 1.0)) {
        *problem =
            "--simplify takes a share above 0 and up to 1, not \"" + argument.substr(11) + "\"";
        return false;
      }
    } else if (argument == "--shadow-volume") {
      options->shadowVolume = true;
    } else if (argument == "--effects") {
      if (!value(&options->effectDir)) return false;
    } else if (argument == "--no-check") {
      options->check = false;
    } else if (argument == "--progress") {
      options->progress = true;
    } else if (argument.size() > 1 && argument[0] == '-') {
      *problem = "unknown option " + argument;
      return false;
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.size() != 2) {
    *problem = "give INPUT and OUTDIR";
    return false;
  }
  options->input = positional[0];
  options->outDir = positional[1];
  return true;
}

int runMeshconv(const std::vector<std::string>& arguments, const std::string& executablePath,
                std::ostream& out, std::ostream& err, const MeshconvStageHook& onStage) {
  ConvertOptions options;
  options.executablePath = executablePath;
  bool help = false;
  std::string problem;
  if (!parseMeshconvArguments(arguments, &options, &help, &problem)) {
    err << "meshconv: " << problem << "\n\n" << kUsage;
    return 2;
  }
  if (help) {
    out << kUsage;
    return 0;
  }
  if (arguments.size() == 1 && arguments[0] == "--formats") {
    out << readableExtensions() << "\n";
    return 0;
  }
  if (onStage) {
    options.onStage = [&onStage, input = options.input](const std::string& stage) {
      onStage(input, stage);
    };
  }
  return convertModel(options, out, err);
}
