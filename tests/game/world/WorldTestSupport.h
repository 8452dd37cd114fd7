// A headless world for the tests: the environment with the game's grid sizes,
// an object manager without a device, an initialised area manager, and small
// objects and factories that record what happens to them.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/ObjectManager.h"
#include "game/world/Area.h"
#include "game/world/AreaFactoryAdapter.h"
#include "game/world/AreaManager.h"
#include "game/world/CollisionShapeSet.h"
#include "game/world/Object3D.h"

namespace world_test {

using Quorvex::AreaPos;
using Quorvex::Int3;

inline bool operator==(const Int3& a, const Int3& b) { return SameCell(a, b); }

// Records collisions; the filter answer is set by the test.
class Probe : public Object3D {
public:
    Probe(Quorvex::IObjectManager* objects, Quorvex::IAreaManager* areas, const AreaPos& position)
        : Object3D(objects, areas, position) {}
    void OnCollision(Quorvex::Object* other) override { partners.push_back(other); }
    bool CanCollide(Object3D*) override { return allow; }

    std::vector<Quorvex::Object*> partners;
    bool allow = true;
};

// Plain Areas at the stage factories' cost; counts what it made, and fails
// on request the way a stage factory whose Area cannot be initialised does.
class StubFactory : public AreaFactoryAdapter {
public:
    explicit StubFactory(Quorvex::IAreaManager* areas, float cost = 0.01f) : AreaFactoryAdapter(areas), cost_(cost) {}
    int CreateArea(Area** out, const Int3& cell) override {
        ++made;
        if (fail) {
            // Built (registered by its constructor, the world taken), then
            // dropped by the factory when placing its content failed.
            Area* area = new Area(m_pAreaManager, cell);
            area->AddRef();
            area->Init(0);
            area->Release();
            *out = nullptr;
            return -1;
        }
        return AreaFactoryAdapter::CreateArea(out, cell);
    }
    float GetCost(const Int3&) override { return cost_; }

    int made = 0;
    bool fail = false;

private:
    float cost_;
};

class WorldFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Quorvex::MessageTable::Build();
        ASSERT_EQ(Quorvex::SetupWorldExtents(), 0);
        Quorvex::g_pEnvironment->SetAreaCellSize(D3DXVECTOR3(1000.0f, 10000.0f, 1000.0f),
                                                 D3DXVECTOR3(1500.0f, 15000.0f, 1500.0f));
        objects = new Quorvex::ObjectManager();
        objects->AddRef();
        Quorvex::ObjectManager::InitParam param;
        param.groupCount = 16;
        param.jobCount = 1;
        param.vertexBytes = 24 * 1024;
        param.indexBytes = 2 * 1024;
        param.commandCapacity = 1024;
        ASSERT_EQ(objects->Initialize(param), 0);
        areas = new AreaManager(objects);
        areas->AddRef();
        ASSERT_EQ(areas->Init(), 0);
    }

    void TearDown() override {
        for (Object3D* object : held) object->Release();
        held.clear();
        if (areas) areas->Release();
        areas = nullptr;
        if (objects) objects->Release();
        objects = nullptr;
        SAFE_RELEASE(Quorvex::g_pEnvironment);
    }

    // Uses the adapter's factory (plain Areas) unless the test installs one.
    StubFactory* InstallFactory(float cost = 0.01f) {
        auto* factory = new StubFactory(areas, cost);
        areas->SetAreaFactory(factory);
        return factory;
    }

    // A probe the fixture releases at the end.
    Probe* NewProbe(const D3DXVECTOR3& world) {
        auto* probe = new Probe(objects, areas, AreaPos::FromWorld(world));
        probe->AddRef();
        held.push_back(probe);
        return probe;
    }

    CollisionShapeSet* Sphere(const wchar_t* name, float radius, float mass) {
        CreateSphereShapeSet(name, radius, mass, areas);
        return areas->FindShapeSet(name);
    }

    Quorvex::ObjectManager* objects = nullptr;
    AreaManager* areas = nullptr;
    std::vector<Object3D*> held;
};

}  // namespace world_test
