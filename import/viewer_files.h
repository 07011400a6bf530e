#pragma once
#include <string>
#include <vector>

// The files the viewer needs besides the model: the demo's wall "wall.x_out"
// (which it always loads) with its script in outDir/bin and its textures in
// outDir/texture, and the bitmap font "font.bmp" / "font.fnd" in outDir/bin.
// written receives the paths. False with a reason when the wall cannot be
// written; a font that cannot be made is a warning (the viewer then runs
// without its text).
bool writeViewerFiles(const std::string& outDir, std::vector<std::string>* written,
                      std::vector<std::string>* warnings, std::string* error);

// A model file name stem ("wall", "input", ...) whose model or script would
// overwrite one of the viewer's own files in bin/.
bool isReservedStem(const std::string& stem);
