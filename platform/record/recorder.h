#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/d3d9_types.h"
#include "platform/record/call_log.h"
#include "platform/record/failure_plan.h"

enum class RecordKind {
  Direct3D,
  Device,
  Texture,
  Surface,
  VertexBuffer,
  IndexBuffer,
  Effect,
  Buffer
};
inline constexpr size_t kRecordKindCount = 8;

// What an effect "compiled" by the recording backend offers.
struct EffectSetup {
  int invalidTechniques = 0;  // techniques at the start of the file that do not validate
  int validTechniques = 1;
  UINT passes = 4;  // of every technique
  // Declared parameters with their size in bytes (0 for textures); empty
  // accepts every name and size.
  std::map<std::string, UINT> parameters;
  // Not empty: creation fails with these compiler messages.
  std::string compileErrors;
};

// The shared state of one recording: the call log, the failure plan, the
// count of live objects per kind and the settings of the simulated D3DX
// loaders. Every recorded object keeps it alive.
class Recorder {
 public:
  CallLog& Log() { return log_; }
  const CallLog& Log() const { return log_; }
  FailurePlan& Failures() { return failures_; }
  // Shorthand for Failures().Fail.
  FailureRule& Fail(std::string op, HRESULT result = D3DERR_INVALIDCALL) {
    return failures_.Fail(std::move(op), result);
  }

  // Objects created minus objects destroyed.
  int Live(RecordKind kind) const { return live_[static_cast<size_t>(kind)]; }
  int LiveTotal() const;

  // Image files whose header is not one the loader reads (BMP, PNG, JPEG)
  // load with this size.
  void SetFallbackImageSize(UINT width, UINT height) {
    fallbackWidth_ = width;
    fallbackHeight_ = height;
  }
  UINT FallbackImageWidth() const { return fallbackWidth_; }
  UINT FallbackImageHeight() const { return fallbackHeight_; }

  // Largest width or height of a default- or managed-pool texture; larger
  // ones fail as video memory would (system memory takes any size).
  void SetMaxTextureSize(UINT size) { maxTextureSize_ = size; }
  UINT MaxTextureSize() const { return maxTextureSize_; }

  // Calls `watcher` as each call of that name is made, before it acts, so
  // a test can read the state in force at that moment (the effect values
  // and bindings a draw uses, say).
  void Watch(std::string op, std::function<void(const CallRecord&)> watcher) {
    watchers_.emplace_back(std::move(op), std::move(watcher));
  }

  void SetDefaultEffect(const EffectSetup& setup) { defaultEffect_ = setup; }
  // For the effect file of exactly this path.
  void SetEffect(const std::string& path, const EffectSetup& setup) { effects_[path] = setup; }
  const EffectSetup& EffectFor(const std::string& path) const;

  // ---- used by the recorded objects ----
  struct Call {
    Recorder* recorder;
    size_t index;
    std::optional<HRESULT> failure;
    // Stores the result in the log and returns it.
    HRESULT Finish(HRESULT result) const;
    void AddData(const void* bytes, size_t size) const;
  };
  // Logs the call and consults the failure plan.
  Call Begin(std::string op, const void* object, std::vector<RecordedValue> args,
             const void* data = nullptr, size_t dataSize = 0);
  void ObjectCreated(RecordKind kind) { ++live_[static_cast<size_t>(kind)]; }
  void ObjectDestroyed(RecordKind kind) { --live_[static_cast<size_t>(kind)]; }

 private:
  CallLog log_;
  FailurePlan failures_;
  std::array<int, kRecordKindCount> live_{};
  UINT fallbackWidth_ = 64;
  UINT fallbackHeight_ = 64;
  UINT maxTextureSize_ = 4096;
  EffectSetup defaultEffect_;
  std::map<std::string, EffectSetup> effects_;
  std::vector<std::pair<std::string, std::function<void(const CallRecord&)>>> watchers_;
};

// Argument helpers for the recorded objects.
inline RecordedValue RecU(uint64_t value) { return value; }
inline RecordedValue RecI(int64_t value) { return value; }
inline RecordedValue RecF(double value) { return value; }
inline RecordedValue RecP(const void* value) { return value; }
inline RecordedValue RecS(const char* value) { return std::string(value != nullptr ? value : ""); }
