#pragma once
#include <string>
#include <vector>

// The files the viewer needs besides the model, copied from the program's
// data folder (base/program_data.h): the wall "wall.x_out" (which it always
// loads) with its script into outDir/bin and its textures into
// outDir/texture, and the bitmap font "font.bmp" / "font.fnd" into
// outDir/bin. written receives the paths. False with a reason when there is
// no data folder or the wall cannot be copied; a missing font is a warning
// (the viewer then runs without its text).
bool writeViewerFiles(const std::string& outDir, std::vector<std::string>* written,
                      std::vector<std::string>* warnings, std::string* error);

// A model file name stem ("wall", "input", ...) whose model or script would
// overwrite one of the viewer's own files in bin/.
bool isReservedStem(const std::string& stem);
