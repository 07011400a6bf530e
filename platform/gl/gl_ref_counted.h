#pragma once
#include "platform/d3d9.h"

// Reference counting of this backend's objects: created with one reference,
// destroyed when Release drops the last. Release on an object with none
// left does nothing rather than freeing it twice.
template <class Interface>
class GlRefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    if (references_ == 0) return 0;
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ~GlRefCounted() override = default;

 private:
  ULONG references_ = 1;
};
