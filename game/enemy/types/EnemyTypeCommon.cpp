#include "game/enemy/types/EnemyTypeCommon.h"

#include <algorithm>
#include <cstring>

#include "engine/assets/MeshUnit.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/player/weapons/Bullet_Nuke.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/CollisionShapeSet.h"

void CreateEnemyBody(Object3D* enemy, const wchar_t* shapeSetName) {
    Quorvex::IAreaManager* areas = enemy ? enemy->GetAreaManager() : nullptr;
    CollisionShapeSet* shape = areas ? areas->FindShapeSet(shapeSetName) : nullptr;
    if (!shape) return;
    enemy->CreateRigidBody(shape, 0, 0.5f, 0.0f);
    if (PlaneRigidBody* body = enemy->GetRigidBody()) body->setGravity(btVector3(0.0f, 0.0f, 0.0f));
}

int SetEnemyMesh(Enemy* enemy, const char* meshId) {
    Quorvex::ObjectManager* manager = enemy ? enemy->GetObjectManager() : nullptr;
    Quorvex::IResourceManager* resources = manager ? manager->GetResourceManager() : nullptr;
    if (!resources) {
        if (enemy) enemy->mesh.SetMesh(nullptr);
        return -1;
    }
    return enemy->mesh.SetMesh(resources, meshId);
}

bool FireRazer(EnemyEx* owner, const D3DXQUATERNION& orientation, const D3DXVECTOR3& baseVelocity, float speed) {
    if (!owner) return false;
    ShotSpawnParam record;
    MakeShotSpawnParam(owner->GetAreaPos(), orientation, record, owner, baseVelocity, owner->level,
                       owner->GetManager(), speed, 1);
    return LaunchEnemyShot(owner, record, -1);
}

void EnemyUpdateWorldMatrix20(Enemy* enemy, float scale, int flagCalls) {
    if (!enemy) return;
    Quorvex::PushMesh(nullptr, enemy->mesh, MakeWorldMatrix(enemy->GetOrientation(), enemy->GetWorldPosition(), scale));
    if (enemy->mesh.m_bInstanceReset) {
        ++enemy->state;
        if (enemy->state > flagCalls - 1) enemy->mesh.m_bInstanceReset = 0;
    }
}

void EnemyRenderMesh(Quorvex::RenderObject* object, Quorvex::CalcVertexSet* list) {
    if (!object || !list) return;
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushDrawObject(list, object);
}

void EnemyRenderSprite(Quorvex::CalcVertexSet* list, Quorvex::Sprite3DInfo& sprite, const D3DXVECTOR3& position) {
    if (!list) return;
    sprite.position = position;
    if (list->renderStatePreset != 2) Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushSprite3DBillboard(list, sprite);
}

void AddEnemiesAppeared(int delta) {
    if (SceneRequests* game = g_pEnvironment2 ? g_pEnvironment2->gameManager : nullptr) game->enemiesAppeared += delta;
}

void EnsureEnemyAnimation(Enemy* enemy, ID3DXAnimationController*& animation) {
    if (animation || !enemy || !enemy->mesh.GetMesh()) return;
    ID3DXAnimationController* clone = nullptr;
    if (SUCCEEDED(enemy->mesh.GetMesh()->CloneAnimationController(&clone))) animation = clone;
}

int FindAnimationSetIndex(ID3DXAnimationController* animation, const char* name) {
    if (!animation || !name || !*name) return -1;
    const UINT count = animation->GetNumAnimationSets();
    for (UINT i = 0; i < count; ++i) {
        ID3DXAnimationSet* set = nullptr;
        if (FAILED(animation->GetAnimationSet(i, &set)) || !set) continue;
        const char* setName = set->GetName();
        const bool match = setName && *setName &&
                           std::strncmp(setName, name, std::min(std::strlen(setName), std::strlen(name))) == 0;
        set->Release();
        if (match) return static_cast<int>(i);
    }
    return -1;
}

int PlayAnimationSetOnTrack(ID3DXAnimationController* animation, UINT track, const char* name) {
    const int index = FindAnimationSetIndex(animation, name);
    if (index < 0) return index;
    ID3DXAnimationSet* set = nullptr;
    if (SUCCEEDED(animation->GetAnimationSet(static_cast<UINT>(index), &set)) && set) {
        animation->SetTrackAnimationSet(track, set);
        set->Release();
    }
    animation->SetTrackPosition(track, 0.0);
    animation->AdvanceTime(0.0, nullptr);
    return index;
}

