#include "platform/fx/effect_parser.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <span>

#include "platform/fx/fx_tokenizer.h"
#include "platform/fx/initial_values.h"
#include "platform/fx/state_tables.h"

namespace fx {

namespace {

bool is_one_of(const Token& token, std::initializer_list<const char*> words) {
  for (const char* word : words) {
    if (token.is_word(word)) return true;
  }
  return false;
}

bool is_storage_qualifier(const Token& token) {
  return is_one_of(token, {"uniform", "static", "const", "extern", "shared", "volatile",
                           "row_major", "column_major", "precise", "inline", "snorm", "unorm",
                           "groupshared", "nointerpolation"});
}

bool is_texture_type(const Token& token) {
  return is_one_of(token, {"texture", "texture1D", "texture2D", "texture3D", "textureCUBE"});
}

bool is_sampler_type(const Token& token) {
  return is_one_of(token, {"sampler", "sampler1D", "sampler2D", "sampler3D", "samplerCUBE"});
}

bool is_opener(const Token& token) { return token.is('(') || token.is('[') || token.is('{'); }
bool is_closer(const Token& token) { return token.is(')') || token.is(']') || token.is('}'); }

class EffectParser {
 public:
  EffectParser(const std::string& source, const std::string& source_name, ParsedEffect& effect,
               std::string& messages)
      : source_(source),
        input_(tokenize(source, source_name)),
        effect_(effect),
        messages_(messages) {
    effect_.shader_source = source;
  }

  bool run() {
    const std::vector<Token>& tokens = input_.tokens;
    while (!failed_ && tokens[pos_].kind != TokenKind::End) {
      if (tokens[pos_].is_word("technique")) {
        parse_technique();
      } else if (tokens[pos_].is(';')) {
        ++pos_;
      } else {
        parse_statement();
      }
    }
    if (!failed_) check_sampler_textures();
    return !failed_;
  }

 private:
  const Token& at(size_t index) const {
    const std::vector<Token>& tokens = input_.tokens;
    return index < tokens.size() ? tokens[index] : tokens.back();
  }
  const Token& peek() const { return at(pos_); }

  void error(const Token& where, const std::string& message) {
    messages_ += input_.where(where) + ": error: " + message + "\n";
    failed_ = true;
  }

  static size_t end_of(const Token& token) { return token.offset + token.text.size(); }

  // Source text from token first to token last (inclusive).
  std::string text(size_t first, size_t last) const {
    if (last < first) return {};
    return source_.substr(at(first).offset, end_of(at(last)) - at(first).offset);
  }

  // Overwrites [begin, end) with blanks, keeping line breaks and
  // preprocessor lines so that line numbering survives.
  // The directives are in source order, so one walk alongside the range
  // finds those inside it: linear in the range, whatever their number.
  void blank(size_t begin, size_t end) {
    std::string& out = effect_.shader_source;
    const auto& directives = input_.directives;
    auto next =
        std::upper_bound(directives.begin(), directives.end(), begin,
                         [](size_t offset, const auto& range) { return offset < range.second; });
    for (size_t i = begin; i < end && i < out.size(); ++i) {
      while (next != directives.end() && next->second <= i) ++next;
      const bool in_directive = next != directives.end() && i >= next->first;
      if (out[i] != '\n' && !in_directive) out[i] = ' ';
    }
  }

  // Index after the bracket that closes the one at index; the End token's
  // index when it is never closed.
  size_t skip_balanced(size_t index) const {
    int depth = 0;
    for (size_t i = index;; ++i) {
      const Token& token = at(i);
      if (token.kind == TokenKind::End) return i;
      if (is_opener(token)) ++depth;
      if (is_closer(token) && --depth == 0) return i + 1;
    }
  }

  // From '<' to after its '>'; annotations hold declarations, never
  // comparisons. 0 when it is not closed (reported).
  size_t skip_annotation(size_t index) {
    int depth = 0;
    for (size_t i = index;; ++i) {
      const Token& token = at(i);
      if (token.kind == TokenKind::End) {
        error(at(index), "annotation is not closed");
        return 0;
      }
      if (token.is('<')) ++depth;
      if (token.is('>') && --depth == 0) return i + 1;
    }
  }

