// Terrain pieces: the pooled 3D objects that the terrain areas place through
// the ground generator - ground tiles, tree sprites, snow and ice slabs,
// caves, mountains, flower patches and buildings. Ground_Base ties a pooled
// product to its place in the world: it registers with the object manager
// and its render stage when handed out, keeps itself in the Area of its cell
// and collides only with the player's side.
#pragma once
#include <set>

#include "engine/assets/MeshInfo.h"
#include "engine/assets/Sprite3DInfo.h"
#include "engine/core/render/FactoryAdapter.h"
#include "game/world/Object3D.h"

class GroundGenerator;

class Ground_Base : public Object3D, public Quorvex::FactoryProductAdapter {
public:
    // Render kinds: the stage a piece joins when handed out.
    enum RenderKind { KindSprite = 0, KindSolid = 1, KindSolid2 = 2 };

    // The head of every piece's launch record.
    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        GroundGenerator* creator = nullptr;
        Quorvex::AreaPos position;
        Quorvex::ObjectManager* objectManager = nullptr;
    };

    Ground_Base(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position);
    ~Ground_Base() override = default;

    // Moves the piece by the vector (offsets added, each axis normalised).
    virtual void Shift(const D3DXVECTOR3& offset);
    // Multiplies the damage the player takes when it touches the piece.
    virtual float GetContactDamageFactor() { return 1.0f; }
    virtual int GetRenderKind() { return KindSprite; }
    // Runs when the piece is in an Area again after having been in none.
    virtual void RenderPiece() {}

    // Update priority 100, solid terrain (group flag 5).
    int Initialize(int param) override;
    void Update(float timeStep) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    // Only with the player's side, when the other agrees.
    bool CanCollide(Object3D* other) override;
    // Re-registers, joins the stage of its render kind, re-bins, then takes
    // the record's position (and pushes it into the body): 0, or -1 for a
    // record that is not a piece record.
    int ApplySetParam(ISetParam* param) override;
    // Leaves the object manager and its Area at their next updates, drops the
    // body and goes back to its pool.
    void ReturnToFactory() override;

protected:
    // Whether Update pushes the position into the body.
    virtual bool SyncsBody() const { return true; }
    // Position into the body, with no velocity left over: terrain pieces are
    // placed, never thrown.
    void PushBody();
    void AddToPosition(const D3DXVECTOR3& offset);
    Quorvex::ObjectManager* Manager() const { return GetObjectManager(); }

    GroundGenerator* m_pCreator = nullptr;  // not counted
};

// Ground tile: a base mesh and one of three drawn meshes, with a replaceable
// tile material.
class Ground_Block : public Ground_Base {
public:
    struct SetParam : public Ground_Base::SetParam {
        int tileValue = 0;
    };

    Ground_Block(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                 const Quorvex::AreaPos& position);

    void Shift(const D3DXVECTOR3& offset) override { AddToPosition(offset); }
    int GetRenderKind() override { return KindSolid; }
    int Initialize(int param) override;
    int ApplySetParam(ISetParam* param) override;
    void ReturnToFactory() override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;

    // "matGnd<index>" on the part "Mesh_ground_2_v002"; nothing for the index
    // it has already.
    void SetMaterial(int index);
    int GetMaterialIndex() const { return m_materialIndex; }
    int GetTileValue() const { return m_tileValue; }

    Quorvex::MeshInfo m_baseMesh;
    Quorvex::MeshInfo m_drawnMesh;

protected:
    bool SyncsBody() const override { return !IsRemoveRequested(); }

private:
    int m_reserved[3] = {0, 0, 0};
    int m_tileValue = 0;
    int m_materialIndex = 1;
};

// Tree sprite turning about its own axis to face the view.
class Ground_Tree : public Ground_Base {
public:
    enum Kind { KindLarge = 0, KindSmall = 1 };
    struct SetParam : public Ground_Base::SetParam {
        int kind = KindSmall;
    };

    Ground_Tree(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position);

    void Shift(const D3DXVECTOR3& offset) override { AddToPosition(offset); }
    int Initialize(int param) override;
    int ApplySetParam(ISetParam* param) override;
    void Update(float timeStep) override;
    void Render(Quorvex::CalcVertexSet* list) override;

    // Material and texture cell of the type: "matTree_3-6" quarters for 3 to
    // 6, "matTree_<type>" whole for any other; nothing for the current type.
    void SetType(int type);
    int GetType() const { return m_type; }
    float GetAge() const { return m_age; }

    Quorvex::Sprite3DInfo m_sprite;

private:
    int m_type = 0;
    float m_age = 0.0f;
};

// A piece drawn as one mesh scaled by its scale vector.
class Ground_MeshPiece : public Ground_Base {
public:
    Ground_MeshPiece(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                     const Quorvex::AreaPos& position);
    // Goes back to its pool first.
    ~Ground_MeshPiece() override;

