#include "engine/assets/RenderObjectSpr2D.h"

#include "engine/core/Environment.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"

namespace Quorvex {

RenderObjectSpr2D::RenderObjectSpr2D(ObjectManager* manager) : RenderObject(manager, 0) {}

RenderObjectSpr2D::~RenderObjectSpr2D() = default;

RenderObjectSpr2D* RenderObjectSpr2D::Create(ObjectManager* manager) {
    RenderObjectSpr2D* object = new RenderObjectSpr2D(manager);
    object->AddRef();
    if (object->Initialize(0) < 0) {
        object->Release();
        return nullptr;
    }
    return object;
}

int RenderObjectSpr2D::Initialize(int) {
    m_groupName = "Sprite2D";
    SetDrawPriority(0.0f);
    m_blendMode = 2;
    return 0;
}

void RenderObjectSpr2D::Render(CalcVertexSet* list) {
    PushRenderStatePreset(list, m_blendMode);
    PushSprite2D(list, m_sprite);
}

RenderStage* RenderObjectSpr2D::FindStage() const {
    ObjectManager* manager = dynamic_cast<ObjectManager*>(GetManager());
    return manager ? manager->GetRenderStage(m_groupName.c_str()) : nullptr;
}

int RenderObjectSpr2D::Show() {
    if (RenderStage* stage = FindStage()) {
        if (stage != GetRenderStage()) AttachStage(stage);
    }
    m_shown = true;
    return 0;
}

void RenderObjectSpr2D::Hide() {
    if (RenderStage* stage = GetRenderStage()) stage->SubObject(this);
    m_shown = false;
}

void RenderObjectSpr2D::SetRenderStage(const char* name) {
    m_groupName = name ? name : "";
    if (RenderStage* stage = FindStage()) {
        if (stage != GetRenderStage()) AttachStage(stage);
    }
}

RenderObjectSpr2DGroup* RenderObjectSpr2DGroup::Create() {
    RenderObjectSpr2DGroup* group = new RenderObjectSpr2DGroup();
    group->AddRef();
    return group;
}

RenderObjectSpr2DGroup::~RenderObjectSpr2DGroup() {
    std::vector<Entry> entries;
    entries.swap(m_entries);
    for (Entry& entry : entries)
        if (entry.sprite) entry.sprite->Release();
}

int RenderObjectSpr2DGroup::ShowAll() {
    for (Entry& entry : m_entries)
        if (entry.sprite) entry.sprite->Show();
    return 0;
}

void RenderObjectSpr2DGroup::HideAll() {
    for (Entry& entry : m_entries)
        if (entry.sprite) entry.sprite->Hide();
}

void RenderObjectSpr2DGroup::Add(RenderObjectSpr2D* sprite, float offsetX, float offsetY) {
    if (!sprite) return;
    sprite->AddRef();
    m_entries.push_back(Entry{sprite, offsetX, offsetY});
}

void SetSpr2DGroupPosition(float x, float y, RenderObjectSpr2DGroup* group) {
    if (!group || !g_pEnvironment) return;
    const int width = g_pEnvironment->GetClientWidth();
    const int height = g_pEnvironment->GetClientHeight();
    if (width <= 0 || height <= 0) return;
    for (const auto& entry : group->GetEntries()) {
        if (!entry.sprite) continue;
        entry.sprite->m_sprite.x = entry.offsetX + x / static_cast<float>(width);
        entry.sprite->m_sprite.y = entry.offsetY + y / static_cast<float>(height);
    }
}

}  // namespace Quorvex
