#include "game/player/weapons/ShotSpawnParam.h"

void ShotSpawnParam::Copy(const ShotSpawnParam& other) { *this = other; }

void MakeShotSpawnParam(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation, ShotSpawnParam& out,
                        Quorvex::Object* owner, const D3DXVECTOR3& velocity, float level,
                        Quorvex::IObjectManager* manager, float speed, int kind) {
    out.owner = owner;
    out.orientation = orientation;
    out.reserved = 0;
    out.velocity = velocity;
    out.level = level;
    out.position = position;
    out.speed = speed;
    out.kind = kind;
    out.manager = manager;
}
