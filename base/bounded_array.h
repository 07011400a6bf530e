#pragma once
#include <cstdint>
#include <new>
#include <type_traits>

// An owning array with an explicit element count and a hard limit. A resize to
// another size throws the old content away; a failed resize leaves it empty.
template <typename T>
class BoundedArray {
 public:
  static constexpr int32_t kMaxCount = 10'000'000;

  BoundedArray() = default;
  BoundedArray(const BoundedArray&) = delete;
  BoundedArray& operator=(const BoundedArray&) = delete;
  BoundedArray(BoundedArray&& other) noexcept : data(other.data), count(other.count) {
    other.data = nullptr;
    other.count = 0;
  }
  BoundedArray& operator=(BoundedArray&& other) noexcept {
    if (this != &other) {
      free();
      data = other.data;
      count = other.count;
      other.data = nullptr;
      other.count = 0;
    }
    return *this;
  }
  ~BoundedArray() { free(); }

  bool resize(int64_t n) {
    if (n == count && data != nullptr) return true;
    free();
    if (n < 0 || n > kMaxCount) return false;
    if (n == 0) return true;
    // Records get their default values; plain numbers stay uninitialised.
    T* storage = std::is_trivially_default_constructible_v<T> ? new (std::nothrow) T[n]
                                                              : new (std::nothrow) T[n]();
    if (storage == nullptr) return false;
    data = storage;
    count = static_cast<int32_t>(n);
    return true;
  }

  void free() {
    delete[] data;
    data = nullptr;
    count = 0;
  }

  bool assign(const BoundedArray& other) {
    if (this == &other) return true;
    if (!resize(other.count) && other.count > 0) return false;
    for (int32_t i = 0; i < other.count; ++i) data[i] = other.data[i];
    return true;
  }

  T& operator[](int64_t i) { return data[i]; }
  const T& operator[](int64_t i) const { return data[i]; }
  T* begin() { return data; }
  T* end() { return data + count; }
  const T* begin() const { return data; }
  const T* end() const { return data + count; }
  int32_t size() const { return count; }
  bool empty() const { return count == 0; }

  T* data = nullptr;
  int32_t count = 0;
};
