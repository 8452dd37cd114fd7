// The effect runtime: programs per pass built from a parsed effect file,
// parameters kept on the CPU and uploaded at BeginPass and CommitChanges.
#include "platform/d3dx9/effect.h"

#include <GL/glcorearb.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/gl_internal.h"
#include "platform/d3dx9/effect_format.h"
#include "platform/d3dx9/effect_refcounted.h"
#include "platform/win32/phase_timer.h"

namespace {

using orv::d3dx9::fx::EffectDesc;
using orv::d3dx9::fx::ParamDecl;
using orv::d3dx9::fx::ParamType;
using orv::d3dx9::fx::StateAssign;

const char* GlslType(const ParamDecl& p) {
    switch (p.type) {
    case ParamType::Bool: return "bool";
    case ParamType::Int: return "int";
    case ParamType::Texture: return "sampler2D";
    case ParamType::Float: break;
    }
    if (p.rows == 4) return "mat4";
    static const char* const kVec[] = {"float", "vec2", "vec3", "vec4"};
    return kVec[p.cols - 1];
}

// How a source value becomes a parameter component.
enum class Source { Float, Int };

class Effect final : public orv::d3dx9::RefCounted<ID3DXEffect> {
public:
    Effect(IDirect3DDevice9* device, EffectDesc desc) : device_(device), desc_(std::move(desc)) {
        device_->AddRef();
        params_.resize(desc_.params.size());
        for (size_t i = 0; i < params_.size(); ++i) {
            params_[i].decl = &desc_.params[i];
            params_[i].data = desc_.params[i].init;
        }
        handleCount_ = params_.size() + desc_.techniques.size();
        handles_ = std::make_unique<char[]>(handleCount_ + 1);  // zeroed: reads as ""
    }

    ~Effect() override {
        if (begun_) orv::d3d9::UseProgram(device_, 0);
        for (Param& p : params_) SAFE_RELEASE(p.texture);
        for (Program& p : programs_) glDeleteProgram(p.program);
        for (auto& [block, shader] : shaders_) glDeleteShader(shader);
        device_->Release();
    }

    // Compiles and links every pass; false with the reason in `error`.
    bool Build(const D3DXMACRO* defines, std::string& error) {
        header_ = "";
        for (const D3DXMACRO* d = defines; d && d->Name; ++d) {
            std::string value = d->Definition ? d->Definition : "";
            std::replace(value.begin(), value.end(), '\n', ' ');
            header_ += std::string("#define ") + d->Name + " " + value + "\n";
        }
        for (const ParamDecl& p : desc_.params) {
            header_ += std::string("uniform ") + GlslType(p) + " " + p.name;
            if (p.count > 0) header_ += "[" + std::to_string(p.count) + "]";
            header_ += ";\n";
        }
        for (const auto& s : desc_.samplers) header_ += "uniform sampler2D " + s.name + ";\n";
        for (const auto& c : desc_.common)
            header_ += "#line " + std::to_string(c.line) + "\n" + c.code + "\n";

        techniques_.resize(desc_.techniques.size());
        for (size_t t = 0; t < desc_.techniques.size(); ++t) {
            const auto& tech = desc_.techniques[t];
            for (const auto& pass : tech.passes) {
                std::string where = "technique " + tech.name + ", pass " +
                                    (pass.name.empty() ? std::string("(unnamed)") : pass.name) + ": ";
                int program = ProgramFor(pass.vertex, pass.fragment, where, error);
                if (program < 0) return false;
                techniques_[t].passes.push_back({program, &pass.states});
            }
        }
        return true;
    }