  // Index of the ';' that ends a state assignment starting at index.
  size_t find_assignment_end(size_t index) {
    for (size_t i = index;;) {
      const Token& token = at(i);
      if (token.is(';')) return i;
      if (token.kind == TokenKind::End || token.is('}')) {
        error(token, "missing ';' after state assignment");
        return 0;
      }
      i = is_opener(token) ? skip_balanced(i) : i + 1;
    }
  }

  bool expect(char punct, const std::string& message) {
    if (!peek().is(punct)) {
      error(peek(), message);
      return false;
    }
    ++pos_;
    return true;
  }

  // technique [name] [<annotations>] { pass ... }
  void parse_technique() {
    size_t first = pos_++;
    ParsedTechnique technique;
    if (peek().is_identifier() && !peek().is_word("pass"))
      technique.name = std::string(at(pos_++).text);
    if (peek().is('<') && (pos_ = skip_annotation(pos_)) == 0) return;
    if (!expect('{', "expected '{' to open technique '" + technique.name + "'")) return;
    while (!peek().is('}')) {
      if (peek().kind == TokenKind::End) {
        error(at(first), "technique '" + technique.name + "' is not closed");
        return;
      }
      if (!peek().is_word("pass")) {
        error(peek(), "expected 'pass' in technique '" + technique.name + "', found '" +
                          std::string(peek().text) + "'");
        return;
      }
      if (!parse_pass(technique)) return;
    }
    blank(at(first).offset, end_of(at(pos_)));
    ++pos_;
    effect_.techniques.push_back(std::move(technique));
  }

  bool parse_pass(ParsedTechnique& technique) {
    size_t first = pos_++;
    ParsedPass pass;
    if (peek().is_identifier()) pass.name = std::string(at(pos_++).text);
    if (peek().is('<') && (pos_ = skip_annotation(pos_)) == 0) return false;
    if (!expect('{', "expected '{' to open pass '" + pass.name + "'")) return false;
    while (!peek().is('}')) {
      if (peek().kind == TokenKind::End) {
        error(at(first), "pass '" + pass.name + "' is not closed");
        return false;
      }
      if (!parse_assignment(pass)) return false;
    }
    ++pos_;
    technique.passes.push_back(std::move(pass));
    return true;
  }

  // Name [ '[' index ']' ] = value ;
  bool parse_assignment(ParsedPass& pass) {
    size_t name_index = pos_;
    const Token& name = peek();
    if (!name.is_identifier()) {
      error(name, "expected a state name in pass '" + pass.name + "', found '" +
                      std::string(name.text) + "'");
      return false;
    }
    ++pos_;
    bool indexed = peek().is('[');
    if (indexed) pos_ = skip_balanced(pos_);
    std::string full_name = text(name_index, pos_ - 1);
    if (!expect('=', "expected '=' after '" + full_name + "'")) return false;
    size_t value_first = pos_;
    size_t value_end = find_assignment_end(pos_);
    if (value_end == 0) return false;
    pos_ = value_end + 1;
    std::span<const Token> value(input_.tokens.data() + value_first, value_end - value_first);
    if (value.empty()) {
      error(at(value_end), "missing value for '" + full_name + "'");
      return false;
    }

    if (!indexed && (name.is_word("VertexShader") || name.is_word("PixelShader"))) {
      bool vertex = name.is_word("VertexShader");
      return parse_shader(name, value, vertex, vertex ? pass.vertex : pass.pixel);
    }
    const StateInfo* state = indexed ? nullptr : find_render_state(name.text);
    if (state == nullptr) {
      pass.ignored_states.push_back(
          {full_name, text(value_first, value_end - 1), input_.where(name)});
      return true;
    }
    RenderStateSetting setting;
    setting.state = state->number;
    setting.name = state->name;
    if (!parse_state_value(state->kind, value, setting.value)) {
      error(value.front(), "invalid value '" + text(value_first, value_end - 1) +
                               "' for render state '" + state->name + "'");
      return false;
    }
    pass.render_states.push_back(std::move(setting));
    return true;
  }

