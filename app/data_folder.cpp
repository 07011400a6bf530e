#include "app/data_folder.h"

#include "base/program_data.h"

std::optional<DataFolders> FindDataFolders(std::string* missing) {
  const ProgramDataLookup lookup = programData();
  if (!lookup.found()) {
    *missing = lookup.failure();
    return std::nullopt;
  }
  return DataFolders{lookup.startFolder(), lookup.textureFolder(), lookup.effectFolder()};
}