    // Handles
    D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE parent, LPCSTR name) override {
        if (parent || !name) return nullptr;  // no structures here: only top-level names
        for (size_t i = 0; i < params_.size(); ++i)
            if (params_[i].decl->name == name) return &handles_[i];
        return nullptr;
    }
    D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR name) override {
        if (!name) return nullptr;
        for (size_t t = 0; t < desc_.techniques.size(); ++t)
            if (desc_.techniques[t].name == name) return &handles_[params_.size() + t];
        return nullptr;
    }
    HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE h) override {
        int t = TechniqueIndex(h);
        if (t < 0 || begun_) return D3DERR_INVALIDCALL;
        technique_ = t;
        return S_OK;
    }
    D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() override {
        return desc_.techniques.empty() ? nullptr : &handles_[params_.size() + technique_];
    }

    // Values
    HRESULT STDMETHODCALLTYPE SetValue(D3DXHANDLE h, LPCVOID data, UINT bytes) override {
        Param* p = Find(h);
        if (!p || !data || p->decl->type == ParamType::Texture || bytes > p->data.size() * 4)
            return D3DERR_INVALIDCALL;
        std::memcpy(p->data.data(), data, bytes);
        if (p->decl->type == ParamType::Bool)
            for (uint32_t& w : p->data) w = w != 0;
        Touch(*p);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetValue(D3DXHANDLE h, LPVOID data, UINT bytes) override {
        Param* p = Find(h);
        if (!p || !data) return D3DERR_INVALIDCALL;
        if (p->decl->type == ParamType::Texture) {
            if (bytes < sizeof(void*)) return D3DERR_INVALIDCALL;
            std::memcpy(data, &p->texture, sizeof(void*));
            if (p->texture) p->texture->AddRef();
            return S_OK;
        }
        std::memcpy(data, p->data.data(), std::min<size_t>(bytes, p->data.size() * 4));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetBool(D3DXHANDLE h, BOOL b) override {
        int32_t v = b;
        return Write(h, &v, Source::Int, 1);
    }
    HRESULT STDMETHODCALLTYPE GetBool(D3DXHANDLE h, BOOL* b) override {
        int32_t n;
        if (!b || FAILED(ReadInt(h, n))) return D3DERR_INVALIDCALL;
        *b = n != 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetInt(D3DXHANDLE h, INT n) override {
        int32_t v = n;
        return Write(h, &v, Source::Int, 1);
    }
    HRESULT STDMETHODCALLTYPE GetInt(D3DXHANDLE h, INT* n) override {
        int32_t v;
        if (!n || FAILED(ReadInt(h, v))) return D3DERR_INVALIDCALL;
        *n = v;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetIntArray(D3DXHANDLE h, const INT* n, UINT count) override {
        return Write(h, n, Source::Int, count);
    }
    HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE h, FLOAT f) override {
        return Write(h, &f, Source::Float, 1);
    }
    HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE h, FLOAT* f) override {
        if (!f) return D3DERR_INVALIDCALL;
        return Read(h, f, 1);
    }
    HRESULT STDMETHODCALLTYPE SetFloatArray(D3DXHANDLE h, const FLOAT* f, UINT count) override {
        return Write(h, f, Source::Float, count);
    }
    // A vector fills as many components as one element of the parameter has.
    HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE h, const D3DXVECTOR4* v) override {
        return SetVectorArray(h, v, 1);
    }
    HRESULT STDMETHODCALLTYPE GetVector(D3DXHANDLE h, D3DXVECTOR4* v) override {
        if (!v) return D3DERR_INVALIDCALL;
        *v = D3DXVECTOR4();
        Param* p = Find(h);
        if (!p || p->decl->rows != 1) return D3DERR_INVALIDCALL;
        return Read(h, &v->x, std::min(4, p->decl->cols));
    }
    HRESULT STDMETHODCALLTYPE SetVectorArray(D3DXHANDLE h, const D3DXVECTOR4* v, UINT count) override {
        Param* p = Find(h);
        if (!p || !v || p->decl->rows != 1 || count > static_cast<UINT>(p->decl->Elements()))
            return D3DERR_INVALIDCALL;
        int cols = p->decl->cols;
        for (UINT i = 0; i < count; ++i) WriteRaw(*p, &v[i].x, Source::Float, cols, i * cols);
        Touch(*p);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE h, const D3DXMATRIX* m) override {
        return SetMatrixArray(h, m, 1);
    }
    HRESULT STDMETHODCALLTYPE GetMatrix(D3DXHANDLE h, D3DXMATRIX* m) override {
        Param* p = Find(h);
        if (!p || !m || p->decl->rows != 4) return D3DERR_INVALIDCALL;
        return Read(h, &m->_11, 16);
    }
    HRESULT STDMETHODCALLTYPE SetMatrixArray(D3DXHANDLE h, const D3DXMATRIX* m, UINT count) override {
        Param* p = Find(h);
        if (!p || !m || p->decl->rows != 4 || count > static_cast<UINT>(p->decl->Elements()))
            return D3DERR_INVALIDCALL;
        for (UINT i = 0; i < count; ++i) WriteRaw(*p, &m[i]._11, Source::Float, 16, i * 16);
        Touch(*p);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE h, LPDIRECT3DBASETEXTURE9 texture) override {
        Param* p = Find(h);
        if (!p || p->decl->type != ParamType::Texture) return D3DERR_INVALIDCALL;
        if (texture) texture->AddRef();
        SAFE_RELEASE(p->texture);
        p->texture = texture;
        Touch(*p);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE h, LPDIRECT3DBASETEXTURE9* texture) override {
        Param* p = Find(h);
        if (!p || !texture || p->decl->type != ParamType::Texture) return D3DERR_INVALIDCALL;
        *texture = p->texture;
        if (p->texture) p->texture->AddRef();
        return S_OK;
    }

    // Passes
    HRESULT STDMETHODCALLTYPE Begin(UINT* passes, DWORD flags) override {
        if (begun_ || desc_.techniques.empty()) return D3DERR_INVALIDCALL;
        begun_ = true;
        pass_ = -1;
        saved_.clear();
        const Technique& tech = techniques_[technique_];
        if (passes) *passes = static_cast<UINT>(tech.passes.size());
        if (!(flags & D3DXFX_DONOTSAVESTATE)) SaveStates(tech, !(flags & D3DXFX_DONOTSAVESAMPLERSTATE));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BeginPass(UINT index) override {
        if (!begun_ || pass_ >= 0 || index >= techniques_[technique_].passes.size()) return D3DERR_INVALIDCALL;
        const Technique& tech = techniques_[technique_];
        pass_ = static_cast<int>(index);
        const Pass& pass = tech.passes[index];
        for (const StateAssign& s : *pass.states)
            device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s.state), s.value);
        Program& program = programs_[pass.program];
        for (const SamplerUse& use : program.samplers)
            for (const StateAssign& s : *use.states)
                device_->SetSamplerState(use.stage, static_cast<D3DSAMPLERSTATETYPE>(s.state), s.value);
        orv::d3d9::UseProgram(device_, program.program);
        Upload(program);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CommitChanges() override {
        if (!begun_ || pass_ < 0) return D3DERR_INVALIDCALL;
        Upload(programs_[techniques_[technique_].passes[pass_].program]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EndPass() override {
        if (!begun_ || pass_ < 0) return D3DERR_INVALIDCALL;
        pass_ = -1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE End() override {
        if (!begun_) return D3DERR_INVALIDCALL;
        pass_ = -1;
        begun_ = false;
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->sampler)
                device_->SetSamplerState(it->stage, static_cast<D3DSAMPLERSTATETYPE>(it->state), it->value);
            else
                device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(it->state), it->value);
        }
        saved_.clear();
        orv::d3d9::UseProgram(device_, 0);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = device_;
        device_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnLostDevice() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return S_OK; }

private:
    struct Param {
        const ParamDecl* decl = nullptr;
        std::vector<uint32_t> data;  // float, int or BOOL words
        IDirect3DBaseTexture9* texture = nullptr;
        uint64_t version = 1;
    };
    // A sampler uniform a program uses and the stage it reads.
    struct SamplerUse {
        int param = -1;  // texture parameter; -1 for a device sampler
        DWORD stage = 0;
        const std::vector<StateAssign>* states = nullptr;
    };
    struct Program {
        GLuint program = 0;
        int vertex = -1, fragment = -1;
        std::vector<GLint> locations;      // per parameter; -1 when the program does not use it
        std::vector<uint64_t> uploaded;    // parameter version last uploaded
        std::vector<SamplerUse> samplers;
    };
    struct Pass {
        int program;
        const std::vector<StateAssign>* states;
    };
    struct Technique {
        std::vector<Pass> passes;
    };
    struct Saved {
        bool sampler;
        DWORD stage;
        uint32_t state;
        DWORD value;
    };

    bool IsHandle(D3DXHANDLE h) const {
        std::less<const char*> less;
        return !less(h, handles_.get()) && less(h, handles_.get() + handleCount_);
    }

    int TechniqueIndex(D3DXHANDLE h) const {
        if (!h) return -1;
        if (IsHandle(h)) {
            size_t i = static_cast<size_t>(h - handles_.get());
            return i >= params_.size() ? static_cast<int>(i - params_.size()) : -1;
        }
        for (size_t t = 0; t < desc_.techniques.size(); ++t)
            if (desc_.techniques[t].name == h) return static_cast<int>(t);
        return -1;
    }

    Param* Find(D3DXHANDLE h) {
        if (!h) return nullptr;
        if (IsHandle(h)) {
            size_t i = static_cast<size_t>(h - handles_.get());
            return i < params_.size() ? &params_[i] : nullptr;
        }
        for (Param& p : params_)
            if (p.decl->name == h) return &p;
        return nullptr;
    }

    void Touch(Param& p) { p.version = ++versionCounter_; }

    // Float to int as a C cast, but defined for every value: out-of-range
    // values saturate and NaN gives 0.
    static int32_t ToInt(float f) {
        if (f != f) return 0;
        if (f <= -2147483648.0f) return INT32_MIN;
        if (f >= 2147483648.0f) return INT32_MAX;
        return static_cast<int32_t>(f);
    }

    static void WriteRaw(Param& p, const void* src, Source source, size_t count, size_t offset) {
        for (size_t i = 0; i < count && offset + i < p.data.size(); ++i) {
            uint32_t word = 0;
            if (source == Source::Float) {
                float f;
                std::memcpy(&f, static_cast<const float*>(src) + i, 4);
                if (p.decl->type == ParamType::Float) std::memcpy(&word, &f, 4);
                else if (p.decl->type == ParamType::Int) word = static_cast<uint32_t>(ToInt(f));
                else word = f != 0.f;
            } else {
                int32_t n;
                std::memcpy(&n, static_cast<const int32_t*>(src) + i, 4);
                float f = static_cast<float>(n);
                if (p.decl->type == ParamType::Float) std::memcpy(&word, &f, 4);
                else if (p.decl->type == ParamType::Int) word = static_cast<uint32_t>(n);
                else word = n != 0;
            }
            p.data[offset + i] = word;
        }
    }

    // Writes `count` components; refuses more than the parameter holds.
    HRESULT Write(D3DXHANDLE h, const void* src, Source source, size_t count) {
        Param* p = Find(h);
        if (!p || !src || p->decl->type == ParamType::Texture || count > p->data.size())
            return D3DERR_INVALIDCALL;
        WriteRaw(*p, src, source, count, 0);
        Touch(*p);
        return S_OK;
    }

    // Reads the first `count` components as floats (missing ones stay as they are).
    HRESULT Read(D3DXHANDLE h, float* out, size_t count) {
        Param* p = Find(h);
        if (!p || p->decl->type == ParamType::Texture) return D3DERR_INVALIDCALL;
        for (size_t i = 0; i < count && i < p->data.size(); ++i) {
            if (p->decl->type == ParamType::Float) std::memcpy(&out[i], &p->data[i], 4);
            else out[i] = static_cast<float>(static_cast<int32_t>(p->data[i]));
        }
        return S_OK;
    }

    HRESULT ReadInt(D3DXHANDLE h, int32_t& out) {
        Param* p = Find(h);
        if (!p || p->decl->type == ParamType::Texture) return D3DERR_INVALIDCALL;
        if (p->decl->type != ParamType::Float) {
            out = static_cast<int32_t>(p->data[0]);
        } else {
            float f;
            std::memcpy(&f, &p->data[0], 4);
            out = ToInt(f);
        }
        return S_OK;
    }

    GLuint ShaderFor(int block, std::string& error) {
        auto found = shaders_.find(block);
        if (found != shaders_.end()) return found->second;
        const auto& b = desc_.blocks[block];
        bool vertex = b.stage == orv::d3dx9::fx::Stage::Vertex;
        std::string body = "#line " + std::to_string(b.line) + "\n" + b.code + "\n";
        std::string log;
        const GLuint shader = orv::d3d9::CompileShader(
            vertex ? orv::d3d9::GlslStage::Vertex : orv::d3d9::GlslStage::Fragment, {header_.c_str(), body.c_str()},
            &log);
        if (!shader) {
            error = std::string(vertex ? "vertex" : "fragment") + " shader" +
                    (b.name.empty() ? std::string() : " " + b.name) + " (line " + std::to_string(b.line) +
                    "): " + log;
            return 0;
        }
        shaders_[block] = shader;
        return shader;
    }

    int ProgramFor(int vertex, int fragment, const std::string& where, std::string& error) {
        for (size_t i = 0; i < programs_.size(); ++i)
            if (programs_[i].vertex == vertex && programs_[i].fragment == fragment) return static_cast<int>(i);
        GLuint vs = ShaderFor(vertex, error);
        GLuint fs = vs ? ShaderFor(fragment, error) : 0;
        if (!vs || !fs) {
            error = where + error;
            return -1;
        }
        Program program;
        program.vertex = vertex;
        program.fragment = fragment;
        std::string log;
        program.program = orv::d3d9::LinkProgram(vs, fs, &log);
        if (!program.program) {
            error = where + "link: " + log;
            return -1;
        }
        AssignSamplers(program);
        programs_.push_back(std::move(program));
        return static_cast<int>(programs_.size() - 1);
    }

    // Device samplers keep their stage; texture parameters the program uses
    // take the lowest free stages in declaration order.
    void AssignSamplers(Program& program) {
        program.locations.assign(params_.size(), -1);
        program.uploaded.assign(params_.size(), 0);
        std::vector<std::pair<GLint, DWORD>> units;
        bool taken[32] = {};
        for (const auto& s : desc_.samplers) {
            GLint loc = glGetUniformLocation(program.program, s.name.c_str());
            if (loc < 0) continue;
            program.samplers.push_back({-1, s.stage, &s.samplerStates});
            units.push_back({loc, s.stage});
            taken[s.stage] = true;
        }
        DWORD next = 0;
        for (size_t i = 0; i < params_.size(); ++i) {
            const ParamDecl& d = *params_[i].decl;
            GLint loc = glGetUniformLocation(program.program, d.name.c_str());
            program.locations[i] = loc;
            if (loc < 0 || d.type != ParamType::Texture) continue;
            while (next < 31 && taken[next]) ++next;
            taken[next] = true;
            program.samplers.push_back({static_cast<int>(i), next, &d.samplerStates});
            units.push_back({loc, next});
        }
        // Sampler uniforms are fixed for the program's life; set them without
        // disturbing the program the device has bound.
        GLint current = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        glUseProgram(program.program);
        for (auto [loc, unit] : units) glUniform1i(loc, static_cast<GLint>(unit));
        glUseProgram(static_cast<GLuint>(current));
    }

    // The device already draws with the pass's program; GL must have it bound
    // for the uniform calls.
    void Upload(Program& program) {
        glUseProgram(program.program);
        for (size_t i = 0; i < params_.size(); ++i) {
            Param& p = params_[i];
            GLint loc = program.locations[i];
            if (loc < 0 || program.uploaded[i] == p.version || p.decl->type == ParamType::Texture) continue;
            program.uploaded[i] = p.version;
            const ParamDecl& d = *p.decl;
            GLsizei n = d.Elements();
            const void* data = p.data.data();
            if (d.type != ParamType::Float) glUniform1iv(loc, n, static_cast<const GLint*>(data));
            else if (d.rows == 4) glUniformMatrix4fv(loc, n, GL_TRUE, static_cast<const GLfloat*>(data));
            else if (d.cols == 1) glUniform1fv(loc, n, static_cast<const GLfloat*>(data));
            else if (d.cols == 2) glUniform2fv(loc, n, static_cast<const GLfloat*>(data));
            else if (d.cols == 3) glUniform3fv(loc, n, static_cast<const GLfloat*>(data));
            else glUniform4fv(loc, n, static_cast<const GLfloat*>(data));
        }
        // Textures go through the device each time: its stages may have been
        // changed by direct calls since the last upload.
        for (const SamplerUse& use : program.samplers)
            if (use.param >= 0) device_->SetTexture(use.stage, params_[use.param].texture);
    }

    void SaveStates(const Technique& tech, bool samplers) {
        auto already = [&](bool sampler, DWORD stage, uint32_t state) {
            for (const Saved& s : saved_)
                if (s.sampler == sampler && s.stage == stage && s.state == state) return true;
            return false;
        };
        for (const Pass& pass : tech.passes) {
            for (const StateAssign& s : *pass.states) {
                if (already(false, 0, s.state)) continue;
                DWORD value = 0;
                device_->GetRenderState(static_cast<D3DRENDERSTATETYPE>(s.state), &value);
                saved_.push_back({false, 0, s.state, value});
            }
            if (!samplers) continue;
            for (const SamplerUse& use : programs_[pass.program].samplers) {
                for (const StateAssign& s : *use.states) {
                    if (already(true, use.stage, s.state)) continue;
                    DWORD value = 0;
                    device_->GetSamplerState(use.stage, static_cast<D3DSAMPLERSTATETYPE>(s.state), &value);
                    saved_.push_back({true, use.stage, s.state, value});
                }
            }
        }
    }

    IDirect3DDevice9* device_;
    EffectDesc desc_;
    std::vector<Param> params_;
    std::unique_ptr<char[]> handles_;
    size_t handleCount_ = 0;
    std::string header_;
    std::map<int, GLuint> shaders_;
    std::vector<Program> programs_;
    std::vector<Technique> techniques_;
    std::vector<Saved> saved_;
    uint64_t versionCounter_ = 1;
    int technique_ = 0;
    bool begun_ = false;
    int pass_ = -1;
};

