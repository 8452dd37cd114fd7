// The font object: lays text out in lines and draws its glyphs as textured
// quads through the device with a small program of its own.
#include "platform/d3dx9/font.h"

#include <GL/glcorearb.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/gl_internal.h"
#include "platform/d3dx9/effect_refcounted.h"
#include "platform/d3dx9/font_impl.h"
#include "platform/d3dx9/texture_image.h"

namespace orv::d3dx9 {

namespace {

// Positions in render-target pixels; only coverage is read from the page, so
// the colour is the caller's exactly.
constexpr const char kVertexShader[] =
    "layout(location = ORV_POSITION) in vec4 fontPosition;\n"
    "layout(location = ORV_COLOR0) in vec4 fontColor;\n"
    "layout(location = ORV_TEXCOORD0) in vec2 fontTexCoord;\n"
    "uniform vec4 fontViewport;\n"
    "out vec4 fontVColor;\n"
    "out vec2 fontVTexCoord;\n"
    "void main() {\n"
    "    vec2 ndc = vec2((fontPosition.x - fontViewport.x) / fontViewport.z * 2.0 - 1.0,\n"
    "                    1.0 - (fontPosition.y - fontViewport.y) / fontViewport.w * 2.0);\n"
    "    gl_Position = orv_ToClip(vec4(ndc, 0.0, 1.0));\n"
    "    fontVColor = fontColor;\n"
    "    fontVTexCoord = fontTexCoord;\n"
    "}\n";

constexpr const char kFragmentShader[] =
    "in vec4 fontVColor;\n"
    "in vec2 fontVTexCoord;\n"
    "uniform sampler2D fontPage;\n"
    "out vec4 fontOutColor;\n"
    "void main() {\n"
    "    float coverage = texture(fontPage, fontVTexCoord).a;\n"
    "    if (coverage <= 0.0) discard;\n"
    "    fontOutColor = vec4(fontVColor.rgb, fontVColor.a * coverage);\n"
    "}\n";

GLuint BuildProgram() {
    std::string error;
    const GLuint program = orv::d3d9::CompileProgram(kVertexShader, kFragmentShader, &error);
    if (!program) LogError("fonts: %s", error.c_str());
    return program;
}

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Every device state a draw changes, read before and put back after.
class SavedStates {
public:
    static constexpr D3DRENDERSTATETYPE kRender[] = {
        D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND, D3DRS_DESTBLEND,  D3DRS_BLENDOP,
        D3DRS_ZENABLE,          D3DRS_ZWRITEENABLE, D3DRS_CULLMODE, D3DRS_FILLMODE};
    static constexpr DWORD kRenderValue[] = {TRUE,         D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD,
                                             D3DZB_FALSE,  FALSE,             D3DCULL_NONE,         D3DFILL_SOLID};
    static constexpr D3DSAMPLERSTATETYPE kSampler[] = {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV, D3DSAMP_MINFILTER,
                                                       D3DSAMP_MAGFILTER, D3DSAMP_MIPFILTER};
    static constexpr DWORD kSamplerValue[] = {D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, D3DTEXF_LINEAR, D3DTEXF_LINEAR,
                                              D3DTEXF_NONE};

    explicit SavedStates(IDirect3DDevice9* device) : device_(device) {
        for (size_t i = 0; i < std::size(kRender); ++i) device_->GetRenderState(kRender[i], &render_[i]);
        for (size_t i = 0; i < std::size(kSampler); ++i) device_->GetSamplerState(0, kSampler[i], &sampler_[i]);
        device_->GetTexture(0, &texture_);
        device_->GetVertexDeclaration(&declaration_);
        device_->GetFVF(&fvf_);
    }
    ~SavedStates() {
        for (size_t i = 0; i < std::size(kRender); ++i) device_->SetRenderState(kRender[i], render_[i]);
        for (size_t i = 0; i < std::size(kSampler); ++i) device_->SetSamplerState(0, kSampler[i], sampler_[i]);
        device_->SetTexture(0, texture_);
        if (texture_) texture_->Release();
        if (declaration_) device_->SetVertexDeclaration(declaration_);
        else if (fvf_) device_->SetFVF(fvf_);
        else device_->SetVertexDeclaration(nullptr);
        if (declaration_) declaration_->Release();
        orv::d3d9::UseProgram(device_, 0);
    }
    void ApplyTextStates() {
        for (size_t i = 0; i < std::size(kRender); ++i) device_->SetRenderState(kRender[i], kRenderValue[i]);
        for (size_t i = 0; i < std::size(kSampler); ++i) device_->SetSamplerState(0, kSampler[i], kSamplerValue[i]);
    }

private:
    IDirect3DDevice9* device_;
    DWORD render_[std::size(kRender)] = {};
    DWORD sampler_[std::size(kSampler)] = {};
    IDirect3DBaseTexture9* texture_ = nullptr;
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    DWORD fvf_ = 0;
};

struct Line {
    size_t begin = 0, end = 0;  // characters of the line, without its break
    int width = 0;
};

class Font final : public RefCounted<ID3DXFont> {
public:
    explicit Font(IDirect3DDevice9* device) : device_(device) { device_->AddRef(); }
    ~Font() override {
        glyphs_.reset();
        if (program_) glDeleteProgram(program_);
        device_->Release();
    }

