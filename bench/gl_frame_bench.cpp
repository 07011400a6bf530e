// CPU time of one viewer frame on the OpenGL backend against a bare OpenGL
// program drawing the same frame, in the same process on the same context.
//
// Ours: the demo scene exactly as the viewer runs it (ViewerScene::Frame:
// shadow pass into the 512 x 512 float target, main pass, markers, help text,
// frame rate, the shadow map shown on screen, Present), with PCF off and on.
// The reference: one of our frames is captured draw by draw (every clear and
// draw call with the program, uniforms, uniform block bytes, vertex inputs,
// textures, sampler settings, fixed states and target it ran with), then
// replayed the way a hand-written GL program would draw it: objects made
// once, the frame's uniform blocks and vertices from memory uploaded in one
// go, each draw binding its program, vertex array, textures and block slice,
// setting its plain uniforms and changing only the states that differ from
// the previous draw, then the swap. Same triangles, passes and shaders.
//
// Headless (SDL's offscreen driver unless SDL_VIDEODRIVER says otherwise).
// Run with --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
// and compare the medians of CPU time.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/run.h"
#include "app/viewer_scene.h"
#include "app/window.h"
#include "platform/gl/gl_names.h"
#include "render/device_globals.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "gl_frame_bench: %s\n", what);
  std::abort();
}

// ---- the viewer's scene ---------------------------------------------------

