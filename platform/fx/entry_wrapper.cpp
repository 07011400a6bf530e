#include "platform/fx/entry_wrapper.h"

namespace fx {

bool has_uniform_parameters(const ParsedFunction& function) {
  for (const FunctionParameter& parameter : function.parameters) {
    if (parameter.is_uniform) return true;
  }
  return false;
}

bool make_entry_wrapper(const ParsedFunction& function, const ShaderRequest& request,
                        const std::string& wrapper_name, std::string& code, std::string& error) {
  std::string declarations;
  std::string call;
  size_t next_argument = 0;
  for (const FunctionParameter& parameter : function.parameters) {
    if (!call.empty()) call += ", ";
    if (!parameter.is_uniform) {
      if (!declarations.empty()) declarations += ", ";
      declarations += parameter.declaration;
      call += parameter.name;
    } else if (next_argument < request.arguments.size()) {
      call += "(" + request.arguments[next_argument++] + ")";
    } else if (!parameter.default_value.empty()) {
      call += "(" + parameter.default_value + ")";
    } else {
      error = "uniform parameter '" + parameter.name + "' of '" + function.name + "' has no value";
      return false;
    }
  }
  if (next_argument < request.arguments.size()) {
    error = "'" + function.name + "' takes " + std::to_string(next_argument) +
            " uniform argument(s), " + std::to_string(request.arguments.size()) + " given";
    return false;
  }
  bool returns = function.return_type != "void";
  code = "#line " + std::to_string(request.line) + " \"" + request.file + "\"\n" +
         function.return_type + " " + wrapper_name + "(" + declarations + ")" +
         (function.return_semantic.empty() ? "" : " ") + function.return_semantic + " { " +
         (returns ? "return " : "") + function.name + "(" + call + "); }\n";
  return true;
}

}  // namespace fx
