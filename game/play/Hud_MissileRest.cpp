#include "game/play/Hud_MissileRest.h"

#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/RenderStage.h"
#include "game/world/effects/EffectSupport.h"

using namespace Quorvex;

Hud_MissileRest::Hud_MissileRest(ObjectManager* manager) : Hud_PartBase(manager) {}

Hud_MissileRest::~Hud_MissileRest() = default;

int Hud_MissileRest::ApplySetParam(ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return 0;
    m_kind = record->kind;
    const ScreenLayout layout = ScreenLayout::Current();
    if (m_kind == 1) {
        layout.Place(m_sprite, record->x, record->y, 16.0f, 32.0f);
        SetSpriteCell(m_sprite, 0.03125f, 0.0625f, 0.0625f, 0.09375f);
    } else {
        layout.Place(m_sprite, record->x, record->y, 32.0f, 64.0f);
        SetSpriteCell(m_sprite, 0.0f, 0.03125f, 0.0625f, 0.125f);
    }
    ShowInSprite2D();
    return 0;
}

void Hud_MissileRest::ReturnToFactory() {
    if (RenderStage* stage = GetRenderStage()) stage->SubObject(this);
    FactoryProductAdapter::ReturnToFactory();
}

void Hud_MissileRest::Render(CalcVertexSet* list) {
    const D3DXVECTOR4 c = SetGaugeColor(1.0f);
    m_sprite.color = D3DCOLOR_ARGB(ColorByte(c.w), ColorByte(c.x), ColorByte(c.y), ColorByte(c.z));
    PushRenderStatePreset(list, 2);
    PushSprite2D(list, m_sprite);
}

Hud_MissileRestFactory::Hud_MissileRestFactory(ObjectManager* manager) : m_manager(manager) {
    SetMaxCount(kMaxCount);
}

Hud_MissileRestFactory::~Hud_MissileRestFactory() = default;

HRESULT Hud_MissileRestFactory::QueryInterface(REFIID, void** object) {
    if (object) *object = this;
    return S_OK;
}

IFactoryProduct* Hud_MissileRestFactory::CreateProduct() {
    Hud_MissileRest* icon = NewProduct<Hud_MissileRest>(0, m_manager);
    if (icon) icon->SetFactory(this);
    return icon;
}
