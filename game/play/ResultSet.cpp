#include "game/play/ResultSet.h"

#include "engine/assets/devices/InputManager.h"
#include "engine/assets/devices/SoundManager.h"
#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/render/ObjectManager.h"
#include "game/play/Result_StageScore.h"
#include "game/play/Result_Title.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"

using namespace Quorvex;

namespace {

// Return; pad button 0.
constexpr InputManager::KeyBinding kSkipBinding[] = {{"result_skip", 28, 4}};

SceneRequests* Manager() { return g_pEnvironment2 ? g_pEnvironment2->gameManager : nullptr; }

template <class T>
T* NewPart(ObjectManager* manager) {
    T* part = new T(manager);
    part->AddRef();
    part->Initialize(0);
    return part;
}

template <class T>
void DropPart(T*& part) {
    if (!part) return;
    part->Hide();
    part->RequestRemove(true);
    part->Release();
    part = nullptr;
}

}  // namespace

ResultSet::ResultSet(ObjectManager* manager, InputManager* input)
    : Object(manager, CreateRegister), m_manager(manager), m_input(input) {}

ResultSet::~ResultSet() {
    DropPart(m_title);
    for (Result_StageScore*& row : m_rows) DropPart(row);
    DropPart(m_nextStage);
    if (m_input) {
        m_input->UnbindTable(kSkipBinding);
    }
}

int ResultSet::Initialize(int param) {
    Object::Initialize(param);
    m_title = NewPart<Result_Title>(m_manager);
    m_rows[0] = NewPart<Result_StageScore>(m_manager);
    m_rows[1] = NewPart<Result_StageShotDown>(m_manager);
    m_rows[2] = NewPart<Result_StageGraze>(m_manager);
    m_rows[3] = NewPart<Result_TotalScore>(m_manager);
    m_nextStage = NewPart<Result_NextStage>(m_manager);
    if (m_input) {
        m_input->BindTable(kSkipBinding);
    }
    return 0;
}

void ResultSet::Start() {
    m_timer = 0.0f;
    m_duration = -1.0f;
    m_state = 0;
    m_finished = 0;
    if (m_title) m_title->Show();
}

void ResultSet::Hide() {
    m_state = -1;
    if (m_title) m_title->Hide();
    if (m_nextStage) m_nextStage->Hide();
    for (Result_StageScore* row : m_rows) {
        if (row) row->Hide();
    }
}

int64_t ResultSet::RowTarget(int row) const {
    const SceneRequests* gm = Manager();
    if (!gm) return 0;
    switch (row) {
        case 0: return gm->stageScore;
        case 1: return gm->enemiesShotDown;
        case 2: return gm->stageBonus;
        default: return gm->totalScore;
    }
}

void ResultSet::PlaySound(const wchar_t* id) {
    SoundManager* sounds = g_pEnvironment2 ? g_pEnvironment2->soundManager : nullptr;
    if (!sounds) return;
    if (SoundUnit* unit = sounds->FindSound(id)) unit->Play(SoundUnit::PLAY_REWIND);
}

void ResultSet::EndRow(int row) {
    SceneRequests* gm = Manager();
    if (!gm) return;
    if (row == 1) {
        // A stage where no enemy appeared earns no bonus (rather than a
        // division by zero).
        const double appeared = gm->enemiesAppeared;
        gm->stageBonus = appeared > 0.0
                             ? static_cast<int64_t>(static_cast<double>(gm->enemiesShotDown) / appeared *
                                                    static_cast<double>(gm->stageScore) * 0.1)
                             : 0;
    } else if (row == 3) {
        gm->CommitStageScore();
    }
}

void ResultSet::Update(float dt) {
    if (m_state < 0) return;
    if (m_state < 8) {
        const int r = m_state / 2;
        Result_StageScore* row = m_rows[r];
        const int64_t target = RowTarget(r);
        if (m_duration < 0.0f) m_duration = 2.0f;
        if (m_input && m_input->IsCommandOn("result_skip")) m_duration = 0.0f;
        if (m_state % 2 == 0) {
            if (m_timer >= 0.5f) {
                if (row) {
                    row->Show();
                    row->m_value = 0;
                }
                ++m_state;
            }
        } else if (m_timer < m_duration + 0.5f) {
            const double counted = static_cast<double>(target) / m_duration * (m_timer - 0.5f);
            const int64_t value = static_cast<int64_t>(counted);
            if (row) row->m_value = value < target ? value : target;
            PlaySound(L"scr_cnt");
        } else {
            EndRow(r);
            m_timer = 0.0f;
            m_duration = -1.0f;
            if (row) row->m_value = target;
            ++m_state;
            PlaySound(L"scr_dcd");
        }
    } else if (m_state == 8) {
        if (m_timer >= 1.0f) {
            m_timer = 0.0f;
            m_state = 9;
        }
    } else if (m_state == 9) {
        if (m_nextStage) m_nextStage->Show();
        PlaySound(L"lockon");
        m_state = 10;
    } else if (m_state == 10) {
        if (m_timer >= 1.0f) {
            m_timer = 0.0f;
            m_state = 11;
        }
    } else {
        m_finished = 1;
    }
    m_timer += dt;
}
