// 3D objects in the physics world: contacts, the collision filter, world
// re-centring, body synchronisation and Area membership.
#include <cmath>

#include "WorldTestSupport.h"

namespace world_test {
namespace {

using Physics = WorldFixture;

bool InWorld(const Object3D* object) {
    return object->GetRigidBody() && object->GetRigidBody()->getWorldArrayIndex() >= 0;
}

TEST_F(Physics, TouchingBodiesReachBothOwnersUnlessEitherFilterSaysNo) {
    InstallFactory(1.0f);
    CollisionShapeSet* ball = Sphere(L"Ball", 10.0f, 1.0f);
    struct Case {
        bool allowA, allowB, dropOwnerB;
        bool aHearsB, aHearsNull, bHearsA;
    };
    const Case cases[] = {
        {true, true, false, true, false, true},
        {false, true, false, false, false, false},
        {true, false, false, false, false, false},
        {true, true, true, false, true, false},  // B's body has no registered owner
    };
    float z = 0.0f;
    for (const Case& c : cases) {
        Probe* a = NewProbe(D3DXVECTOR3(0.0f, 0.0f, z));
        Probe* b = NewProbe(D3DXVECTOR3(15.0f, 0.0f, z));
        z += 300.0f;
        a->allow = c.allowA;
        b->allow = c.allowB;
        ASSERT_EQ(a->CreateRigidBody(ball, 0, 0.5f, 0.0f), 0);
        ASSERT_EQ(b->CreateRigidBody(ball, 0, 0.5f, 0.0f), 0);
        ASSERT_TRUE(InWorld(a) && InWorld(b));
        if (c.dropOwnerB) objects->SetBodyOwner(static_cast<btCollisionObject*>(b->GetRigidBody()), nullptr);
        for (int frame = 0; frame < 3; ++frame) areas->Update(1.0f / 60.0f);

        bool aHearsB = false, aHearsNull = false, aHearsOther = false;
        for (Quorvex::Object* other : a->partners) {
            aHearsB |= other == b;
            aHearsNull |= other == nullptr;
            aHearsOther |= other != b && other != nullptr;
        }
        bool bHearsA = false, bHearsOther = false;
        for (Quorvex::Object* other : b->partners) {
            bHearsA |= other == a;
            bHearsOther |= other != a;
        }
        const int row = static_cast<int>(&c - cases);
        EXPECT_EQ(aHearsB, c.aHearsB) << row;
        EXPECT_EQ(aHearsNull, c.aHearsNull) << row;
        EXPECT_EQ(bHearsA, c.bHearsA) << row;
        EXPECT_FALSE(aHearsOther || bHearsOther) << row;
        if (c.bHearsA) {
            EXPECT_EQ(b->partners.size(), a->partners.size()) << "one call each way per point";
        }
    }

    // A touching pair whose filter starts refusing falls silent at once,
    // although the library keeps its last contact points.
    Probe* a = NewProbe(D3DXVECTOR3(0.0f, 0.0f, z));
    Probe* b = NewProbe(D3DXVECTOR3(15.0f, 0.0f, z));
    a->CreateRigidBody(ball, 0, 0.5f, 0.0f);
    b->CreateRigidBody(ball, 0, 0.5f, 0.0f);
    areas->Update(1.0f / 60.0f);
    ASSERT_FALSE(a->partners.empty());
    a->allow = false;
    a->partners.clear();
    b->partners.clear();
    for (int frame = 0; frame < 3; ++frame) areas->Update(1.0f / 60.0f);
    EXPECT_TRUE(a->partners.empty());
    EXPECT_TRUE(b->partners.empty());
}

TEST_F(Physics, CentreChangeShiftsEveryBodyOnceAndAPullGivesTheSamePosition) {
    InstallFactory(1.0f);
    areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0, 0, 0), 0);
    Probe* probe = NewProbe(D3DXVECTOR3(500.0f, 0.0f, 0.0f));
    ASSERT_EQ(probe->CreateRigidBody(Sphere(L"Ball", 10.0f, 1.0f), 0, 0.0f, 0.0f), 0);
    probe->GetRigidBody()->setGravity(btVector3(0, 0, 0));
    areas->Update(0.0f);
    EXPECT_EQ(*Quorvex::g_pEnvironment->GetWorldShift(), D3DXVECTOR3(0, 0, 0));

