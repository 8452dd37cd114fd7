// The special-weapon stock as rows of icons: an icon is a pooled 2D part, the
// pool keeps at most 710 in use.
#pragma once
#include "engine/core/render/FactoryAdapter.h"
#include "game/play/Hud_PartBase.h"

class Hud_MissileRest : public Hud_PartBase, public Quorvex::FactoryProductAdapter {
public:
    // The launch record: where the icon stands (reference pixels) and its
    // kind (0 tens icon, 1 units icon).
    struct SetParam : public Quorvex::IFactoryProduct::SetParam {
        float x = 0.0f;
        float y = 0.0f;
        int kind = 0;
    };

    explicit Hud_MissileRest(Quorvex::ObjectManager* manager);
    ~Hud_MissileRest() override;

    // Position, size and cell of the kind; joins "Sprite2D".
    int ApplySetParam(ISetParam* param) override;
    // Leaves the render stage and goes back to the pool.
    void ReturnToFactory() override;
    // The gauge colour of a full gauge, blend preset 2, the icon.
    void Render(Quorvex::CalcVertexSet* list) override;

    int GetKind() const { return m_kind; }

private:
    int m_kind = 0;
};

class Hud_MissileRestFactory : public Quorvex::FactoryAdapter {
public:
    static constexpr int kMaxCount = 710;

    explicit Hud_MissileRestFactory(Quorvex::ObjectManager* manager);
    ~Hud_MissileRestFactory() override;

    // Lives inside the HUD manager, which owns its lifetime.
    HRESULT QueryInterface(REFIID, void** object) override;
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }

    Quorvex::IFactoryProduct* CreateProduct() override;

private:
    Quorvex::ObjectManager* m_manager;
};
