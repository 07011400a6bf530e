#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "app/model_file.h"
#include "app/viewer_scene.h"
#include "app/watched_files.h"

// Keeps the model of a viewer opened on a file current while it runs: a
// file dropped on the window replaces it, F5 reloads it with everything it
// uses, and with watching on so does a change to any of those files. A load
// that fails leaves the current model running and says why on screen.
class ModelSession {
 public:
  // How long the reason a dropped file could not be opened stays on screen.
  static constexpr uint32_t kDropNoticeMs = 5000;
  // How often watched files are looked at.
  static constexpr uint32_t kWatchIntervalMs = 250;
  // Notices longer than this are cut (the font draws about 100 characters
  // across the default window).
  static constexpr size_t kLongestNotice = 120;

  struct Hooks {
    // The load for a checked file.
    std::function<ModelLoad(const ModelFileCheck&)> loadFor;
    // The files a loaded file uses, for watching.
    std::function<std::vector<std::string>(const ModelFileCheck&)> filesOf;
    // Told the new file after it replaced the model (the window title).
    std::function<void(const ModelFileCheck&)> opened;
    // Before every load: forgets what earlier loads kept (compiled effects),
    // so that the files are read as they are now.
    std::function<void()> beforeLoad;
  };

  // file is the model the scene's set-up loaded; logPath the loader log the
  // loads write to.
  ModelSession(ViewerScene& scene, ModelFileCheck file, std::string logPath, bool watch,
               Hooks hooks);

  // After each frame: acts on the frame's message (a dropped file, F5) and,
  // every kWatchIntervalMs, on changed files.
  void AfterFrame(uint32_t now);

  // Opens path in place of the current model; false when it cannot, with
  // the reason shown for kDropNoticeMs.
  bool Open(const std::string& path, uint32_t now);
  // Loads the current file again; false when that fails, with the reason
  // shown until a load succeeds.
  bool Reload(uint32_t now);

  // The line the HUD shows at time now; "" for none.
  std::string Notice(uint32_t now) const;
  const ModelFileCheck& File() const { return file_; }

 private:
  uint32_t Load(const ModelFileCheck& file, std::string* reason);
  void Watch(const ModelFileCheck& file);
  void Show(std::string text, uint32_t now, bool untilLoaded);

  ViewerScene& scene_;
  ModelFileCheck file_;
  std::string logPath_;
  bool watch_;
  Hooks hooks_;
  FileWatcher watcher_;
  uint32_t lastWatch_ = 0;
  std::string notice_;
  uint32_t noticeStart_ = 0;
  bool noticeUntilLoaded_ = false;
};
