#include "platform/fx/spirv_to_glsl.h"

#include <cctype>
#include <set>
#include <spirv_cross/spirv_glsl.hpp>

#include "platform/fx/glsl_varyings.h"

namespace fx {

namespace {

using spirv_cross::CompilerGLSL;
using spirv_cross::SPIRType;

std::string semantic_of(const CompilerGLSL& compiler, spirv_cross::ID id) {
  std::string semantic = compiler.get_decoration_string(id, spv::DecorationUserSemantic);
  return semantic.empty() ? compiler.get_name(id) : semantic;
}

bool is_integer(const SPIRType& type) {
  return type.basetype == SPIRType::Int || type.basetype == SPIRType::UInt;
}

ValueType value_type(const SPIRType& type) {
  switch (type.basetype) {
    case SPIRType::Int:
      return ValueType::Int;
    case SPIRType::UInt:
      return ValueType::UInt;
    case SPIRType::Boolean:
      return ValueType::Bool;
    case SPIRType::Struct:
      return ValueType::Struct;
    default:
      return ValueType::Float;
  }
}

void make_builtin(CompilerGLSL& compiler, spirv_cross::ID id, spv::BuiltIn builtin) {
  compiler.unset_decoration(id, spv::DecorationLocation);
  compiler.set_decoration(id, spv::DecorationBuiltIn, builtin);
}

class InterfaceNamer {
 public:
  InterfaceNamer(CompilerGLSL& compiler, ShaderStage stage, StageGlsl& out, std::string& error)
      : compiler_(compiler), stage_(stage), out_(out), error_(error) {}

  bool inputs(const spirv_cross::SmallVector<spirv_cross::Resource>& resources) {
    std::set<std::string> seen;
    for (const spirv_cross::Resource& input : resources) {
      std::string name;
      uint32_t index = 0;
      split_semantic(semantic_of(compiler_, input.id), name, index);
      std::string semantic = name + std::to_string(index);
      if (!seen.insert(semantic).second)
        return fail("more than one input with semantic " + semantic);
      const SPIRType& type = compiler_.get_type(input.type_id);
      if (stage_ == ShaderStage::Vertex) {
        VertexInput attribute;
        attribute.attribute = "fx_a_" + semantic;
        attribute.semantic = name;
        attribute.semantic_index = index;
        attribute.location = compiler_.get_decoration(input.id, spv::DecorationLocation);
        attribute.components = type.vecsize;
        attribute.type = value_type(type);
        compiler_.set_name(input.id, attribute.attribute);
        out_.inputs.push_back(attribute);
        attribute_ids_.push_back(input.id);
        continue;
      }
      // A pixel shader may take the vertex shader's output struct whole; its
      // POSITION member is the fragment's window position.
      if ((name == "POSITION" || name == "SV_POSITION") && type.basetype == SPIRType::Float &&
          type.vecsize == 4 && type.columns == 1) {
        make_builtin(compiler_, input.id, spv::BuiltInFragCoord);
        continue;
      }
      compiler_.set_name(input.id, "fx_v_" + semantic);
      if (is_integer(type)) compiler_.set_decoration(input.id, spv::DecorationFlat);
    }
    return true;
  }

  bool outputs(const spirv_cross::SmallVector<spirv_cross::Resource>& resources) {
    std::set<std::string> seen;
    for (const spirv_cross::Resource& output : resources) {
      std::string name;
      uint32_t index = 0;
      split_semantic(semantic_of(compiler_, output.id), name, index);
      std::string semantic = name + std::to_string(index);
      if (!seen.insert(semantic).second)
        return fail("more than one output with semantic " + semantic);
      const SPIRType& type = compiler_.get_type(output.type_id);
      if (stage_ == ShaderStage::Vertex) {
        // Direct3D 9 takes the clip position from the POSITION output.
        if (name == "POSITION" || name == "SV_POSITION") {
          make_builtin(compiler_, output.id, spv::BuiltInPosition);
        } else if (name == "PSIZE") {
          make_builtin(compiler_, output.id, spv::BuiltInPointSize);
        } else {
          compiler_.set_name(output.id, "fx_v_" + semantic);
          // GLSL 330 wants the same interpolation on both sides, and
          // integers cannot be interpolated.
          if (is_integer(type)) compiler_.set_decoration(output.id, spv::DecorationFlat);
        }
        continue;
      }
      if (name == "COLOR" || name == "SV_TARGET") {
        compiler_.set_name(output.id, "fx_o_COLOR" + std::to_string(index));
        compiler_.set_decoration(output.id, spv::DecorationLocation, index);
      } else if (name == "DEPTH" || name == "SV_DEPTH") {
        make_builtin(compiler_, output.id, spv::BuiltInFragDepth);
      } else {
        return fail("pixel shader output semantic " + semantic + " is not supported");
      }
    }
    return true;
  }

  // Names as the GLSL uses them: the translator may adjust a name.
  void read_back_names() {
    for (size_t i = 0; i < attribute_ids_.size(); ++i)
      out_.inputs[i].attribute = compiler_.get_name(attribute_ids_[i]);
  }

 private:
  bool fail(const std::string& message) {
    error_ = message;
    return false;
  }