    HRESULT Init(const FaceChoice& choice, INT height) {
        choice_ = choice;
        glyphs_ = std::make_unique<GlyphCache>();
        // The first page also makes the device's context current for the program.
        const HRESULT hr = glyphs_->Open(device_, choice, height);
        if (FAILED(hr)) return hr;
        program_ = BuildProgram();
        if (!program_) return E_FAIL;
        viewportLocation_ = glGetUniformLocation(program_, "fontViewport");
        return S_OK;
    }

    const FontFaceInfo& Face() const { return choice_.info; }

    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) override {
        if (!ppDevice) return D3DERR_INVALIDCALL;
        *ppDevice = device_;
        device_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnLostDevice() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return S_OK; }

    INT STDMETHODCALLTYPE DrawTextW(LPD3DXSPRITE, LPCWSTR text, INT count, LPRECT rect, DWORD format,
                                    D3DCOLOR color) override {
        if (!text || !rect || count == 0) return 0;
        size_t length = 0;
        while ((count < 0 || length < size_t(count)) && text[length] != L'\0') ++length;
        const std::vector<Line> lines = Layout(text, length, format);
        if (lines.empty()) return 0;

        const int lineHeight = glyphs_->LineHeight();
        const int total = static_cast<int>(lines.size()) * lineHeight;
        int top = rect->top;
        if (format & DT_VCENTER) top = rect->top + (rect->bottom - rect->top - total) / 2;
        else if (format & DT_BOTTOM) top = rect->bottom - total;
        const INT result = (format & (DT_VCENTER | DT_BOTTOM)) ? top + total - rect->top : total;

        if (format & DT_CALCRECT) {
            int left = INT_MAX, right = INT_MIN;
            for (const Line& line : lines) {
                const int x = LineX(line, *rect, format);
                left = std::min(left, x);
                right = std::max(right, x + line.width);
            }
            *rect = RECT{left, top, right, top + total};
            return result;
        }

        // Quads per page, positions on pixel boundaries so each texel lands
        // on one pixel.
        std::vector<std::vector<Vertex>> quads(glyphs_->PageCount());
        const bool clip = !(format & DT_NOCLIP);
        for (size_t n = 0; n < lines.size(); ++n) {
            const Line& line = lines[n];
            int pen = LineX(line, *rect, format);
            const int baseline = top + static_cast<int>(n) * lineHeight + glyphs_->Ascent();
            for (size_t i = line.begin; i < line.end; ++i) {
                if (IsControl(text[i])) continue;
                const Glyph& g = glyphs_->Get(static_cast<char32_t>(text[i]));
                if (g.page >= 0) {
                    if (quads.size() <= size_t(g.page)) quads.resize(g.page + 1);
                    AddQuad(quads[g.page], g, pen + g.left, baseline - g.top, clip ? rect : nullptr, color);
                }
                pen += g.advance;
            }
        }
        if (!glyphs_->Upload()) return 0;
        return Draw(quads) ? result : 0;
    }

private:
    static bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F; }

    // The lines of the text and their widths; a break at the very end starts
    // no further line.
    std::vector<Line> Layout(LPCWSTR text, size_t length, DWORD format) {
        std::vector<Line> lines;
        const bool breaks = !(format & DT_SINGLELINE);
        size_t start = 0;
        for (size_t i = 0; i < length;) {
            if (breaks && (text[i] == L'\r' || text[i] == L'\n')) {
                lines.push_back({start, i, 0});
                i += (text[i] == L'\r' && i + 1 < length && text[i + 1] == L'\n') ? 2 : 1;
                start = i;
            } else {
                ++i;
            }
        }
        if (start < length) lines.push_back({start, length, 0});
        for (Line& line : lines)
            for (size_t i = line.begin; i < line.end; ++i)
                if (!IsControl(text[i])) line.width += glyphs_->Get(static_cast<char32_t>(text[i])).advance;
        return lines;
    }