    areas->SetCentralPoint(Int3{1, 0, 0}, D3DXVECTOR3(0, 0, 0), 1);
    areas->Update(0.0f);
    const btVector3 origin = probe->GetRigidBody()->getWorldTransform().getOrigin();
    EXPECT_FLOAT_EQ(origin.x(), -500.0f);
    EXPECT_FLOAT_EQ(origin.y(), 0.0f);
    EXPECT_FLOAT_EQ(origin.z(), 0.0f);
    EXPECT_EQ(*Quorvex::g_pEnvironment->GetWorldShift(), D3DXVECTOR3(-1000.0f, 0, 0));

    probe->SyncRigidBody(2);
    const AreaPos& pos = probe->GetAreaPos();
    EXPECT_EQ(pos.x.cell, 0);
    EXPECT_FLOAT_EQ(pos.x.offset, 500.0f);
    EXPECT_EQ(pos.y.cell, 0);
    EXPECT_EQ(pos.z.cell, 0);

    areas->Update(0.0f);
    EXPECT_EQ(*Quorvex::g_pEnvironment->GetWorldShift(), D3DXVECTOR3(0, 0, 0)) << "the shift lasts one frame";
}

TEST_F(Physics, PushThenPullKeepsThePositionAndFlipsW) {
    InstallFactory(1.0f);
    CollisionShapeSet* ball = Sphere(L"Ball", 10.0f, 1.0f);
    D3DXQUATERNION turned;
    D3DXQuaternionRotationYawPitchRoll(&turned, 0.5f, 0.25f, 0.0f);
    const D3DXQUATERNION orientations[] = {D3DXQUATERNION(0, 0, 0, 1), turned};
    for (const D3DXQUATERNION& q : orientations) {
        Probe* probe = NewProbe(D3DXVECTOR3(120.0f, 30.0f, 40.0f));
        probe->SetOrientation(q);
        ASSERT_EQ(probe->CreateRigidBody(ball, 0, 0.0f, 0.0f), 0);
        probe->SyncRigidBody(1);
        probe->SyncRigidBody(2);
        const D3DXVECTOR3 p = probe->GetWorldPosition();
        EXPECT_NEAR(p.x, 120.0f, 1e-3f);
        EXPECT_NEAR(p.y, 30.0f, 1e-3f);
        EXPECT_NEAR(p.z, 40.0f, 1e-3f);
        const D3DXQUATERNION& r = probe->GetOrientation();
        // (x, y, z, -w) up to the sign of the whole quaternion.
        const float sign = (r.x * q.x + r.y * q.y + r.z * q.z - r.w * q.w) < 0.0f ? -1.0f : 1.0f;
        EXPECT_NEAR(sign * r.x, q.x, 1e-5f);
        EXPECT_NEAR(sign * r.y, q.y, 1e-5f);
        EXPECT_NEAR(sign * r.z, q.z, 1e-5f);
        EXPECT_NEAR(sign * r.w, -q.w, 1e-5f);
    }

    // Mode 0 pushes into a kinematic body and pulls from a dynamic one.
    Probe* kinematic = NewProbe(D3DXVECTOR3(0, 0, 0));
    Quorvex::g_pEnvironment->SetWorldScale(2.0f);
    kinematic->CreateRigidBody(ball, 1, 0.25f, 0.0f);
    const PlaneRigidBody* body = kinematic->GetRigidBody();
    EXPECT_EQ(body->getCollisionFlags() & 10, 10) << "kinematic and custom material";
    EXPECT_FLOAT_EQ(body->getRestitution(), 0.25f);
    EXPECT_EQ(body->getGravity(), btVector3(0.0f, -9.8f, 0.0f)) << "the environment's gravity, not scaled";
    kinematic->SetWorldPosition(D3DXVECTOR3(7.0f, 8.0f, 9.0f));
    kinematic->SyncRigidBody(0);
    EXPECT_EQ(kinematic->GetRigidBody()->getWorldTransform().getOrigin(), btVector3(7, 8, 9));
    Probe* dynamic = NewProbe(D3DXVECTOR3(0, 0, 0));
    dynamic->CreateRigidBody(ball, 0, 0.0f, 0.0f);
    EXPECT_EQ(dynamic->GetRigidBody()->getCollisionFlags() & 10, 8);
    dynamic->GetRigidBody()->getWorldTransform().setOrigin(btVector3(4, 5, 6));
    dynamic->SyncRigidBody(0);
    EXPECT_EQ(dynamic->GetWorldPosition(), D3DXVECTOR3(4, 5, 6));
}

