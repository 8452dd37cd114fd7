#include "game/enemy/BulletFactories.h"

namespace {

// Constructs, hands over and initialises the segment pool of a head pool.
template <class Segments>
int MakeSegments(EnemyBulletFactoryBase* head) {
    auto* segments = new Segments(head->GetObjectManager(), head->GetAreaManager(), head->generator);
    head->SetSegmentFactory(segments);
    return segments->Initialize(0) < 0 ? -1 : 0;
}

}  // namespace

int Bullet_RayFactory::Initialize(int param) {
    if (BulletPool::Initialize(param) < 0) return -1;
    return MakeSegments<Bullet_RayPartFactory>(this);
}

int Bullet_AimmingLaserFactory::Initialize(int param) {
    if (BulletPool::Initialize(param) < 0) return -1;
    return MakeSegments<Bullet_AimmingLaserPartFactory>(this);
}
