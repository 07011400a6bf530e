#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>
#include <variant>

#include "platform/d3d9_types.h"

// One argument of a call as a tracing backend sees it: a whole number, a
// signed one, a float, a pointer or a name (a D3DX parameter handle).
using D3D9CallArg = std::variant<uint64_t, int64_t, double, const void*, const char*>;

inline D3D9CallArg CallU(uint64_t value) { return value; }
inline D3D9CallArg CallI(int64_t value) { return value; }
inline D3D9CallArg CallF(double value) { return value; }
inline D3D9CallArg CallP(const void* value) { return value; }
inline D3D9CallArg CallName(const char* value) { return value != nullptr ? value : ""; }

// A call made on a device or effect, described for a backend that logs
// calls or makes them fail on purpose. It lives only while the call runs.
struct D3D9Call {
  const char* name;
  std::initializer_list<D3D9CallArg> args;
  // Bytes the call reads from the caller (a matrix, a viewport, vertices).
  const void* input = nullptr;
  size_t inputSize = 0;
  // Bytes the call hands back when it succeeds (a transform, a viewport).
  const void* output = nullptr;
  size_t outputSize = 0;
};

// What a call does once the backend lets it go ahead: a reference to a
// callable returning the call's result, without allocating.
class D3D9CallBody {
 public:
  template <class Body>
  requires(!std::is_same_v<std::decay_t<Body>, D3D9CallBody>)
      D3D9CallBody(Body&& body)  // NOLINT: made implicitly from a lambda
      : run_([](void* context) {
          return (*static_cast<std::remove_reference_t<Body>*>(context))();
        }),
        context_(const_cast<void*>(static_cast<const void*>(&body))) {}

  HRESULT operator()() const { return run_(context_); }

 private:
  HRESULT (*run_)(void*);
  void* context_;
};
