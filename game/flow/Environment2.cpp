#include "game/flow/Environment2.h"

#include "game/flow/ParamManager2.h"
#include "game/flow/ViewObject.h"
#include "game/player/Player.h"
#include "game/world/CenterPosManager.h"
#include "game/world/effects/LightObject.h"
#include "game/world/terrain/GroundGenerator.h"

namespace {

// Default ranking names by rank.
constexpr int32_t kPresetNames[Environment2::kRankCount][Environment2::kNameLength] = {
    {101, 313, 5, 313, 515, 9, 4, 103},
    {102, 103, 101, 10, 201, 209, 209, 209},
    {510, 511, 512, 513, 514, 515, 515, 515},
    {506, 507, 508, 509, 515, 515, 515, 515},
    {104, 13, 313, 3, 4, 5, 515, 515},
    {504, 505, 3, 107, 515, 515, 515, 515},
    {101, 111, 103, 108, 15, 4, 515, 515},
    {3, 0, 101, 8, 104, 102, 515, 515},
    {604, 605, 515, 515, 515, 515, 515, 515},
    {6, 104, 13, 515, 1, 8, 101, 3},
    {611, 612, 613, 206, 208, 10, 515, 515},
    {1, 313, 102, 0, 1, 4, 101, 102},
    {614, 615, 515, 515, 515, 515, 515, 515},
    {600, 601, 602, 603, 515, 515, 515, 515},
    {500, 501, 502, 503, 515, 515, 515, 515},
};

Environment2 g_environment2Instance;

// Counted slot exchange: the new object is referenced before the old one is
// released, so setting the held object again keeps exactly one reference.
template <class T>
void Exchange(T*& slot, T* object) {
    if (object) object->AddRef();
    T* old = slot;
    slot = object;
    if (old) old->Release();
}

}  // namespace

Environment2* g_pEnvironment2 = &g_environment2Instance;

Environment2::Environment2() {
    for (auto& byDifficulty : rankingName)
        for (auto& byLevel : byDifficulty)
            for (auto& byRank : byLevel)
                for (int rank = 0; rank < kRankCount; ++rank) FillPreset(byRank[rank], rank);
}

void Environment2::FillPreset(int32_t* names, int rank) {
    if (!names || rank < 0 || rank >= kRankCount) return;
    for (int i = 0; i < kNameLength; ++i) names[i] = kPresetNames[rank][i];
}

void Environment2::SaveSettings() {
    if (paramManager) paramManager->Save("settings");
}

Environment2::~Environment2() {
    // Scenes clear these before the end; whatever is left is given back.
    SetCenterPosManager(nullptr);
    SetGroundGenerator(nullptr);
    SetViewObject(nullptr);
    SetLightObject(nullptr);
    SetPlayer(nullptr);
    // The boss pointer is plain (never referenced here): only forgotten.
    currentBoss = nullptr;
}

void Environment2::SetGroundGenerator(GroundGenerator* generator) { Exchange(groundGenerator, generator); }

void Environment2::SetCenterPosManager(CenterPosManager* manager) { Exchange(centerPosManager, manager); }

void Environment2::SetPlayer(Player* newPlayer) {
    Exchange(player, newPlayer);
    centerInfo.pObject = newPlayer;
}

void Environment2::SetViewObject(ViewObject* view) { Exchange(viewObject, view); }

void Environment2::SetLightObject(LightObject* light) { Exchange(lightObject, light); }
