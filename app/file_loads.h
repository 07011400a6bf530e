#pragma once
#include <string>

#include "app/viewer_scene.h"

// The program's data folder as the viewer opened on a file uses it: the
// wall and the font in its start folder, their textures and the shipped
// effects beside it. Each ends with a separator.
struct DataFolders {
  std::string start;
  std::string texture;
  std::string effect;
};

// The loader keeps a model whose effect did not load (it is then never
// drawn); opened on its own such a model is a failed load, so that a reload
// keeps the model that still draws. result, or 0 for such a model.
uint32_t RequireEffect(uint32_t result, const RenderModel& model);

// The load of a model of our format at an absolute path, with the folders
// that FoldersForModel gives it.
ModelLoad NativeModelLoad(const std::string& path);
// The wall of the data folder.
ModelLoad DataWallLoad(const DataFolders& data);
// The font of the data folder.
std::function<void(Font&)> DataFontLoad(const DataFolders& data);
