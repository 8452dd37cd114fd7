// The pools of terrain pieces that the ground generator owns. Each pool is a
// managed object in the world (update priority 710) with a fixed maximum of
// pieces in use; the stage code changes the look of every piece in use
// through the tree, block and mountain pools.
#pragma once
#include "engine/assets/ResourceManager.h"
#include "engine/core/render/FactoryAdapter.h"
#include "game/world/Object3D.h"
#include "game/world/terrain/GroundPieces.h"

// What every terrain pool shares: the pool's place in the world and the
// products' construction with the pool's managers and position.
class Ground_PieceFactory : public Object3D, public Quorvex::FactoryAdapter {
public:
    Ground_PieceFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                        const Quorvex::AreaPos& position, int maxCount, bool followsCenter);
    // Every product, in use and free, loses the pool's reference.
    ~Ground_PieceFactory() override;

    // Update priority 710: 0.
    int Initialize(int param) override;
    // A pool that follows the centre re-bins itself and takes the game's
    // centre position; the others only re-bin.
    void Update(float timeStep) override;

    // Moves every piece in use (the stage's world offset).
    void ShiftAll(const D3DXVECTOR3& offset);
    // Calls fn(piece) for every piece in use.
    template <class Fn>
    void ForEachPiece(Fn&& fn) const {
        ForEachInUse([&](Quorvex::IFactoryProduct* product) {
            if (Ground_Base* piece = dynamic_cast<Ground_Base*>(product)) fn(piece);
        });
    }

protected:
    // A new product of type T with the pool's managers and position, or null.
    template <class T>
    Quorvex::IFactoryProduct* MakeProduct() {
        return NewProduct<T>(0, GetManager(), m_pAreaManager, m_areaPos);
    }
    // The record's object manager becomes the pool's own, then the product
    // takes the record.
    int ApplyWithOwnManager(Quorvex::IFactoryProduct* product, Quorvex::IFactoryProduct::ISetParam* param);

private:
    bool m_followsCenter = false;
};

class Ground_TreeFactory : public Ground_PieceFactory {
public:
    static constexpr int kMaxCount = 1500;

    Ground_TreeFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                       const Quorvex::AreaPos& position);

    Quorvex::IFactoryProduct* CreateProduct() override { return MakeProduct<Ground_Tree>(); }
    // The tree's record, then the pool's tree type and colour.
    int ApplyParam(Quorvex::IFactoryProduct* product, Quorvex::IFactoryProduct::ISetParam* param) override;

    // Nothing when both equal the stored pair; else the tree type and colour
    // of the look, applied to every tree in use.
    void SetLook(int mode, float blend);
    // The tree type and colour of a look: mode 1 colours every channel with
    // the blend, mode 3 turns by cos(blend * pi), mode 4 gives type 2, mode 0
    // hides the trees (colour 0); other modes keep the colour.
    static void LookToTree(int mode, float blend, int* type, D3DCOLOR* color);

private:
    int m_lookMode = 2;
    float m_lookBlend = 0.0f;
    int m_treeType = 1;
    D3DCOLOR m_treeColor = 0xFFFFFFFF;
};

class Ground_BlockFactory : public Ground_PieceFactory {
public:
    static constexpr int kMaxCount = 1000;

