#pragma once
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "import/converter.h"

// Reads meshconv's arguments (without the program name); false with a
// complaint in *problem when they make no sense.
bool parseMeshconvArguments(const std::vector<std::string>& arguments, ConvertOptions* options,
                            bool* help, std::string* problem);

// meshconv's whole behaviour: 0 converted (or --help), 1 the conversion
// failed, 2 bad usage. onStage, when given, is told the input and each stage
// of the conversion as it starts ("" when it ends).
using MeshconvStageHook = std::function<void(const std::string& input, const std::string& stage)>;
int runMeshconv(const std::vector<std::string>& arguments, const std::string& executablePath,
                std::ostream& out, std::ostream& err, const MeshconvStageHook& onStage = {});
