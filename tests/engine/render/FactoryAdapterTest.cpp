// Object pools. No device: these run under ThreadSanitizer as they are.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "RenderTestSupport.h"
#include "engine/core/render/FactoryAdapter.h"

using Quorvex::FactoryAdapter;
using Quorvex::FactoryProductAdapter;
using Quorvex::IFactoryProduct;
using Quorvex::Object;
using Quorvex::ObjectManager;
using render_test::NewManager;

namespace {

class Shot : public Object, public FactoryProductAdapter {
public:
    struct SetParam : public IFactoryProduct::SetParam {
        int speed = 0;
    };
    Shot(ObjectManager* manager, bool failInit, std::atomic<int>* destroyed)
        : Object(manager, CreateRegister), failInit_(failInit), destroyed_(destroyed) {}
    ~Shot() override {
        if (destroyed_) destroyed_->fetch_add(1);
    }
    int Initialize(int) override { return failInit_ ? -1 : 0; }
    int ApplySetParam(ISetParam* param) override {
        speed = static_cast<SetParam*>(param)->speed;
        ++launches;
        return 0;
    }
    void Update(float) override { updates.fetch_add(1); }

    int speed = 0;
    int launches = 0;
    std::atomic<int> updates{0};

private:
    bool failInit_;
    std::atomic<int>* destroyed_;
};

class ShotFactory : public Object, public FactoryAdapter {
public:
    explicit ShotFactory(ObjectManager* manager) : Object(nullptr, 0), manager_(manager) {}
    IFactoryProduct* CreateProduct() override {
        created.fetch_add(1);
        return NewProduct<Shot>(0, manager_, failInit, &destroyedShots);
    }
    ObjectManager* manager_;
    bool failInit = false;
    std::atomic<int> created{0};
    // Shots may outlive the pool: their count lives outside it.
    static inline std::atomic<int> destroyedShots{0};
};

Shot* Acquire(ShotFactory* pool, int speed) {
    Shot::SetParam param;
    param.speed = speed;
    return static_cast<Shot*>(pool->AcquireProduct(&param));
}

TEST(ObjectPool, TheMaximumLimitsProductsInUseAndAReturnedProductIsReused) {
    auto manager = NewManager(1);
    render_test::Held<ShotFactory> pool(new ShotFactory(manager.get()));
    pool->SetMaxCount(2);

    Shot* a = Acquire(pool.get(), 1);
    Shot* b = Acquire(pool.get(), 2);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Acquire(pool.get(), 3), nullptr) << "two in use at a maximum of two";
    EXPECT_EQ(pool->created.load(), 2);
    EXPECT_EQ(a->GetRefCount(), 3) << "pool, manager and caller";

    a->ReturnToFactory();
    Shot* again = Acquire(pool.get(), 7);
    EXPECT_EQ(again, a) << "the returned product is handed out again";
    EXPECT_EQ(pool->created.load(), 2) << "without creating one";
    EXPECT_EQ(again->speed, 7) << "the new launch record applies";
    EXPECT_EQ(again->launches, 2);
    EXPECT_EQ(a->GetRefCount(), 4) << "returning kept the caller's reference; acquiring added one";
    a->Release();
    a->Release();
    b->Release();

    pool->SetMaxCount(0);
    std::vector<Shot*> many;
    for (int i = 0; i < 50; ++i) many.push_back(Acquire(pool.get(), i));
    for (Shot* s : many) {
        ASSERT_NE(s, nullptr) << "no limit at a maximum of 0";
        s->Release();
    }
}

TEST(ObjectPool, ReleasingAProductNotInUseStillMakesItFree) {
    auto manager = NewManager(1);
    render_test::Held<ShotFactory> pool(new ShotFactory(manager.get()));
    Shot* a = Acquire(pool.get(), 1);
    pool->ReleaseProduct(a);
    pool->ReleaseProduct(a);
    EXPECT_EQ(pool->GetFreeCount(), 1);
    EXPECT_EQ(pool->GetInUseCount(), 0);
    a->Release();
}

TEST(ObjectPool, AProductOutlivesItsPoolAndThenReturnsNowhere) {
    auto manager = NewManager(1);
    Shot* kept = nullptr;
    {
        render_test::Held<ShotFactory> pool(new ShotFactory(manager.get()));
        kept = Acquire(pool.get(), 5);
        Shot* other = Acquire(pool.get(), 6);
        other->ReturnToFactory();
        other->Release();
    }
    EXPECT_EQ(kept->GetFactory(), nullptr);
    kept->ReturnToFactory();  // no pool: nothing happens
    EXPECT_EQ(kept->speed, 5);
    kept->Release();
}

TEST(ObjectPool, AProductWhoseSetUpFailsLeavesTheManagerAndIsNeverUpdated) {
    auto manager = NewManager(2);
    render_test::Held<ShotFactory> pool(new ShotFactory(manager.get()));
    pool->failInit = true;
    ShotFactory::destroyedShots = 0;
    EXPECT_EQ(Acquire(pool.get(), 1), nullptr);
    EXPECT_EQ(pool->GetInUseCount(), 0);
    EXPECT_EQ(manager->GetObjectCount(), 1) << "registered when constructed, queued to leave";
    manager->Update(0.0f);
    EXPECT_EQ(manager->GetObjectCount(), 0);
    EXPECT_EQ(ShotFactory::destroyedShots.load(), 1) << "gone with the manager's reference, never updated";

    pool->failInit = false;
    Shot* ok = Acquire(pool.get(), 1);
    ASSERT_NE(ok, nullptr) << "the failed creation freed its slot";
    manager->Update(0.0f);
    EXPECT_EQ(ok->updates.load(), 1);
    ok->Release();
}

TEST(ObjectPool, JobThreadsTakeAndReturnProductsConcurrently) {
    // Every updater takes a product and returns the one it held, from the job
    // threads; the pool never hands one product to two holders and respects
    // its maximum.
    static std::atomic<int> misses;
    misses = 0;
    struct Taker : public Object {
        Taker(ObjectManager* manager, ShotFactory* pool) : Object(manager, CreateRegister), pool(pool) {}
        void Update(float) override {
            if (held) {
                if (held->GetFactory()) held->ReturnToFactory();
                held->Release();
                held = nullptr;
            } else {
                held = Acquire(pool, 1);
                if (!held) misses.fetch_add(1);
            }
        }
        ~Taker() override {
            if (held) held->Release();
        }
        ShotFactory* pool;
        Shot* held = nullptr;
    };
    auto manager = NewManager(4);
    render_test::Held<ShotFactory> pool(new ShotFactory(manager.get()));
    pool->SetMaxCount(40);
    for (int i = 0; i < 64; ++i) new Taker(manager.get(), pool.get());
    for (int frame = 0; frame < 30; ++frame) {
        manager->Update(0.0f);
        EXPECT_LE(pool->GetInUseCount(), 40);
        EXPECT_EQ(pool->GetInUseCount() + pool->GetFreeCount(), pool->created.load());
    }
    EXPECT_LE(pool->created.load(), 40);
    EXPECT_GT(misses.load(), 0) << "64 takers against 40 products";
}

}  // namespace