struct Viewer {
  Viewer() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    std::string pattern = (fs::temp_directory_path() / "meshview-gl-frame-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) fail("no temporary folder");
    root = pattern;
    const std::string command =
        std::string(MESHVIEW_MAKE_DEMO) + " " + (root / "demo").string() + " > /dev/null";
    if (std::system(command.c_str()) != 0) fail("make_demo failed");
    fs::current_path(root / "demo" / "bin");
    if (!window.Create("gl frame bench", true, 800, 600, 0)) fail("no window");
    run = new CRun();
    if (run->device.Create(800, 600, true, window.GetHwnd()) == 0) fail("no device");
    SceneSettings settings;
    settings.drawShadowMap = 1;  // the shadow map shown on screen
    scene = new ViewerScene(run->Services(), settings);
    scene->SetUp();
    scene->controls.drawShadowMap = 1;
  }
  ~Viewer() {
    delete scene;
    delete run;
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  fs::path root;
  CWindow window;
  CRun* run = nullptr;
  ViewerScene* scene = nullptr;
};

Viewer& viewer() {
  static Viewer instance;
  return instance;
}

// ---- capture --------------------------------------------------------------

// Fixed-function states a draw ran with; the replay sets those that differ.
struct FixedStates {
  GLint depthTest, depthFunc, depthMask, cullFace, cullMode, frontFace, blend, blendSource,
      blendDestination, blendEquation, colorMask[4], polygonMode[2], clipOrigin, stencilTest,
      scissorTest;
  bool operator==(const FixedStates& other) const {
    return std::memcmp(this, &other, sizeof *this) == 0;
  }
};

struct UniformValue {
  GLint location;
  GLenum type;
  std::vector<uint8_t> bytes;
};

struct TextureBinding {
  GLuint unit, texture;
  GLint minFilter, magFilter, wrapS, wrapT, compareMode, lodBias;
  GLuint sampler = 0;  // the reference's own
};

struct Attribute {
  GLuint index;
  GLint size;
  GLenum type;
  GLint normalized, integer;
  GLsizei stride;
  uintptr_t offset;
  GLuint buffer;
};

struct Command {
  enum Kind { Clear, Elements, Arrays } kind;
  GLuint framebuffer;
  GLint viewport[4];
  GLfloat depthRange[2];
  FixedStates states;
  // Clear
  GLbitfield mask = 0;
  GLfloat clearColor[4];
  GLfloat clearDepth;
  GLint scissor[4];
  // Draws
  GLenum mode = 0;
  GLsizei count = 0;
  GLenum indexType = 0;
  uintptr_t indexOffset = 0;
  GLint baseVertex = 0;
  GLint first = 0;
  GLuint program = 0;
  GLuint indexBuffer = 0;
  std::vector<Attribute> attributes;
  std::vector<uint8_t> userVertices;  // arrays drawn from the per-draw buffer
  std::vector<UniformValue> uniforms;
  std::vector<uint8_t> block;  // the uniform block's bytes; empty = none
  GLuint blockBinding = 0;
  size_t blockOffset = 0;
  std::vector<TextureBinding> textures;
  GLuint vertexArray = 0;  // the reference's own
};

GLint integer(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

FixedStates captureStates() {
  FixedStates s{};
  s.depthTest = glIsEnabled(GL_DEPTH_TEST);
  s.depthFunc = integer(GL_DEPTH_FUNC);
  s.depthMask = integer(GL_DEPTH_WRITEMASK);
  s.cullFace = glIsEnabled(GL_CULL_FACE);
  s.cullMode = integer(GL_CULL_FACE_MODE);
  s.frontFace = integer(GL_FRONT_FACE);
  s.blend = glIsEnabled(GL_BLEND);
  s.blendSource = integer(GL_BLEND_SRC_RGB);
  s.blendDestination = integer(GL_BLEND_DST_RGB);
  s.blendEquation = integer(GL_BLEND_EQUATION_RGB);
  GLboolean mask[4];
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  for (int i = 0; i < 4; ++i) s.colorMask[i] = mask[i];
  glGetIntegerv(GL_POLYGON_MODE, s.polygonMode);
  s.clipOrigin = integer(GL_CLIP_ORIGIN);
  s.stencilTest = glIsEnabled(GL_STENCIL_TEST);
  s.scissorTest = glIsEnabled(GL_SCISSOR_TEST);
  return s;
}

void captureTarget(Command& command) {
  command.framebuffer = GLuint(integer(GL_DRAW_FRAMEBUFFER_BINDING));
  glGetIntegerv(GL_VIEWPORT, command.viewport);
  glGetFloatv(GL_DEPTH_RANGE, command.depthRange);
  command.states = captureStates();
}

size_t uniformBytes(GLenum type) {
  switch (type) {
    case GL_FLOAT:
    case GL_INT:
    case GL_BOOL:
      return 4;
    case GL_FLOAT_VEC2:
    case GL_INT_VEC2:
    case GL_BOOL_VEC2:
      return 8;
    case GL_FLOAT_VEC3:
    case GL_INT_VEC3:
    case GL_BOOL_VEC3:
      return 12;
    case GL_FLOAT_VEC4:
    case GL_INT_VEC4:
    case GL_BOOL_VEC4:
      return 16;
    case GL_FLOAT_MAT3:
      return 36;
    case GL_FLOAT_MAT4:
      return 64;
    default:
      return 0;  // samplers keep the value set when the program was made
  }
}

bool isFloatType(GLenum type) {
  return type == GL_FLOAT || type == GL_FLOAT_VEC2 || type == GL_FLOAT_VEC3 ||
         type == GL_FLOAT_VEC4 || type == GL_FLOAT_MAT3 || type == GL_FLOAT_MAT4;
}

void captureProgram(Command& command) {
  const GLuint program = GLuint(integer(GL_CURRENT_PROGRAM));
  command.program = program;
  GLint count = 0;
  glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
  for (GLuint i = 0; i < GLuint(count); ++i) {
    GLint block = -1;
    glGetActiveUniformsiv(program, 1, &i, GL_UNIFORM_BLOCK_INDEX, &block);
    if (block >= 0) continue;
    char name[256];
    GLint size = 0;
    GLenum type = 0;
    glGetActiveUniform(program, i, sizeof name, nullptr, &size, &type, name);
    const size_t bytes = uniformBytes(type);
    const GLint location = glGetUniformLocation(program, name);
    if (bytes == 0 || location < 0) continue;
    UniformValue value{location, type, std::vector<uint8_t>(bytes)};
    if (isFloatType(type)) {
      glGetUniformfv(program, location, reinterpret_cast<GLfloat*>(value.bytes.data()));
    } else {
      glGetUniformiv(program, location, reinterpret_cast<GLint*>(value.bytes.data()));
    }
    command.uniforms.push_back(std::move(value));
  }
  GLint blocks = 0;
  glGetProgramiv(program, GL_ACTIVE_UNIFORM_BLOCKS, &blocks);
  if (blocks > 0) {
    GLint binding = 0;
    glGetActiveUniformBlockiv(program, 0, GL_UNIFORM_BLOCK_BINDING, &binding);
    command.blockBinding = GLuint(binding);
    GLint buffer = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, GLuint(binding), &buffer);
    GLint size = 0;
    glGetActiveUniformBlockiv(program, 0, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
    command.block.resize(size_t(size));
    glBindBuffer(GL_COPY_READ_BUFFER, GLuint(buffer));
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, size, command.block.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
  }
  // Textures on the units the program's samplers read.
  for (GLuint i = 0; i < GLuint(count); ++i) {
    char name[256];
    GLint size = 0;
    GLenum type = 0;
    glGetActiveUniform(program, i, sizeof name, nullptr, &size, &type, name);
    if (type != GL_SAMPLER_2D && type != GL_SAMPLER_2D_SHADOW) continue;
    GLint unit = 0;
    glGetUniformiv(program, glGetUniformLocation(program, name), &unit);
    TextureBinding binding{};
    binding.unit = GLuint(unit);
    glActiveTexture(GL_TEXTURE0 + GLuint(unit));
    binding.texture = GLuint(integer(GL_TEXTURE_BINDING_2D));
    const GLuint sampler = GLuint(integer(GL_SAMPLER_BINDING));
    glGetSamplerParameteriv(sampler, GL_TEXTURE_MIN_FILTER, &binding.minFilter);
    glGetSamplerParameteriv(sampler, GL_TEXTURE_MAG_FILTER, &binding.magFilter);
    glGetSamplerParameteriv(sampler, GL_TEXTURE_WRAP_S, &binding.wrapS);
    glGetSamplerParameteriv(sampler, GL_TEXTURE_WRAP_T, &binding.wrapT);
    glGetSamplerParameteriv(sampler, GL_TEXTURE_COMPARE_MODE, &binding.compareMode);
    command.textures.push_back(binding);
  }
  glActiveTexture(GL_TEXTURE0);
}

void captureAttributes(Command& command) {
  command.indexBuffer = GLuint(integer(GL_ELEMENT_ARRAY_BUFFER_BINDING));
  const GLint count = integer(GL_MAX_VERTEX_ATTRIBS);
  for (GLuint i = 0; i < GLuint(count); ++i) {
    GLint enabled = 0;
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    if (!enabled) continue;
    Attribute a{};
    a.index = i;
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_SIZE, &a.size);
    GLint value = 0;
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_TYPE, &value);
    a.type = GLenum(value);
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &a.normalized);
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_INTEGER, &a.integer);
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &value);
    a.stride = value;
    glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &value);
    a.buffer = GLuint(value);
    void* pointer = nullptr;
    glGetVertexAttribPointerv(i, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
    a.offset = reinterpret_cast<uintptr_t>(pointer);
    command.attributes.push_back(a);
  }
}

