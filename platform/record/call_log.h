#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/win_types.h"

// One argument of a recorded call: integers keep their signedness, floats
// are widened, pointers are kept as addresses, strings are copied.
using RecordedValue = std::variant<uint64_t, int64_t, double, const void*, std::string>;

// One call on the recording backend, in the order it was made. Operations on
// the device and the Direct3D object carry their plain names
// ("SetRenderState", "CreateDevice"); operations of other objects carry
// their kind ("Texture::GetSurfaceLevel", "VertexBuffer::Lock",
// "Effect::SetMatrix", "Device::Release"); free functions their own name
// ("Direct3DCreate9", "D3DXCreateTextureFromFileExA").
struct CallRecord {
  std::string op;
  const void* object = nullptr;
  std::vector<RecordedValue> args;
  // Bytes the call passed by pointer (matrices, viewports, presentation
  // parameters, vertices drawn from user memory, effect values) or, for Get
  // calls, the bytes it handed back.
  std::vector<uint8_t> data;
  HRESULT result = 0;
  // True when the result was injected by a failure rule.
  bool injected = false;

  // Argument i as unsigned (signed values are converted), signed, real,
  // pointer or text. A missing or differently typed argument reads as 0 / "".
  uint64_t u(size_t i) const;
  int64_t i(size_t i) const;
  double f(size_t i) const;
  const void* p(size_t i) const;
  std::string s(size_t i) const;

  // The data as one T (missing bytes read as zero).
  template <typename T>
  T As() const {
    T value{};
    std::memcpy(static_cast<void*>(&value), data.data(), data.size() < sizeof(T) ? data.size() : sizeof(T));
    return value;
  }
  // The data as whole Ts.
  template <typename T>
  std::vector<T> AsArray() const {
    std::vector<T> values(data.size() / sizeof(T));
    if (!values.empty()) std::memcpy(static_cast<void*>(values.data()), data.data(), values.size() * sizeof(T));
    return values;
  }
};

// The calls of one recording, queryable by name.
class CallLog {
 public:
  void Add(CallRecord record) { calls_.push_back(std::move(record)); }
  const std::vector<CallRecord>& All() const { return calls_; }
  CallRecord& At(size_t index) { return calls_[index]; }
  size_t Size() const { return calls_.size(); }
  void Clear() { calls_.clear(); }

  // Every call with that name, in order.
  std::vector<const CallRecord*> Named(std::string_view op) const;
  size_t Count(std::string_view op) const;
  // Null when there is none.
  const CallRecord* First(std::string_view op) const;
  const CallRecord* Last(std::string_view op) const;
  // The names of the calls from index `from` on, leaving out AddRef and
  // Release unless asked (they are mostly noise for call-order checks).
  std::vector<std::string> Ops(size_t from = 0, bool withReferenceCalls = false) const;

 private:
  std::vector<CallRecord> calls_;
};
