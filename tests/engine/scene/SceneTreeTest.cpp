#include <gtest/gtest.h>

#include "ProbeScene.h"

using scene_test::Counted;
using scene_test::EnvironmentScope;
using scene_test::ProbeScene;

namespace {

class SceneTree : public testing::Test {
protected:
    EnvironmentScope environment;
    std::vector<std::string> trace;
};

TEST_F(SceneTree, ChildrenUpdateInAscendingAndRenderInDescendingOrder) {
    Counted<ProbeScene> root("root", &trace);
    struct Child {
        const char* name;
        int updateOrder;
        int renderOrder;
    };
    const Child children[] = {{"a", 1, 1}, {"b", 2, 3}, {"c", 3, 2}};
    for (const Child& c : children) {
        ProbeScene* child = new ProbeScene(c.name, &trace);
        child->SetUpdateOrder(c.updateOrder);
        child->SetRenderOrder(c.renderOrder);
        root->AddScene(child);  // the root holds the only reference
    }
    root->Update(1.0f / 60.0f);
    root->Render();
    const std::vector<std::string> expected = {"update root", "update a", "update b", "update c",
                                               "render root", "render b", "render c", "render a"};
    EXPECT_EQ(trace, expected);
}

TEST_F(SceneTree, RemovalRequestedDuringAFrameTakesEffectAtTheNextUpdate) {
    Counted<ProbeScene> root("root");
    Counted<ProbeScene> early("early"), late("late"), kept("kept"), added("added");
    early->SetUpdateOrder(1);
    late->SetUpdateOrder(2);
    kept->SetUpdateOrder(3);
    root->AddScene(early.get());
    root->AddScene(late.get());
    root->AddScene(kept.get());
    early->onUpdate = [&](ProbeScene&) {
        if (early->updates != 1) return;
        root->RequestSubScene(late.get());
        root->RequestSubScene(kept.get());
        root->CancelSubScene(kept.get());
        root->AddScene(added.get());
    };

    root->Update(0.01f);
    EXPECT_EQ(late->updates, 1) << "the list of this frame was already built";
    EXPECT_EQ(added->updates, 0) << "a scene added during a frame starts with the next one";
    EXPECT_EQ(root->GetChildCount(), 4);

    root->Update(0.01f);
    EXPECT_EQ(late->updates, 1);
    EXPECT_EQ(late->GetRefCount(), 1) << "the root let go of the removed child";
    EXPECT_EQ(kept->updates, 2);
    EXPECT_EQ(added->updates, 1);
    EXPECT_EQ(root->GetChildCount(), 3);
}

TEST_F(SceneTree, OperationsOnScenesThatAreNotChildrenChangeNothing) {
    Counted<ProbeScene> root("root"), child("child"), stranger("stranger");
    root->AddScene(child.get());
    root->AddScene(child.get());  // added once, one reference
    EXPECT_EQ(child->GetRefCount(), 2);

    root->SubScene(stranger.get());
    root->RequestSubScene(stranger.get());
    root->Update(0.01f);
    EXPECT_EQ(stranger->GetRefCount(), 1);
    EXPECT_EQ(root->GetChildCount(), 1);
    EXPECT_EQ(root->StartScene(nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(root->GetChildCount(), 1);
}

TEST_F(SceneTree, TransferMovesChildrenWithTheirReferences) {
    Counted<ProbeScene> from("from"), to("to"), x("x"), y("y");
    from->AddScene(x.get());
    from->AddScene(y.get());
    from->TransferChildScene(to.get());
    EXPECT_EQ(from->GetChildCount(), 0);
    EXPECT_EQ(to->GetChildCount(), 2);
    for (ProbeScene* child : {x.get(), y.get()}) {
        EXPECT_EQ(child->GetParent(), to.get());
        EXPECT_EQ(child->GetRefCount(), 2);
    }
    to->Update(0.01f);
    EXPECT_EQ(x->updates, 1);
}

TEST_F(SceneTree, TimeScaleReachesTheSceneAndItsChildrenOnly) {
    Counted<ProbeScene> root("root"), slow("slow"), inner("inner");
    slow->SetTimeScale(0.5f);
    root->AddScene(slow.get());
    slow->AddScene(inner.get());
    float frameTimeSeen = 0.0f;
    inner->onUpdate = [&](ProbeScene&) { frameTimeSeen = Quorvex::g_pEnvironment->GetFrameTime(); };
    Quorvex::g_pEnvironment->SetFrameTime(0.02f);
    root->Update(0.02f);
    EXPECT_FLOAT_EQ(root->lastTimeStep, 0.02f);
    EXPECT_FLOAT_EQ(inner->lastTimeStep, 0.01f);
    EXPECT_FLOAT_EQ(frameTimeSeen, 0.01f);
    EXPECT_FLOAT_EQ(Quorvex::g_pEnvironment->GetFrameTime(), 0.02f) << "restored after the update";
}

}  // namespace
