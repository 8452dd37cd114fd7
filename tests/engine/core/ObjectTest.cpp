#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "engine/core/Object.h"
#include "engine/core/RenderObject.h"

using Quorvex::IObjectManager;
using Quorvex::Object;

namespace {

// A manager of the object model's own protocol: an object set holding
// references, a pending-removal set and group sets.
class FakeManager : public IObjectManager, public Quorvex::ReferCounter {
public:
    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    explicit FakeManager(int groupCount = 8) : groupCount_(groupCount) {}

    int AddObject(Object* object) override {
        if (!objects.insert(object).second) return 1;
        object->AddRef();
        object->SetManager(this);
        return 0;
    }
    int SubObject(Object* object) override {
        if (!objects.erase(object)) return 1;
        object->SetManager(nullptr);
        object->Release();
        return 0;
    }
    void RequestSubObject(Object* object) override { pending.insert(object); }
    void CancelSubObject(Object* object) override { pending.erase(object); }
    void SetObjectGroup(Object* object, int index, bool on) override {
        ++groupReports;
        if (on)
            groups[index].insert(object);
        else
            groups[index].erase(object);
    }
    int GetGroupCount() const override { return groupCount_; }
    IDirect3DDevice9* GetDevice() const override { return nullptr; }

    // What the start of an update does with the pending set.
    void Flush() {
        const std::set<Object*> queued = std::move(pending);
        pending.clear();
        for (Object* object : queued) SubObject(object);
    }
    bool InGroup(int index, Object* object) const {
        const auto it = groups.find(index);
        return it != groups.end() && it->second.count(object);
    }

