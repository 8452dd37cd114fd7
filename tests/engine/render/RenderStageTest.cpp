// Render stages and groups against a recording device: what is sorted, dealt,
// copied into the shared buffers and drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "FakeDevice.h"
#include "RenderTestSupport.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/RenderGroup.h"
#include "engine/core/render/RenderStage.h"

using Quorvex::CalcVertexSet;
using Quorvex::MaterialUnit;
using Quorvex::ObjectManager;
using Quorvex::RenderGroup;
using Quorvex::RenderObject;
using Quorvex::RenderStage;
using render_test::FakeDevice;
using render_test::FakeShader;

namespace {

MaterialUnit* FakeSet(int n) { return reinterpret_cast<MaterialUnit*>(uintptr_t{0x1000} * n); }

class SpriteObject : public RenderObject {
public:
    SpriteObject(ObjectManager* manager, int set, float priority, float x = 0.0f)
        : RenderObject(manager, CreateRegister) {
        sprite.material = FakeSet(set);
        sprite.position = D3DXVECTOR3(x, 0.0f, 10.0f);
        SetDrawPriority(priority);
    }
    void Render(CalcVertexSet* list) override {
        ++renders;
        Quorvex::PushBillboard(list, sprite);
    }
    Quorvex::Sprite3DData sprite;
    int renders = 0;
};

// A device, a shader manager with fake sprite effects, an object manager on
// both and one stage registered with it.
class Pipeline : public testing::Test {
protected:
    void Make(int jobs, int capacity = 1000) {
        device = new FakeDevice();
        device->AddRef();
        shaders = render_test::NewFakeShaderManager(device, &effect);
        manager = render_test::NewManagerOn(device, shaders, jobs);
        stage = new RenderStage();
        stage->AddRef();
        ASSERT_EQ(stage->Initialize(manager, "Stage", capacity), 0);
        manager->AddRenderStage(stage);
    }
    void TearDown() override {
        for (RenderObject* o : objects) o->Release();
        objects.clear();
        SAFE_RELEASE(stage);
        SAFE_RELEASE(manager);
        SAFE_RELEASE(shaders);
        SAFE_RELEASE(device);
    }
    SpriteObject* Add(int set, float priority, float x = 0.0f) {
        auto* o = new SpriteObject(manager, set, priority, x);
        o->AddRef();
        o->AttachStage(stage);
        objects.push_back(o);
        return o;
    }
    void Frame() {
        manager->Update(0.0f);
        manager->BeginStage(stage);
    }

