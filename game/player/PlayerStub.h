// The machine and its pilot outside the flight (character select, ending,
// bonus scene): the pilot model, its engine flames and the engine sound; no
// flight, weapons or damage.
#pragma once
#include <vector>

#include "engine/assets/MeshInfo.h"
#include "engine/core/AreaPos.h"
#include "game/world/Character.h"

namespace Quorvex {
class InputManager;
class ObjectManager;
struct CalcVertexSet;
}  // namespace Quorvex

struct ID3DXAnimationController;
class AfterBurner;

class PlayerStub : public Character {
public:
    // The initialise record: a value the stub ignores and the character type.
    struct InitParam {
        Quorvex::InputManager* inputManager = nullptr;
        int type = 0;
    };

    PlayerStub(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& start);
    ~PlayerStub() override;

    using Character::Initialize;
    int Initialize(int param) override;  // a record with no type
    int Initialize(const InitParam& record);

    void Update(float dt) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;

    // 0 none, 1 or 2 the first pilot, 3 the second; nothing when unchanged.
    // Throws L"Fail CloneAnimationController" when the model's animation
    // cannot be cloned.
    void SetModel(int type);
    int GetModel() const { return m_characterType; }
    // Index of the animation set whose name begins with the name, -1 when none.
    int FindAnimationSet(const char* name) const;
    int GetFlameCount() const { return static_cast<int>(m_flames.size()); }

    // Written by the owning scene.
    float engineLevel = 0.5f;       // 0..1, the throttle
    BYTE engineSound = 1;           // play "wind_jet" while set

    // The engine sound's frequency for a throttle level.
    static DWORD EngineFrequency(float level);

private:
    void ResetPose();

    int m_characterType = 0;
    Quorvex::MeshInfo m_pilotMesh;
    std::vector<AfterBurner*> m_flames;  // counted
    ID3DXAnimationController* m_animation = nullptr;
};
