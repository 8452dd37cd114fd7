#include "engine/assets/Chara2D.h"

#include <algorithm>

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/Environment.h"

namespace Quorvex {

namespace {

constexpr float kCellTexels = 64.0f;

float ScaleX() { return g_pEnvironment ? g_pEnvironment->GetScreenScaleX() : 1.0f; }
float ScaleY() { return g_pEnvironment ? g_pEnvironment->GetScreenScaleY() : 1.0f; }

void FullRectangle(D3DXVECTOR2 (&uv)[4]) {
    uv[0] = D3DXVECTOR2(0.0f, 0.0f);
    uv[1] = D3DXVECTOR2(1.0f, 0.0f);
    uv[2] = D3DXVECTOR2(0.0f, 1.0f);
    uv[3] = D3DXVECTOR2(1.0f, 1.0f);
}

}  // namespace

Chara2D::Chara2D() { FullRectangle(uv); }

Chara2D::Chara2D(const Chara2D& other) : material(other.material), width(other.width), height(other.height) {
    if (material) material->AddRef();
    for (int i = 0; i < 4; ++i) uv[i] = other.uv[i];
}

Chara2D& Chara2D::operator=(const Chara2D& other) {
    if (this == &other) return *this;
    HoldMaterial(material, other.material);
    width = other.width;
    height = other.height;
    for (int i = 0; i < 4; ++i) uv[i] = other.uv[i];
    return *this;
}

Chara2D::~Chara2D() { HoldMaterial(material, nullptr); }

void Chara2D::Reset() {
    HoldMaterial(material, nullptr);
    width = 1.0f;
    height = 1.0f;
    FullRectangle(uv);
}

void Chara2D::SetMaterial(MaterialUnit* newMaterial) { HoldMaterial(material, newMaterial); }

void Chara2D::SetUVRect(const D3DXVECTOR2& p, const D3DXVECTOR2& q) {
    uv[0] = D3DXVECTOR2(q.x, p.y);
    uv[1] = D3DXVECTOR2(p.x, p.y);
    uv[2] = D3DXVECTOR2(q.x, q.y);
    uv[3] = D3DXVECTOR2(p.x, q.y);
}

bool Chara2D::GetTextureSize(float* textureWidth, float* textureHeight) const {
    IDirect3DTexture9* texture = material ? material->GetTexture(0) : nullptr;
    if (!texture) return false;
    D3DSURFACE_DESC desc{};
    if (FAILED(texture->GetLevelDesc(0, &desc)) || desc.Width == 0 || desc.Height == 0) return false;
    *textureWidth = static_cast<float>(desc.Width);
    *textureHeight = static_cast<float>(desc.Height);
    return true;
}

int Chara2D::SetTexelRect(float x0, float y0, float x1, float y1) {
    float w = 0.0f, h = 0.0f;
    if (!GetTextureSize(&w, &h)) return -1;
    SetUVRect(D3DXVECTOR2(x1 / w, y1 / h), D3DXVECTOR2(x0 / w, y0 / h));
    return 0;
}

int Chara2D::SetSizeFromTexture() {
    float w = 0.0f, h = 0.0f;
    if (!GetTextureSize(&w, &h)) return -1;
    width = (uv[1].x - uv[2].x) * w * ScaleX();
    height = (uv[1].y - uv[2].y) * h * ScaleY();
    return 0;
}

int Chara2D::FitToScreen() {
    if (SetSizeFromTexture() < 0) return -1;
    const int clientWidth = g_pEnvironment ? g_pEnvironment->GetClientWidth() : 0;
    const int clientHeight = g_pEnvironment ? g_pEnvironment->GetClientHeight() : 0;
    const int side = std::min(clientWidth, clientHeight);
    // A client of no size yet leaves the size in texels.
    if (side > 0) {
        width = width / static_cast<float>(side) * ScaleX();
        height = height / static_cast<float>(side) * ScaleY();
    }
    return 0;
}

int CutChara2DCell(Chara2D& chara, float scale, float x, float y, float w, float h) {
    if (chara.SetTexelRect(x * kCellTexels, y * kCellTexels, (x + w) * kCellTexels, (y + h) * kCellTexels) < 0)
        return -1;
    chara.FitToScreen();
    chara.width *= scale * ScaleX();
    chara.height *= scale * ScaleY();
    return 0;
}

int SetChara2DCell(Chara2DCellSet& set, const char* id, float x, float y, float w, float h) {
    if (!set.resourceManager || !id) return -1;
    Chara2D cell(set.chara);
    if (CutChara2DCell(cell, set.scale, x, y, w, h) < 0) return -1;
    set.resourceManager->SetChara2D(id, cell);
    return 0;
}

}  // namespace Quorvex