    FakeDevice* device = nullptr;
    Quorvex::ShaderManager* shaders = nullptr;
    FakeShader* effect = nullptr;
    ObjectManager* manager = nullptr;
    RenderStage* stage = nullptr;
    std::vector<RenderObject*> objects;
};

TEST_F(Pipeline, SpritesOfOneTextureSetAreOneDrawAndAnotherSetBetweenMakesThree) {
    struct Case {
        std::vector<int> sets;  // in draw order
        int draws;
    };
    for (const Case& c : {Case{{1, 1, 1}, 1}, Case{{1, 2, 1}, 3}, Case{{1, 1, 2}, 2}}) {
        TearDown();
        Make(1);
        for (size_t i = 0; i < c.sets.size(); ++i) Add(c.sets[i], 10.0f - static_cast<float>(i), static_cast<float>(i));
        Frame();
        ASSERT_EQ(static_cast<int>(device->draws.size()), c.draws);
        int triangles = 0;
        for (const auto& draw : device->draws) triangles += static_cast<int>(draw.primitives);
        EXPECT_EQ(triangles, 6);
        EXPECT_EQ(stage->GetStatistics().drawCalls.maximum, c.draws);
        EXPECT_EQ(effect->lastVertexColour, 1) << "batches draw with their vertex colours";
        EXPECT_EQ(effect->lastTextureSet, FakeSet(c.sets.back()));
        // The last draw reads the last sprite's vertices from the shared buffer.
        const auto& last = device->draws.back();
        const auto* v = reinterpret_cast<const Quorvex::SpriteVertex*>(last.vertexBytes.data());
        const Quorvex::SpriteVertex* written = manager->GetJobRecord(0)->commands.Vertices() + 8;
        EXPECT_EQ(std::memcmp(v + last.vertexBytes.size() / 24 - 3, written + 1, 24), 0)
            << "the final triangle's first vertex is the sprite's corner 1";
    }
}

TEST_F(Pipeline, EachJobFillsTheSharedBuffersOnceWithDiscardAndAnEmptyStageTouchesNothing) {
    Make(1);
    Add(1, 1.0f);
    Add(1, 2.0f);
    Frame();
    auto* vertices = device->vertexBuffers.at(0);
    auto* indices = device->indexBuffers.at(0);
    ASSERT_EQ(vertices->locks.size(), 1u);
    EXPECT_EQ(vertices->locks[0].offset, 0u);
    EXPECT_EQ(vertices->locks[0].size, 2u * 96u);
    EXPECT_EQ(vertices->locks[0].flags, static_cast<DWORD>(D3DLOCK_DISCARD));
    EXPECT_EQ(vertices->unlocks, 1);
    ASSERT_EQ(indices->locks.size(), 1u);
    EXPECT_EQ(indices->locks[0].size, 12u * 2u);
    EXPECT_EQ(device->vertexBufferUsage, static_cast<DWORD>(D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY));
    EXPECT_EQ(device->vertexBufferFvf, 0x142u);
    EXPECT_FLOAT_EQ(stage->GetStatistics().drawCalls.average, 0.5f);

    for (RenderObject* o : objects) stage->SubObject(o);
    Frame();
    EXPECT_EQ(vertices->locks.size(), 1u) << "no lock without vertices";
    EXPECT_EQ(indices->locks.size(), 1u);
    EXPECT_EQ(device->draws.size(), 1u);
    EXPECT_FLOAT_EQ(stage->GetStatistics().drawCalls.average, 0.25f) << "the figures still age";
    EXPECT_EQ(stage->GetStatistics().vertices.maximum, 8);
}

TEST_F(Pipeline, TheDrawArrayIsSortedByDescendingPriorityKeepingTheOrderOfEqualKeys) {
    Make(1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float p : {1.0f, 3.0f, nan, 3.0f, 2.0f, 3.0f, -1.0f}) Add(1, p);
    Frame();
    ASSERT_EQ(stage->GetDrawCount(), 7);
    std::vector<RenderObject*> threes;
    for (RenderObject* o : objects)
        if (o->GetDrawPriority() == 3.0f) threes.push_back(o);
    std::sort(threes.begin(), threes.end());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(stage->GetDrawObject(i), threes[i]) << "equal keys in address order";
    EXPECT_EQ(stage->GetDrawObject(3)->GetDrawPriority(), 2.0f);
    EXPECT_EQ(stage->GetDrawObject(4)->GetDrawPriority(), 1.0f);
    EXPECT_EQ(stage->GetDrawObject(5)->GetDrawPriority(), -1.0f);
    EXPECT_TRUE(std::isnan(stage->GetDrawObject(6)->GetDrawPriority())) << "a key that is no number goes last";
}

TEST_F(Pipeline, TheSortedArrayIsDealtInContiguousSlices) {
    struct Case {
        int jobs;
        int objects;
        std::vector<int> counts;
    };
    for (const Case& c : {Case{4, 9, {3, 3, 3, 0}}, Case{4, 2, {1, 1, 0, 0}}, Case{3, 10, {4, 4, 2}}}) {
        TearDown();
        Make(c.jobs);
        for (int i = 0; i < c.objects; ++i) Add(1, static_cast<float>(i));
        Frame();
        int start = 0;
        for (int r = 0; r < c.jobs; ++r) {
            const Quorvex::JobRecord* job = manager->GetJobRecord(r);
            EXPECT_EQ(job->renderCount, c.counts[r]) << c.jobs << "/" << c.objects << " record " << r;
            for (int k = 0; k < job->renderCount; ++k) EXPECT_EQ(job->renderList[k], stage->GetDrawObject(start + k));
            start += job->renderCount;
        }
        for (RenderObject* o : objects) EXPECT_EQ(static_cast<SpriteObject*>(o)->renders, 1);
    }
}

TEST_F(Pipeline, AStageTakesNoMoreObjectsThanItsCapacityAndLetsGoOnlyWhenReset) {
    Make(1, 2);
    SpriteObject* a = Add(1, 1.0f);
    Add(1, 2.0f);
    EXPECT_EQ(stage->AddObject(a), 1) << "already present";
    Frame();
    auto* extra = new SpriteObject(manager, 1, 0.0f);
    extra->AddRef();
    EXPECT_EQ(stage->AddObject(extra), -1) << "this frame's draw array is full";
    extra->Release();

    // While rendering is disabled the stages are not reset: a requested
    // removal waits.
    manager->SetRenderEnable(false);
    a->RequestRemove(true);
    manager->Update(0.0f);
    EXPECT_EQ(a->GetRenderStage(), stage);
    EXPECT_EQ(manager->Render(), 1);
    manager->SetRenderEnable(true);
    manager->Update(0.0f);
    EXPECT_EQ(a->GetRenderStage(), nullptr);
    EXPECT_EQ(stage->GetObjectCount(), 1);
}

TEST_F(Pipeline, SourceGroupsAreDrawnFirstWithinTheCapacity) {
    Make(1, 3);
    auto* source = new RenderStage();
    source->AddRef();
    source->Initialize(manager, "Source", 10);
    std::vector<SpriteObject*> merged;
    for (int i = 0; i < 2; ++i) {
        auto* o = new SpriteObject(manager, 2, 100.0f);
        o->AddRef();
        o->AttachStage(source);
        objects.push_back(o);
        merged.push_back(o);
    }
    stage->AddSourceGroup(source);
    stage->AddSourceGroup(source);  // the name is taken: kept as it was
    Add(1, 1.0f);
    Add(1, 2.0f);
    manager->Update(0.0f);
    ASSERT_EQ(stage->GetDrawCount(), 3) << "two merged, then one own object up to the capacity";
    EXPECT_TRUE(stage->GetDrawObject(0) == merged[0] || stage->GetDrawObject(0) == merged[1]);
    EXPECT_EQ(source->GetRefCount(), 2);
    stage->SubSourceGroup("Source");
    EXPECT_EQ(source->GetRefCount(), 1);
    source->Release();
}

TEST_F(Pipeline, AFailedBufferLockEndsTheStageWithItsText) {
    Make(1);
    Add(1, 1.0f);
    device->vertexBuffers.at(0)->failLocks = true;
    manager->Update(0.0f);
    try {
        manager->BeginStage(stage);
        FAIL() << "no exception";
    } catch (const wchar_t* text) {
        EXPECT_EQ(std::wstring(text), L"頂点バッファのロックに失敗");
    }
    EXPECT_EQ(stage->GetPhase(), RenderStage::PhaseIdle);
}

TEST(ObjectManagerSetUp, DeviceFailuresAreLoggedAndAnswerMinusOne) {
    render_test::LogCapture capture;
    struct Case {
        bool failCaps;
        bool failVertexBuffer;
        const char* text;
    };
    for (const Case& c : {Case{true, false, "デバイスの能力の取得に失敗"}, Case{false, true, "頂点バッファの生成に失敗"}}) {
        auto* device = new FakeDevice();
        device->AddRef();
        device->failCaps = c.failCaps;
        device->failVertexBuffer = c.failVertexBuffer;
        auto* manager = new ObjectManager();
        manager->AddRef();
        ObjectManager::InitParam p = render_test::DeviceFreeParam(2);
        p.device = device;
        EXPECT_EQ(manager->Initialize(p), -1) << c.text;
        EXPECT_EQ(manager->GetJobCount(), 0) << "Shutdown ran";
        EXPECT_EQ(manager->GetDevice(), nullptr);
        manager->Release();
        EXPECT_EQ(device->GetReferenceCount(), 1) << "the device's reference was given back";
        device->Release();
        const std::string log = capture.Text();
        EXPECT_NE(log.find(std::string("ObjectManager::Initialize : ") + c.text), std::string::npos) << log;
    }
}

// A group that records the order of its draws.
class TestGroup : public RenderGroup {
public:
    TestGroup(int key, int prepareResult, std::vector<std::string>* journal)
        : key_(key), prepare_(prepareResult), journal_(journal) {}
    int Prepare(int) override { return prepare_; }
    void Draw() override {
        journal_->push_back(GetName());
        GetObjectManager()->BeginStage(this);
    }
    int GetOrderKey() const override { return key_; }

private:
    int key_;
    int prepare_;
    std::vector<std::string>* journal_;
};

TEST_F(Pipeline, GroupsAreDrawnByAscendingKeyAndAFailedGroupIsNeverDrawn) {
    Make(1);
    std::vector<std::string> journal;
    struct GroupSpec {
        const char* name;
        int key;
        int prepare;
    };
    const GroupSpec groupSpecs[] = {{"B", 5000, 0}, {"A", 5000, 0}, {"C", 1000, 0}, {"D", 8000, 0}, {"E", 2000, -3}};
    std::vector<TestGroup*> groups;
    for (const GroupSpec& s : groupSpecs) {
        auto* group = new TestGroup(s.key, s.prepare, &journal);
        group->AddRef();
        EXPECT_EQ(group->Initialize(manager, s.name, 100, 0), s.prepare) << s.name;
        groups.push_back(group);
    }
    EXPECT_EQ(manager->GetRenderGroup("E"), nullptr);
    EXPECT_EQ(manager->GetRenderStage("E"), nullptr);
    EXPECT_EQ(manager->Render(), 0);
    EXPECT_EQ(journal, (std::vector<std::string>{"C", "A", "B", "D"}));

    // A second group under a taken name counts a second use of the first
    // group's entries and answers its own Prepare result.
    auto* twin = new TestGroup(9000, 7, &journal);
    twin->AddRef();
    EXPECT_EQ(twin->Initialize(manager, "A", 100, 0), 7);
    EXPECT_EQ(manager->GetRenderGroup("A"), groups[1]);
    twin->Release();  // its destructor gives its uses back
    EXPECT_EQ(manager->GetRenderGroup("A"), groups[1]) << "the first group stays registered";
    groups[4]->Release();  // the failed group takes no use of anybody with it
    journal.clear();
    manager->Render();
    EXPECT_EQ(journal, (std::vector<std::string>{"C", "A", "B", "D"}));
    for (int i = 0; i < 4; ++i) groups[i]->Release();
}

}  // namespace
