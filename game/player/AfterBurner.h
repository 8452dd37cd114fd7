// An engine flame drawn on the pilot model: the "AfterBurner" mesh at 15 %
// alpha, without culling, placed relative to its parent machine.
#pragma once
#include "engine/assets/MeshInfo.h"
#include "engine/core/RenderObject.h"

class AfterBurner : public Quorvex::RenderObject {
public:
    explicit AfterBurner(Quorvex::IObjectManager* manager);
    ~AfterBurner() override;

    using Quorvex::RenderObject::Initialize;
    // Finds the mesh and joins "Sprite3D"; 0.
    int Initialize(int param) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;
    // The view depth of its world position.
    float GetDrawPriority() override;

    // The world matrix: scaling, rotation and local position, then the
    // parent's rotation and position.
    D3DXMATRIX GetWorldMatrix() const;

    // Places flame `index` of a machine at its nozzle: offset
    // (1.2 - 2.4 i, 0, -4.5), yaw (2 i - 1) x 20 degrees, a random roll and a
    // length growing with the level (speed rate or throttle).
    void PlaceOnMachine(int index, float level, const D3DXVECTOR3& machinePosition,
                        const D3DXQUATERNION& machineRotation);
    // The flame attachments of a pilot model: its frames named "Flame...".
    static int CountAttachments(const D3DXFRAME* root);
    // The machine's pose: tilted by level x 20 degrees, turned, scaled and
    // placed; the flames take its rotation part.
    static D3DXQUATERNION MachineRotation(float level, const D3DXQUATERNION& orientation);
    static D3DXMATRIX MachineMatrix(float level, float scale, const D3DXQUATERNION& orientation,
                                    const D3DXVECTOR3& position);

    // Local placement relative to the parent.
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 scale{1.0f, 1.0f, 1.0f};
    D3DXQUATERNION rotation{0.0f, 0.0f, 0.0f, 1.0f};
    // The parent's world position (relative to the centre cell) and rotation.
    D3DXVECTOR3 parentPosition{0.0f, 0.0f, 0.0f};
    D3DXQUATERNION parentRotation{0.0f, 0.0f, 0.0f, 1.0f};
    // Keeps the depth test on (the menu model's flames).
    bool keepDepth = false;

private:
    Quorvex::MeshInfo m_mesh;
};
