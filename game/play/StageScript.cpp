#include "game/play/StageScript.h"

#include "engine/assets/BlendAdditionalMaterial.h"
#include "engine/core/Environment.h"
#include "game/enemy/EnemyEx.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/BossCommon.h"
#include "game/play/GameSceneRegistry.h"
#include "game/player/Player.h"
#include "game/screen/GraphicObject.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/AreaFactoryAdapter.h"
#include "game/world/terrain/AreaFactories.h"
#include "game/world/terrain/GroundGenerator.h"
#include "game/world/terrain/SkyDome.h"

using namespace Quorvex;

GraphicManager::SpeakSet StageScript::LineSet(const Line& line) {
    GraphicManager::SpeakSet set;
    set.leftKey = line.left;
    set.rightKey = line.right;
    set.text = line.text;
    set.leftSpeaks = line.leftSpeaks;
    set.textColor = line.colour;
    return set;
}

GraphicManager::SpeakSet StageScript::EmptyLineSet() {
    GraphicManager::SpeakSet set;
    set.leftSpeaks = 0;
    set.textColor = GraphicManager::kSpeakerColor;
    return set;
}

GraphicManager::SpeakSet* StageScript::MakeLine(const Line& line) { return new GraphicManager::SpeakSet(LineSet(line)); }

GraphicManager::SpeakSet* StageScript::MakeEmptyLine() { return new GraphicManager::SpeakSet(EmptyLineSet()); }

void StageScript::SetAreaWindows(SceneBase* stage, const Int3& createMin, const Int3& createMax, const Int3& keepMin,
                                 const Int3& keepMax) {
    if (IAreaManager* areas = stage ? stage->GetAreaManager() : nullptr)
        areas->SetWindows(createMin, createMax, keepMin, keepMax);
}

bool StageScript::PlayerPastBase(SceneBase* stage, float* z) {
    const AreaPos* base = GetBasePosition(stage);
    return base && PlayerZFrom(*base, z);
}

void StageScript::SetTalkFlag(BYTE flag) {
    if (Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr) player->SetTalkFlag(flag);
}

EnemyEx* StageScript::CurrentBoss() { return g_pEnvironment2 ? g_pEnvironment2->currentBoss : nullptr; }

AreaFactoryAdapter* StageScript::GetFactory(SceneBase* stage) {
    IAreaManager* areas = stage ? stage->GetAreaManager() : nullptr;
    return areas ? dynamic_cast<AreaFactoryAdapter*>(areas->GetAreaFactory()) : nullptr;
}

void StageScript::SetAreaKind(SceneBase* stage, int kind) {
    if (AreaFactoryAdapter* factory = GetFactory(stage)) factory->SetKind(kind);
}

int StageScript::GetAreaKind(SceneBase* stage) {
    AreaFactoryAdapter* factory = GetFactory(stage);
    return factory ? factory->GetKind() : -1;
}

AreaPos* StageScript::GetBasePosition(SceneBase* stage) {
    AreaFactoryAdapter* factory = GetFactory(stage);
    if (auto* caves = dynamic_cast<AreaFactory_4*>(factory)) return &caves->m_anchor;
    if (auto* flowers = dynamic_cast<AreaFactory_5*>(factory)) return &flowers->m_anchor;
    if (auto* buildings = dynamic_cast<AreaFactory_6*>(factory)) return &buildings->m_anchor;
    return nullptr;
}

void StageScript::SetBasePositionFromPlayer(SceneBase* stage) {
    Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr;
    AreaPos* base = GetBasePosition(stage);
    if (!player || !base) return;
    AreaPos ahead = player->GetAreaPos().Translated(D3DXVECTOR3(0.0f, 0.0f, 1000.0f));
    ahead.x.offset = 0.0f;
    ahead.y.offset = 0.0f;
    ahead.z.offset = 0.0f;
    *base = ahead;
}

bool StageScript::PlayerZFrom(const AreaPos& point, float* z) {
    Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr;
    if (!player) return false;
    *z = AreaPos::Difference(player->GetAreaPos(), point).z;
    return true;
}

Int3 StageScript::CenterCell() {
    return Int3{g_WorldGrid.centerCell[0], g_WorldGrid.centerCell[1], g_WorldGrid.centerCell[2]};
}

AreaPos StageScript::GetWorldReference() {
    if (g_pEnvironment2) return g_pEnvironment2->centerInfo.pos;
    return AreaPos::FromCell(CenterCell());
}

void StageScript::SetMoveLimit(const AreaPos& reference, float halfWidth, bool limitX) {
    Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr;
    if (!player) return;
    const BYTE enable[3] = {static_cast<BYTE>(limitX ? 1 : 0), 1, 0};
    const D3DXVECTOR3& minimum = player->GetMoveLimitMinimum();
    const D3DXVECTOR3& maximum = player->GetMoveLimitMaximum();
    player->SetMoveLimit(enable, reference, D3DXVECTOR3(-halfWidth, minimum.y, minimum.z),
                         D3DXVECTOR3(halfWidth, maximum.y, maximum.z));
}

void StageScript::AddEnemyEvents(SceneStage* stage, EventAdder adder) {
    EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get();
    if (!enemies) return;
    if (adder) adder(enemies);
    enemies->stageScene = stage;
}

void StageScript::ResetWaves(SceneStage* stage, EventAdder adder) {
    EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get();
    if (!enemies) return;
    enemies->ClearEvents();
    if (adder) adder(enemies);
    enemies->stageScene = stage;
}

void StageScript::RestartScript(SceneStage* stage, const char* map) {
    ResetWaves(stage);
    if (stage) stage->ExplodeKind7Objects();
    if (!map) return;
    if (EnemyGenerator_Derive* enemies = GetGameSceneRegistry().enemyGenerator.Get())
        enemies->CreateEnemyScript(map);
}

void StageScript::BeginConversation(SceneStage* stage) {
    stage->ShowStageResult();
    SetTalkFlag(1);
    RestartScript(stage, nullptr);
    SceneStage::SpeakParam& speak = stage->GetSpeakParam();
    speak.SetLineTimes(0.5f, 2.5f);
}

void StageScript::HandOver(SceneStage* stage, void (SceneRequests::*request)()) {
    stage->HideStageResult();
    SetTalkFlag(0);
    if (SceneRequests* manager = GetGameSceneRegistry().gameManager.Get()) (manager->*request)();
}

void StageScript::FadeFromWhite(float rate) {
    GraphicManager* dialogue = GetGameSceneRegistry().graphicManager.Get();
    if (GraphicObject* fade = dialogue ? dialogue->GetWindow(GraphicManager::ScreenEffect) : nullptr)
        fade->StartFadeFromColor(D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f), rate);
}

void StageScript::Materials(int kindA, int kindB, float t) {
    GroundGenerator* ground = g_pEnvironment2 ? g_pEnvironment2->groundGenerator : nullptr;
    if (SkyDome* sky = ground ? ground->GetSkyDome() : nullptr) BlendAdditionalMaterial(sky, kindA, kindB, t);
}

void StageScript::ForceBossOut(SceneStage* stage, EnemyEx* boss, float size) {
    if (!boss) return;
    // Held while it vanishes: the vanish may hand the last reference back.
    boss->AddRef();
    BossExplode(boss, size);
    if (stage) stage->ExplodeKind7Objects();
    SetBossTimeLimit(-1.0f);
    boss->Vanish();
    if (g_pEnvironment2 && g_pEnvironment2->currentBoss == boss) g_pEnvironment2->currentBoss = nullptr;
    boss->Release();
}
