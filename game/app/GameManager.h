// The one object that changes scenes. Scenes and objects push requests during
// the frame; the manager runs them after every update of that frame is done.
// It also keeps the scores and counters of a run, the continues, the play time,
// the progress bookkeeping and the high-score check.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "game/state/SceneRequests.h"

namespace Quorvex {
class SceneBase;
}

class GameManager : public SceneRequests {
public:
    // Registers with the object manager at once; the container is the parent
    // of every scene the manager starts (not counted).
    GameManager(Quorvex::IObjectManager* manager, Quorvex::SceneBase* container);
    // Drops pending requests without running them.
    ~GameManager() override;

    // Update priority 500; publishes itself in the game state. 0.
    int Initialize(int param) override;
    // Play time += dt.
    void Update(float timeStep) override;
    // Runs the pending requests.
    void PostUpdate() override { RunPendingRequests(); }

    // Runs a copy of the pending list and empties it first, so a request
    // pushed while they run waits for the next frame.
    void RunPendingRequests();
    // The first child of the container with exactly that name that is not
    // finished (a finished stage is still a child until its parent's next
    // update), or null.
    static Quorvex::SceneBase* FindScene(Quorvex::SceneBase* container, const char* name);

    // SceneRequests: each request queues its scene change for the next pass.
    void RequestNewGame() override;
    void RequestStage1() override;
    void RequestStage2() override;
    void RequestStage3() override;
    void RequestStage4() override;
    void RequestStage5() override;
    void RequestStage6() override;
    void RequestStageEx() override;
    void RequestEnding() override;
    void RequestBonus() override;
    void RequestEndAction() override;
    void ResetAndRequestEndAction() override;
    void RequestDeadEnd() override;
    void RequestContinue() override;
    void RequestTitle() override;
    void RequestStageSelect() override;
    void RequestOption() override;
    void RequestScore() override;
    void RequestQuit() override;
    void RequestTitleMenu() override;
    void RequestFinishToTitleMenu() override;
    void RequestFinishToTitle() override;
    void UpdateProgress() override;
    void CommitStageScore() override;
    void GrantEndingUnlocks() override;
    int CheckHighScore(int* out) override;

    // Starts the title scene now (the root scene's loader calls it directly).
    // Throws the narrow text "タイトルシーンの作成に失敗" when the container
    // refuses it.
    void ToTitle();

protected:
    // One maker per scene kind: a new scene with no reference, or null (after
    // a logged error) while that scene is not part of the build. Virtual so
    // that the flow can be exercised without devices.
    virtual Quorvex::SceneBase* CreateTitleScene();
    virtual Quorvex::SceneBase* CreateCharacterSelectScene();
    virtual Quorvex::SceneBase* CreateStageScene(int stage);
    virtual Quorvex::SceneBase* CreateEndingScene();
    virtual Quorvex::SceneBase* CreateBonusScene();
    virtual Quorvex::SceneBase* CreateStageSelectScene();
    virtual Quorvex::SceneBase* CreateOptionScene();
    virtual Quorvex::SceneBase* CreateScoreScene();

private:
    using Request = std::function<void(void*)>;

    void Push(void (GameManager::*callback)(void*));

    // Callbacks run from RunPendingRequests (the argument is always null).
    void StartNewGame(void*);
    void OpenCharaSelect(void*);
    void StartStage1(void*);
    void StartStage2(void*);
    void StartStage3(void*);
    void StartStage4(void*);
    void StartStage5(void*);
    void StartStage6(void*);
    void StartStageEx(void*);
    void StartEnding(void*);
    void StartBonus(void*);
    void EndAction(void*);
    void OnDeadEnd(void*);
    void Continue(void*);
    void ToTitle(void*) { ToTitle(); }
    void OpenStageSelect(void*);
    void OpenOption(void*);
    void OpenScoreView(void*);
    void Quit(void*);
    void ShowTitleMenu(void*);
    void FinishToTitleMenu(void*);
    void FinishToTitle(void*);

    // Stage numbers 1..6 and 7 for the extra stage.
    void StartStage(int stage, float damageFactor, int level);
    void LeaveFrontEnd();
    // Every child of the container with the name (finished or not), taken
    // out at once; afterEach runs after each removal.
    void RemoveScenes(const char* name, void (GameManager::*afterEach)() = nullptr);
    void StopSounds();
    // Stage and total score and the run table to zero.
    void ClearScores();
    // ClearScores and no continues used (new run or back to the title).
    void ResetRun();
    void ReleaseGroundGenerator();
    // Ground generator, camera, light and player released, nothing followed.
    void ReleaseStageObjects();

    // Starts the scene under the container; the result of StartScene, or -1
    // for a null scene.
    int StartChild(Quorvex::SceneBase* scene, void* param);

    Quorvex::SceneBase* m_pContainer = nullptr;
    // Pushes may come from an object update while another thread runs, so the
    // list is guarded; the callbacks run outside the lock.
    std::mutex m_requestMutex;
    std::vector<Request> m_requests;
    // Start arguments must outlive the scene's set-up.
    StartParam m_startParam;
};
