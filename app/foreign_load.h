#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/file_loads.h"

// The load of any file the importer reads: converted in memory as meshconv
// converts it (up is "" for the file's own up axis, or "+Y", "-Z", ...),
// then loaded with the data folder's effects. The converted files are served
// from memory for the load; nothing is written anywhere. sourceFiles, when given,
// receives every file the last conversion read.
ModelLoad ForeignModelLoad(const std::string& path, const std::string& up, const DataFolders& data,
                           std::shared_ptr<std::vector<std::string>> sourceFiles = {});