HRESULT Fail(const std::string& message, LPD3DXBUFFER* errors) {
    orv::d3d9::LogLine("D3DXCreateEffect", message);
    if (errors && SUCCEEDED(D3DXCreateBuffer(static_cast<DWORD>(message.size() + 1), errors)))
        std::memcpy((*errors)->GetBufferPointer(), message.c_str(), message.size() + 1);
    return E_FAIL;
}

}  // namespace

HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataLen,
                                const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude, DWORD,
                                LPD3DXEFFECTPOOL pPool, LPD3DXEFFECT* ppEffect,
                                LPD3DXBUFFER* ppCompilationErrors) {
    orv::PhaseTimer timer(orv::Phase::ShaderCompile);
    if (ppEffect) *ppEffect = nullptr;
    if (ppCompilationErrors) *ppCompilationErrors = nullptr;
    if (!pDevice || !pSrcData || SrcDataLen == 0 || !ppEffect || pInclude || pPool)
        return D3DERR_INVALIDCALL;
    std::string_view text(static_cast<const char*>(pSrcData), SrcDataLen);
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    EffectDesc desc;
    std::string error;
    if (!orv::d3dx9::fx::ParseEffect(text, desc, error)) return Fail(error, ppCompilationErrors);
    auto* effect = new Effect(pDevice, std::move(desc));
    if (!effect->Build(pDefines, error)) {
        effect->Release();
        return Fail(error, ppCompilationErrors);
    }
    *ppEffect = effect;
    return S_OK;
}
