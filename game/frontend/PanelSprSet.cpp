#include "game/frontend/PanelSprSet.h"

#include <algorithm>
#include <string>

#include "engine/assets/Chara2D.h"
#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/render/ObjectManager.h"
#include "game/screen/GraphicUnits.h"
#include "game/screen/ScreenLayout.h"

using namespace Quorvex;

namespace {

// The cut-out of the texel rectangle at its texel size times the factors and
// the screen scales, in layout pixels, registered under the id.
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
    chara.width = (x1 - x0) * scaleX * screenX;
    chara.height = (y1 - y0) * scaleY * screenY;
    resources->SetChara2D(id, chara);
    return 0;
}

// Where a panel spanning [low, high] (offsets, already scaled) stands on an
// axis of the layout of the given length: at the wanted origin when it fits
// there inside the margins, else centred.
float AxisOrigin(float wanted, float low, float high, float length) {
    const float margin = PanelSprSet::kScreenMargin;
    if (wanted + low >= margin && wanted + high <= length - margin) return wanted;
    return length * 0.5f - (low + high) * 0.5f;
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
    m_entries.push_back(Entry{sprite, offsetX, offsetY, 0.0f, 0.0f});
    SetChara(sprite, id);
    sprite->m_sprite.centered = 0;
    sprite->m_sprite.color = dim ? kDimColor : kBrightColor;
    sprite->m_blendMode = 2;
    sprite->SetRenderStage(m_stageName.c_str());
    sprite->Show();
    return sprite;
}

RenderObjectSpr2D* PanelSprSet::AddPicture(const char* id, float offsetX, float offsetY) {
    m_picture = AddSprite(id, offsetX, offsetY, false);
    return m_picture;
}

void PanelSprSet::Reserve(const char* id, float offsetX, float offsetY) {
    if (Chara2D* chara = m_pResources && id ? m_pResources->GetChara2D(id) : nullptr)
        Include(offsetX, offsetY, chara->width, chara->height);
}

void PanelSprSet::Include(float left, float top, float width, float height) {
    const Rect r{left, top, left + width, top + height};
    if (!m_hasContent) {
        m_content = r;
        m_hasContent = true;
        return;
    }
    m_content.left = std::min(m_content.left, r.left);
    m_content.top = std::min(m_content.top, r.top);
    m_content.right = std::max(m_content.right, r.right);
    m_content.bottom = std::max(m_content.bottom, r.bottom);
}

void PanelSprSet::Place(float dx, float dy) {
    for (const Entry& entry : m_entries)
        if (entry.sprite != m_picture) Include(entry.offsetX, entry.offsetY, entry.width, entry.height);
    Rect all = m_content;
    if (Entry* picture = Find(m_picture)) {
        if (m_hasContent) {
            picture->width = std::max(picture->width, m_content.right + kPictureMargin - picture->offsetX);
            picture->height = std::max(picture->height, m_content.bottom + kPictureMargin - picture->offsetY);
        }
        const Rect p{picture->offsetX, picture->offsetY, picture->offsetX + picture->width,
                     picture->offsetY + picture->height};
        all = m_hasContent ? Rect{std::min(all.left, p.left), std::min(all.top, p.top), std::max(all.right, p.right),
                                  std::max(all.bottom, p.bottom)}
                           : p;
    }
    const float roomX = ScreenLayout::kWidth - 2.0f * kScreenMargin;
    const float roomY = ScreenLayout::kHeight - 2.0f * kScreenMargin;
    const float width = all.right - all.left;
    const float height = all.bottom - all.top;
    m_scale = 1.0f;
    if (width > roomX) m_scale = std::min(m_scale, roomX / width);
    if (height > roomY) m_scale = std::min(m_scale, roomY / height);
    m_originX = AxisOrigin(ScreenLayout::kWidth * 0.5f + dx, all.left * m_scale, all.right * m_scale,
                           ScreenLayout::kWidth);
    m_originY = AxisOrigin(ScreenLayout::kHeight * 0.5f + dy, all.top * m_scale, all.bottom * m_scale,
                           ScreenLayout::kHeight);
    Apply();
}

void PanelSprSet::Apply() {
    const ScreenLayout layout = ScreenLayout::Current();
    for (Entry& entry : m_entries) {
        Sprite2DInfo& sprite = entry.sprite->m_sprite;
        sprite.x = layout.X(m_originX + entry.offsetX * m_scale);
        sprite.y = layout.Y(m_originY + entry.offsetY * m_scale);
        sprite.width = layout.Width(entry.width * m_scale);
        sprite.height = layout.Height(entry.height * m_scale);
    }
}

PanelSprSet::Entry* PanelSprSet::Find(RenderObjectSpr2D* sprite) {
    if (!sprite) return nullptr;
    for (Entry& entry : m_entries)
        if (entry.sprite == sprite) return &entry;
    return nullptr;
}

void PanelSprSet::SetOffset(RenderObjectSpr2D* sprite, float offsetX, float offsetY) {
    Entry* entry = Find(sprite);
    if (!entry) return;
    entry->offsetX = offsetX;
    entry->offsetY = offsetY;
    const ScreenLayout layout = ScreenLayout::Current();
    sprite->m_sprite.x = layout.X(m_originX + offsetX * m_scale);
    sprite->m_sprite.y = layout.Y(m_originY + offsetY * m_scale);
}

void PanelSprSet::HideAll() {
    for (Entry& entry : m_entries) entry.sprite->Hide();
}

void PanelSprSet::SetChara(RenderObjectSpr2D* sprite, const char* id) {
    if (!sprite || !m_pResources) return;
    Chara2D* chara = m_pResources->GetChara2D(id);
    if (!chara) return;
    sprite->m_sprite.SetChara2D(*chara);
    Entry* entry = Find(sprite);
    if (!entry) return;
    entry->width = chara->width;
    entry->height = chara->height;
    const ScreenLayout layout = ScreenLayout::Current();
    sprite->m_sprite.width = layout.Width(chara->width * m_scale);
    sprite->m_sprite.height = layout.Height(chara->height * m_scale);
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
