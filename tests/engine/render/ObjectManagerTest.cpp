// The object manager's update pass, object sets, groups and registries. No
// device: these run under ThreadSanitizer as they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "RenderTestSupport.h"
#include "engine/core/render/RenderStage.h"

using Quorvex::JobRecord;
using Quorvex::Object;
using Quorvex::ObjectManager;
using render_test::Held;
using render_test::NewManager;

namespace {

// Records its updates. PostUpdate runs on the main thread only, so its
// journal needs no lock.
class Probe : public Object {
public:
    Probe(ObjectManager* manager, int priority, std::vector<Probe*>* postJournal = nullptr,
          DWORD flags = CreateRegister)
        : Object(manager, flags), post_(postJournal) {
        SetUpdatePriority(priority);
    }
    void Update(float timeStep) override {
        updates.fetch_add(1);
        lastStep = timeStep;
        if (onUpdate) onUpdate(this);
    }
    void PostUpdate() override {
        ++postUpdates;
        if (post_) post_->push_back(this);
        if (onPostUpdate) onPostUpdate(this);
    }

    std::atomic<int> updates{0};
    std::atomic<float> lastStep{0.0f};
    int postUpdates = 0;
    void (*onUpdate)(Probe*) = nullptr;
    void (*onPostUpdate)(Probe*) = nullptr;

private:
    std::vector<Probe*>* post_;
};

// Probes created for a manager, released at the end of the test.
struct Probes {
    std::vector<Probe*> all;
    Probe* Add(ObjectManager* manager, int priority, std::vector<Probe*>* journal = nullptr,
               DWORD flags = Object::CreateRegister) {
        Probe* p = new Probe(manager, priority, journal, flags);
        p->AddRef();
        all.push_back(p);
        return p;
    }
    ~Probes() {
        for (Probe* p : all) p->Release();
    }
};

TEST(ObjectManagerUpdate, UpdatesInPriorityOrderAndPostUpdatesInThatOrderOnTheMainThread) {
    for (int jobs : {1, 3}) {
        auto manager = NewManager(jobs);
        std::vector<Probe*> journal;
        Probes probes;
        const int priorities[] = {5, -3, 5, 100, 0, -3, 7, 5};
        for (int priority : priorities) probes.Add(manager.get(), priority, &journal);

        EXPECT_EQ(manager->Update(0.25f), 0);

        ASSERT_EQ(journal.size(), std::size(priorities)) << jobs;
        for (size_t i = 1; i < journal.size(); ++i) {
            const int a = journal[i - 1]->GetUpdatePriority(), b = journal[i]->GetUpdatePriority();
            EXPECT_LE(a, b) << "jobs " << jobs << " at " << i;
            if (a == b) {
                EXPECT_LT(journal[i - 1], journal[i]) << "equal keys keep address order";
            }
        }
        for (int i = 0; i < manager->GetUpdateListCount(); ++i)
            EXPECT_EQ(manager->GetUpdateListEntry(i), journal[i]) << "PostUpdate follows the update list";
        for (Probe* p : probes.all) {
            EXPECT_EQ(p->updates.load(), 1);
            EXPECT_EQ(p->lastStep.load(), 0.25f);
        }
    }
}

TEST(ObjectManagerUpdate, DealsTheSortedListRoundRobin) {
    struct Case {
        int jobs;
        int objects;
        std::vector<int> counts;
    };
    const Case cases[] = {
        {3, 7, {3, 2, 2}}, {1, 5, {5}}, {4, 2, {1, 1, 0, 0}}, {2, 0, {0, 0}}, {4, 8, {2, 2, 2, 2}},
    };
    for (const Case& c : cases) {
        auto manager = NewManager(c.jobs);
        Probes probes;
        for (int i = 0; i < c.objects; ++i) probes.Add(manager.get(), (i * 7) % 5);
        manager->Update(0.0f);

        ASSERT_EQ(manager->GetJobCount(), c.jobs);
        for (int r = 0; r < c.jobs; ++r) {
            JobRecord* record = manager->GetJobRecord(r);
            ASSERT_EQ(record->updateCount, c.counts[r]) << c.jobs << "/" << c.objects << " record " << r;
            for (int k = 0; k < record->updateCount; ++k)
                EXPECT_EQ(record->updateList[k], manager->GetUpdateListEntry(k * c.jobs + r));
        }
        for (Probe* p : probes.all) EXPECT_EQ(p->updates.load(), 1) << "each object once per frame";
    }
}

TEST(ObjectManagerUpdate, DefaultParametersFollowTheJobCount) {
    ObjectManager::InitParam given;
    const ObjectManager::InitParam none = ObjectManager::DefaultParam(given, 0);
    EXPECT_EQ(none.jobCount, 1) << "JobThreadCnt 0 or missing: one record";
    EXPECT_EQ(none.groupCount, 16);
    EXPECT_EQ(none.vertexBytes, 1572768);
    EXPECT_EQ(none.indexBytes, 196596);
    EXPECT_EQ(none.commandCapacity, 30720);

    const ObjectManager::InitParam four = ObjectManager::DefaultParam(given, 4);
    EXPECT_EQ(four.jobCount, 4);
    EXPECT_EQ(four.vertexBytes, 1572768 / 4);
    EXPECT_EQ(four.indexBytes, 196596 / 4);

    given.jobCount = 1;
    given.vertexBytes = 393216;
    EXPECT_EQ(ObjectManager::DefaultParam(given, 4).jobCount, 1) << "a given count wins";
    EXPECT_EQ(ObjectManager::DefaultParam(given, 4).vertexBytes, 393216);
    given.jobCount = 0;
    EXPECT_EQ(ObjectManager::DefaultParam(given, 4).jobCount, 1) << "0 counts as 1";

    auto manager = NewManager(0);
    EXPECT_EQ(manager->GetJobCount(), 1);
}

TEST(ObjectManagerUpdate, RemovalTakesEffectAtTheStartOfTheNextUpdate) {
    auto manager = NewManager(2);
    Probes probes;
    Probe* leaving = probes.Add(manager.get(), 1);
    Probe* staying = probes.Add(manager.get(), 2);
    Probe* spawner = probes.Add(manager.get(), 3);
    EXPECT_EQ(leaving->GetRefCount(), 2);

    // A removal requested in PostUpdate: updated this frame, gone next frame.
    leaving->onPostUpdate = [](Probe* p) {
        if (p->postUpdates == 1) p->RequestRemove(true);
    };
    // A request cancelled before the next update keeps the object.
    staying->onPostUpdate = [](Probe* p) {
        if (p->postUpdates == 1) {
            p->RequestRemove(true);
            p->RequestRemove(false);
        }
    };
    manager->Update(0.0f);
    EXPECT_TRUE(manager->HasObject(leaving)) << "still registered until the next update";
    EXPECT_TRUE(leaving->IsRemoveRequested());
    EXPECT_FALSE(staying->IsRemoveRequested());

    // An object added during the update pass is first updated next frame.
    static Probe* spawned;
    static ObjectManager* owner;
    spawned = nullptr;
    owner = manager.get();
    spawner->onUpdate = [](Probe* p) {
        if (p->updates.load() == 2) {
            spawned = new Probe(owner, 0);
            spawned->AddRef();
        }
    };
    manager->Update(0.0f);
    EXPECT_FALSE(manager->HasObject(leaving));
    EXPECT_EQ(leaving->GetRefCount(), 1) << "the manager's reference went";
    EXPECT_EQ(leaving->updates.load(), 1);
    EXPECT_EQ(staying->updates.load(), 2);
    ASSERT_NE(spawned, nullptr);
    EXPECT_EQ(spawned->updates.load(), 0);
    manager->Update(0.0f);
    EXPECT_EQ(spawned->updates.load(), 1);
    spawned->Release();
}

TEST(ObjectManagerUpdate, ExceptionsInUpdatesAreLoggedAndTheFrameCompletes) {
    render_test::LogCapture capture;
    for (int jobs : {1, 3}) {
        auto manager = NewManager(jobs);
        Probes probes;
        for (int i = 0; i < 9; ++i) probes.Add(manager.get(), i);
        probes.all[1]->onUpdate = [](Probe*) { throw L"wide failure text"; };
        probes.all[4]->onUpdate = [](Probe*) { throw std::runtime_error("narrow failure text"); };
        probes.all[8]->onUpdate = [](Probe*) { throw 42; };

        for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(manager->Update(0.0f), 0);
        for (Probe* p : probes.all) {
            EXPECT_EQ(p->updates.load(), 3) << "jobs " << jobs;
            EXPECT_EQ(p->postUpdates, 3);
        }
    }
    const std::string log = capture.Text();
    EXPECT_NE(log.find("Thread_JobProccess : wide failure text"), std::string::npos) << log;
    EXPECT_NE(log.find("narrow failure text"), std::string::npos);
    EXPECT_NE(log.find("初期化に失敗"), std::string::npos) << "anything else is logged by message 2";
    EXPECT_NE(log.find("ジョブスレッド開始"), std::string::npos) << "job threads log their start";
    EXPECT_NE(log.find("ジョブスレッド終了"), std::string::npos) << "and their end";
}

TEST(ObjectManagerUpdate, MultiJobUpdatesGiveTheSameResultAsOneJob) {
    // Each object steps its own generator; objects spawn and retire others
    // from job threads, so the sets are changed concurrently.
    struct Walker : public Object {
        Walker(ObjectManager* manager, uint32_t seed, int priority)
            : Object(manager, CreateRegister | CreateGroupBits), state(seed) {
            SetUpdatePriority(priority);
        }
        void Update(float) override {
            state = state * 1664525u + 1013904223u;
            // The manager holds the child's only reference.
            if ((state >> 28) == 3 && GetManager())
                new Walker(static_cast<ObjectManager*>(GetManager()), state, GetUpdatePriority() + 1);
            if ((state >> 28) == 7) RequestRemove(true);
            SetGroupFlag(static_cast<int>(state % 4), (state & 16) != 0);
        }
        uint32_t state;
    };
    auto run = [](int jobs) {
        auto manager = NewManager(jobs);
        for (uint32_t i = 0; i < 300; ++i) new Walker(manager.get(), i * 2654435761u, static_cast<int>(i % 7));
        for (int frame = 0; frame < 40; ++frame) manager->Update(1.0f / 60.0f);
        std::vector<std::pair<int, uint32_t>> result;
        for (int i = 0; i < manager->GetUpdateListCount(); ++i) {
            auto* w = static_cast<Walker*>(manager->GetUpdateListEntry(i));
            result.emplace_back(w->GetUpdatePriority(), w->state);
        }
        std::sort(result.begin(), result.end());
        return result;
    };
    const auto one = run(1);
    EXPECT_GT(one.size(), 100u);
    EXPECT_EQ(run(4), one);
    EXPECT_EQ(run(3), one);
}

TEST(ObjectManagerSets, GroupIterationContinuesAfterChangesWithinOneMillisecond) {
    auto manager = NewManager(1, 4);
    Probes probes;
    std::vector<Object*> members;
    for (int i = 0; i < 5; ++i) {
        Object* o = probes.Add(manager.get(), 0, nullptr, Object::CreateRegister | Object::CreateGroupBits);
        o->SetGroupFlag(2, true);
        members.push_back(o);
    }
    std::sort(members.begin(), members.end());

    ObjectManager::GroupIterator it;
    EXPECT_EQ(manager->GetFirstInGroup(2, &it), members[0]);
    EXPECT_EQ(manager->GetNextInGroup(&it), members[1]);
    // Several changes in a row, the iterator's own object among them: the
    // walk goes on with the next member, skipping none and touching no freed
    // node.
    members[1]->SetGroupFlag(2, false);
    members[1]->SetGroupFlag(2, true);
    members[1]->SetGroupFlag(2, false);
    EXPECT_EQ(manager->GetNextInGroup(&it), members[2]);
    members[3]->SetGroupFlag(2, false);
    EXPECT_EQ(manager->GetNextInGroup(&it), members[4]);
    EXPECT_EQ(manager->GetNextInGroup(&it), nullptr);
    EXPECT_EQ(manager->GetNextInGroup(&it), nullptr);

    EXPECT_EQ(manager->GetFirstInGroup(3, &it), nullptr) << "empty group";
    EXPECT_EQ(manager->GetFirstInGroup(9, nullptr), nullptr) << "index beyond the group count";
    EXPECT_EQ(manager->GetFirstInGroup(2, nullptr), members[0]);

    // Leaving the manager takes an object out of every group it is in.
    manager->SubObject(members[0]);
    EXPECT_EQ(manager->GetFirstInGroup(2, nullptr), members[2]);
    EXPECT_TRUE(members[0]->CheckGroupFlag(2)) << "the object's own bit stays";
}

TEST(ObjectManagerSets, BodyOwnersAreKeyedByTheWholeAddress) {
    auto manager = NewManager(1);
    Probes probes;
    Object* a = probes.Add(manager.get(), 0);
    Object* b = probes.Add(manager.get(), 0);
    const void* k1 = reinterpret_cast<const void*>(uintptr_t{0x0000000100001000});
    const void* k2 = reinterpret_cast<const void*>(uintptr_t{0x0000000200001000});  // same low 32 bits
    manager->SetBodyOwner(k1, a);
    manager->SetBodyOwner(k2, b);
    EXPECT_EQ(manager->FindBodyOwner(k1), a);
    EXPECT_EQ(manager->FindBodyOwner(k2), b);
    manager->SetBodyOwner(k1, nullptr);
    EXPECT_EQ(manager->FindBodyOwner(k1), nullptr);
    EXPECT_EQ(manager->FindBodyOwner(k2), b);
}

TEST(ObjectManagerSets, StageUsesAreCountedAndEachUseHoldsAReference) {
    auto manager = NewManager(1);
    auto* stage = new Quorvex::RenderStage();
    stage->AddRef();
    ASSERT_EQ(stage->Initialize(manager.get(), "Sprite3D", 100), 0);

    EXPECT_EQ(manager->AddRenderStage(stage), 0);
    EXPECT_EQ(manager->AddRenderStage(stage), 1);
    EXPECT_EQ(stage->GetRefCount(), 3);
    EXPECT_EQ(manager->GetRenderStage("Sprite3D"), stage);
    EXPECT_EQ(manager->SubRenderStage("Sprite3D"), 0);
    EXPECT_EQ(manager->SubRenderStage("Sprite3D"), 1);
    EXPECT_EQ(manager->SubRenderStage("Sprite3D"), -1);
    EXPECT_EQ(manager->GetRenderStage("Sprite3D"), nullptr);
    EXPECT_EQ(stage->GetRefCount(), 1) << "the uses' references are all given back";
    stage->Release();
}

TEST(ObjectManagerSets, ShutdownReleasesEverythingAndMayRunTwice) {
    Probes probes;
    auto* stage = new Quorvex::RenderStage();
    stage->AddRef();
    {
        auto manager = NewManager(3);
        Probe* p = probes.Add(manager.get(), 0);
        manager->RequestSubObject(p);
        Probe* q = probes.Add(manager.get(), 0);
        stage->Initialize(manager.get(), "Stage", 10);
        manager->AddRenderStage(stage);
        manager->Update(0.0f);
        EXPECT_EQ(manager->GetPassMark(), 0u);

        manager->Shutdown();
        EXPECT_EQ(manager->GetPassMark(), 0x80000000u);
        EXPECT_EQ(manager->GetJobCount(), 0);
        EXPECT_EQ(manager->GetObjectCount(), 0);
        EXPECT_EQ(p->GetRefCount(), 1);
        EXPECT_EQ(q->GetRefCount(), 1);
        EXPECT_EQ(stage->GetRefCount(), 1);
        EXPECT_EQ(stage->GetObjectManager(), nullptr) << "a stage outliving the manager no longer reaches it";
        manager->Shutdown();
    }  // the destructor runs Shutdown once more
    stage->Release();
}

TEST(ObjectManagerSets, ViewMatrixIsTheCameraLookAt) {
    auto manager = NewManager(1);
    const D3DXVECTOR3 eye(10, 20, -30), at(0, 5, 0), up(0, 1, 0);
    manager->SetCamera(eye, at, up);
    D3DXMATRIX expected;
    D3DXMatrixLookAtLH(&expected, &eye, &at, &up);
    EXPECT_EQ(manager->GetViewMatrix(), expected);
    D3DXVECTOR3 inView;
    D3DXVec3TransformCoord(&inView, &at, &manager->GetViewMatrix());
    EXPECT_NEAR(inView.x, 0.0f, 1e-4f);
    EXPECT_NEAR(inView.y, 0.0f, 1e-4f);
    EXPECT_GT(inView.z, 0.0f) << "the look-at point lies ahead";
    const D3DXMATRIX& billboard = manager->GetBillboardMatrix();
    EXPECT_EQ(billboard._41, 0.0f);
    EXPECT_EQ(billboard._42, 0.0f);
    EXPECT_EQ(billboard._43, 0.0f);
}

}  // namespace
