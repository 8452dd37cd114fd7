// The page title of the character select: a long band floating in the 3-D set
// whose text repeats and scrolls; it glides and turns to each page's place and
// fades in again.
#pragma once
#include "engine/assets/Sprite3DInfo.h"
#include "engine/core/RenderObject.h"

namespace Quorvex {
class ObjectManager;
}

class CharacterSelect_Title : public Quorvex::RenderObject {
public:
    explicit CharacterSelect_Title(Quorvex::ObjectManager* manager);
    ~CharacterSelect_Title() override;

    // The "matSelTitle" quad, 1280 x 16 world units. 0, or -1 without an
    // object manager.
    int Initialize(int param) override;
    // Advances by the environment's elapsed time, then the quad (blend preset 9).
    void Render(Quorvex::CalcVertexSet* list) override;

    // Joins "Sprite3D" when needed; glides and turns from where it is to the
    // world position and rotation, showing the row (0 character, 1 equipment,
    // 2 output), from transparent.
    void Place(const D3DXVECTOR3& position, const D3DXQUATERNION& rotation, int row);

    void Advance(float timeStep);

    const Quorvex::Sprite3DInfo& GetSprite() const { return m_sprite; }
    float GetAlpha() const { return m_alpha; }
    int GetRow() const { return m_row; }
    bool IsShown() const { return m_shown; }

private:
    Quorvex::Sprite3DInfo m_sprite;
    D3DXVECTOR3 m_positionFrom{0.0f, 0.0f, 0.0f}, m_positionTo{0.0f, 0.0f, 0.0f};
    D3DXQUATERNION m_rotationFrom{0.0f, 0.0f, 0.0f, 1.0f}, m_rotationTo{0.0f, 0.0f, 0.0f, 1.0f};
    float m_moveTime = 0.0f;
    float m_alpha = 0.0f;
    int m_row = 0;
    bool m_shown = false;
};
