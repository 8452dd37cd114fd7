#include "game/frontend/CharacterSelect_Title.h"

#include <algorithm>
#include <cmath>

#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/Environment.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/GraphicUnits.h"

using namespace Quorvex;

namespace {

constexpr float kWidth = 1280.0f;
constexpr float kHeight = 16.0f;
constexpr float kRowStep = 0.16f;
constexpr float kRowHeight = 0.125f;
constexpr float kRepeats = 10.0f;

}  // namespace

CharacterSelect_Title::CharacterSelect_Title(ObjectManager* manager) : RenderObject(manager, 0) {}

CharacterSelect_Title::~CharacterSelect_Title() = default;

int CharacterSelect_Title::Initialize(int) {
    auto* manager = dynamic_cast<ObjectManager*>(GetManager());
    if (!manager) return -1;
    m_sprite.Reset();
    m_sprite.SetMaterial(FindGraphicMaterial(manager, "matSelTitle"));
    m_sprite.width = kWidth;
    m_sprite.height = kHeight;
    m_sprite.color = 0x00FFFFFF;
    return 0;
}

void CharacterSelect_Title::Place(const D3DXVECTOR3& position, const D3DXQUATERNION& rotation, int row) {
    if (auto* manager = dynamic_cast<ObjectManager*>(GetManager())) {
        RenderStage* stage = manager->GetRenderStage("Sprite3D");
        if (stage && stage != GetRenderStage()) AttachStage(stage);
    }
    m_positionFrom = m_sprite.position;
    m_rotationFrom = m_sprite.rotation;
    m_positionTo = position;
    m_rotationTo = rotation;
    m_row = row;
    m_moveTime = 0.0f;
    m_alpha = 0.0f;
    m_shown = true;
}

void CharacterSelect_Title::Advance(float timeStep) {
    m_moveTime += timeStep;
    const float m = std::min(2.0f * m_moveTime, 1.0f);
    m_sprite.position = m_positionFrom + (m_positionTo - m_positionFrom) * m;
    D3DXQuaternionSlerp(&m_sprite.rotation, &m_rotationFrom, &m_rotationTo, m);
    m_alpha = std::min(m_moveTime, 1.0f);
    m_sprite.color = WhiteWithAlpha(m_alpha);
    // Ten repeats of the row, scrolling half a repeat a second.
    const float u0 = std::fmod(m_moveTime, 2.0f) * 0.5f;
    const float u1 = u0 + kRepeats;
    const float v0 = static_cast<float>(m_row) * kRowStep;
    const float v1 = v0 + kRowHeight;
    m_sprite.uv[0] = D3DXVECTOR2(u0, v0);
    m_sprite.uv[1] = D3DXVECTOR2(u1, v0);
    m_sprite.uv[2] = D3DXVECTOR2(u0, v1);
    m_sprite.uv[3] = D3DXVECTOR2(u1, v1);
}

void CharacterSelect_Title::Render(CalcVertexSet* list) {
    if (!m_shown) return;
    Advance(g_pEnvironment ? g_pEnvironment->GetElapsedTime() : 0.0f);
    if (!m_sprite.material) return;
    PushRenderStatePreset(list, ShaderManager::BlendPremultiplied);
    PushSpriteQuad(list, m_sprite);
}
