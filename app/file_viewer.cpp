#include "app/file_viewer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "app/animation_review.h"
#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/device.h"
#include "app/effect_prefetch.h"
#include "app/file_loads.h"
#include "app/foreign_load.h"
#include "app/load_report.h"
#include "app/model_file.h"
#include "app/model_session.h"
#include "app/run.h"
#include "app/screenshot.h"
#include "app/window.h"
#include "base/log.h"
#include "platform/fx/effect_cache.h"
#include "platform/win/display.h"
#include "render/font.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitShown = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr COLORREF kBackground = 0;

int Failure(const std::string& file, const std::string& reason) {
  std::fprintf(stderr, "meshview: %s: %s\n", file.c_str(), reason.c_str());
  return kExitFailed;
}

int UsageFailure(const std::string& reason) {
  std::fprintf(stderr, "meshview: %s\nTry 'meshview --help'.\n", reason.c_str());
  return kExitUsage;
}

std::string FileName(const std::string& path) { return fs::path(path).filename().string(); }

std::string TitleFor(const ModelFileCheck& file) { return "meshview - " + FileName(file.path); }

// The reason a load failed, for the one error line: the loader's first
// error with its "<error>" tag taken off.
std::string LoadFailureReason(const LoadReport& report) {
  std::string reason = report.FirstError();
  if (!reason.empty() && reason[0] == '<') {
    const size_t close = reason.find('>');
    if (close != std::string::npos) reason = reason.substr(close + 1);
    const size_t first = reason.find_first_not_of(' ');
    reason = first == std::string::npos ? "" : reason.substr(first);
  }
  return reason.empty() ? "not a model (the loader gave no reason)" : "not loaded: " + reason;
}

int32_t ClipCount(const RenderModel& model) {
  const auto* clips = model.GetAnimations();
  return clips != nullptr ? clips->count : 0;
}

std::string ClipList(const RenderModel& model) {
  const auto* clips = model.GetAnimations();
  if (clips == nullptr || clips->count == 0) return "it has no clips";
  std::string list = "its clips are";
  for (int32_t i = 0; i < clips->count; ++i) {
    list += (i == 0 ? " " : ", ") + std::to_string(i) + " " + (*clips)[i].name;
  }
  return list;
}

// The loads of the files this run opens, and what each of them reads.
class FileLoads {
 public:
  FileLoads(std::string up, DataFolders data) : up_(std::move(up)), data_(std::move(data)) {}

  ModelLoad LoadFor(const ModelFileCheck& file) {
    if (file.kind == ModelFileKind::kNative) return NativeModelLoad(file.path);
    return ForeignModelLoad(file.path, up_, data_, sourceFiles_);
  }

  std::vector<std::string> FilesOf(const ModelFileCheck& file) const {
    if (file.kind == ModelFileKind::kNative) {
      return FilesOfModel(file.path, FoldersForModel(file.path));
    }
    // What the conversion read, and the shipped effects it uses.
    std::vector<std::string> files = *sourceFiles_;
    for (const char* effect : {"skinned.fx", "static.fx", "shadow_volume.fx"}) {
      files.push_back(data_.effect + effect);
      for (const std::string& include : IncludesOfEffect(files.back())) files.push_back(include);
    }
    return files;
  }

 private:
  std::string up_;
  DataFolders data_;
  std::shared_ptr<std::vector<std::string>> sourceFiles_ =
      std::make_shared<std::vector<std::string>>();
};

SceneSettings SettingsFor(const ViewerOptions& options) {
  SceneSettings settings;
  settings.startAnimation = options.animationIndex;
  settings.pcf = options.pcf ? 1 : 0;
  settings.drawShadowMap = options.shadowMap ? 1 : 0;
  settings.drawSkinnedAlways = true;
  settings.textOverShadowMap = true;
  settings.logDrawFailureOnce = true;
  settings.animationOffset = static_cast<uint32_t>(std::llround(options.animationTime * 1000.0));
  if (!options.output.empty()) {
    // One frame at a fixed time: the same arguments give the same image.
    const uint32_t fixed = CTimer::Now();
    settings.clock = [fixed] { return fixed; };
  }
  return settings;
}

int32_t ClipKeyCount(const RenderModel& model, int32_t index) {
  const BoundedArray<NamedAnimation>* clips = model.GetAnimations();
  if (clips == nullptr || index < 0 || index >= clips->count) return 0;
  return (*clips)[index].frames.count;
}

ReviewOptions ReviewFor(const ViewerOptions& options) {
  ReviewOptions review;
  review.active = true;
  review.skeleton = options.skeleton;
  review.wireframe = options.wireframe;
  review.normals = options.normals;
  review.animationKey = options.animationKey;
  return review;
}