  // compile <profile> <function>(<arguments>) | NULL
  bool parse_shader(const Token& name, std::span<const Token> value, bool vertex,
                    ShaderRequest& request) {
    request = ShaderRequest{};
    if (value.size() == 1 && (value[0].is_word("NULL") || value[0].text == "0")) return true;
    if (value[0].is_word("asm")) {
      error(value[0], "assembly shaders are not supported");
      return false;
    }
    size_t close = 3;
    if (value.size() >= 5 && value[3].is('(')) {
      size_t base = static_cast<size_t>(&value[0] - input_.tokens.data());
      close = skip_balanced(base + 3) - base - 1;
    }
    if (value.size() < 5 || !value[0].is_word("compile") || !value[1].is_identifier() ||
        !value[2].is_identifier() || !value[3].is('(') || close != value.size() - 1) {
      error(value[0], "expected 'compile <profile> <function>(...)' for " + std::string(name.text));
      return false;
    }
    std::string profile(value[1].text);
    const char* prefix = vertex ? "vs_" : "ps_";
    if (!equals_ignoring_case(profile.substr(0, 3), prefix)) {
      error(value[1], "profile '" + profile + "' cannot compile a " +
                          (vertex ? "vertex" : "pixel") + " shader");
      return false;
    }
    request.profile = profile;
    request.function = std::string(value[2].text);
    request.file = input_.files[name.file];
    request.line = name.line;
    size_t base = static_cast<size_t>(&value[0] - input_.tokens.data());
    size_t argument_first = 4;
    for (size_t i = 4; i < value.size(); ++i) {
      bool last = i == value.size() - 1;
      if (last || value[i].is(',')) {
        if (i == argument_first) {
          if (!last || !request.arguments.empty()) {
            error(value[i], "missing argument in call of '" + request.function + "'");
            return false;
          }
        } else {
          request.arguments.push_back(text(base + argument_first, base + i - 1));
        }
        argument_first = i + 1;
      } else if (is_opener(value[i])) {
        i = skip_balanced(base + i) - base - 1;
      }
    }
    return true;
  }

  // Anything at file level that is not a technique: a declaration ending in
  // ';', a struct, a cbuffer or a function definition.
  void parse_statement() {
    size_t first = pos_;
    bool struct_like = false;
    bool block_like = false;
    for (size_t i = first; at(i).is_identifier(); ++i) {
      if (is_storage_qualifier(at(i))) continue;
      struct_like = is_one_of(at(i), {"struct", "typedef", "class", "interface"});
      block_like = is_one_of(at(i), {"cbuffer", "tbuffer", "namespace"});
      break;
    }
    bool seen_equals = false;
    for (size_t i = first;;) {
      const Token& token = at(i);
      if (token.kind == TokenKind::End) {
        error(at(first), "unexpected end of file after '" + std::string(at(first).text) + "'");
        return;
      }
      if (token.is(';')) {
        pos_ = i + 1;
        parse_declaration(first, i);
        return;
      }
      if (token.is('=')) seen_equals = true;
      // Annotations hold ';' of their own.
      if (token.is('<') && !seen_equals && i > first && !at(i - 1).is_word("vector") &&
          !at(i - 1).is_word("matrix")) {
        if ((i = skip_annotation(i)) == 0) return;
        continue;
      }
      if (token.is('{') && !seen_equals && !struct_like) {
        pos_ = skip_balanced(i);
        if (!at(pos_ - 1).is('}')) {
          error(at(first), "unexpected end of file after '" + std::string(at(first).text) + "'");
          return;
        }
        if (!block_like) parse_function(first, i);
        return;
      }
      i = is_opener(token) ? skip_balanced(i) : i + 1;
    }
  }