    Ground_BlockFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                        const Quorvex::AreaPos& position);
    // The shared ground meshes are made white again.
    ~Ground_BlockFactory() override;

    Quorvex::IFactoryProduct* CreateProduct() override { return MakeProduct<Ground_Block>(); }
    int ApplyParam(Quorvex::IFactoryProduct* product, Quorvex::IFactoryProduct::ISetParam* param) override;

    // Nothing while no refresh is pending and the phase is unchanged; else
    // material 1 or 2 by the sign of cos(phase * pi) for every block in use
    // and the grey of |cos(phase * pi)| as the ground colour.
    void SetPhase(float phase);
    // Stores the colour (bytes / 255) and writes it into the three ground
    // meshes "Mesh_Gnd2_1" to "Mesh_Gnd2_3".
    void SetColor(D3DCOLOR color);
    // The value the stage sets on the ground meshes; blocks are not drawn
    // while it is 0 or below.
    void SetMeshValue(float value) { m_meshValue = value; }
    float GetMeshValue() const { return m_meshValue; }
    // Makes the next SetPhase apply even with an unchanged phase.
    void RequestRefresh() { m_changeFlag = 1; }

    int GetMaterialIndex() const { return m_materialIndex; }
    float GetPhase() const { return m_phase; }
    // Red, green, blue, alpha.
    const float* GetColor() const { return m_color; }

private:
    float m_color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    int m_materialIndex = 1;
    int m_changeFlag = 0;
    float m_phase = 0.0f;
    float m_meshValue = 1.0f;
    Quorvex::IResourceManager* m_pResources = nullptr;  // not counted: lives as long as the program
};

class Ground_SnowIceFactory : public Ground_PieceFactory {
public:
    Ground_SnowIceFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                          const Quorvex::AreaPos& position);
    Quorvex::IFactoryProduct* CreateProduct() override { return MakeProduct<Ground_SnowIce>(); }
    int ApplyParam(Quorvex::IFactoryProduct* p, Quorvex::IFactoryProduct::ISetParam* param) override {
        return ApplyWithOwnManager(p, param);
    }
};

class Ground_SnowIce2Factory : public Ground_PieceFactory {
public:
    Ground_SnowIce2Factory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                           const Quorvex::AreaPos& position);
    Quorvex::IFactoryProduct* CreateProduct() override { return MakeProduct<Ground_SnowIce2>(); }
    int ApplyParam(Quorvex::IFactoryProduct* p, Quorvex::IFactoryProduct::ISetParam* param) override {
        return ApplyWithOwnManager(p, param);
    }
};

class Ground_YamaFactory : public Ground_PieceFactory {
public:
    Ground_YamaFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                       const Quorvex::AreaPos& position);
    Quorvex::IFactoryProduct* CreateProduct() override { return MakeProduct<Ground_Yama>(); }
    // The mountain's record, then the pool's look (its trees cleared when the
    // look is above 0).
    int ApplyParam(Quorvex::IFactoryProduct* product, Quorvex::IFactoryProduct::ISetParam* param) override;

    // The look of the pool and of every mountain in use.
    void SetLook(float look);
    float GetLook() const { return m_look; }

private:
    float m_look = 0.0f;
};

class Ground_CaveFactory : public Ground_PieceFactory {
public:
    Ground_CaveFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                       const Quorvex::AreaPos& position);
    Quorvex::IFactoryProduct* CreateProduct() override { return MakeProduct<Ground_Cave>(); }
    int ApplyParam(Quorvex::IFactoryProduct* p, Quorvex::IFactoryProduct::ISetParam* param) override {
        return ApplyWithOwnManager(p, param);
    }
};

class Ground_FlowerFactory : public Ground_PieceFactory {
public:
    Ground_FlowerFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const Quorvex::AreaPos& position);
    Quorvex::IFactoryProduct* CreateProduct() override { return MakeProduct<Ground_Flower>(); }
    int ApplyParam(Quorvex::IFactoryProduct* p, Quorvex::IFactoryProduct::ISetParam* param) override {
        return ApplyWithOwnManager(p, param);
    }
};

class Ground_BuildingFactory : public Ground_PieceFactory {
public:
    Ground_BuildingFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                           const Quorvex::AreaPos& position);
    Quorvex::IFactoryProduct* CreateProduct() override { return MakeProduct<Ground_Building>(); }
    int ApplyParam(Quorvex::IFactoryProduct* p, Quorvex::IFactoryProduct::ISetParam* param) override {
        return ApplyWithOwnManager(p, param);
    }
};
