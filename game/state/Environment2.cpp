#include "game/state/Environment2.h"

#include "game/state/ParamManager2.h"

namespace {

// Default ranking names by rank: invented call signs, and the symbol rows.
// Codes are cells of the name-entry sheet (row * 100 + column).
constexpr int32_t kPresetNames[Environment2::kRankCount][Environment2::kNameLength] = {
    {102, 10, 0, 101, 105, 4, 13, 515},      // SKARVEN
    {12, 8, 101, 101, 4, 11, 200, 207},      // MIRREL07
    {510, 511, 512, 513, 514, 515, 515, 515},
    {506, 507, 508, 509, 515, 515, 515, 515},
    {7, 14, 11, 103, 114, 203, 515, 515},    // HOLT-3
    {504, 505, 3, 107, 515, 515, 515, 515},
    {103, 4, 102, 102, 0, 105, 8, 10},       // TESSAVIK
    {100, 104, 4, 11, 11, 0, 13, 515},       // QUELLAN
    {604, 605, 515, 515, 515, 515, 515, 515},
    {10, 0, 11, 3, 4, 101, 515, 515},        // KALDER
    {105, 14, 102, 10, 114, 204, 201, 515},  // VOSK-41
    {1, 101, 4, 13, 13, 8, 10, 515},         // BRENNIK
    {614, 615, 515, 515, 515, 515, 515, 515},
    {600, 601, 602, 603, 515, 515, 515, 515},
    {500, 501, 502, 503, 515, 515, 515, 515},
};

Environment2 g_environment2Instance;

// Counted slot exchange: the new object is referenced before the old one is
// released, so setting the held object again keeps exactly one reference.
template <class T>
void Exchange(T*& slot, T* object) {
    if (object) CountedOf(object)->AddRef();
    T* old = slot;
    slot = object;
    if (old) CountedOf(old)->Release();
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
    centerInfo.pObject = ObjectOf(newPlayer);
}

void Environment2::SetViewObject(ViewObject* view) { Exchange(viewObject, view); }

void Environment2::SetLightObject(LightObject* light) { Exchange(lightObject, light); }