  void parse_function(size_t first, size_t body) {
    size_t open = first;
    while (open < body && !at(open).is('(')) ++open;
    if (open == body) {
      check_block_declaration(first, body);
      return;
    }
    if (open == first || !at(open - 1).is_identifier()) return;
    ParsedFunction function;
    function.name = std::string(at(open - 1).text);
    size_t type_first = first;
    while (type_first < open - 1 &&
           (at(type_first).is_word("inline") || at(type_first).is_word("static"))) {
      ++type_first;
    }
    function.return_type = text(type_first, open - 2);
    if (!check_return_type(first, open - 1)) return;
    size_t close = skip_balanced(open) - 1;
    if (!check_function_tail(function.name, close + 1, body)) return;
    if (close + 1 < body && at(close + 1).is(':'))
      function.return_semantic = text(close + 1, body - 1);
    size_t parameter_first = open + 1;
    for (size_t i = open + 1; i <= close;) {
      if (i == close || at(i).is(',')) {
        if (i > parameter_first) add_parameter(function, parameter_first, i);
        parameter_first = ++i;
      } else {
        i = is_opener(at(i)) ? skip_balanced(i) : i + 1;
      }
    }
    if (function.parameters.size() == 1 && function.parameters[0].declaration == "void") {
      function.parameters.clear();
    }
    effect_.functions.push_back(std::move(function));
  }

  void add_parameter(ParsedFunction& function, size_t first, size_t end) {
    FunctionParameter parameter;
    size_t declaration_end = end;
    for (size_t i = first; i < end;) {
      if (at(i).is('=')) {
        declaration_end = i;
        parameter.default_value = text(i + 1, end - 1);
        break;
      }
      i = is_opener(at(i)) ? skip_balanced(i) : i + 1;
    }
    size_t name_end = first;
    while (name_end < declaration_end && !at(name_end).is(':') && !at(name_end).is('[')) ++name_end;
    for (size_t i = first; i < declaration_end && at(i).is_identifier(); ++i) {
      if (at(i).is_word("uniform")) parameter.is_uniform = true;
    }
    parameter.declaration = text(first, declaration_end - 1);
    if (name_end > first) parameter.name = std::string(at(name_end - 1).text);
    function.parameters.push_back(std::move(parameter));
  }

  enum class DeclarationKind { Texture, Sampler, String, Variable };

  // A global declared again with another type is an error in HLSL, and
  // glslang's HLSL front end crashes on some of these, so they stop here.
  bool check_redefinition(const Token& name, const std::string& type) {
    const auto [known, added] = global_types_.emplace(std::string(name.text), type);
    if (added || known->second == type) return true;
    error(name, "redefinition of '" + std::string(name.text) + "' with another type");
    return false;
  }

  // Tokens [first, end) without the spacing between them, for comparing types.
  std::string joined(size_t first, size_t end) const {
    std::string out;
    for (size_t i = first; i < end; ++i) out += at(i).text;
    return out;
  }

  // A return type is one word, or one with template arguments; a second word
  // is a declaration missing its ';', which the compiler would go on to use.
  bool check_return_type(size_t first, size_t name) {
    size_t type = name;
    while (type > first && at(type - 1).is_identifier() && !is_storage_qualifier(at(type - 1)))
      --type;
    if (name - type <= 1) return true;
    error(at(type + 1), "missing ';' after '" + std::string(at(type + 1).text) + "'");
    return false;
  }

  // Between a function's parameters and its body or ';' only a semantic may
  // stand; the compiler's recovery would declare the words found there.
  bool check_function_tail(const std::string& function, size_t i, size_t end) {
    if (i < end && at(i).is(':') && i + 1 < end && at(i + 1).is_identifier()) i += 2;
    if (i >= end) return true;
    error(at(i), "unexpected '" + std::string(at(i).text) + "' after the parameters of '" +
                     function + "'");
    return false;
  }

