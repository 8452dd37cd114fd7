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
#include "game/support/HeadlessWorld.h"
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

class WorldFixture : public ::testing::Test, protected game_test::HeadlessWorld {
protected:
    void SetUp() override { Open(1024); }

    void TearDown() override {
        for (Object3D* object : held) object->Release();
        held.clear();
        Close();
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

    std::vector<Object3D*> held;
};

}  // namespace world_test
