#include "game/flow/GraphicUnits.h"

#include <mutex>
#include <set>
#include <string>

#include "engine/core/MessageLogManager.h"

using namespace Quorvex;

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
