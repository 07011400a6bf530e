#pragma once
#include <functional>
#include <string>

#include "import/converted_files.h"
#include "import/converter.h"

// Converts options.input (any file assimp reads) exactly as meshconv does —
// same merge, skeleton, clips, placement and scale, up axis, textures — but
// keeps the results in memory: nothing is written anywhere, least of all
// beside the user's model. options.outDir and options.check are not used.
// False with a reason naming the file in *error; warnings go to onWarning
// as they arise and into summary->warnings.
bool convertInMemory(const ConvertOptions& options, ConvertedFiles* files, ConvertSummary* summary,
                     std::string* error,
                     const std::function<void(const std::string&)>& onWarning = {});
