#include "game/screen/ViewObject.h"

#include <algorithm>
#include <cmath>

#include "engine/assets/devices/InputManager.h"
#include "engine/assets/devices/SoundManager.h"
#include "engine/core/Utility.h"
#include "engine/core/render/RenderCommand.h"
#include "engine/core/render/RenderStage.h"
#include "game/state/Environment2.h"
#include "game/state/IPlayerView.h"

using namespace Quorvex;

namespace {

constexpr InputManager::KeyBinding kViewKeys[] = {
    {"ViewLeft", 30, -1},  {"ViewRight", 32, -1}, {"ViewUp", 16, -1},             {"ViewDown", 18, -1},
    {"ViewFront", 17, -1}, {"ViewBack", 31, -1},  {"ViewFreeModeSwitch", 61, -1},
};

// Free mode speed, world units per second.
constexpr float kFreeSpeed = 10.0f;

// The eye sits this far from the followed machine before the lag.
const D3DXVECTOR3 kFollowOffset(0.0f, 1.0f, -15.0f);

}  // namespace

ViewObject::ViewObject(IObjectManager* objectManager, IAreaManager* areaManager, const AreaPos& position)
    : Object3D(objectManager, areaManager, position) {}

ViewObject::~ViewObject() {
    BindKeys(false);
    // Destruction has begun: the field is cleared without a release.
    if (g_pEnvironment2 && g_pEnvironment2->viewObject == this) g_pEnvironment2->viewObject = nullptr;
    SetFollowTarget(nullptr);
    SetMarker(nullptr);
}

int ViewObject::Initialize(int) {
    SetUpdatePriority(kUpdatePriority);
    if (ObjectManager* manager = GetObjectManager())
        if (RenderStage* begin = manager->GetRenderStage("Begin")) AttachStage(begin);
    m_mode = ModeFollow;
    m_eye = D3DXVECTOR3(0.0f, 30.0f, -30.0f);
    m_lookAt = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_up = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    BindKeys(true);
    if (g_pEnvironment2) g_pEnvironment2->SetViewObject(this);
    return 0;
}

void ViewObject::Finalize() {
    BindKeys(false);
    Object3D::Finalize();
}

void ViewObject::BindKeys(bool bind) {
    if (bind) {
        if (m_pBoundInput) return;
        ObjectManager* manager = GetObjectManager();
        InputManager* input = manager ? manager->GetInputManager() : nullptr;
        if (!input && g_pEnvironment2) input = g_pEnvironment2->inputManager;
        if (!input) return;
        input->AddRef();
        m_pBoundInput = input;
        input->BindTable(kViewKeys);
        return;
    }
    if (!m_pBoundInput) return;
    m_pBoundInput->UnbindTable(kViewKeys);
    m_pBoundInput->Release();
    m_pBoundInput = nullptr;
}

void ViewObject::SetFollowTarget(Object3D* target) {
    if (target) target->AddRef();
    if (m_pFollowTarget) m_pFollowTarget->Release();
    m_pFollowTarget = target;
}

void ViewObject::SetMarker(Object* marker) {
    if (marker) marker->AddRef();
    if (m_pMarker) m_pMarker->Release();
    m_pMarker = marker;
}

float ViewObject::GetDrawPriority() {
    SetDrawPriority(kDrawPriority);
    return kDrawPriority;
}

void ViewObject::Render(CalcVertexSet* list) { PushRenderCommand(list, RenderCommand::ClearShader, UINT_PTR(0)); }

void ViewObject::Update(float timeStep) {
    Object3D::Update(timeStep);
    SetDrawPriority(kDrawPriority);
    switch (m_mode) {
        case ModeFree: UpdateFree(timeStep); break;
        case ModePlaced: UpdatePlaced(); break;
        case ModeFollow: UpdateFollow(timeStep); break;
        default: break;
    }
}

void ViewObject::UpdateFree(float timeStep) {
    const float step = timeStep * kFreeSpeed;
    const D3DXVECTOR3 previous = m_eye;
    if (InputManager* input = m_pBoundInput) {
        if (input->IsCommandOn("ViewLeft")) m_eye.x -= step;
        if (input->IsCommandOn("ViewFront")) m_eye.z += step;
        if (input->IsCommandOn("ViewRight")) m_eye.x += step;
        if (input->IsCommandOn("ViewBack")) m_eye.z -= step;
        if (input->IsCommandOn("ViewDown")) m_eye.y -= step;
        if (input->IsCommandOn("ViewUp")) m_eye.y += step;
    }
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    ApplyView(identity);
    if (timeStep > 0.0f) m_velocity = (m_eye - previous) / timeStep;
}