  // "type name ... {" without parentheses is no function (a state block, or
  // a declaration missing its ';'), but the compiler still declares the name.
  void check_block_declaration(size_t first, size_t body) {
    size_t i = first;
    while (i < body && at(i).is_identifier() && is_storage_qualifier(at(i))) ++i;
    if (i + 1 >= body || !at(i).is_identifier() || !at(i + 1).is_identifier()) return;
    if (!check_redefinition(at(i + 1), std::string(at(i).text))) return;
    if (i + 2 < body && at(i + 2).is_identifier())
      error(at(i + 2), "missing ';' after '" + std::string(at(i + 1).text) + "'");
  }

  // "struct [S] { ... } [names];": S names a type, the names are globals of it.
  void check_struct_names(size_t i, size_t end) {
    std::string type = "struct@" + std::to_string(at(i).offset);
    if (i < end && at(i).is_identifier()) {
      if (!check_redefinition(at(i), "struct")) return;
      type = std::string(at(i++).text);
    }
    if (i < end && at(i).is('{')) i = skip_balanced(i);
    check_static_names(i, end, type);
  }

  // Static globals are no effect parameters; only their names are checked.
  void check_static_names(size_t i, size_t end, const std::string& type) {
    while (i < end && at(i).is_identifier()) {
      const Token& name = at(i++);
      if (at(i).is('(')) return;
      const size_t array_first = i;
      while (at(i).is('[')) i = skip_balanced(i);
      if (!check_redefinition(name, type + joined(array_first, i))) return;
      while (i < end && !at(i).is(',')) i = is_opener(at(i)) ? skip_balanced(i) : i + 1;
      if (i >= end) return;
      ++i;
    }
  }

  // [qualifiers] type declarator {, declarator} ;  with
  // declarator = name [array] [: semantic | : register(...)] [<annotations>] [= value]
  void parse_declaration(size_t first, size_t end) {
    size_t i = first;
    bool is_static = false;
    bool is_const = false;
    while (i < end && at(i).is_identifier() && is_storage_qualifier(at(i))) {
      is_static = is_static || at(i).is_word("static");
      is_const = is_const || at(i).is_word("const");
      ++i;
    }
    if (i >= end || !at(i).is_identifier()) return;
    if (at(i).is_word("struct")) {
      check_struct_names(i + 1, end);
      return;
    }
    if (is_one_of(at(i), {"typedef", "class", "interface"})) return;
    size_t type_index = i++;
    if ((at(type_index).is_word("vector") || at(type_index).is_word("matrix")) && at(i).is('<')) {
      while (i < end && !at(i).is('>')) ++i;
      ++i;
    }
    DeclarationKind kind = DeclarationKind::Variable;
    if (is_texture_type(at(type_index))) kind = DeclarationKind::Texture;
    if (is_sampler_type(at(type_index))) kind = DeclarationKind::Sampler;
    if (at(type_index).is_word("string")) kind = DeclarationKind::String;
    const std::string type = joined(type_index, i);
    if (is_static && kind == DeclarationKind::Variable) {
      check_static_names(i, end, type);
      return;
    }

    while (i < end && at(i).is_identifier()) {
      const Token& name = at(i++);
      if (at(i).is('(')) {  // a function prototype
        check_function_tail(std::string(name.text), skip_balanced(i), end);
        return;
      }
      const size_t array_first = i;
      while (at(i).is('[')) i = skip_balanced(i);
      if (!check_redefinition(name, type + joined(array_first, i))) return;
      std::string semantic;
      while (at(i).is(':')) {
        size_t colon = i++;
        if (at(i).is_word("register") || at(i).is_word("packoffset")) {
          ++i;
          if (at(i).is('(')) i = skip_balanced(i);
          // Parameters are set by name; a fixed register would force a
          // block layout that GLSL 330 cannot declare.
          blank(at(colon).offset, end_of(at(i - 1)));
        } else if (at(i).is_identifier()) {
          semantic = std::string(at(i++).text);
        }
      }
      if (at(i).is('<')) {
        size_t open = i;
        if ((i = skip_annotation(i)) == 0) return;
        blank(at(open).offset, end_of(at(i - 1)));
      }
      // The compiler's error recovery would go on declaring names from the
      // rest, which its HLSL front end does not always survive.
      if (i < end && !at(i).is('=') && !at(i).is(',')) {
        error(at(i), "missing ';' after '" + std::string(name.text) + "'");
        return;
      }
      size_t value_first = 0;
      size_t value_end = 0;
      if (at(i).is('=')) {
        value_first = ++i;
        while (i < end && !at(i).is(',')) i = is_opener(at(i)) ? skip_balanced(i) : i + 1;
        value_end = i;
        if (value_end == value_first) {
          error(at(i), "missing initial value for '" + std::string(name.text) + "'");
          return;
        }
      }
      std::span<const Token> value(input_.tokens.data() + value_first, value_end - value_first);
      bool has_value = value_end != 0;

      if (kind == DeclarationKind::Texture) {
        effect_.textures.push_back({std::string(name.text), std::string(at(type_index).text)});
      } else if (kind == DeclarationKind::Sampler) {
        EffectSampler sampler;
        sampler.name = std::string(name.text);
        sampler.type = std::string(at(type_index).text);
        if (has_value) {
          if (!parse_sampler_state(value, sampler)) return;
          blank(at(value_first - 1).offset, end_of(at(value_end - 1)));
        }
        effect_.samplers.push_back(std::move(sampler));
        sampler_tokens_.push_back(&name);
      } else if (kind == DeclarationKind::Variable && !is_const) {
        ParsedVariable variable;
        variable.name = std::string(name.text);
        variable.type = std::string(at(type_index).text);
        variable.semantic = semantic;
        variable.where = input_.where(name);
        // The compiler drops initial values of uniforms; they are kept here
        // and blanked there, so forms only an effect accepts do no harm.
        if (has_value) {
          if (!read_initial_values(value, variable.initial_values)) variable.initial_values.clear();
          blank(at(value_first - 1).offset, end_of(at(value_end - 1)));
        }
        effect_.variables.push_back(std::move(variable));
      }
      if (!at(i).is(',')) break;
      ++i;
    }
    if (kind == DeclarationKind::Texture || kind == DeclarationKind::String) {
      blank(at(first).offset, end_of(at(end)));
    }
  }