void RestartAnimationTrack0(ID3DXAnimationController* animation, float speed) {
    if (!animation) return;
    const UINT tracks = animation->GetMaxNumTracks();
    for (UINT t = 1; t < tracks; ++t) animation->SetTrackEnable(t, FALSE);
    animation->SetTrackEnable(0, TRUE);
    animation->SetTrackWeight(0, 0.0f);
    animation->SetTrackSpeed(0, speed);
    animation->ResetTime();
    animation->AdvanceTime(0.0, nullptr);
}

int InitializeMeshEnemy(EnemyEx* enemy, int param, const char* meshId, const wchar_t* shapeSetName, int64_t score) {
    enemy->Enemy::Initialize(param);
    SetEnemyMesh(enemy, meshId);
    CreateEnemyBody(enemy, shapeSetName);
    enemy->score = score;
    return 0;
}

void RunStoredStep(const boost::function<void(float)>& step, float dt) {
    if (step.empty()) return;
    const boost::function<void(float)> copy = step;
    copy(dt);
}

void TurnAnimation::ResetTurnAnimation() {
    animationState = 0;
    blendTimer = -1.0f;
    currentTrack = -1;
    currentSet = -1;
    rampStart = rampEnd = rampValue = 0.0;
}

void TurnAnimation::EnterAnimationState(ID3DXAnimationController* animation, int state, double start, double end) {
    animationState = state;
    rampStart = start;
    rampEnd = end;
    rampValue = start;
    blendTimer = 0.0f;
    currentTrack = 0;
    if (!animation) return;
    currentSet = PlayTurnSet(state);
    RestartAnimationTrack0(animation, static_cast<float>(trackSpeed_));
}

void TurnAnimation::StepTurnAnimation(ID3DXAnimationController* animation, float sideSpeed, float dt) {
    const double now = animation ? animation->GetTime() : 0.0;
    if (sideSpeed < neutralSpeed_) {
        if (animationState != 2 && animationState != 3) EnterAnimationState(animation, 2, now, 1.0);
    } else if (sideSpeed > neutralSpeed_) {
        if (animationState != 5 && animationState != 6) EnterAnimationState(animation, 5, now, 1.0);
    } else {
        switch (animationState) {
        case 1: case 4: case 7: break;
        case 2: EnterAnimationState(animation, 4, rampValue, 0.0); break;
        case 3: EnterAnimationState(animation, 4, 1.0, 0.0); break;
        case 5: EnterAnimationState(animation, 7, rampValue, 0.0); break;
        case 6: EnterAnimationState(animation, 7, 1.0, 0.0); break;
        default: EnterAnimationState(animation, 1, 0.0, 1.0); break;
        }
    }

    if (animation && currentTrack >= 0) animation->SetTrackWeight(currentTrack, 1.0f);
    if (blendTimer >= 0.0f) {
        blendTimer += dt;
        if (blendTimer >= 1.0f) {
            blendTimer = -1.0f;
            const int next = animationState == 2 ? 3 : animationState == 5 ? 6
                             : (animationState == 4 || animationState == 7) ? 1 : -1;
            if (next >= 0) EnterAnimationState(animation, next, 0.0, 1.0);
        }
    }
    rampValue += (rampEnd - rampStart) * dt;
    if (animation && currentTrack >= 0) animation->SetTrackPosition(currentTrack, rampValue * trackSpeed_);
}

void LaunchEnemyNuke(EnemyEx* enemy, const D3DXQUATERNION& aim, float size, int kind) {
    Quorvex::FactoryAdapter* pool =
        enemy && enemy->generator ? enemy->generator->GetPool(EnemyGenerator_Derive::PoolNuke) : nullptr;
    if (!pool) return;
    D3DXQUATERNION facing = aim;
    D3DXQuaternionNormalize(&facing, &facing);
    Bullet_Nuke::SetParam record(enemy->GetAreaPos(), facing, enemy, 0, enemy->GetTargetVelocity(), size,
                                 enemy->GetObjectManager(), 1.0f, 0.0f, kind);
    if (Quorvex::IFactoryProduct* nuke = pool->AcquireProduct(&record)) nuke->Release();
}
