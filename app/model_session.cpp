#include "app/model_session.h"

#include <utility>

#include "app/load_report.h"
#include "base/log.h"
#include "platform/win/windows_api.h"

namespace {

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The text with the folders of the paths in it taken off ("/a/b/../c.fx(18):
// error" becomes "c.fx(18): error"): the file name is what the user needs,
// and the line stays short enough to read.
std::string WithoutFolders(const std::string& text) {
  std::string shortened;
  size_t wordStart = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size() || text[i] == ' ' || text[i] == '(' || text[i] == ':' ||
                     text[i] == '"' || text[i] == '\'';
    if (!end) continue;
    const std::string word = text.substr(wordStart, i - wordStart);
    const size_t slash = word.find_last_of('/');
    shortened += slash == std::string::npos ? word : word.substr(slash + 1);
    if (i < text.size()) shortened += text[i];
    wordStart = i + 1;
  }
  return shortened;
}

}  // namespace

ModelSession::ModelSession(ViewerScene& scene, ModelFileCheck file, std::string logPath, bool watch,
                           Hooks hooks)
    : scene_(scene),
      file_(std::move(file)),
      logPath_(std::move(logPath)),
      watch_(watch),
      hooks_(std::move(hooks)) {
  Watch(file_);
}

void ModelSession::Watch(const ModelFileCheck& file) {
  if (watch_ && hooks_.filesOf) watcher_ = FileWatcher(hooks_.filesOf(file));
}

void ModelSession::AfterFrame(uint32_t now) {
  const ViewerControls& controls = scene_.controls;
  if (controls.keptMessage == WM_DROPFILES) {
    const HDROP drop = reinterpret_cast<HDROP>(controls.keptWParam);
    // Several files at once: the first is opened.
    if (DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0) > 0) {
      std::string path(DragQueryFileA(drop, 0, nullptr, 0), '\0');
      DragQueryFileA(drop, 0, path.data(), static_cast<UINT>(path.size() + 1));
      Open(path, now);
    }
    DragFinish(drop);
  } else if (controls.keptMessage == WM_KEYDOWN && controls.keptWParam == VK_F5) {
    Reload(now);
  }
  if (watch_ && now - lastWatch_ >= kWatchIntervalMs) {
    lastWatch_ = now;
    if (watcher_.Changed()) Reload(now);
  }
}

uint32_t ModelSession::Load(const ModelFileCheck& file, std::string* reason) {
  if (hooks_.beforeLoad) hooks_.beforeLoad();
  const LoadReport report(logPath_);
  const uint32_t result = scene_.ReplaceModel(hooks_.loadFor(file));
  if (result == 0) {
    *reason = report.FirstError();
    if (reason->empty()) *reason = "the model could not be loaded";
  }
  return result;
}

bool ModelSession::Open(const std::string& path, uint32_t now) {
  const ModelFileCheck file = CheckModelFile(path);
  std::string reason = file.reason;
  if (file.ok && Load(file, &reason) != 0) {
    file_ = file;
    notice_.clear();
    Watch(file_);
    if (hooks_.opened) hooks_.opened(file_);
    log_text2("opened: ", file_.path.c_str());
    return true;
  }
  Show(FileName(path) + ": " + reason, now, false);
  return false;
}

bool ModelSession::Reload(uint32_t now) {
  std::string reason;
  const bool loaded = Load(file_, &reason) != 0;
  // Whatever happened, the files as they are now are the ones compared next.
  Watch(file_);
  if (loaded) {
    notice_.clear();
    return true;
  }
  Show("reload failed: " + reason, now, true);
  return false;
}

void ModelSession::Show(std::string text, uint32_t now, bool untilLoaded) {
  text = WithoutFolders(text);
  if (text.size() > kLongestNotice) text = text.substr(0, kLongestNotice - 3) + "...";
  notice_ = std::move(text);
  noticeStart_ = now;
  noticeUntilLoaded_ = untilLoaded;
  log_text(notice_.c_str());
}

std::string ModelSession::Notice(uint32_t now) const {
  if (notice_.empty()) return "";
  if (!noticeUntilLoaded_ && now - noticeStart_ >= kDropNoticeMs) return "";
  return notice_;
}
