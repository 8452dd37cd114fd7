// The sky: a dome mesh drawn twice around the eye without depth test, slowly
// turning, whose second layer fades in the stage's other sky look; and the
// sun flare it owns, an additive sprite towards the light that grows when the
// camera looks into it. The sky presets (BlendAdditionalMaterial) drive the
// dome through its SkyMaterialLayers part.
#pragma once
#include "engine/assets/AdditionalMaterial.h"
#include "engine/assets/BlendAdditionalMaterial.h"
#include "engine/assets/MeshInfo.h"
#include "engine/assets/Sprite3DInfo.h"
#include "engine/core/RenderObject.h"
#include "engine/core/render/ObjectManager.h"

class SkyDome_Flare : public Quorvex::RenderObject {
public:
    static constexpr float kDrawPriority = 99999904.0f;

    // Joins "Sprite3DBg"; the sprite is "matFlare" in 0xFFFFA080.
    explicit SkyDome_Flare(Quorvex::ObjectManager* objectManager);
    ~SkyDome_Flare() override = default;

    void Render(Quorvex::CalcVertexSet* list) override;
    float GetDrawPriority() override;

    // Places the sprite at eye - 100 * light and sizes it 25 * (1 + 5k) with
    // k = (view direction . light)^8; turns it by 0.1 rad per second.
    void Place(const D3DXVECTOR3& eye, const D3DXVECTOR3& lookAt, const D3DXVECTOR3& lightDirection,
               float elapsed);

    Quorvex::Sprite3DInfo m_sprite;
};

class SkyDome : public Quorvex::RenderObject, public Quorvex::SkyMaterialLayers {
public:
    static constexpr float kDrawPriority = 99999904.0f;

    // Joins "SolidModelBg", resolves the "SkyDome" mesh for both layers and
    // the two source lists, and creates the flare.
    explicit SkyDome(Quorvex::ObjectManager* objectManager);
    ~SkyDome() override;

    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;
    float GetDrawPriority() override;

    // Added to the eye position when the dome is placed.
    void SetPositionOffset(const D3DXVECTOR3& offset) { m_offset = offset; }
    SkyDome_Flare* GetFlare() const { return m_pFlare; }

    Quorvex::MeshInfo m_layerB;
    Quorvex::MeshInfo m_layerA;
    // Pitch, yaw, roll in radians; the yaw turns by 0.5 degrees per second.
    D3DXVECTOR3 m_rotation{0.0f, 0.0f, 0.0f};

private:
    Quorvex::ObjectManager* m_pObjectManager = nullptr;  // not counted
    SkyDome_Flare* m_pFlare = nullptr;  // counted
    D3DXVECTOR3 m_offset{0.0f, -8.0f, 0.0f};
    Quorvex::AdditionalMaterial m_normalSource;  // "matSkyNight"
    Quorvex::AdditionalMaterial m_type5Source;   // "matSkyWhite"
};