  CompilerGLSL& compiler_;
  ShaderStage stage_;
  StageGlsl& out_;
  std::string& error_;
  std::vector<spirv_cross::ID> attribute_ids_;
};

void reflect_members(const CompilerGLSL& compiler, const SPIRType& type, uint32_t base,
                     const std::string& prefix, std::vector<EffectParameter>& out) {
  for (uint32_t i = 0; i < type.member_types.size(); ++i) {
    const SPIRType& member = compiler.get_type(type.member_types[i]);
    EffectParameter parameter;
    parameter.name = prefix + compiler.get_member_name(type.self, i);
    parameter.type = value_type(member);
    parameter.offset = base + compiler.type_struct_member_offset(type, i);
    parameter.size = static_cast<uint32_t>(compiler.get_declared_struct_member_size(type, i));
    if (!member.array.empty()) {
      uint32_t count = 1;
      for (uint32_t dimension : member.array) count *= dimension;
      parameter.elements = count;
      // The stride is the outermost dimension's; HLSL addresses the
      // elements of nested arrays one after the other.
      parameter.array_stride =
          compiler.type_struct_member_array_stride(type, i) / (count / member.array.back());
    }
    if (member.basetype == SPIRType::Struct) {
      parameter.value_class = ValueClass::Struct;
      out.push_back(parameter);
      if (member.array.empty())
        reflect_members(compiler, member, parameter.offset, parameter.name + ".", out);
      continue;
    }
    if (member.columns > 1) {
      // An HLSL RxC matrix arrives as R columns of C components; HLSL's
      // column_major packing is the RowMajor decoration.
      parameter.rows = member.columns;
      parameter.columns = member.vecsize;
      bool hlsl_column_major =
          compiler.has_member_decoration(type.self, i, spv::DecorationRowMajor);
      parameter.value_class =
          hlsl_column_major ? ValueClass::MatrixColumns : ValueClass::MatrixRows;
      parameter.matrix_stride = compiler.type_struct_member_matrix_stride(type, i);
    } else if (member.vecsize > 1) {
      parameter.value_class = ValueClass::Vector;
      parameter.columns = member.vecsize;
    }
    out.push_back(parameter);
  }
}

bool reflect_uniform_block(CompilerGLSL& compiler, const spirv_cross::ShaderResources& resources,
                           StageGlsl& out, std::string& error) {
  if (resources.uniform_buffers.empty()) return true;
  if (resources.uniform_buffers.size() > 1 || !resources.storage_buffers.empty()) {
    error = "constant buffers are not supported; declare parameters as globals";
    return false;
  }
  const spirv_cross::Resource& block = resources.uniform_buffers[0];
  const SPIRType& type = compiler.get_type(block.base_type_id);
  compiler.set_name(block.base_type_id, kUniformBlockName);
  compiler.set_name(block.id, "fx_globals");
  compiler.unset_decoration(block.id, spv::DecorationBinding);
  compiler.unset_decoration(block.id, spv::DecorationDescriptorSet);
  out.has_uniform_block = true;
  out.uniform_block_size = static_cast<uint32_t>(compiler.get_declared_struct_size(type));
  reflect_members(compiler, type, 0, "", out.block_members);
  return true;
}

}  // namespace

void split_semantic(const std::string& semantic, std::string& name, uint32_t& index) {
  size_t digits = semantic.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(semantic[digits - 1]))) --digits;
  name.clear();
  for (size_t i = 0; i < digits; ++i)
    name += static_cast<char>(std::toupper(static_cast<unsigned char>(semantic[i])));
  index = 0;
  // A long run of digits is not an index any device has; keep it bounded.
  for (size_t i = digits; i < semantic.size() && i < digits + 6; ++i) {
    index = index * 10 + static_cast<uint32_t>(semantic[i] - '0');
  }
}

bool translate_to_glsl(std::vector<uint32_t> spirv, ShaderStage stage, const GlslOptions& options,
                       StageGlsl& out, std::string& error) {
  out = StageGlsl{};
  try {
    CompilerGLSL compiler(std::move(spirv));
    // The globals are the effect's parameters whether this entry point
    // reads them or not; everything else, samplers above all, counts only
    // when used, so a program never asks for units it does not sample.
    spirv_cross::ShaderResources declared = compiler.get_shader_resources();
    auto active = compiler.get_active_interface_variables();
    spirv_cross::ShaderResources resources = compiler.get_shader_resources(active);
    compiler.set_enabled_interface_variables(std::move(active));
    InterfaceNamer namer(compiler, stage, out, error);
    if (!namer.inputs(resources.stage_inputs) || !namer.outputs(resources.stage_outputs))
      return false;
    if (!resources.separate_images.empty() || !resources.separate_samplers.empty()) {
      error = "separate texture and sampler objects are not supported; use sampler2D and tex2D";
      return false;
    }
    if (!reflect_uniform_block(compiler, declared, out, error)) return false;
    std::vector<spirv_cross::ID> sampler_ids;
    for (const spirv_cross::Resource& image : resources.sampled_images) {
      std::string hlsl_name = compiler.get_name(image.id);
      compiler.unset_decoration(image.id, spv::DecorationBinding);
      compiler.unset_decoration(image.id, spv::DecorationDescriptorSet);
      compiler.set_name(image.id, "fx_s_" + hlsl_name);
      out.samplers.push_back({hlsl_name, ""});
      sampler_ids.push_back(image.id);
    }

    CompilerGLSL::Options glsl_options;
    glsl_options.version = 330;
    glsl_options.es = false;
    glsl_options.enable_420pack_extension = false;
    glsl_options.vertex.fixup_clipspace = options.fixup_clip_space;
    glsl_options.vertex.flip_vert_y = options.flip_vertex_y;
    compiler.set_common_options(glsl_options);
    out.glsl = compiler.compile();

    for (size_t i = 0; i < sampler_ids.size(); ++i)
      out.samplers[i].uniform = compiler.get_name(sampler_ids[i]);
    namer.read_back_names();
    finish_glsl_interface(out.glsl, stage, options.position_offset_uniform);
  } catch (const spirv_cross::CompilerError& failure) {
    error = std::string("GLSL translation failed: ") + failure.what();
    return false;
  }
  return true;
}

}  // namespace fx