  // sampler_state { State = value; ... }
  bool parse_sampler_state(std::span<const Token> value, EffectSampler& sampler) {
    if (value.size() < 3 || !value[0].is_word("sampler_state") || !value[1].is('{') ||
        !value.back().is('}')) {
      error(value[0], "expected 'sampler_state { ... }' for sampler '" + sampler.name + "'");
      return false;
    }
    size_t base = static_cast<size_t>(&value[0] - input_.tokens.data());
    size_t i = base + 2;
    size_t close = base + value.size() - 1;
    while (i < close) {
      size_t name_index = i;
      const Token& name = at(i);
      if (!name.is_identifier()) {
        error(name, "expected a sampler state name in sampler '" + sampler.name + "'");
        return false;
      }
      ++i;
      bool indexed = at(i).is('[');
      if (indexed) i = skip_balanced(i);
      std::string full_name = text(name_index, i - 1);
      if (!at(i).is('=')) {
        error(at(i), "expected '=' after '" + full_name + "'");
        return false;
      }
      size_t value_first = ++i;
      size_t value_end = find_assignment_end(i);
      if (value_end == 0 || value_end > close) return false;
      i = value_end + 1;
      std::span<const Token> state_value(input_.tokens.data() + value_first,
                                         value_end - value_first);
      if (state_value.empty()) {
        error(at(value_end), "missing value for '" + full_name + "'");
        return false;
      }
      const StateInfo* state = indexed ? nullptr : find_sampler_state(name.text);
      if (state == nullptr) {
        sampler.ignored_states.push_back(
            {full_name, text(value_first, value_end - 1), input_.where(name)});
      } else if (!apply_sampler_state(*state, state_value, sampler)) {
        error(state_value.front(), "invalid value '" + text(value_first, value_end - 1) +
                                       "' for sampler state '" + state->name + "'");
        return false;
      }
    }
    return true;
  }