// The window and the device exist: builds the scene and shows it, or writes
// its first frame.
int ShowModel(const ViewerOptions& options, const ModelFileCheck& file, const DataFolders& data,
              HWND window) {
  CRun run;
  std::optional<uint32_t> loaded;
  const LoadReport report(log_path());
  FileLoads loads(options.up, data);
  const ModelLoad load = loads.LoadFor(file);
  SceneServices services{run.device, run.camera,
                         [&](RenderModel& model, RenderModel& shadowVolume) {
                           loaded = load(model, shadowVolume);
                           return *loaded;
                         },
                         DataWallLoad(data), DataFontLoad(data)};
  AnimationReview review(ReviewFor(options));
  ViewerScene scene(services, SettingsFor(options));
  review.Attach(scene);
  scene.SetUp();
  if (loaded.value_or(0) == 0) return Failure(file.path, LoadFailureReason(report));
  const int32_t clips = ClipCount(scene.Model());
  if (options.animationIndex > 0 && options.animationIndex >= clips) {
    return UsageFailure("--animation-index=" + std::to_string(options.animationIndex) +
                        " is out of range for " + FileName(file.path) + ": " +
                        ClipList(scene.Model()));
  }
  if (options.animationKey >= 0) {
    const int32_t keys = ClipKeyCount(scene.Model(), options.animationIndex);
    if (options.animationKey >= keys) {
      return UsageFailure("--animation-key=" + std::to_string(options.animationKey) +
                          " is out of range for " + FileName(file.path) + ": its clip has " +
                          std::to_string(keys) + " keys");
    }
  }

  if (!options.output.empty()) {
    if (!scene.Frame()) return Failure(file.path, "the frame was interrupted");
    if (!ScreenshotSchedule::Save(options.output)) {
      return Failure(options.output, "the image could not be written");
    }
    return kExitShown;
  }

  ModelSession::Hooks hooks;
  hooks.loadFor = [&loads](const ModelFileCheck& opened) { return loads.LoadFor(opened); };
  hooks.filesOf = [&loads](const ModelFileCheck& opened) { return loads.FilesOf(opened); };
  // A reload reads every file again, the effects' includes too, which the
  // compiled-effect cache does not compare.
  hooks.beforeLoad = [] { fx::shared_effect_cache().clear(); };
  hooks.opened = [window](const ModelFileCheck& opened) {
    SetWindowTextA(window, TitleFor(opened).c_str());
  };
  ModelSession session(scene, file, log_path(), options.watch, hooks);
  scene.hudLines.push_back([&session, &scene] { return session.Notice(scene.Now()); });
  while (scene.Frame()) session.AfterFrame(CTimer::Now());
  log_text("app ends.");
  return kExitShown;
}

// Checked file, known data folder: window, device, scene.
int OpenWindowAndShow(const ViewerOptions& options, const ModelFileCheck& file,
                      const DataFolders& data) {
  PrefetchEffects(FileModeEffects(file, data));
  CWindow window;
  if (!window.Create(TitleFor(file).c_str(), true, options.width, options.height, kBackground)) {
    return Failure(file.path, "no window could be opened");
  }
  DragAcceptFiles(window.GetHwnd(), 1);
  int status = kExitFailed;
  {
    CDevice device;
    if (device.Create(options.width, options.height, true, window.GetHwnd()) == 0) {
      status = Failure(file.path, "no graphics device (OpenGL 3.3) could be made");
    } else {
      status = ShowModel(options, file, data, window.GetHwnd());
    }
  }
  // The font's glyph texture is a device resource; it goes before the device.
  Font::Unload();
  ReleaseDeviceGlobals();
  return status;
}

}  // namespace

std::string FileModeLogPath() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  fs::path folder;
  if (cache != nullptr && cache[0] == '/') {
    folder = fs::path(cache) / "meshview";
  } else if (home != nullptr && home[0] == '/') {
    folder = fs::path(home) / ".cache" / "meshview";
  } else {
    folder = fs::temp_directory_path() / "meshview";
  }
  std::error_code error;
  fs::create_directories(folder, error);
  return (folder / "loaderlog.txt").string();
}

int RunCommandLine(const std::vector<std::string>& arguments) {
  const ParsedCommandLine parsed = ParseCommandLine(arguments);
  switch (parsed.action) {
    case CommandAction::kHelp:
      std::fputs(UsageText().c_str(), stdout);
      return kExitShown;
    case CommandAction::kVersion:
      std::fputs(VersionText().c_str(), stdout);
      return kExitShown;
    case CommandAction::kUsageError:
      return UsageFailure(parsed.error);
    case CommandAction::kView:
      break;
  }
  ViewerOptions options = parsed.options;
  const ModelFileCheck file = CheckModelFile(options.file);
  if (!file.ok) return Failure(options.file, file.reason);

  if (!options.output.empty()) {
    std::error_code error;
    options.output = fs::absolute(options.output, error).string();
    // The frame is drawn off screen: no display is needed or used.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
  } else if (!platform_display_available()) {
    return Failure(options.file,
                   "no display to open a window on (--output=FILE.png renders without one)");
  }

  std::string missing;
  const std::optional<DataFolders> data = FindDataFolders(&missing);
  if (!data) return Failure(options.file, "cannot be shown: " + missing);

  // An effect that fails to compile says so on screen and on standard error;
  // a dialog would stop a live edit at every broken save.
  platform_show_message_box_dialogs(false);
  log_init_file(FileModeLogPath().c_str());
  log_enable(true);
  return OpenWindowAndShow(options, file, *data);
}
