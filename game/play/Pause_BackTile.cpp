#include "game/play/Pause_BackTile.h"

#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/GraphicUnits.h"

using namespace Quorvex;

Pause_BackTile::Pause_BackTile(ObjectManager* manager) : RenderObject(manager, 0) {}

int Pause_BackTile::Initialize(int) {
    PrepareMenuSprite(m_sprite, GetManager(), false);
    m_sprite.width = LayoutFromPixels(32.0f);
    m_sprite.height = LayoutFromPixels(32.0f);
    SetKind(1);
    SetDrawPriority(kDrawPriority);
    return 0;
}

int Pause_BackTile::ApplySetParam(ISetParam* param) {
    if (auto* launch = dynamic_cast<SetParam*>(param)) {
        m_sprite.x = launch->x;
        m_sprite.y = launch->y;
    }
    JoinSprite2DStage(this);
    return 0;
}

void Pause_BackTile::Render(CalcVertexSet* list) {
    if (!m_sprite.GetMaterial()) return;
    PushRenderStatePreset(list, 2);
    PushSprite2D(list, m_sprite);
}

void Pause_BackTile::SetKind(int kind) {
    float u0 = 0.0f;
    float u1 = 0.0f;
    switch (kind) {
        case 1: u0 = 0.125f, u1 = 0.1875f; break;
        case 2: u0 = 0.0f, u1 = 0.0625f; break;
        case 3: u0 = 0.21875f, u1 = 0.28125f; break;
        default: m_kind = kind; return;
    }
    SetSpriteCell(m_sprite, u0, u1, 0.1875f, 0.25f);
    m_kind = kind;
}

Pause_BackTileFactory::Pause_BackTileFactory(ObjectManager* manager) : Object(nullptr, 0), m_pManager(manager) {}

Pause_BackTileFactory::~Pause_BackTileFactory() {
    ReleaseAll();
    ClearProducts(m_free);
    ClearProducts(m_inUse);
}

int Pause_BackTileFactory::Initialize(int) {
    SetMaxCount(kMaxTiles);
    return 0;
}

IFactoryProduct* Pause_BackTileFactory::CreateProduct() { return NewProduct<Pause_BackTile>(0, m_pManager); }

Pause_BackTile* Pause_BackTileFactory::Launch(float x, float y, int kind) {
    Pause_BackTile::SetParam param;
    param.x = x;
    param.y = y;
    auto* tile = dynamic_cast<Pause_BackTile*>(AcquireProduct(&param));
    if (!tile) return nullptr;
    tile->SetKind(kind);
    // The pool and the stage hold the tile; the caller keeps no reference.
    tile->Release();
    return tile;
}

void Pause_BackTileFactory::ReleaseAll() {
    std::vector<IFactoryProduct*> inUse;
    ForEachInUse([&](IFactoryProduct* product) { inUse.push_back(product); });
    for (IFactoryProduct* product : inUse) {
        if (auto* tile = dynamic_cast<Pause_BackTile*>(product))
            if (RenderStage* stage = tile->GetRenderStage()) stage->SubObject(tile);
        ReleaseProduct(product);
    }
}
