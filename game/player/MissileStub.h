// The missile or nuke model shown beside the pilot in the character select.
#pragma once
#include "engine/assets/MeshInfo.h"
#include "engine/core/AreaPos.h"
#include "game/world/Character.h"

namespace Quorvex {
class ObjectManager;
struct CalcVertexSet;
}  // namespace Quorvex

class MissileStub : public Character {
public:
    MissileStub(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager);
    ~MissileStub() override;

    using Character::Initialize;
    int Initialize(int param) override;
    void Finalize() override;

    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;

    // 1 or 2 the guided missile, 3 the heavy bomb, anything else none;
    // nothing when unchanged.
    void SetType(int type);
    int GetType() const { return m_type; }
    // The model it shows (null for none).
    const Quorvex::MeshUnit* GetMesh() const { return m_mesh.GetMesh(); }
    void ResetPose();

    BYTE shown = 0;  // set by the scene

private:
    Quorvex::MeshInfo m_mesh;
    int m_type = 0;
};
