#include "game/world/Character.h"

Character::Character(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                     const Quorvex::AreaPos& position)
    : Object3D(objectManager, areaManager, position) {}

Character::~Character() = default;

void Character::AddGauge(float delta) {
    m_gauge += delta;
    if (m_life < m_gauge) m_gauge = m_life;
}

void Character::OnShotHit(Object3D*) {}
