// The streaming grid: creation queue and budget, keep window, Area lifetime
// and the physics world's lifetime.
#include <set>
#include <tuple>

#include "WorldTestSupport.h"

namespace world_test {
namespace {

using Streaming = WorldFixture;

// Records every cell it is asked for, in order.
class RecordingFactory : public StubFactory {
public:
    using StubFactory::StubFactory;
    int CreateArea(Area** out, const Int3& cell) override {
        asked.push_back(cell);
        priorities.push_back(GetPriority(cell));
        return StubFactory::CreateArea(out, cell);
    }
    std::vector<Int3> asked;
    std::vector<float> priorities;
};

bool InsideKeepWindow(const Int3& cell, const Int3& center) {
    return cell.x >= center.x - 3 && cell.x <= center.x + 3 && cell.y >= center.y - 1 && cell.y <= center.y + 1 &&
           cell.z >= center.z - 2 && cell.z <= center.z + 9;
}

TEST_F(Streaming, FirstCentreBuildsTheWindowNearestFirstWithinTheBudget) {
    auto* factory = new RecordingFactory(areas);
    areas->SetAreaFactory(factory);

    ASSERT_EQ(areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0, 0, 0), 0), 0);
    EXPECT_EQ(areas->GetAreaCount(), 1u) << "the centre's Area is made at once";
    EXPECT_EQ(areas->GetQueuedCount(), 44u) << "the rest of the 5 x 1 x 9 window is queued";
    EXPECT_FLOAT_EQ(areas->GetCreationBudget(), 0.01f) << "an idle queue starts with the first request's cost";

    // The same centre again is no change and queues nothing.
    EXPECT_EQ(areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0, 0, 0), 0), 0);
    EXPECT_EQ(areas->GetQueuedCount(), 44u);

    size_t before = areas->GetAreaCount();
    for (int frame = 0; frame < 60; ++frame) {
        areas->Update(1.0f / 60.0f);
        const size_t now = areas->GetAreaCount();
        EXPECT_LE(now - before, 2u) << "frame " << frame;
        before = now;
    }
    EXPECT_EQ(areas->GetAreaCount(), 45u);
    EXPECT_EQ(areas->GetQueuedCount(), 0u);
    EXPECT_EQ(areas->GetCreationBudget(), 0.0f);
    ASSERT_EQ(factory->priorities.size(), 45u);
    EXPECT_EQ(factory->priorities[0], 0.0f);
    for (size_t i = 1; i < factory->priorities.size(); ++i)
        EXPECT_LE(factory->priorities[i - 1], factory->priorities[i]) << "creation " << i;
}