  static bool apply_sampler_state(const StateInfo& state, std::span<const Token> value,
                                  EffectSampler& sampler) {
    if (state.kind == StateValueKind::Texture) {
      // Texture = <name>, (name) or name.
      if (value.size() == 3 &&
          ((value[0].is('<') && value[2].is('>')) || (value[0].is('(') && value[2].is(')')))) {
        value = value.subspan(1, 1);
      }
      if (value.size() != 1 || !value[0].is_identifier()) return false;
      sampler.texture = value[0].is_word("NULL") ? std::string() : std::string(value[0].text);
      return true;
    }
    uint32_t number = 0;
    if (!parse_state_value(state.kind, value, number)) return false;
    switch (state.number) {
      case D3DSAMP_ADDRESSU:
        sampler.address_u = number;
        break;
      case D3DSAMP_ADDRESSV:
        sampler.address_v = number;
        break;
      case D3DSAMP_ADDRESSW:
        sampler.address_w = number;
        break;
      case D3DSAMP_BORDERCOLOR:
        sampler.border_color = number;
        break;
      case D3DSAMP_MAGFILTER:
        sampler.mag_filter = number;
        break;
      case D3DSAMP_MINFILTER:
        sampler.min_filter = number;
        break;
      case D3DSAMP_MIPFILTER:
        sampler.mip_filter = number;
        break;
      case D3DSAMP_MIPMAPLODBIAS:
        std::memcpy(&sampler.mip_lod_bias, &number, sizeof number);
        break;
      case D3DSAMP_MAXMIPLEVEL:
        sampler.max_mip_level = number;
        break;
      case D3DSAMP_MAXANISOTROPY:
        sampler.max_anisotropy = number;
        break;
      case D3DSAMP_SRGBTEXTURE:
        sampler.srgb_texture = number;
        break;
      default:
        return false;
    }
    return true;
  }

  void check_sampler_textures() {
    for (size_t i = 0; i < effect_.samplers.size(); ++i) {
      const EffectSampler& sampler = effect_.samplers[i];
      if (sampler.texture.empty()) continue;
      bool found = false;
      for (const EffectTexture& texture : effect_.textures)
        found = found || texture.name == sampler.texture;
      if (!found) {
        error(*sampler_tokens_[i],
              "sampler '" + sampler.name + "' uses undeclared texture '" + sampler.texture + "'");
      }
    }
  }

  const std::string& source_;
  TokenizedSource input_;
  ParsedEffect& effect_;
  std::string& messages_;
  size_t pos_ = 0;
  bool failed_ = false;
  std::vector<const Token*> sampler_tokens_;         // where each sampler is declared
  std::map<std::string, std::string> global_types_;  // name -> type and array size of each global
};

}  // namespace

const ParsedFunction* ParsedEffect::find_function(const std::string& name,
                                                  size_t argument_count) const {
  const ParsedFunction* first = nullptr;
  for (const ParsedFunction& function : functions) {
    if (function.name != name) continue;
    if (first == nullptr) first = &function;
    size_t uniforms = 0;
    bool fits = true;
    for (const FunctionParameter& parameter : function.parameters) {
      if (!parameter.is_uniform) continue;
      if (uniforms++ >= argument_count && parameter.default_value.empty()) fits = false;
    }
    if (fits && uniforms >= argument_count) return &function;
  }
  return first;
}

const ParsedVariable* ParsedEffect::find_variable(const std::string& name) const {
  for (const ParsedVariable& variable : variables) {
    if (variable.name == name) return &variable;
  }
  return nullptr;
}

bool parse_effect(const std::string& source, const std::string& source_name, ParsedEffect& effect,
                  std::string& messages) {
  effect = ParsedEffect{};
  return EffectParser(source, source_name, effect, messages).run();
}

}  // namespace fx