    std::set<Object*> objects;
    std::set<Object*> pending;
    std::map<int, std::set<Object*>> groups;
    int groupReports = 0;

private:
    int groupCount_;
};

// Counts its destructions.
class Probe : public Object {
public:
    Probe(IObjectManager* manager, DWORD flags, int* destroyed) : Object(manager, flags), destroyed_(destroyed) {}
    ~Probe() override { ++*destroyed_; }

private:
    int* destroyed_;
};

TEST(ObjectModel, ReleaseDestroysWhenCountIsBelowTwo) {
    struct Case {
        int addRefs;
        ULONG released;
        int destroyed;
    };
    for (const Case c : {Case{0, 0, 1}, Case{1, 0, 1}, Case{2, 1, 0}, Case{3, 2, 0}}) {
        int destroyed = 0;
        Probe* probe = new Probe(nullptr, 0, &destroyed);
        for (int i = 0; i < c.addRefs; ++i) probe->AddRef();
        EXPECT_EQ(probe->Release(), c.released) << "after " << c.addRefs << " AddRef";
        EXPECT_EQ(destroyed, c.destroyed) << "after " << c.addRefs << " AddRef";
        if (!destroyed) {
            EXPECT_EQ(probe->GetRefCount(), c.addRefs - 1);
            while (!destroyed) probe->Release();
        }
    }
}

TEST(ObjectModel, RemovalRequestIsTakenBackOrCarriedOutAtTheNextUpdate) {
    FakeManager manager;
    int destroyed = 0;
    Probe* probe = new Probe(&manager, Object::CreateRegister, &destroyed);
    probe->AddRef();  // the creator's reference
    ASSERT_TRUE(manager.objects.count(probe));
    EXPECT_EQ(probe->GetRefCount(), 2);

    probe->RequestRemove(true);
    EXPECT_TRUE(probe->IsRemoveRequested());
    probe->RequestRemove(false);
    EXPECT_FALSE(probe->IsRemoveRequested());
    manager.Flush();
    EXPECT_TRUE(manager.objects.count(probe)) << "a cancelled request keeps the object";

    probe->RequestRemove(true);
    manager.Flush();
    EXPECT_FALSE(manager.objects.count(probe));
    EXPECT_EQ(probe->GetManager(), nullptr);
    EXPECT_EQ(probe->GetRefCount(), 1) << "only the manager's reference went";
    EXPECT_EQ(destroyed, 0);
    probe->Release();
    EXPECT_EQ(destroyed, 1);
}

TEST(ObjectModel, SetManagerMovesGroupMemberships) {
    FakeManager first, second;
    int destroyed = 0;
    Probe* probe = new Probe(&first, Object::CreateGroupBits, &destroyed);
    probe->AddRef();
    probe->SetGroupFlag(2, true);
    probe->SetGroupFlag(5, true);
    ASSERT_TRUE(first.InGroup(2, probe) && first.InGroup(5, probe));

    const int reports = first.groupReports;
    probe->SetManager(&first);
    EXPECT_EQ(first.groupReports, reports) << "the current manager changes nothing";

    probe->SetManager(&second);
    EXPECT_FALSE(first.InGroup(2, probe) || first.InGroup(5, probe));
    EXPECT_TRUE(second.InGroup(2, probe) && second.InGroup(5, probe));
    EXPECT_FALSE(second.InGroup(3, probe));
    EXPECT_TRUE(probe->CheckGroupFlag(2) && probe->CheckGroupFlag(5));
    EXPECT_TRUE(first.objects.empty() && second.objects.empty()) << "without bit 1 only the groups move";

    probe->SetManager(nullptr);
    EXPECT_FALSE(second.InGroup(2, probe) || second.InGroup(5, probe));
    probe->Release();
    EXPECT_EQ(destroyed, 1);
}

TEST(ObjectModel, FollowFlagMovesObjectSetMembershipAndReferences) {
    FakeManager first, second;
    int destroyed = 0;
    Probe* probe = new Probe(&first, Object::CreateRegister | Object::CreateGroupBits, &destroyed);
    probe->AddRef();
    probe->SetFlag(Object::FlagFollowManager);
    probe->SetGroupFlag(1, true);
    ASSERT_EQ(probe->GetRefCount(), 2);

    probe->SetManager(&second);
    EXPECT_FALSE(first.objects.count(probe));
    EXPECT_TRUE(second.objects.count(probe));
    EXPECT_TRUE(second.InGroup(1, probe));
    EXPECT_EQ(probe->GetRefCount(), 2) << "one reference released, one taken";
    EXPECT_TRUE(probe->CheckFlag(Object::FlagFollowManager));

    // Finalize ends the membership and the groups.
    probe->Finalize();
    EXPECT_FALSE(second.objects.count(probe));
    EXPECT_FALSE(second.InGroup(1, probe));
    EXPECT_FALSE(probe->CheckGroupFlag(1));
    EXPECT_EQ(probe->GetRefCount(), 1);
    probe->Release();
    EXPECT_EQ(destroyed, 1);
}

TEST(ObjectModel, GroupOperationsWithoutGroupBitsOrOutsideTheGroupsDoNothing) {
    FakeManager manager(8);
    int destroyed = 0;
    Probe* plain = new Probe(&manager, Object::CreateRegister, &destroyed);
    plain->SetGroupFlag(3, true);
    EXPECT_FALSE(plain->CheckGroupFlag(3));
    EXPECT_EQ(manager.groupReports, 0);

    Probe* grouped = new Probe(&manager, Object::CreateRegister | Object::CreateGroupBits, &destroyed);
    for (int index : {-1, 8, 1000}) {
        grouped->SetGroupFlag(index, true);
        EXPECT_FALSE(grouped->CheckGroupFlag(index)) << index;
    }
    EXPECT_EQ(manager.groupReports, 0);
    manager.SubObject(plain);
    manager.SubObject(grouped);
    EXPECT_EQ(destroyed, 2);
}

TEST(ObjectModel, AttachStageWithoutStageAnswersMinusOne) {
    auto* object = new Quorvex::RenderObject();
    object->AddRef();
    EXPECT_EQ(object->AttachStage(nullptr), -1);
    EXPECT_EQ(object->GetRenderStage(), nullptr);
    object->Release();
}

// Counts and flags are touched from job threads: no update may be lost and
// exactly one of the last releases destroys.
TEST(ObjectModel, ConcurrentCountsAndFlagsStayConsistent) {
    constexpr int kThreads = 8;
    int destroyed = 0;
    Probe* probe = new Probe(nullptr, 0, &destroyed);
    for (int i = 0; i < kThreads; ++i) probe->AddRef();

    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            while (!go.load()) std::this_thread::yield();
            const DWORD bit = 1u << (t + 8);
            for (int i = 0; i < 20000; ++i) {
                probe->AddRef();
                probe->SetFlag(bit);
                probe->ResetFlag(bit);
                probe->Release();
            }
            probe->SetFlag(bit);
        });
    }
    go = true;
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(probe->GetRefCount(), kThreads);
    for (int t = 0; t < kThreads; ++t) EXPECT_TRUE(probe->CheckFlag(1u << (t + 8))) << t;

    threads.clear();
    go = false;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            while (!go.load()) std::this_thread::yield();
            probe->Release();
        });
    go = true;
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(destroyed, 1);
}

}  // namespace