float ViewObject::SteeringLag(float value, float negativeLimit, float positiveLimit) {
    // A zero limit gives no lag instead of a division by zero.
    if (value < 0.0f) return negativeLimit != 0.0f ? value / negativeLimit : 0.0f;
    return positiveLimit != 0.0f ? -(value / positiveLimit) : 0.0f;
}

D3DXVECTOR3 ViewObject::FollowEye(const D3DXVECTOR3& targetPosition, const D3DXVECTOR3& lag, float speedRate) {
    const float k = std::clamp(1.0f - std::sqrt(lag.x * lag.x + lag.y * lag.y), 0.0f, 1.0f);
    const float speed = 1.0f + 0.8f * speedRate;
    const D3DXVECTOR3 offset(speed * 20.0f * lag.x, speed * 10.0f * (lag.y + 0.3f * k), 7.0f * lag.z);
    return targetPosition + kFollowOffset + offset;
}

void ViewObject::DecayShake(D3DXVECTOR3& amplitude, float step) {
    for (float* axis : {&amplitude.x, &amplitude.y, &amplitude.z}) {
        if (*axis > 0.0f)
            *axis = std::max(0.0f, *axis - step);
        else if (*axis < 0.0f)
            *axis = std::min(0.0f, *axis + step);
    }
}

void ViewObject::AddShake() {
    m_eye.x += (2.0f * RandomFloat() - 1.0f) * m_shakeAmplitude.x;
    m_eye.y += (2.0f * RandomFloat() - 1.0f) * m_shakeAmplitude.y;
    m_eye.z += (2.0f * RandomFloat() - 1.0f) * m_shakeAmplitude.z;
}

void ViewObject::UpdateFollow(float timeStep) {
    if (!m_pFollowTarget) return;

    // The machine's attitude; a followed object that is not the player turns
    // the camera by its own orientation.
    D3DXMATRIX rotation;
    if (auto* machine = dynamic_cast<IPlayerView*>(m_pFollowTarget)) {
        const D3DXVECTOR3& attitude = machine->GetAttitude();  // pitch, yaw, roll
        D3DXMatrixRotationYawPitchRoll(&rotation, attitude.y, attitude.x, attitude.z);
    } else {
        D3DXMatrixRotationQuaternion(&rotation, &m_pFollowTarget->GetOrientation());
    }

    const D3DXVECTOR3 previous = m_eye;
    const D3DXVECTOR3 target = m_pFollowTarget->GetWorldPosition();

    D3DXVECTOR3 lag(0.0f, 0.0f, 0.0f);
    float speedRate = 0.0f;
    if (const IPlayerView* player =
            g_pEnvironment2 ? dynamic_cast<const IPlayerView*>(ObjectOf(g_pEnvironment2->player)) : nullptr) {
        const D3DXVECTOR3& steering = player->GetVelocity();
        const D3DXVECTOR3& negative = player->GetVelocityMin();
        const D3DXVECTOR3& positive = player->GetVelocityMax();
        lag.x = SteeringLag(steering.x, negative.x, positive.x);
        lag.y = SteeringLag(steering.y, negative.y, positive.y);
        lag.z = SteeringLag(steering.z, negative.z, positive.z);
        speedRate = player->GetSpeedRate();
    }
    m_eye = FollowEye(target, lag, speedRate);
    // Measured once the lag is in: the eye of a machine in steady straight
    // flight does not move up or down.
    if (timeStep > 0.0f) m_velocity = (m_eye - previous) / timeStep;

    AddShake();
    DecayShake(m_shakeAmplitude, timeStep);

    ApplyView(rotation);
    D3DXQuaternionRotationMatrix(&m_orientation, &rotation);
}

void ViewObject::UpdatePlaced() {
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &m_orientation);
    m_eye = m_areaPos.ToWorld();
    m_lookAt = m_placedLookAt.ToWorld();
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXVec3TransformNormal(&m_up, &up, &rotation);
    AddShake();
    PublishCamera();
}

void ViewObject::ApplyView(const D3DXMATRIX& rotation) {
    const D3DXVECTOR3 front(0.0f, 0.0f, 1.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXVECTOR3 direction;
    D3DXVec3TransformNormal(&direction, &front, &rotation);
    m_lookAt = m_eye + direction;
    D3DXVec3TransformNormal(&m_up, &up, &rotation);
    m_areaPos = AreaPos::FromWorld(m_eye);
    PublishCamera();
}

void ViewObject::PublishCamera() {
    if (SoundManager* sound = g_pEnvironment2 ? g_pEnvironment2->soundManager : nullptr)
        sound->SetListenerPosition(m_areaPos);
    if (ObjectManager* manager = GetObjectManager()) {
        manager->SetCamera(m_eye, m_lookAt, m_up);
        manager->UpdateMatrices();
    }
}

IUnknown* CountedOf(ViewObject* view) { return view; }
