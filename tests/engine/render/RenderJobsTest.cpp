// The render pass on several job records: commands written on the job threads,
// replayed in record order on a recording device (no GL). These run under
// ThreadSanitizer as they are.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "FakeDevice.h"
#include "RenderTestSupport.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/RenderStage.h"

using Quorvex::CalcVertexSet;
using Quorvex::MaterialUnit;
using Quorvex::ObjectManager;
using Quorvex::RenderObject;
using Quorvex::RenderStage;
using render_test::FakeDevice;

namespace {

MaterialUnit* FakeSet(int n) { return reinterpret_cast<MaterialUnit*>(uintptr_t{0x1000} * n); }

// What reached the screen, independent of how the batches were split: every
// triangle with the blend factors it was drawn with, and where the objects'
// own draws fell between them.
struct Output {
    std::vector<std::vector<BYTE>> triangles;
    std::vector<std::pair<DWORD, DWORD>> blends;
    std::vector<std::pair<size_t, int>> objectDraws;  // (triangles before, object id)
    bool operator==(const Output&) const = default;
};

class Mixed : public RenderObject {
public:
    Mixed(ObjectManager* manager, int id, Output* out, FakeDevice* device)
        : RenderObject(manager, CreateRegister), id_(id), out_(out), device_(device) {
        // Distinct keys: equal keys keep address order, which differs run by run.
        SetDrawPriority(static_cast<float>((id * 37) % 120));
    }
    void Render(CalcVertexSet* list) override {
        if (id_ % 13 == 5) throw std::runtime_error("render failure");
        if (id_ % 7 == 0) Quorvex::PushRenderStatePreset(list, 2 + id_ % 3);
        if (id_ % 17 == 3) {
            Quorvex::PushDrawObject(list, this);
            return;
        }
        Quorvex::Sprite3DData s;
        s.material = FakeSet(1 + (id_ / 3) % 2);
        s.position = D3DXVECTOR3(static_cast<float>(id_), 1.0f, 5.0f);
        s.rotation.x = 0.1f * static_cast<float>(id_);
        if (id_ % 5 == 1)
            Quorvex::PushSprite3DCross(list, s);
        else
            Quorvex::PushBillboard(list, s);
    }
    void Draw() override {
        size_t before = 0;
        for (const auto& d : device_->draws) before += d.primitives;
        out_->objectDraws.emplace_back(before, id_);
    }

private:
    int id_;
    Output* out_;
    FakeDevice* device_;
};

Output RenderWith(int jobs, int objectCount) {
    Output out;
    auto* device = new FakeDevice();
    device->AddRef();
    auto* shaders = render_test::NewFakeShaderManager(device);
    ObjectManager* manager = render_test::NewManagerOn(device, shaders, jobs);
    auto* stage = new RenderStage();
    stage->AddRef();
    stage->Initialize(manager, "Stage", 1000);
    manager->AddRenderStage(stage);
    for (int i = 0; i < objectCount; ++i) (new Mixed(manager, i, &out, device))->AttachStage(stage);

    for (int frame = 0; frame < 2; ++frame) {
        device->draws.clear();
        out = Output();
        manager->Update(0.0f);
        manager->BeginStage(stage);
    }
    for (const auto& draw : device->draws)
        for (UINT t = 0; t < draw.primitives; ++t) {
            out.triangles.emplace_back(draw.vertexBytes.begin() + t * 72, draw.vertexBytes.begin() + (t + 1) * 72);
            out.blends.emplace_back(draw.sourceBlend, draw.destinationBlend);
        }
    stage->Release();
    manager->Release();
    shaders->Release();
    device->Release();
    return out;
}

TEST(RenderJobs, SeveralJobRecordsDrawWhatOneDraws) {
    render_test::LogCapture capture;  // the failing objects log
    const Output one = RenderWith(1, 120);
    EXPECT_GT(one.triangles.size(), 150u);
    EXPECT_FALSE(one.objectDraws.empty());
    for (int jobs : {2, 3, 4}) {
        const Output many = RenderWith(jobs, 120);
        EXPECT_EQ(many.triangles.size(), one.triangles.size()) << jobs;
        EXPECT_TRUE(many.triangles == one.triangles) << jobs << " jobs: triangles differ";
        EXPECT_TRUE(many.blends == one.blends) << jobs << " jobs: blend states differ";
        EXPECT_EQ(many.objectDraws, one.objectDraws) << jobs;
    }
}

TEST(RenderJobs, AFailingRenderIsLoggedAndTheFrameCompletes) {
    render_test::LogCapture capture;
    const Output out = RenderWith(3, 30);
    // Objects 5, 18 throw; the 26 sprite objects of the other 28 (two draw
    // themselves) still draw their triangles.
    EXPECT_GT(out.triangles.size(), 40u);
    EXPECT_NE(capture.Text().find("Thread_JobProccess : render failure"), std::string::npos);
}

TEST(RenderJobs, ADeviceFreeManagerWritesTheSameCommandsOnAnyJobCount) {
    // Without a device nothing is replayed; the job lists hold the commands.
    auto written = [](int jobs) {
        auto manager = render_test::NewManager(jobs);
        auto* stage = new RenderStage();
        stage->AddRef();
        stage->Initialize(manager.get(), "Stage", 100);
        manager->AddRenderStage(stage);
        for (int i = 0; i < 40; ++i) {
            struct Plain : RenderObject {
                Plain(ObjectManager* m, int i) : RenderObject(m, CreateRegister), i(i) {
                    SetDrawPriority(static_cast<float>(i));
                }
                void Render(CalcVertexSet* list) override {
                    Quorvex::Sprite3DData s;
                    s.material = FakeSet(1);
                    s.position = D3DXVECTOR3(static_cast<float>(i), 0, 0);
                    Quorvex::PushBillboard(list, s);
                }
                int i;
            };
            (new Plain(manager.get(), i))->AttachStage(stage);
        }
        manager->Update(0.0f);
        manager->BeginStage(stage);
        std::vector<BYTE> vertices;
        for (int r = 0; r < manager->GetJobCount(); ++r) {
            const CalcVertexSet& list = manager->GetJobRecord(r)->commands;
            vertices.insert(vertices.end(), list.vertexScratch.begin(), list.vertexScratch.begin() + list.vertexBytes);
        }
        stage->Release();
        return vertices;
    };
    const std::vector<BYTE> one = written(1);
    EXPECT_EQ(one.size(), 40u * 96u);
    EXPECT_EQ(written(4), one);
}

}  // namespace