TEST_F(Streaming, MovingCentreMakesEachCellOnceAndDropsOnlyEmptyAreasOutsideTheKeepWindow) {
    auto* factory = new RecordingFactory(areas);
    areas->SetAreaFactory(factory);
    areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0, 0, 0), 0);
    Probe* anchor = NewProbe(D3DXVECTOR3(10.0f, 0.0f, 10.0f));  // keeps cell (0, 0, 0) in use
    ASSERT_NE(anchor->GetArea(), nullptr);

    for (int step = 1; step <= 40; ++step) {
        areas->SetCentralPoint(Int3{0, 0, step}, D3DXVECTOR3(0, 0, 0), 0);
        for (int frame = 0; frame < 30; ++frame) areas->Update(1.0f / 60.0f);
        for (int z = -1; z <= 7; ++z)
            for (int x = -2; x <= 2; ++x)
                EXPECT_NE(areas->FindArea(Int3{x, 0, step + z}, 2), nullptr) << step << " " << x << " " << z;
    }
    std::set<std::tuple<int, int, int>> distinct;
    for (const Int3& cell : factory->asked)
        EXPECT_TRUE(distinct.insert({cell.x, cell.y, cell.z}).second)
            << "cell asked twice: " << cell.x << " " << cell.y << " " << cell.z;

    // Empty Areas behind the centre are gone; the anchor's stays.
    const Int3 center{0, 0, 40};
    for (const Int3& cell : factory->asked) {
        Area* area = areas->FindArea(cell, 2);
        if (SameCell(cell, Int3{0, 0, 0})) {
            EXPECT_EQ(area, anchor->GetArea());
        } else if (!InsideKeepWindow(cell, center)) {
            EXPECT_EQ(area, nullptr) << cell.x << " " << cell.y << " " << cell.z;
        }
    }

    // Once the object leaves, its Area asks for removal and goes one update later.
    anchor->SetArea(nullptr);
    Area* old = areas->FindArea(Int3{0, 0, 0}, 2);
    ASSERT_NE(old, nullptr);
    areas->Update(0.0f);
    EXPECT_EQ(areas->FindArea(Int3{0, 0, 0}, 2), old) << "requested, not yet removed";
    // An object that arrives before the removal keeps the Area.
    auto* visitor = new Probe(objects, areas, AreaPos::FromCellAndOffset(Int3{0, 0, 0}, D3DXVECTOR3(20, 0, 20)));
    visitor->AddRef();
    held.push_back(visitor);
    ASSERT_EQ(visitor->GetArea(), old);
    areas->Update(0.0f);
    EXPECT_EQ(areas->FindArea(Int3{0, 0, 0}, 2), old);
    visitor->SetArea(nullptr);
    areas->Update(0.0f);
    areas->Update(0.0f);
    EXPECT_EQ(areas->FindArea(Int3{0, 0, 0}, 2), nullptr);
}

TEST_F(Streaming, BudgetBlocksExpensiveRequestsAndSkipsCellsMadeMeanwhileForFree) {
    InstallFactory(0.05f);
    areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0, 0, 0), 0);
    // The four nearest neighbours get their Areas another way before their turn.
    for (const Int3& cell : {Int3{1, 0, 0}, Int3{-1, 0, 0}, Int3{0, 0, 1}, Int3{0, 0, -1}})
        ASSERT_NE(areas->FindArea(cell, 1), nullptr);
    ASSERT_EQ(areas->GetAreaCount(), 5u);

    struct Step {
        float dt;
        size_t areas;
        size_t queued;
    };
    const Step steps[] = {
        {0.0f, 6, 39},   // four dropped at no cost, then one paid with the starting budget
        {0.025f, 6, 39},  // 0.025 < 0.05: the front request waits
        {0.025f, 7, 38},  // 0.05 reached
    };
    for (const Step& s : steps) {
        areas->Update(s.dt);
        EXPECT_EQ(areas->GetAreaCount(), s.areas) << s.dt;
        EXPECT_EQ(areas->GetQueuedCount(), s.queued) << s.dt;
    }

    // Clearing on a centre change forgets the queue and the budget.
    areas->SetCentralPoint(Int3{0, 0, 50}, D3DXVECTOR3(0, 0, 0), 1);
    EXPECT_EQ(areas->GetQueuedCount(), 44u);
    EXPECT_FLOAT_EQ(areas->GetCreationBudget(), 0.05f);
}

TEST_F(Streaming, FindAreaCreatesOnlyInTheModesThatMayCreate) {
    InstallFactory();
    struct Case {
        int mode;
        BYTE onDemand;
        bool created;
    };
    const Case cases[] = {{0, 1, true}, {0, 0, false}, {1, 0, true}, {2, 1, false}, {7, 1, false}};
    int z = 100;
    for (const Case& c : cases) {
        areas->SetCreateOnDemand(c.onDemand);
        const Int3 cell{0, 0, z++};
        Area* area = areas->FindArea(cell, c.mode);
        EXPECT_EQ(area != nullptr, c.created) << "mode " << c.mode << " on-demand " << int(c.onDemand);
        if (area) {
            EXPECT_EQ(area, areas->FindArea(cell, 2));
        }
    }
}