TEST_F(Physics, BodyIsInTheWorldExactlyWhileItsObjectIsInSomeArea) {
    InstallFactory(1.0f);
    CollisionShapeSet* ball = Sphere(L"Ball", 10.0f, 1.0f);
    Probe* mover = NewProbe(D3DXVECTOR3(900.0f, 0.0f, 100.0f));
    mover->CreateRigidBody(ball, 0, 0.0f, 0.0f);
    Area* first = mover->GetArea();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(InWorld(mover));

    // Less than a cell keeps the Area; crossing moves to the neighbour's.
    mover->SetWorldPosition(D3DXVECTOR3(950.0f, 0.0f, 100.0f));
    mover->Update(0.0f);
    EXPECT_EQ(mover->GetArea(), first);
    mover->SetWorldPosition(D3DXVECTOR3(1300.0f, 0.0f, 100.0f));  // past the offset band
    mover->Update(0.0f);
    ASSERT_NE(mover->GetArea(), nullptr);
    EXPECT_NE(mover->GetArea(), first);
    EXPECT_TRUE(SameCell(mover->GetArea()->GetCell(), Int3{1, 0, 0}));
    EXPECT_FALSE(first->Contains(mover));
    EXPECT_TRUE(InWorld(mover));
    mover->SetArea(mover->GetArea());  // the same Area again changes nothing
    EXPECT_TRUE(InWorld(mover));

    // Without on-demand creation a new object in an empty cell has no Area:
    // its body is made and owned but stays out of the world.
    areas->SetCreateOnDemand(0);
    Probe* outside = NewProbe(D3DXVECTOR3(0.0f, 0.0f, 5000.0f));
    EXPECT_EQ(outside->GetArea(), nullptr);
    ASSERT_EQ(outside->CreateRigidBody(ball, 0, 0.0f, 0.0f), 0);
    EXPECT_FALSE(InWorld(outside));
    EXPECT_EQ(objects->FindBodyOwner(static_cast<btCollisionObject*>(outside->GetRigidBody())), outside);
    const void* key = static_cast<btCollisionObject*>(outside->GetRigidBody());
    outside->RemoveRigidBody();
    outside->RemoveRigidBody();
    EXPECT_EQ(objects->FindBodyOwner(key), nullptr);
    EXPECT_EQ(outside->CreateRigidBody(nullptr, 0, 0.0f, 0.0f), -1);

    Probe* orphan = new Probe(objects, nullptr, AreaPos());
    orphan->AddRef();
    EXPECT_THROW(orphan->UpdateArea(), const wchar_t*);
    orphan->Release();
}

TEST_F(Physics, RemovalTakenBackBeforeTheAreaUpdatesKeepsAreaAndBody) {
    InstallFactory(1.0f);
    CollisionShapeSet* ball = Sphere(L"Ball", 10.0f, 1.0f);
    Probe* reused = NewProbe(D3DXVECTOR3(100.0f, 0.0f, 100.0f));
    Probe* returned = NewProbe(D3DXVECTOR3(200.0f, 0.0f, 100.0f));
    reused->CreateRigidBody(ball, 0, 0.0f, 0.0f);
    returned->CreateRigidBody(ball, 0, 0.0f, 0.0f);
    Area* area = reused->GetArea();
    ASSERT_EQ(returned->GetArea(), area);

    reused->RequestRemove(true);
    reused->RequestRemove(false);
    returned->RequestRemove(true);
    areas->Update(0.0f);

    EXPECT_EQ(reused->GetArea(), area);
    EXPECT_TRUE(area->Contains(reused));
    EXPECT_TRUE(InWorld(reused));
    EXPECT_EQ(returned->GetArea(), nullptr);
    EXPECT_FALSE(area->Contains(returned));
    EXPECT_FALSE(InWorld(returned));
}

TEST_F(Physics, DrawPriorityIsTheViewSpaceDepth) {
    Probe* probe = NewProbe(D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    D3DXMATRIX view;
    D3DXMatrixRotationY(&view, 0.3f);
    view._43 = 5.0f;
    objects->SetViewMatrix(view);
    const float expected = 1.0f * view._13 + 2.0f * view._23 + 3.0f * view._33 + 5.0f;
    EXPECT_FLOAT_EQ(probe->GetDrawPriority(), expected);
    EXPECT_FLOAT_EQ(probe->Quorvex::RenderObject::GetDrawPriority(), expected) << "stored for the stage's sort";
}

}  // namespace
}  // namespace world_test
