#pragma once
#include <string>
#include <vector>

#include "app/file_loads.h"
#include "app/model_file.h"

// Compiling effects is most of a first start's own work, and none of it
// needs the window: these hand the effects a start is about to load to the
// effect cache, which compiles them in a child process while the window and
// the device are made. Call before the window, while the process has one
// thread.

// The effects of the start folder (the working folder): those of the model
// input.txt names, then the wall's.
std::vector<std::string> StartFolderEffects();

// The effects of a model opened on the command line, then the data folder's
// wall's. A model of another format is converted only later; its converted
// script names shipped effects, so those are taken.
std::vector<std::string> FileModeEffects(const ModelFileCheck& file, const DataFolders& data);

void PrefetchEffects(const std::vector<std::string>& effects);
