#pragma once
#include <string>

// A folder beside the output folder that a conversion writes into. Its files
// move into the output folder only on commit(), after the whole conversion
// and its check succeeded; otherwise the folder is removed with this object,
// and the output folder stays as it was. A killed conversion leaves only the
// hidden staging folder behind; its name holds the writer's process id, so
// the next conversion into the same folder removes it once that process is
// gone.
class StagedOutput {
 public:
  explicit StagedOutput(const std::string& outDir);
  ~StagedOutput();
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  // Empty when the staging folder was made; else why not.
  const std::string& failure() const { return failure_; }
  // The staging folder, an absolute path (the check changes the working
  // directory, so nothing here may be relative).
  const std::string& folder() const { return folder_; }
  // Moves every file into the output folder (made if missing), replacing
  // files of the same name and keeping all others; false with the reason
  // when one could not be moved.
  bool commit(std::string* error);

 private:
  std::string outDir_;  // absolute
  std::string folder_;
  std::string failure_;
};
