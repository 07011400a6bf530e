#include "import/memory_import.h"

bool convertInMemory(const ConvertOptions& options, ConvertedFiles* files, ConvertSummary* summary,
                     std::string* error, const std::function<void(const std::string&)>& onWarning) {
  ModelConversion conversion(options);
  conversion.onWarning = onWarning;
  const bool converted = conversion.read() && conversion.assemble() && conversion.makeFiles(files);
  if (summary != nullptr) *summary = conversion.summary();
  if (!converted) *error = conversion.error();
  return converted;
}
