#include "platform/win/file_drop.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

#include "platform/win/window_registry.h"

struct HDROP__ {
  std::vector<std::string> paths;
};

namespace {

constexpr UINT kQueryCount = 0xFFFFFFFFu;

// Handles given out and not yet finished; anything else is refused, so a
// stale or forged handle is not read.
std::set<HDROP>& live_drops() {
  static std::set<HDROP> drops;
  return drops;
}

}  // namespace

HDROP make_drop(std::vector<std::string> paths) {
  const HDROP drop = new HDROP__{std::move(paths)};
  live_drops().insert(drop);
  return drop;
}

void DragAcceptFiles(HWND hwnd, BOOL accept) {
  WindowRecord* record = find_live_window(hwnd);
  if (record != nullptr) record->acceptsFiles = accept != 0;
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size) {
  if (live_drops().count(drop) == 0) return 0;
  if (index == kQueryCount) return static_cast<UINT>(drop->paths.size());
  if (index >= drop->paths.size()) return 0;
  const std::string& path = drop->paths[index];
  if (buffer == nullptr) return static_cast<UINT>(path.size());
  if (size == 0) return 0;
  const size_t copied = std::min<size_t>(path.size(), size - 1);
  std::memcpy(buffer, path.data(), copied);
  buffer[copied] = '\0';
  return static_cast<UINT>(copied);
}

void DragFinish(HDROP drop) {
  if (live_drops().erase(drop) == 0) return;
  delete drop;
}