std::vector<Command>* g_capture = nullptr;
PFNGLCLEARPROC g_realClear = nullptr;
PFNGLDRAWELEMENTSBASEVERTEXPROC g_realDrawElements = nullptr;
PFNGLDRAWARRAYSPROC g_realDrawArrays = nullptr;

void capturingClear(GLbitfield mask) {
  Command command{};
  command.kind = Command::Clear;
  captureTarget(command);
  command.mask = mask;
  glGetFloatv(GL_COLOR_CLEAR_VALUE, command.clearColor);
  glGetFloatv(GL_DEPTH_CLEAR_VALUE, &command.clearDepth);
  glGetIntegerv(GL_SCISSOR_BOX, command.scissor);
  g_capture->push_back(std::move(command));
  g_realClear(mask);
}

void capturingDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices,
                           GLint baseVertex) {
  Command command{};
  command.kind = Command::Elements;
  captureTarget(command);
  captureProgram(command);
  captureAttributes(command);
  command.mode = mode;
  command.count = count;
  command.indexType = type;
  command.indexOffset = reinterpret_cast<uintptr_t>(indices);
  command.baseVertex = baseVertex;
  g_capture->push_back(std::move(command));
  g_realDrawElements(mode, count, type, indices, baseVertex);
}

void capturingDrawArrays(GLenum mode, GLint first, GLsizei count) {
  Command command{};
  command.kind = Command::Arrays;
  captureTarget(command);
  captureProgram(command);
  captureAttributes(command);
  command.mode = mode;
  command.first = first;
  command.count = count;
  // Drawn from memory: the vertices live in a stream buffer; only the
  // drawn ones are kept, and the reference draws them from its own.
  if (!command.attributes.empty() && command.attributes.front().stride > 0) {
    const Attribute& a = command.attributes.front();
    const GLintptr start = GLintptr(first) * a.stride;
    const GLsizeiptr size = GLsizeiptr(count) * a.stride;
    command.userVertices.resize(size_t(size));
    glBindBuffer(GL_COPY_READ_BUFFER, a.buffer);
    glGetBufferSubData(GL_COPY_READ_BUFFER, start, size, command.userVertices.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    command.first = 0;
  }
  g_capture->push_back(std::move(command));
  g_realDrawArrays(mode, first, count);
}

// ---- the reference --------------------------------------------------------

class BareFrame {
 public:
  // Captures one frame of the scene and makes the reference's own objects.
  explicit BareFrame(Viewer& v) {
    v.scene->Frame();  // every GL entry point the frame uses is resolved now
    g_realClear = epoxy_glClear;
    g_realDrawElements = epoxy_glDrawElementsBaseVertex;
    g_realDrawArrays = epoxy_glDrawArrays;
    g_capture = &commands_;
    epoxy_glClear = capturingClear;
    epoxy_glDrawElementsBaseVertex = capturingDrawElements;
    epoxy_glDrawArrays = capturingDrawArrays;
    v.scene->Frame();
    epoxy_glClear = g_realClear;
    epoxy_glDrawElementsBaseVertex = g_realDrawElements;
    epoxy_glDrawArrays = g_realDrawArrays;
    g_capture = nullptr;
    window_ = SDL_GL_GetCurrentWindow();
    glGenBuffers(1, &userBuffer_);
    glGenBuffers(1, &blockBuffer_);
    const size_t alignment = size_t(integer(GL_UNIFORM_BUFFER_OFFSET_ALIGNMENT));
    for (Command& command : commands_) {
      if (command.kind == Command::Clear) continue;
      // The frame's uniform blocks and vertices from memory each get a slice
      // of one buffer, filled once per frame.
      if (!command.block.empty())
        command.blockOffset = Append(blockBytes_, command.block, alignment);
      // Vertices from memory go at a multiple of their stride and are drawn
      // from there by vertex number, so draws of one vertex format share a
      // vertex array, as a program that packs its vertices would do.
      if (!command.userVertices.empty()) {
        const size_t stride = size_t(command.attributes.front().stride);
        command.first = GLint(Append(userBytes_, command.userVertices, stride) / stride);
      }
      std::vector<GLint> key = {GLint(command.indexBuffer), !command.userVertices.empty()};
      for (const Attribute& a : command.attributes) {
        key.insert(key.end(), {GLint(a.index), a.size, GLint(a.type), a.normalized, a.integer,
                               a.stride, GLint(a.offset), GLint(a.buffer)});
      }
      GLuint& shared = vertexArrays_[key];
      const bool made = shared != 0;
      if (!made) glGenVertexArrays(1, &shared);
      command.vertexArray = shared;
      glBindVertexArray(command.vertexArray);
      for (const Attribute& a : command.attributes) {
        if (made) break;
        glBindBuffer(GL_ARRAY_BUFFER, command.userVertices.empty() ? a.buffer : userBuffer_);
        glEnableVertexAttribArray(a.index);
        const void* offset = reinterpret_cast<const void*>(a.offset);
        if (a.integer) {
          glVertexAttribIPointer(a.index, a.size, a.type, a.stride, offset);
        } else {
          glVertexAttribPointer(a.index, a.size, a.type, GLboolean(a.normalized), a.stride, offset);
        }
      }
      if (command.kind == Command::Elements)
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, command.indexBuffer);
      for (TextureBinding& t : command.textures) t.sampler = Sampler(t);
    }
    glBindVertexArray(0);
    if (drawCount() == 0) fail("the captured frame drew nothing");
  }
  ~BareFrame() {
    for (auto& [key, vertexArray] : vertexArrays_) glDeleteVertexArrays(1, &vertexArray);
    for (auto& [key, sampler] : samplers_) glDeleteSamplers(1, &sampler);
    glDeleteBuffers(1, &userBuffer_);
    glDeleteBuffers(1, &blockBuffer_);
  }

  size_t drawCount() const {
    size_t draws = 0;
    for (const Command& command : commands_) draws += command.kind != Command::Clear;
    return draws;
  }

  void Draw() {
    glBindBuffer(GL_UNIFORM_BUFFER, blockBuffer_);
    glBufferData(GL_UNIFORM_BUFFER, GLsizeiptr(blockBytes_.size()), blockBytes_.data(),
                 GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, userBuffer_);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(userBytes_.size()), userBytes_.data(), GL_STREAM_DRAW);
    bool first = true;
    FixedStates current{};
    GLuint framebuffer = ~0u;
    GLuint program = ~0u;
    GLuint vertexArray = ~0u;
    std::map<GLuint, std::pair<GLuint, GLuint>> units;  // texture and sampler per unit
    for (const Command& command : commands_) {
      if (command.framebuffer != framebuffer) {
        framebuffer = command.framebuffer;
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
      }
      glViewport(command.viewport[0], command.viewport[1], command.viewport[2],
                 command.viewport[3]);
      ApplyStates(command.states, current, first);
      first = false;
      if (command.kind == Command::Clear) {
        glScissor(command.scissor[0], command.scissor[1], command.scissor[2], command.scissor[3]);
        glClearColor(command.clearColor[0], command.clearColor[1], command.clearColor[2],
                     command.clearColor[3]);
        glClearDepth(command.clearDepth);
        glClear(command.mask);
        continue;
      }
      if (command.program != program) {
        program = command.program;
        glUseProgram(program);
      }
      for (const UniformValue& u : command.uniforms) SetUniform(u);
      if (!command.block.empty()) {
        glBindBufferRange(GL_UNIFORM_BUFFER, command.blockBinding, blockBuffer_,
                          GLintptr(command.blockOffset), GLsizeiptr(command.block.size()));
      }
      for (const TextureBinding& t : command.textures) {
        auto bound = units.find(t.unit);
        if (bound != units.end() && bound->second == std::make_pair(t.texture, t.sampler)) continue;
        units[t.unit] = {t.texture, t.sampler};
        glActiveTexture(GL_TEXTURE0 + t.unit);
        glBindTexture(GL_TEXTURE_2D, t.texture);
        glBindSampler(t.unit, t.sampler);
      }
      if (command.vertexArray != vertexArray) {
        vertexArray = command.vertexArray;
        glBindVertexArray(vertexArray);
      }
      if (command.kind == Command::Elements) {
        glDrawElementsBaseVertex(command.mode, command.count, command.indexType,
                                 reinterpret_cast<const void*>(command.indexOffset),
                                 command.baseVertex);
      } else {
        glDrawArrays(command.mode, command.first, command.count);
      }
    }
    glBindVertexArray(0);
    SDL_GL_SwapWindow(window_);
    // The viewer's device set up its draws before these calls changed GL
    // state behind its back: it must not trust its memory of them.
    gl_disturb_bindings();
  }

 private:
  GLuint Sampler(const TextureBinding& t) {
    const std::vector<GLint> key = {t.minFilter, t.magFilter, t.wrapS, t.wrapT, t.compareMode};
    GLuint& sampler = samplers_[key];
    if (sampler == 0) {
      glGenSamplers(1, &sampler);
      glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, t.minFilter);
      glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, t.magFilter);
      glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, t.wrapS);
      glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, t.wrapT);
      glSamplerParameteri(sampler, GL_TEXTURE_COMPARE_MODE, t.compareMode);
    }
    return sampler;
  }

  // Appends bytes at the next multiple of alignment; their offset.
  static size_t Append(std::vector<uint8_t>& all, const std::vector<uint8_t>& bytes,
                       size_t alignment) {
    const size_t offset = (all.size() + alignment - 1) / alignment * alignment;
    all.resize(offset);
    all.insert(all.end(), bytes.begin(), bytes.end());
    return offset;
  }

  static void SetUniform(const UniformValue& u) {
    const auto* f = reinterpret_cast<const GLfloat*>(u.bytes.data());
    const auto* i = reinterpret_cast<const GLint*>(u.bytes.data());
    switch (u.type) {
      case GL_FLOAT:
        glUniform1fv(u.location, 1, f);
        break;
      case GL_FLOAT_VEC2:
        glUniform2fv(u.location, 1, f);
        break;
      case GL_FLOAT_VEC3:
        glUniform3fv(u.location, 1, f);
        break;
      case GL_FLOAT_VEC4:
        glUniform4fv(u.location, 1, f);
        break;
      case GL_FLOAT_MAT3:
        glUniformMatrix3fv(u.location, 1, GL_FALSE, f);
        break;
      case GL_FLOAT_MAT4:
        glUniformMatrix4fv(u.location, 1, GL_FALSE, f);
        break;
      case GL_INT:
      case GL_BOOL:
        glUniform1iv(u.location, 1, i);
        break;
      case GL_INT_VEC2:
      case GL_BOOL_VEC2:
        glUniform2iv(u.location, 1, i);
        break;
      case GL_INT_VEC3:
      case GL_BOOL_VEC3:
        glUniform3iv(u.location, 1, i);
        break;
      case GL_INT_VEC4:
      case GL_BOOL_VEC4:
        glUniform4iv(u.location, 1, i);
        break;
      default:
        break;
    }
  }

  static void Enable(GLenum capability, GLint on) {
    if (on) {
      glEnable(capability);
    } else {
      glDisable(capability);
    }
  }

  // Only what changed, as a program that knows its own states would.
  static void ApplyStates(const FixedStates& wanted, FixedStates& current, bool all) {
    auto changed = [&](auto FixedStates::*member) {
      return all || !(wanted.*member == current.*member);
    };
    if (changed(&FixedStates::depthTest)) Enable(GL_DEPTH_TEST, wanted.depthTest);
    if (changed(&FixedStates::depthFunc)) glDepthFunc(GLenum(wanted.depthFunc));
    if (changed(&FixedStates::depthMask)) glDepthMask(GLboolean(wanted.depthMask));
    if (changed(&FixedStates::cullFace)) Enable(GL_CULL_FACE, wanted.cullFace);
    if (changed(&FixedStates::cullMode)) glCullFace(GLenum(wanted.cullMode));
    if (changed(&FixedStates::frontFace)) glFrontFace(GLenum(wanted.frontFace));
    if (changed(&FixedStates::blend)) Enable(GL_BLEND, wanted.blend);
    if (all || wanted.blendSource != current.blendSource ||
        wanted.blendDestination != current.blendDestination) {
      glBlendFunc(GLenum(wanted.blendSource), GLenum(wanted.blendDestination));
    }
    if (changed(&FixedStates::blendEquation)) glBlendEquation(GLenum(wanted.blendEquation));
    if (all || std::memcmp(wanted.colorMask, current.colorMask, sizeof wanted.colorMask) != 0) {
      glColorMask(GLboolean(wanted.colorMask[0]), GLboolean(wanted.colorMask[1]),
                  GLboolean(wanted.colorMask[2]), GLboolean(wanted.colorMask[3]));
    }
    if (all || wanted.polygonMode[0] != current.polygonMode[0]) {
      glPolygonMode(GL_FRONT_AND_BACK, GLenum(wanted.polygonMode[0]));
    }
    if (changed(&FixedStates::clipOrigin)) glClipControl(GLenum(wanted.clipOrigin), GL_ZERO_TO_ONE);
    if (changed(&FixedStates::stencilTest)) Enable(GL_STENCIL_TEST, wanted.stencilTest);
    if (changed(&FixedStates::scissorTest)) Enable(GL_SCISSOR_TEST, wanted.scissorTest);
    current = wanted;
  }

  std::vector<Command> commands_;
  std::map<std::vector<GLint>, GLuint> samplers_;
  std::map<std::vector<GLint>, GLuint> vertexArrays_;
  std::vector<uint8_t> blockBytes_;
  std::vector<uint8_t> userBytes_;
  GLuint userBuffer_ = 0;
  GLuint blockBuffer_ = 0;
  SDL_Window* window_ = nullptr;
};