TEST_F(Streaming, FailedBuildLeavesNoAreaBehindAndGivesTheWorldBack) {
    InstallFactory()->fail = true;

    EXPECT_EQ(areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0, 0, 0), 0), 0);
    EXPECT_EQ(areas->FindArea(Int3{0, 0, 0}, 2), nullptr);
    EXPECT_EQ(areas->GetAreaCount(), 0u);
    for (int frame = 0; frame < 10; ++frame) areas->Update(0.1f);
    EXPECT_EQ(areas->GetAreaCount(), 0u);
    EXPECT_EQ(areas->GetQueuedCount(), 0u) << "failed requests are dropped";
    EXPECT_EQ(areas->GetWorldHoldCount(), 0);
    EXPECT_EQ(areas->GetDynamicsWorld(), nullptr);
    areas->RemoveAllAreas();
}

TEST_F(Streaming, WorldLivesWhileAreasHoldItAndIsRebuiltOnTheNextRequest) {
    InstallFactory();
    areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0, 0, 0), 0);
    for (int frame = 0; frame < 60; ++frame) areas->Update(1.0f / 60.0f);
    btSoftRigidDynamicsWorld* first = areas->GetDynamicsWorld();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(areas->GetWorldHoldCount(), 45);
    EXPECT_FLOAT_EQ(first->getGravity().y(), -9.8f);

    areas->RemoveAllAreas();
    EXPECT_EQ(areas->GetAreaCount(), 0u);
    EXPECT_EQ(areas->GetDynamicsWorld(), nullptr);
    EXPECT_EQ(areas->GetWorldHoldCount(), 0);

    btSoftRigidDynamicsWorld* taken = nullptr;
    ASSERT_EQ(areas->GetWorld(&taken), 0);
    ASSERT_EQ(areas->GetWorld(&taken), 0);
    EXPECT_NE(taken, nullptr);
    areas->ReleaseWorld(taken);
    EXPECT_EQ(areas->GetDynamicsWorld(), taken);
    areas->ReleaseWorld(taken);
    EXPECT_EQ(areas->GetDynamicsWorld(), nullptr);
}

TEST_F(Streaming, ShapeSetsAreFoundByNameAndReplacedWhole) {
    EXPECT_EQ(areas->AddShapeSet(nullptr), -1);
    btSphereShape* sphere = CreateSphereShapeSet(L"Fighter", 2.0f, 100.0f, areas);
    ASSERT_NE(sphere, nullptr);
    CollisionShapeSet* set = areas->FindShapeSet(L"Fighter");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(areas->GetShape(L"Fighter"), sphere);
    EXPECT_EQ(set->GetMass(), 100.0f);
    EXPECT_EQ(set->GetLocalInertia(), btVector3(0, 0, 0)) << "spheres have zero inertia whatever the mass";

    btBoxShape* box = CreateBoxShapeSet(L"Fighter", btVector3(6, 6, 10), 10.0f, areas);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(areas->GetShape(L"Fighter"), box) << "the same name replaces the set";
    EXPECT_GT(areas->FindShapeSet(L"Fighter")->GetLocalInertia().x(), 0.0f) << "box inertia comes from the mass";

    // Adding the registered set again keeps it alive.
    EXPECT_EQ(areas->AddShapeSet(areas->FindShapeSet(L"Fighter")), 0);
    EXPECT_EQ(areas->GetShape(L"Fighter"), box);

    areas->RemoveShapeSet(L"Missing");
    areas->RemoveShapeSet(L"Fighter");
    EXPECT_EQ(areas->FindShapeSet(L"Fighter"), nullptr);
    EXPECT_EQ(areas->GetShape(L"Fighter"), nullptr);
    EXPECT_EQ(CreateSphereShapeSet(L"Nowhere", 1.0f, 1.0f, nullptr), nullptr);
}

}  // namespace
}  // namespace world_test
