#include "platform/record/failure_plan.h"

FailureRule& FailurePlan::Fail(std::string op, HRESULT result) {
  FailureRule rule;
  rule.op = std::move(op);
  rule.result = result;
  rules_.push_back(std::move(rule));
  return rules_.back();
}

std::optional<HRESULT> FailurePlan::Match(const CallRecord& call) {
  for (FailureRule& rule : rules_) {
    if (rule.op != call.op || rule.times == 0) continue;
    if (rule.condition && !rule.condition(call)) continue;
    if (rule.skip > 0) {
      --rule.skip;
      continue;
    }
    if (rule.times > 0) --rule.times;
    return rule.result;
  }
  return std::nullopt;
}