// ---- benchmarks -----------------------------------------------------------

// Ours and the reference alternate within one benchmark, frame by frame, so
// both see the same machine load; the reference's time is reported as a
// counter. Each reference is captured with its own PCF setting.
void Frames(benchmark::State& state, int pcf) {
  Viewer& v = viewer();
  v.scene->controls.pcf = pcf;
  BareFrame bare(v);
  double oursCpu = 0.0;
  double bareCpu = 0.0;
  auto cpuNow = [] {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
  };
  for (auto _ : state) {
    double start = cpuNow();
    if (!v.scene->Frame()) fail("the viewer wants to end");
    glFinish();
    oursCpu += cpuNow() - start;
    state.PauseTiming();
    start = cpuNow();
    bare.Draw();
    glFinish();
    bareCpu += cpuNow() - start;
    state.ResumeTiming();
  }
  const double frames = double(state.iterations());
  state.counters["ours_ms"] = 1000.0 * oursCpu / frames;
  state.counters["bare_ms"] = 1000.0 * bareCpu / frames;
  state.counters["ratio"] = bareCpu > 0.0 ? oursCpu / bareCpu : 0.0;
  state.counters["draws"] = double(bare.drawCount());
}

void ViewerFramePcfOff(benchmark::State& state) { Frames(state, 0); }
void ViewerFramePcfOn(benchmark::State& state) { Frames(state, 1); }

BENCHMARK(ViewerFramePcfOff)->Unit(benchmark::kMillisecond)->Iterations(120);
BENCHMARK(ViewerFramePcfOn)->Unit(benchmark::kMillisecond)->Iterations(120);

}  // namespace

BENCHMARK_MAIN();
