// The small tiles that the pause scene spreads over the frozen frame from the
// top-left corner, and their pool.
#pragma once
#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/Object.h"
#include "engine/core/RenderObject.h"
#include "engine/core/render/FactoryAdapter.h"

namespace Quorvex {
class ObjectManager;
}

class Pause_BackTile : public Quorvex::RenderObject, public Quorvex::FactoryProductAdapter {
public:
    // Launch record: the top-left corner in layout units.
    struct SetParam : public Quorvex::IFactoryProduct::SetParam {
        float x = 0.0f;
        float y = 0.0f;
    };

    static constexpr float kDrawPriority = 2000.0f;

    explicit Pause_BackTile(Quorvex::ObjectManager* manager);

    // "matHud2", 32 x 32 reference pixels anchored at its top-left corner,
    // white, kind 1. Answers 0.
    int Initialize(int param) override;
    // Sets the position and joins the manager's "Sprite2D" stage.
    int ApplySetParam(ISetParam* param) override;
    // Blend preset 2, then the sprite.
    void Render(Quorvex::CalcVertexSet* list) override;

    // 1, 2 and 3 choose a cell (all v 0.1875-0.25); other kinds keep it.
    void SetKind(int kind);
    int GetKind() const { return m_kind; }
    const Quorvex::Sprite2DInfo& GetSprite() const { return m_sprite; }

private:
    Quorvex::Sprite2DInfo m_sprite;
    int m_kind = 0;
};

class Pause_BackTileFactory : public Quorvex::Object, public Quorvex::FactoryAdapter {
public:
    // Enough for the whole wall: 46 columns by 23 rows.
    static constexpr int kMaxTiles = 46 * 23;

    explicit Pause_BackTileFactory(Quorvex::ObjectManager* manager);
    ~Pause_BackTileFactory() override;

    // The pool limit. Answers 0.
    int Initialize(int param) override;
    Quorvex::IFactoryProduct* CreateProduct() override;

    // A tile of the kind at the top-left corner (layout units); null when
    // the pool is exhausted.
    Pause_BackTile* Launch(float x, float y, int kind);
    // Every tile in use goes back to the pool and leaves its render stage.
    void ReleaseAll();

private:
    Quorvex::ObjectManager* m_pManager;  // not counted
};
