#pragma once
#include <memory>
#include <string>

#include "platform/record/recorder.h"

// Reference counting shared by every recorded object. AddRef and Release
// made by callers are logged ("<Kind>::AddRef", "<Kind>::Release" with the
// references left); Grab and Drop are the backend's own references (a device
// holding what is bound to it) and are not logged. The live count of the
// object's kind covers its whole life.
template <class Interface>
class Recorded : public Interface {
 public:
  ULONG AddRef() override {
    recorder_->Begin(Op("AddRef"), this, {RecU(References() + 1)}).Finish(S_OK);
    Grab();
    return References();
  }
  ULONG Release() override {
    recorder_->Begin(Op("Release"), this, {RecU(References() - 1)}).Finish(S_OK);
    return Drop();
  }

  virtual void Grab() { ++references_; }
  // Destroys the object when the last reference goes; returns those left.
  virtual ULONG Drop() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  virtual ULONG References() const { return references_; }

  Recorder& recorder() const { return *recorder_; }
  const std::shared_ptr<Recorder>& sharedRecorder() const { return recorder_; }

 protected:
  Recorded(std::shared_ptr<Recorder> recorder, RecordKind kind, const char* kindName)
      : recorder_(std::move(recorder)), kind_(kind), kindName_(kindName) {
    recorder_->ObjectCreated(kind_);
  }
  ~Recorded() override { recorder_->ObjectDestroyed(kind_); }

  std::string Op(const char* name) const { return kindName_ + "::" + name; }

 private:
  std::shared_ptr<Recorder> recorder_;
  RecordKind kind_;
  std::string kindName_;
  ULONG references_ = 1;
};
