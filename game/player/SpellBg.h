// The background of Zenk mode: a large mesh spinning at 0.3 turns per second
// around the camera eye, drawn behind everything without fog.
#pragma once
#include "engine/assets/MeshInfo.h"
#include "engine/core/RenderObject.h"

class SpellBg : public Quorvex::RenderObject {
public:
    explicit SpellBg(Quorvex::IObjectManager* manager);
    ~SpellBg() override;

    using Quorvex::RenderObject::Initialize;
    // Finds the mesh and joins "Sprite3D": 0, or -1 when the mesh is missing.
    int Initialize(int param) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;
    float GetDrawPriority() override { return 99999800.0f; }

    // 0 or 2 draw, 1 hides; a different state restarts the clock.
    void SetState(int state);
    int GetState() const { return m_state; }
    float GetClock() const { return m_clock; }
    // The world matrix for a clock value around an eye point.
    static D3DXMATRIX WorldMatrix(float clock, const D3DXVECTOR3& eye);

private:
    Quorvex::MeshInfo m_mesh;
    float m_clock = 0.0f;
    int m_state = 1;
};
