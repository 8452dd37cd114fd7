// The resource manager without a device: the table's references, the load
// queue's order and de-duplication, the pending count, failing tasks, and
// what Finalize does with tasks still queued.
#include <gtest/gtest.h>

#include "engine/assets/ResourceManager.h"
#include "engine/resources/ResourceTestSupport.h"

using namespace Quorvex;
using namespace resources_test;

namespace {

// A resource that counts its references the plain way.
class Probe : public IUnknown, public ReferCounter {
public:
    explicit Probe(bool* destroyed) : m_destroyed(destroyed) {}
    ~Probe() override { *m_destroyed = true; }
    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int Count() const { return GetReferenceCount(); }

private:
    bool* m_destroyed;
};

}  // namespace

TEST(ResourceTable, EntriesHoldExactlyOneReferenceEach) {
    EnvironmentScope environment;
    LogCapture log;
    Held<ResourceManager> manager(new ResourceManager());
    bool firstGone = false, secondGone = false, thirdGone = false;
    Held<Probe> first(new Probe(&firstGone));
    Held<Probe> second(new Probe(&secondGone));

    EXPECT_EQ(manager->SetResource("a", first.get()), 0);
    EXPECT_EQ(manager->GetResource("a"), first.get());
    EXPECT_EQ(first->Count(), 2) << "the caller's and the set's";
    EXPECT_EQ(manager->GetResource("none"), nullptr);

    // Another entry under the same id replaces the first and deletes it.
    EXPECT_EQ(manager->SetResource("a", second.get()), 0);
    EXPECT_EQ(manager->GetResource("a"), second.get());
    EXPECT_EQ(first->Count(), 1);
    EXPECT_NE(log.Text().find("ResourceManager::DeleteResource : Resource \"a\" 削除"), std::string::npos);

    // A set someone else holds loses the table's reference and its entry;
    // the holder keeps set and resource alive.
    ResourceSet* set = manager->GetResourceSet("a");
    set->AddRef();
    manager->DeleteResource("a");
    EXPECT_EQ(manager->GetResource("a"), nullptr);
    EXPECT_EQ(set->GetRefCount(), 1);
    EXPECT_EQ(set->GetResource(), second.get());
    // The id is free again, and ReleaseAllResources drops only the table's
    // references.
    Probe* third = new Probe(&thirdGone);
    manager->SetResource("a", third);
    manager->SetResource("b", first.get());
    manager->ReleaseAllResources();
    EXPECT_TRUE(thirdGone);
    EXPECT_EQ(first->Count(), 1);
    EXPECT_EQ(set->GetRefCount(), 1);
    set->Release();
    EXPECT_EQ(second->Count(), 1);
    EXPECT_FALSE(firstGone || secondGone);
}

TEST(LoadQueue, RunsByParameterThenNameOnceEach) {
    EnvironmentScope environment;
    LogCapture log;
    std::vector<std::string> order;
    std::mutex lock;
    Held<ResourceManager> manager(new ResourceManager());
    Held<TaskFactory> factory(new TaskFactory());
    const struct {
        const char* name;
        int parameter;
    } tasks[] = {{"five", 5}, {"minus", -1}, {"zb", 0}, {"za", 0}, {"Zc", 0}, {"again", 0}};
    for (const auto& t : tasks) factory->Add(new RecordingTask(t.name, t.parameter, &order, &lock));

    EXPECT_EQ(manager->RequestLoad("five"), -1) << "no factory yet";
    manager->SetLoadTaskFactory(factory.get());
    EXPECT_EQ(manager->RequestLoad("unknown"), -2);
    EXPECT_EQ(manager->GetPendingCount(), 0);
    for (const auto& t : tasks) EXPECT_EQ(manager->RequestLoad(t.name), 0);
    // Asked again before the loader reached it: queued once.
    EXPECT_EQ(manager->RequestLoad("again"), 0);
    EXPECT_EQ(manager->GetPendingCount(), 6);

    ASSERT_EQ(manager->BeginThread_ResourceLoad(), 0);
    EXPECT_EQ(manager->BeginThread_ResourceLoad(), 1) << "one loader thread at a time";
    WaitForLoader(manager.get());
    manager->Finalize();
    // Byte order of the names within one parameter ('Z' sorts before 'a').
    EXPECT_EQ(order, (std::vector<std::string>{"minus", "Zc", "again", "za", "zb", "five"}));
    const std::string text = log.Text();
    EXPECT_NE(text.find("ResourceManager : リソースロードスレッドを開始"), std::string::npos);
    EXPECT_NE(text.find("ResourceManager : リソースロードスレッドを終了"), std::string::npos);
}

TEST(LoadQueue, AThrowingTaskIsLoggedAndCountedAsDone) {
    EnvironmentScope environment;
    LogCapture log;
    std::vector<std::string> order;
    std::mutex lock;
    Held<ResourceManager> manager(new ResourceManager());
    const struct {
        const char* name;
        RecordingTask::Throw what;
    } tasks[] = {{"a", RecordingTask::WideText},
                 {"b", RecordingTask::StdException},
                 {"c", RecordingTask::Other},
                 {"d", RecordingTask::Nothing}};
    for (const auto& t : tasks) {
        Held<RecordingTask> task(new RecordingTask(t.name, 0, &order, &lock, t.what));
        EXPECT_EQ(manager->PushLoadTask(task.get(), 1), 0);
        EXPECT_EQ(task->GetRefCount(), 2) << "the queue holds one";
    }
    ASSERT_EQ(manager->BeginThread_ResourceLoad(), 0);
    WaitForLoader(manager.get());
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "c", "d"}));
    manager->Finalize();
    const std::string text = log.Text();
    EXPECT_NE(text.find("ResourceManager : wide failure"), std::string::npos);
    EXPECT_NE(text.find("ResourceManager : std failure"), std::string::npos);
    EXPECT_NE(text.find("ResourceManager : ロードタスクで例外 \"c\""), std::string::npos);
}

TEST(LoadQueue, FinalizeDropsQueuedTasksWithoutRunningThem) {
    EnvironmentScope environment;
    LogCapture log;
    std::vector<std::string> order;
    std::mutex lock;
    Held<RecordingTask> task(new RecordingTask("late", 0, &order, &lock));
    {
        Held<ResourceManager> manager(new ResourceManager());
        manager->PushLoadTask(task.get(), 1);
        EXPECT_EQ(manager->GetPendingCount(), 1);
        manager->Finalize();
        EXPECT_EQ(manager->GetPendingCount(), 0);
        EXPECT_EQ(task->GetRefCount(), 1) << "the queue's reference is gone";
    }
    EXPECT_TRUE(order.empty());
}
