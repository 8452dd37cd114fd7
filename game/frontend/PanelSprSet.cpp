#include "game/frontend/PanelSprSet.h"

#include <string>

#include "engine/assets/Chara2D.h"
#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/render/ObjectManager.h"
#include "game/flow/GraphicUnits.h"

using namespace Quorvex;

namespace {

// The client height the panel pixels were laid out for.
constexpr float kPanelHeight = 1080.0f;

// The cut-out of the texel rectangle at its texel size times the factors and
// the screen scales, registered under the id.
int RegisterCut(ObjectManager* objects, const char* id, const char* material, float x0, float y0, float x1, float y1,
                float scaleX, float scaleY) {
    MaterialUnit* unit = FindGraphicMaterial(objects, material);
    IResourceManager* resources = objects ? objects->GetResourceManager() : nullptr;
    if (!unit || !resources) return -1;
    Chara2D chara;
    chara.SetMaterial(unit);
    if (chara.SetTexelRect(x0, y0, x1, y1) < 0) return -1;
    const float screenX = g_pEnvironment ? g_pEnvironment->GetScreenScaleX() : 1.0f;
    const float screenY = g_pEnvironment ? g_pEnvironment->GetScreenScaleY() : 1.0f;
    chara.width = (x1 - x0) * scaleX * screenX / kPanelHeight;
    chara.height = (y1 - y0) * scaleY * screenY / kPanelHeight;
    resources->SetChara2D(id, chara);
    return 0;
}

}  // namespace

PanelSprSet::PanelSprSet(ObjectManager* objects, IResourceManager* resources, const char* stageName)
    : m_pObjects(objects), m_pResources(resources), m_stageName(stageName ? stageName : "") {}

PanelSprSet::~PanelSprSet() {
    std::vector<Entry> entries;
    entries.swap(m_entries);
    for (Entry& entry : entries) {
        entry.sprite->Hide();
        entry.sprite->Release();
    }
}

RenderObjectSpr2D* PanelSprSet::AddSprite(const char* id, float offsetX, float offsetY, bool dim) {
    RenderObjectSpr2D* sprite = m_pObjects ? RenderObjectSpr2D::Create(m_pObjects) : nullptr;
    if (!sprite) {
        MessageLogManager::Instance().Log(L"Frontend", L"panel sprite could not be made");
        return nullptr;
    }
    SetChara(sprite, id);
    sprite->m_sprite.centered = 0;
    sprite->m_sprite.color = dim ? kDimColor : kBrightColor;
    sprite->m_blendMode = 2;
    sprite->SetRenderStage(m_stageName.c_str());
    sprite->Show();
    m_entries.push_back(Entry{sprite, offsetX, offsetY});
    return sprite;
}

void PanelSprSet::SetPosition(float originX, float originY) {
    m_originX = originX;
    m_originY = originY;
    for (Entry& entry : m_entries) {
        entry.sprite->m_sprite.x = PixelsToLayout(originX + entry.offsetX);
        entry.sprite->m_sprite.y = PixelsToLayout(originY + entry.offsetY);
    }
}

void PanelSprSet::SetOffset(RenderObjectSpr2D* sprite, float offsetX, float offsetY) {
    for (Entry& entry : m_entries) {
        if (entry.sprite != sprite) continue;
        entry.offsetX = offsetX;
        entry.offsetY = offsetY;
        sprite->m_sprite.x = PixelsToLayout(m_originX + offsetX);
        sprite->m_sprite.y = PixelsToLayout(m_originY + offsetY);
    }
}

void PanelSprSet::HideAll() {
    for (Entry& entry : m_entries) entry.sprite->Hide();
}

void PanelSprSet::SetChara(RenderObjectSpr2D* sprite, const char* id) const {
    if (!sprite || !m_pResources) return;
    if (Chara2D* chara = m_pResources->GetChara2D(id)) sprite->m_sprite.SetChara2D(*chara);
}

void PanelSprSet::MoveHighlight(RenderObjectSpr2D* from, RenderObjectSpr2D* to) {
    if (from) {
        from->m_sprite.color = kUnselectedColor;
        from->m_blendMode = 2;
    }
    if (to) {
        to->m_sprite.color = kBrightColor;
        to->m_blendMode = 3;
    }
}

float PanelSprSet::PixelsToLayout(float pixels) { return pixels / kPanelHeight; }

void PanelSprSet::CentreOrigin(float dx, float dy, float* x, float* y) {
    *x = g_Aspect * kPanelHeight * 0.5f + dx;
    *y = kPanelHeight * 0.5f + dy;
}

int RegisterPanelCell(ObjectManager* objects, const char* id, const char* material, float scale, float x, float y,
                      float w, float h) {
    constexpr float kCell = 64.0f;
    return RegisterCut(objects, id, material, x * kCell, y * kCell, (x + w) * kCell, (y + h) * kCell, scale, scale);
}

int RegisterPanelPicture(ObjectManager* objects, const char* id, const char* material, float x0, float y0, float x1,
                         float y1, float scaleX, float scaleY) {
    return RegisterCut(objects, id, material, x0, y0, x1, y1, scaleX, scaleY);
}

void RegisterSelectCells(ObjectManager* objects, const char* prefix) {
    if (!objects || !prefix) return;
    const std::string p = prefix;
    struct Cell {
        const char* name;
        float x, y, w, h;
    };
    static const Cell kCells[] = {
        {"0", 0, 0, 1, 1},          {"1", 1, 0, 1, 1},          {"2", 2, 0, 1, 1},
        {"3", 3, 0, 1, 1},          {"4", 4, 0, 1, 1},          {"5", 5, 0, 1, 1},
        {"6", 6, 0, 1, 1},          {"7", 7, 0, 1, 1},          {"8", 0, 1, 1, 1},
        {"9", 1, 1, 1, 1},          {"%", 2, 1, 1, 1},          {"+", 3, 1, 1, 1},
        {"-", 4, 1, 1, 1},          {"close", 5, 1, 2, 1},      {"space", 7, 1, 1, 1},
        {"seldif", 0, 2, 6, 1},     {"easy", 6, 2, 2, 1},       {"selstg", 0, 3, 6, 1},
        {"hard", 6, 3, 2, 1},       {"dif", 0, 4, 4, 1},        {"veryhard", 4, 4, 4, 1},
        {"stg", 0, 5, 3, 1},        {"bramel", 3, 5, 2.5f, 1},  {"toska", 5.5f, 5, 2.5f, 1},
        {"normal", 0, 6, 3, 1},     {"selfighter", 3, 6, 5, 1}, {"velrin_b", 0, 7, 4, 1},
        {"velrin_a", 4, 7, 4, 1},   {"start", 8, 1, 5, 1},
    };
    for (const Cell& c : kCells)
        RegisterPanelCell(objects, (p + c.name).c_str(), "matStageSelect", 0.5f, c.x, c.y, c.w, c.h);
    RegisterPanelCell(objects, (p + "ss1").c_str(), "matStgSS1", 0.5f, 0, 0, 4, 4);
}