    static int LineX(const Line& line, const RECT& rect, DWORD format) {
        if (format & DT_CENTER) return rect.left + (rect.right - rect.left - line.width) / 2;
        if (format & DT_RIGHT) return rect.right - line.width;
        return rect.left;
    }

    void AddQuad(std::vector<Vertex>& out, const Glyph& g, int x, int y, const RECT* clip, D3DCOLOR color) const {
        int x0 = x, y0 = y, x1 = x + g.width, y1 = y + g.height;
        int u0 = g.x, v0 = g.y;
        if (clip) {
            const int cx0 = std::max(x0, int(clip->left)), cy0 = std::max(y0, int(clip->top));
            const int cx1 = std::min(x1, int(clip->right)), cy1 = std::min(y1, int(clip->bottom));
            if (cx0 >= cx1 || cy0 >= cy1) return;
            u0 += cx0 - x0;
            v0 += cy0 - y0;
            x0 = cx0, y0 = cy0, x1 = cx1, y1 = cy1;
        }
        const float page = static_cast<float>(glyphs_->PageSize());
        const float su0 = u0 / page, sv0 = v0 / page;
        const float su1 = (u0 + x1 - x0) / page, sv1 = (v0 + y1 - y0) / page;
        // Direct3D puts pixel centres on whole coordinates: the quad's edges
        // lie half a pixel before them.
        const float fx0 = x0 - 0.5f, fy0 = y0 - 0.5f, fx1 = x1 - 0.5f, fy1 = y1 - 0.5f;
        const Vertex a{fx0, fy0, 0, 1, color, su0, sv0}, b{fx1, fy0, 0, 1, color, su1, sv0};
        const Vertex c{fx0, fy1, 0, 1, color, su0, sv1}, d{fx1, fy1, 0, 1, color, su1, sv1};
        out.insert(out.end(), {a, b, c, c, b, d});
    }

    bool Draw(const std::vector<std::vector<Vertex>>& quads) {
        bool any = false;
        for (const auto& page : quads) any = any || !page.empty();
        if (!any) return true;
        D3DVIEWPORT9 viewport{};
        if (FAILED(device_->GetViewport(&viewport)) || viewport.Width == 0 || viewport.Height == 0) return false;
        bool ok = true;
        SavedStates saved(device_);
        saved.ApplyTextStates();
        if (FAILED(device_->SetFVF(kVertexFvf))) return false;
        orv::d3d9::UseProgram(device_, program_);
        glUseProgram(program_);
        glUniform4f(viewportLocation_, float(viewport.X), float(viewport.Y), float(viewport.Width),
                    float(viewport.Height));
        for (size_t i = 0; i < quads.size() && ok; ++i) {
            if (quads[i].empty()) continue;
            ok = SUCCEEDED(device_->SetTexture(0, glyphs_->Page(static_cast<int>(i)))) &&
                 SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(quads[i].size() / 3), quads[i].data(),
                                                    sizeof(Vertex)));
        }
        return ok;
    }

    IDirect3DDevice9* device_;
    FaceChoice choice_;
    std::unique_ptr<GlyphCache> glyphs_;
    GLuint program_ = 0;
    GLint viewportLocation_ = -1;
};

}  // namespace

bool GetFontFaceInfo(ID3DXFont* font, FontFaceInfo& info) {
    auto* impl = dynamic_cast<Font*>(font);
    if (!impl) return false;
    info = impl->Face();
    return true;
}

}  // namespace orv::d3dx9

HRESULT WINAPI D3DXCreateFontW(LPDIRECT3DDEVICE9 pDevice, INT Height, UINT, UINT Weight, UINT, BOOL Italic, DWORD,
                               DWORD, DWORD, DWORD, LPCWSTR pFaceName, LPD3DXFONT* ppFont) {
    if (!pDevice || !ppFont) return D3DERR_INVALIDCALL;
    *ppFont = nullptr;
    orv::d3dx9::FaceChoice choice;
    if (!orv::d3dx9::ChooseFace(pFaceName, Weight, Italic, choice)) return E_FAIL;
    auto* font = new orv::d3dx9::Font(pDevice);
    const HRESULT hr = font->Init(choice, Height);
    if (FAILED(hr)) {
        font->Release();
        return hr;
    }
    *ppFont = font;
    return S_OK;
}
