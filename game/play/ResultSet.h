// The stage result panel: counts up the stage score, the enemies shot down,
// the stage bonus and the total score one row after another with a ticking
// sound, then shows the prompt for the next stage and reports finished.
// Holding "result_skip" ends each row's count at once.
#pragma once
#include <cstdint>

#include "engine/core/Object.h"

namespace Quorvex {
class InputManager;
class ObjectManager;
}  // namespace Quorvex
class Result_NextStage;
class Result_StageScore;
class Result_Title;

class ResultSet : public Quorvex::Object {
public:
    static constexpr int kRows = 4;

    // Registers with the manager; idle (state -1).
    ResultSet(Quorvex::ObjectManager* manager, Quorvex::InputManager* input);
    ~ResultSet() override;

    // The six parts and the "result_skip" bindings (Enter, pad button 4). 0.
    int Initialize(int param) override;
    void Update(float dt) override;

    // Starts the count from the first row and shows the title card.
    void Start();
    // Idle; every part out of its stage.
    void Hide();

    int GetState() const { return m_state; }
    BYTE IsFinished() const { return m_finished; }
    Result_StageScore* GetRow(int row) const { return row >= 0 && row < kRows ? m_rows[row] : nullptr; }
    Result_Title* GetTitle() const { return m_title; }

private:
    // The game manager's value that row r counts up to.
    int64_t RowTarget(int row) const;
    // Ends row r: the bonus after the shot-down row, the commit after the
    // total row.
    void EndRow(int row);
    static void PlaySound(const wchar_t* id);

    Quorvex::ObjectManager* m_manager;
    Quorvex::InputManager* m_input;
    float m_timer = 0.0f;
    int m_state = -1;
    float m_duration = -1.0f;
    BYTE m_finished = 0;
    Result_StageScore* m_rows[kRows] = {};
    Result_Title* m_title = nullptr;
    Result_NextStage* m_nextStage = nullptr;
};
