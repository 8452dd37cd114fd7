#include "game/screen/GraphicUnits.h"

#include <mutex>
#include <set>
#include <string>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/RenderObject.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"

using namespace Quorvex;

void SetSpriteCell(Sprite2DData& sprite, float u0, float u1, float vTop, float vBottom) {
    sprite.uv[0] = D3DXVECTOR2(u0, vBottom);
    sprite.uv[1] = D3DXVECTOR2(u1, vBottom);
    sprite.uv[2] = D3DXVECTOR2(u0, vTop);
    sprite.uv[3] = D3DXVECTOR2(u1, vTop);
}

void PrepareMenuSprite(Sprite2DInfo& sprite, IObjectManager* manager, bool centered) {
    sprite.SetMaterial(FindGraphicMaterial(manager, "matHud2"));
    sprite.color = 0xFFFFFFFF;
    sprite.angle = 0.0f;
    sprite.centered = centered ? 1 : 0;
    sprite.sizeAsStored = 1;
}

void JoinSprite2DStage(RenderObject* object) {
    auto* manager = dynamic_cast<ObjectManager*>(object->GetManager());
    RenderStage* stage = manager ? manager->GetRenderStage("Sprite2D") : nullptr;
    if (stage && stage != object->GetRenderStage()) object->AttachStage(stage);
}

D3DCOLOR ColorFromFloats(float alpha, float red, float green, float blue) {
    return (static_cast<D3DCOLOR>(ColorByte(alpha)) << 24) | (static_cast<D3DCOLOR>(ColorByte(red)) << 16) |
           (static_cast<D3DCOLOR>(ColorByte(green)) << 8) | static_cast<D3DCOLOR>(ColorByte(blue));
}

MaterialUnit* FindGraphicMaterial(IObjectManager* manager, const char* id) {
    if (!id || !*id) return nullptr;
    MaterialUnit* material = FindMaterial(manager, id);
    if (!material) {
        // Every window asks again on each change of picture: say it once.
        static std::mutex lock;
        static std::set<std::string> reported;
        std::lock_guard<std::mutex> guard(lock);
        if (reported.insert(id).second) {
            const std::string name = id;
            MessageLogManager::Instance().Log(L"Graphic",
                                              (L"material not loaded: " + std::wstring(name.begin(), name.end())).c_str());
        }
    }
    return material;
}
