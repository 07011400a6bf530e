#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "platform/record/call_log.h"

// Makes chosen calls of the recording backend fail: a call whose name
// matches (and whose arguments satisfy the condition, if one is given)
// returns the rule's result without any effect. Rules are tried in the order
// they were added.
struct FailureRule {
  std::string op;
  HRESULT result = 0;
  std::function<bool(const CallRecord&)> condition;  // empty: every call of op
  int skip = 0;    // matching calls let through before the first failure
  int times = -1;  // failures left; -1 = no end

  FailureRule& When(std::function<bool(const CallRecord&)> test) {
    condition = std::move(test);
    return *this;
  }
  // Only when argument `index` has this (unsigned) value.
  FailureRule& WhenArg(size_t index, uint64_t value) {
    return When([index, value](const CallRecord& call) { return call.u(index) == value; });
  }
  FailureRule& Skip(int calls) {
    skip = calls;
    return *this;
  }
  FailureRule& Times(int failures) {
    times = failures;
    return *this;
  }
};

class FailurePlan {
 public:
  // The rule stays valid (and adjustable) until Clear.
  FailureRule& Fail(std::string op, HRESULT result);
  void Clear() { rules_.clear(); }
  // The injected result for this call, if a rule takes it; counts it.
  std::optional<HRESULT> Match(const CallRecord& call);

 private:
  std::deque<FailureRule> rules_;
};