    void Shift(const D3DXVECTOR3& offset) override { AddToPosition(offset); }
    int GetRenderKind() override { return KindSolid; }
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;

    // The mesh registered under the id; the old reference is released.
    void SetMeshId(const char* id);

    Quorvex::MeshInfo m_mesh;
    D3DXVECTOR3 m_scale{1.0f, 1.0f, 1.0f};

protected:
    // Orientation from the record (the identity without one), scale 1.
    int ApplyPlacement(ISetParam* param, const D3DXQUATERNION* orientation);
    // The same with the orientation of a Ground_OrientedParam record.
    int ApplyOriented(ISetParam* param);
    // A body from the named shape set, when the area manager holds it.
    void BuildBody(const wchar_t* shapeSetName, float restitution);
    virtual int BlendPreset() const { return 2; }
    virtual float DrawScale() const { return 1.0f; }
};

// A record with an orientation after the head.
struct Ground_OrientedParam : public Ground_Base::SetParam {
    D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
};

class Ground_SnowIce : public Ground_MeshPiece {
public:
    Ground_SnowIce(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                   const Quorvex::AreaPos& position);
    int Initialize(int param) override;
    int ApplySetParam(ISetParam* param) override;

protected:
    float DrawScale() const override { return 0.75f; }
};

class Ground_SnowIce2 : public Ground_MeshPiece {
public:
    typedef Ground_OrientedParam SetParam;

    Ground_SnowIce2(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                    const Quorvex::AreaPos& position);
    int Initialize(int param) override;
    int ApplySetParam(ISetParam* param) override;
    int GetRenderKind() override { return KindSolid2; }
    // Also builds the body when the piece is in an Area without one.
    void Update(float timeStep) override;
    // Builds the "SnowIce2" body once per use, when the piece is in an Area.
    void RenderPiece() override;

protected:
    int BlendPreset() const override { return 3; }
};

class Ground_Cave : public Ground_MeshPiece {
public:
    typedef Ground_OrientedParam SetParam;

    Ground_Cave(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position);
    int ApplySetParam(ISetParam* param) override;
    // "Mesh_Doukutsu2_1" to "_8" for types 0 to 7; caves get no body.
    void SetType(int type);
};

class Ground_Flower : public Ground_MeshPiece {
public:
    typedef Ground_OrientedParam SetParam;

    Ground_Flower(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                  const Quorvex::AreaPos& position);
    int ApplySetParam(ISetParam* param) override;
    // "Mesh_Flower", "Mesh_Flower1", "Mesh_Flower2" for types 0 to 2.
    void SetType(int type);
};

class Ground_Building : public Ground_MeshPiece {
public:
    struct SetParam : public Ground_OrientedParam {
        int value = 0;  // 1 to 5: shape set and scale
    };

    Ground_Building(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                    const Quorvex::AreaPos& position);
    int ApplySetParam(ISetParam* param) override;
    int GetRenderKind() override { return KindSolid2; }
    // "Mesh_Building_p1" to "_p5" for variants 0 to 4, and the body and scale
    // of the building value.
    void SetType(int variant);
    int GetValue() const { return m_value; }

private:
    int m_value = 0;
};

// A mountain: one of ten meshes by type, trees planted on it, and a lava
// overlay drawn additively by its look.
class Ground_Yama : public Ground_MeshPiece {
public:
    typedef Ground_OrientedParam SetParam;

    Ground_Yama(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position);
    ~Ground_Yama() override;

    // Its trees are moved by the tree pool itself, so only the mountain moves.
    void Shift(const D3DXVECTOR3& offset) override { AddToPosition(offset); }
    float GetContactDamageFactor() override { return 10.0f; }
    int ApplySetParam(ISetParam* param) override;
    void ReturnToFactory() override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;

    // Mesh, shape set and trees of the type (0 to 12; above 12 as 1).
    void SetType(int type);
    // Every planted tree goes back to the tree pool.
    void ClearPieces();

    void SetLook(float look) { m_look = look; }
    float GetLook() const { return m_look; }
    size_t GetTreeCount() const { return m_trees.size(); }

    // The mesh, shape set and tree layout of a type.
    struct TypeInfo {
        const char* mesh;
        const wchar_t* shapeSet;
        int trees;  // 0 none, 1 rows A, 2 grid B
        float lift;  // grid B only
    };
    static TypeInfo GetTypeInfo(int type);

private:
    void PlantRows();
    void PlantGrid(const D3DXVECTOR3& lift);
    void PlantTree(const D3DXVECTOR3& offset, float widthScale, float heightScale);

    BYTE m_planted = 0;
    float m_look = 0.0f;
    std::set<class Ground_Tree*> m_trees;  // one reference each
};
