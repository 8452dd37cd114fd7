// The ending's unlocks and where it leads, the bonus pictures and their fades.
#include <gtest/gtest.h>

#include <algorithm>

#include "SceneFlowFixture.h"
#include "engine/assets/FillObject.h"
#include "engine/assets/RenderObjectSpr2D.h"
#include "game/frontend/FrontendTestSupport.h"
#include "game/frontend/Title_Background.h"
#include "game/frontend/SceneBonus.h"
#include "game/frontend/SceneEnding.h"

using frontend2_test::kFrame;

namespace {

// Runs `scene`'s sequence (and, for the bonus, its pictures) frame by frame
// up to the time in seconds.
template <class Scene>
void RunUntil(Scene* scene, float& clock, float until) {
    while (clock + kFrame <= until) {
        scene->OnUpdate(kFrame);
        clock += kFrame;
    }
}

class EndingTest : public frontend2_test::SceneFlowTest {};

struct EndingCase {
    const char* name;
    int continues;
    int velrinB;
    BYTE presetNotice;  // a notice another event raised (extra stage)
    int allClear;       // expected
    bool bonus;         // expected: the bonus scene, else the ranking
};

const EndingCase kEndings[] = {
    {"FirstClearUnlocksTheSecondSet", 0, 0, 0, 1, true},
    {"ClearAfterAContinueWithEverythingUnlocked", 2, 1, 0, 0, false},
    {"ClearWithoutContinueNothingNew", 0, 1, 0, 1, false},
    {"PendingExtraNotice", 1, 1, 1, 0, true},
};

}  // namespace

TEST_F(EndingTest, UnlocksThenLeadsToTheBonusOnlyWhenANoticeIsPending) {
    for (const EndingCase& c : kEndings) {
        SCOPED_TRACE(c.name);
        state->continueCount = c.continues;
        state->active_velrin_b = c.velrinB;
        state->all_clear = 0;
        std::fill(std::begin(state->bonusFlags), std::end(state->bonusFlags), 0);
        state->bonusFlags[SceneEnding::kNoticeExtraStage] = c.presetNotice;
        container->started.clear();

        auto* ending = new SceneEnding();
        ending->AddRef();
        float clock = 0.0f;
        ending->RunSequence(kFrame);
        clock += kFrame;
        EXPECT_EQ(state->all_clear, c.allClear);
        EXPECT_EQ(state->active_velrin_b, 1);
        EXPECT_EQ(state->bonusFlags[SceneEnding::kNoticeVelrinB], c.velrinB == 0 ? 1 : 0);

        while (clock < 69.4f) {
            ending->RunSequence(kFrame);
            clock += kFrame;
        }
        EXPECT_TRUE(RunRequests().empty()) << "nothing is asked before 69.5 s";
        // Each step's own frame adds to the schedule: a few frames late.
        while (clock < 70.0f) {
            ending->RunSequence(kFrame);
            clock += kFrame;
        }
        const std::vector<std::string>& started = RunRequests();
        const bool ranking = std::find(started.begin(), started.end(), "stagescore") != started.end();
        EXPECT_EQ(ranking, !c.bonus);
        // The bonus scene and nothing else.
        if (c.bonus) {
            EXPECT_EQ(started, std::vector<std::string>{"bonus"});
        }

        // Empty steps every five seconds, no further request.
        container->started.clear();
        while (clock < 90.0f) {
            ending->RunSequence(kFrame);
            clock += kFrame;
        }
        EXPECT_TRUE(RunRequests().empty());
        ending->Release();
    }
}

namespace {

// The ending's sequence over a fill layer of its own.
class EndingWithFill : public SceneEnding {
public:
    explicit EndingWithFill(Quorvex::FillObject* fill) {
        m_pFill = fill;
        m_pFill->AddRef();
    }
};

// The fill's colour now and once its fade has run out.
struct FillColors {
    float now[4], end[4];
};

FillColors Colors(Quorvex::FillObject* fill) {
    FillColors c{};
    EXPECT_TRUE(fill->GetDrawColor(c.now));
    fill->Update(2.0f);
    EXPECT_TRUE(fill->GetDrawColor(c.end));
    return c;
}

void ExpectColor(const float (&color)[4], float rgba) {
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(color[i], rgba) << i;
}

}  // namespace

