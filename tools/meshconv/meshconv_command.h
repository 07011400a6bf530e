#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "import/converter.h"

// Reads meshconv's arguments (without the program name); false with a
// complaint in *problem when they make no sense.
bool parseMeshconvArguments(const std::vector<std::string>& arguments, ConvertOptions* options,
                            bool* help, std::string* problem);

// meshconv's whole behaviour: 0 converted (or --help), 1 the conversion
// failed, 2 bad usage.
int runMeshconv(const std::vector<std::string>& arguments, const std::string& executablePath,
                std::ostream& out, std::ostream& err);
