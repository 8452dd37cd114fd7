// The scene's directional light and keeper of up to four point lights: a
// world object placed at a fixed offset (its reference position) from the
// world centre, whose direction points at the centre. Every frame it writes
// its position, its direction and the point-light table into the render
// parameters the mesh effect reads. The last light initialised is the
// current light (the game state's light object, one reference), through which
// projectiles add and remove point lights.
#pragma once
#include <mutex>
#include <set>

#include "engine/core/render/RenderParameter.h"
#include "game/world/Object3D.h"

namespace Quorvex {
class IResourceManager;
}

class LightObject : public Object3D {
public:
    // Point-light record: enabled, world position, power, minimum and maximum
    // length; the layout of the render parameters' table entries.
    typedef Quorvex::RenderParameter::PointLight PointLight;

    LightObject(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position);
    // Deletes every point light; leaves the game state when it still names
    // this light.
    ~LightObject() override;

    // Update priority 400, the "Begin" stage, reference position = the
    // current world position, UpdateLight, becomes the current light: 0.
    int Initialize(int param) override;
    void Update(float timeStep) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;
    // The fixed priority Update sets (first in its stage), not a view depth.
    float GetDrawPriority() override;
    void PrintSystemInfo() override;

    // Position from the centre plus the reference position, direction towards
    // the centre, the first four point lights (defaults after them).
    void UpdateLight();

    // The set owns the records: added ones are deleted on removal or with the
    // light. Add answers false (and deletes nothing) for null or a duplicate.
    bool AddPointLight(PointLight* light);
    // Erases and deletes the record; false when it is not in the set.
    bool RemovePointLight(PointLight* light);
    int GetPointLightCount() const;

    // The render parameters written (null without a resource manager).
    Quorvex::RenderParameter* GetRenderParameter() const;

private:
    Quorvex::IResourceManager* m_pResourceManager = nullptr;  // not counted
    D3DXVECTOR3 m_refPos{0.0f, 0.0f, 0.0f};
    mutable std::mutex m_lightLock;
    std::set<PointLight*> m_pointLights;  // owned
};

// The current light (the game state's light object), or null.
LightObject* GetCurrentLight();