TEST_F(EndingTest, TheFillComesOutOfWhiteAtSetUpAndGoesBackToWhiteAtStep13) {
    frontend_test::Held<Quorvex::ObjectManager> objects(frontend_test::NewObjectManager());
    Quorvex::FillObject* fill = nullptr;
    Title_Background* background = nullptr;
    SceneEnding::CreateBackdrop(objects.get(), &fill, &background);
    ASSERT_NE(fill, nullptr);
    const FillColors setUp = Colors(fill);
    ExpectColor(setUp.now, 1.0f);
    ExpectColor(setUp.end, 0.0f);

    auto* ending = new EndingWithFill(fill);
    ending->AddRef();
    float clock = 0.0f;
    while (ending->GetStep() <= 12) {
        ending->RunSequence(kFrame);
        clock += kFrame;
    }
    EXPECT_EQ(fill->m_progress, -1.0f) << "nothing touched the fill before step 13";
    while (ending->GetStep() <= 13) {
        ending->RunSequence(kFrame);
        clock += kFrame;
    }
    // Each step's own frame adds to the schedule: a few frames late.
    EXPECT_GE(clock, 64.5f);
    EXPECT_LT(clock, 65.0f);
    const FillColors step13 = Colors(fill);
    ExpectColor(step13.now, 0.0f);
    ExpectColor(step13.end, 1.0f);
    ending->Release();
    fill->Release();
    if (background) background->Release();
}

TEST(EndingPicture, FadesInOverItsFirstSecondAndOutOverItsLast) {
    struct Case {
        float elapsed, lifetime;
        int alpha;
    };
    const Case cases[] = {{0.0f, 5.5f, 0},    {0.5f, 5.5f, 128},  {1.0f, 5.5f, 255}, {4.5f, 5.5f, 255},
                          {5.0f, 5.5f, 128},  {5.5f, 5.5f, 0},    {6.0f, 5.5f, 0},   {14.0f, 15.0f, 255},
                          {14.75f, 15.0f, 64}, {0.25f, 0.5f, 64}};
    for (const Case& c : cases)
        EXPECT_EQ(SceneEnding::PictureAlpha(c.elapsed, c.lifetime), c.alpha) << c.elapsed << " of " << c.lifetime;
}

namespace {

class BonusTest : public frontend2_test::SceneFlowTest {
protected:
    void SetUp() override {
        SceneFlowTest::SetUp();
        bonus = new SceneBonus();
        bonus->AddRef();
    }
    void TearDown() override {
        bonus->Release();
        SceneFlowTest::TearDown();
    }

    std::vector<float> PictureRows() const {
        std::vector<float> rows;
        for (const SceneEnding::Picture& p : bonus->GetPictures()) rows.push_back(p.y);
        return rows;
    }

    SceneBonus* bonus = nullptr;
    float clock = 0.0f;
};

}  // namespace

TEST_F(BonusTest, ShowsOnePictureForEachNoticeForItsLifetimeThenEndsTheRun) {
    state->bonusFlags[0] = state->bonusFlags[1] = state->bonusFlags[2] = 1;
    RunUntil(bonus, clock, 1.9f);
    EXPECT_TRUE(bonus->GetPictures().empty());
    RunUntil(bonus, clock, 2.1f);
    // Extra stage, Velrin B, Toska, one row apart.
    EXPECT_EQ(PictureRows(), (std::vector<float>{250.0f, 300.0f, 350.0f}));
    const SceneEnding::Picture& first = bonus->GetPictures().front();
    EXPECT_EQ(first.x, 800.0f);
    EXPECT_NEAR(first.sprite->m_sprite.y, 250.0f / 1080.0f, 1e-6f)
        << "y 250 of the pictures' 1080-high screen; a client without size counts as 1280 x 720";

    // Transparent when it appears, fully shown from one second on.
    bonus->OnRender();
    EXPECT_LT(first.sprite->m_sprite.color >> 24, 40u);
    RunUntil(bonus, clock, 3.5f);
    bonus->OnRender();
    EXPECT_EQ(bonus->GetPictures().front().sprite->m_sprite.color, 0xFFFFFFFFu);

    RunUntil(bonus, clock, 7.4f);
    EXPECT_EQ(bonus->GetPictures().size(), 3u);
    RunUntil(bonus, clock, 7.6f);
    EXPECT_TRUE(bonus->GetPictures().empty()) << "gone 5.5 s after it appeared";
    EXPECT_TRUE(RunRequests().empty());

    RunUntil(bonus, clock, 9.3f);
    EXPECT_EQ(state->bonusFlags[0] + state->bonusFlags[1] + state->bonusFlags[2], 0);
    EXPECT_EQ(RunRequests(), std::vector<std::string>{"stagescore"});
}

TEST_F(BonusTest, ASingleNoticeStandsOnTheFirstRow) {
    state->bonusFlags[SceneEnding::kNoticeToska] = 1;
    RunUntil(bonus, clock, 2.1f);
    EXPECT_EQ(PictureRows(), std::vector<float>{250.0f});
}
