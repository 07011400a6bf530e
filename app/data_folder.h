#pragma once
#include <optional>
#include <string>

#include "app/file_loads.h"

// The program's data folder (wall, font, shipped effects) for the viewer
// opened on a file; none with the places looked at in missing.
std::optional<DataFolders> FindDataFolders(std::string* missing);
