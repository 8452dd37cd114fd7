#include "game/enemy/StageTimetables.h"

#include <cstdint>
#include <iterator>

#include <boost/bind/bind.hpp>

#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Dweli.h"
#include "game/enemy/types/Enemy_Fesko.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Fighter3.h"
#include "game/enemy/types/Enemy_Fighter4.h"
#include "game/enemy/types/Enemy_Gralle.h"
#include "game/enemy/types/Enemy_Orsel.h"
#include "game/enemy/types/Enemy_Pentra.h"
#include "game/enemy/types/Enemy_Toska.h"
#include "game/state/IActionScene.h"

using namespace boost::placeholders;

namespace {

constexpr float kWaveStepInterval = 1.2f;  // stage-1 tables
constexpr float kTickInterval = 0.1f;      // stage-2 tick table and fairy burst
constexpr float kPathSpeed = 250.0f;
constexpr float kStageCueDelay = 70.0f;
constexpr int kTableASteps = 30;
constexpr int kTableBSteps = 32;
constexpr int kTickTableEnd = 290;
constexpr int kBurstFairies = 18;
constexpr int kBurstEnd = 10;

struct Offset {
    float x, y, z;
};

int SpawnFairy(EnemyGenerator_Derive* generator, const Offset* waypoints, int count, float speed, int attackType);
int SpawnFighter(EnemyGenerator_Derive* generator, const Offset* waypoints, float speed);
int SpawnStreamFighter(EnemyGenerator_Derive* generator);

// Progress of a wave event, kept in the event's state block.
struct WaveState : Event_CreateEnemy::State {
    float timer = 0.0f;
    uint32_t step = 0;
    bool done = false;
};

WaveState* StateOf(Event_CreateEnemy* event) {
    if (!event->state) event->state = new WaveState();
    return static_cast<WaveState*>(event->state);
}

float FrameTime() { return Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetFrameTime() : 0.0f; }

// Sums of float steps drift by a few ulps; without this slack a 0.5 s frame
// could give nine 0.05 s ticks instead of ten.
constexpr float kTickSlack = 1e-4f;

Quorvex::AreaPos SpawnPoint(EnemyGenerator_Derive* generator, const Offset& first) {
    return generator->GetAreaPos().Translated(D3DXVECTOR3(first.x, first.y, first.z));
}

void ToVectors(const Offset* offsets, int count, D3DXVECTOR3* out) {
    for (int i = 0; i < count; ++i) out[i] = D3DXVECTOR3(offsets[i].x, offsets[i].y, offsets[i].z);
}

// ---------------------------------------------------------------------------
// Stage-1 tables: one fairy per entry, entries grouped by step.

struct TableFairy {
    int step;
    int attackType;
    int count;
    Offset points[4];
};

struct WaveTable {
    const TableFairy* fairies;
    int fairyCount;
    int steps;
};

// Table A: 30 steps; 3, 17, 19, 22, 23, 25, 26 and 27 stay empty.
const TableFairy kTableA[] = {
    {0, 2, 4, {{50, 100, -100}, {25, 20, 150}, {-20, -10, 700}, {-200, 0, -50}}},
    {1, 2, 4, {{-50, 100, -100}, {-25, 20, 150}, {20, -10, 700}, {200, 0, -50}}},
    {2, 3, 2, {{0, 120, 1200}, {0, 60, -50}}},
    {4, 2, 2, {{-150, 50, 1000}, {-150, 100, -50}}},
    {4, 2, 2, {{-120, 25, 1000}, {-120, 75, -50}}},
    {5, 2, 2, {{150, 50, 1000}, {150, 100, -50}}},
    {5, 2, 2, {{120, 25, 1000}, {120, 75, -50}}},
    {6, 3, 3, {{-200, 80, 1200}, {-60, 60, 500}, {100, 40, -100}}},
    {6, 3, 3, {{200, 80, 1200}, {60, 60, 500}, {-100, 40, -100}}},
    {7, 2, 3, {{0, 150, 1100}, {0, 80, 400}, {0, 140, -150}}},
    {8, 2, 2, {{-240, 30, 900}, {-80, 60, -80}}},
    {8, 2, 2, {{-200, 60, 950}, {-40, 90, -80}}},
    {8, 2, 2, {{-160, 90, 1000}, {0, 120, -80}}},
    {9, 2, 2, {{240, 30, 900}, {80, 60, -80}}},
    {9, 2, 2, {{200, 60, 950}, {40, 90, -80}}},
    {9, 2, 2, {{160, 90, 1000}, {0, 120, -80}}},
    {10, 3, 4, {{-100, 120, -120}, {-60, 40, 300}, {60, 20, 800}, {220, 60, -50}}},
    {10, 3, 4, {{100, 120, -120}, {60, 40, 300}, {-60, 20, 800}, {-220, 60, -50}}},
    {11, 2, 2, {{-60, 40, 1200}, {-60, 40, -150}}},
    {11, 2, 2, {{0, 70, 1200}, {0, 70, -150}}},
    {11, 2, 2, {{60, 40, 1200}, {60, 40, -150}}},
    {12, 2, 3, {{-220, 100, 1000}, {-100, 20, 400}, {-200, 60, -100}}},
    {12, 2, 3, {{220, 100, 1000}, {100, 20, 400}, {200, 60, -100}}},
    {13, 3, 2, {{-30, 140, 1150}, {-30, 60, -60}}},
    {13, 3, 2, {{30, 140, 1150}, {30, 60, -60}}},
    {14, 2, 3, {{-250, 0, 800}, {0, 50, 600}, {250, 100, -50}}},
    {14, 2, 3, {{250, 0, 800}, {0, 50, 600}, {-250, 100, -50}}},
    {15, 2, 2, {{-180, 60, 1100}, {-180, 20, -100}}},
    {15, 2, 2, {{-90, 80, 1100}, {-90, 40, -100}}},
    {15, 2, 2, {{0, 100, 1100}, {0, 60, -100}}},
    {15, 2, 2, {{90, 80, 1100}, {90, 40, -100}}},
    {15, 2, 2, {{180, 60, 1100}, {180, 20, -100}}},
    {16, 3, 4, {{0, 150, -150}, {-80, 60, 200}, {0, 30, 900}, {80, 90, -100}}},
    {18, 2, 3, {{-200, 120, 1200}, {-40, 30, 300}, {-120, 0, -120}}},
    {18, 2, 3, {{200, 120, 1200}, {40, 30, 300}, {120, 0, -120}}},
    {20, 3, 2, {{-100, 20, 1000}, {100, 120, -80}}},
    {20, 3, 2, {{100, 20, 1000}, {-100, 120, -80}}},
    {21, 2, 2, {{-150, 70, 1200}, {-150, 70, -50}}},
    {21, 2, 2, {{-50, 70, 1200}, {-50, 70, -50}}},
    {21, 2, 2, {{50, 70, 1200}, {50, 70, -50}}},
    {21, 2, 2, {{150, 70, 1200}, {150, 70, -50}}},
    {24, 3, 3, {{-240, 40, 1000}, {0, 100, 500}, {240, 40, -150}}},
    {24, 3, 3, {{240, 40, 1000}, {0, 100, 500}, {-240, 40, -150}}},
    {24, 2, 2, {{0, 140, 1200}, {0, 0, -150}}},
    {28, 2, 3, {{-120, 90, 1200}, {-60, 50, 500}, {-150, 80, -100}}},
    {28, 2, 3, {{0, 110, 1200}, {0, 70, 500}, {0, 100, -100}}},
    {28, 2, 3, {{120, 90, 1200}, {60, 50, 500}, {150, 80, -100}}},
    {29, 3, 4, {{-200, 100, -100}, {-100, 30, 400}, {100, 30, 900}, {200, 100, -100}}},
    {29, 3, 4, {{200, 100, -100}, {100, 30, 400}, {-100, 30, 900}, {-200, 100, -100}}},
};

// Table B: 32 steps, after the first boss fight; denser, with empty steps
// to breathe.
const TableFairy kTableB[] = {
    {0, 2, 2, {{-100, 60, 1200}, {-100, 60, -100}}},
    {0, 2, 2, {{100, 60, 1200}, {100, 60, -100}}},
    {1, 3, 3, {{-220, 120, 1000}, {-40, 40, 400}, {-160, 80, -120}}},
    {1, 3, 3, {{220, 120, 1000}, {40, 40, 400}, {160, 80, -120}}},
    {2, 2, 4, {{-60, 130, -130}, {-30, 30, 200}, {30, 0, 800}, {220, 40, -60}}},
    {2, 2, 4, {{60, 130, -130}, {30, 30, 200}, {-30, 0, 800}, {-220, 40, -60}}},
    {3, 2, 2, {{-200, 20, 1100}, {-200, 80, -80}}},
    {3, 2, 2, {{-130, 50, 1100}, {-130, 110, -80}}},
    {3, 2, 2, {{-60, 80, 1100}, {-60, 140, -80}}},
    {4, 2, 2, {{200, 20, 1100}, {200, 80, -80}}},
    {4, 2, 2, {{130, 50, 1100}, {130, 110, -80}}},
    {4, 2, 2, {{60, 80, 1100}, {60, 140, -80}}},
    {6, 3, 3, {{0, 150, 1200}, {0, 40, 450}, {0, 120, -150}}},
    {6, 3, 3, {{-150, 100, 1200}, {-80, 40, 450}, {-200, 100, -150}}},
    {6, 3, 3, {{150, 100, 1200}, {80, 40, 450}, {200, 100, -150}}},
    {7, 2, 2, {{-250, 60, 900}, {250, 60, -100}}},
    {8, 2, 2, {{250, 60, 900}, {-250, 60, -100}}},
    {9, 2, 3, {{-180, 0, 1000}, {-60, 90, 300}, {-180, 140, -120}}},
    {9, 2, 3, {{180, 0, 1000}, {60, 90, 300}, {180, 140, -120}}},
    {10, 3, 4, {{0, 140, -150}, {0, 40, 250}, {0, 20, 900}, {0, 100, -50}}},
    {11, 2, 2, {{-240, 40, 1200}, {-120, 40, -150}}},
    {11, 2, 2, {{-160, 70, 1200}, {-80, 70, -150}}},
    {11, 2, 2, {{-80, 100, 1200}, {-40, 100, -150}}},
    {11, 2, 2, {{80, 100, 1200}, {40, 100, -150}}},
    {11, 2, 2, {{160, 70, 1200}, {80, 70, -150}}},
    {11, 2, 2, {{240, 40, 1200}, {120, 40, -150}}},
    {13, 3, 3, {{-100, 100, 1100}, {100, 30, 500}, {-100, 80, -100}}},
    {13, 3, 3, {{100, 100, 1100}, {-100, 30, 500}, {100, 80, -100}}},
    {14, 2, 2, {{0, 60, 1200}, {0, 130, -100}}},
    {15, 2, 4, {{-250, 80, -100}, {-120, 20, 300}, {0, 40, 900}, {120, 100, -150}}},
    {15, 2, 4, {{250, 80, -100}, {120, 20, 300}, {0, 40, 900}, {-120, 100, -150}}},
    {16, 3, 2, {{-50, 20, 1000}, {-50, 120, -80}}},
    {16, 3, 2, {{50, 20, 1000}, {50, 120, -80}}},
    {17, 2, 3, {{-200, 100, 1200}, {0, 60, 600}, {200, 20, -100}}},
    {17, 2, 3, {{200, 100, 1200}, {0, 60, 600}, {-200, 20, -100}}},
    {18, 2, 2, {{-120, 40, 1150}, {-120, 40, -50}}},
    {18, 2, 2, {{0, 40, 1150}, {0, 40, -50}}},
    {18, 2, 2, {{120, 40, 1150}, {120, 40, -50}}},
    {20, 3, 3, {{-240, 140, 1200}, {-100, 60, 300}, {-240, 0, -150}}},
    {20, 3, 3, {{240, 140, 1200}, {100, 60, 300}, {240, 0, -150}}},
    {21, 2, 2, {{-180, 90, 1000}, {0, 30, -120}}},
    {21, 2, 2, {{180, 90, 1000}, {0, 30, -120}}},
    {22, 2, 4, {{0, 120, -140}, {-100, 50, 300}, {100, 20, 800}, {0, 90, -60}}},
    {23, 3, 2, {{-220, 60, 1100}, {-220, 60, -100}}},
    {23, 3, 2, {{220, 60, 1100}, {220, 60, -100}}},
    {24, 2, 2, {{-90, 110, 1200}, {-90, 20, -150}}},
    {24, 2, 2, {{-30, 130, 1200}, {-30, 40, -150}}},
    {24, 2, 2, {{30, 130, 1200}, {30, 40, -150}}},
    {24, 2, 2, {{90, 110, 1200}, {90, 20, -150}}},
    {26, 3, 3, {{-160, 20, 1000}, {-60, 100, 500}, {-160, 150, -100}}},
    {26, 3, 3, {{160, 20, 1000}, {60, 100, 500}, {160, 150, -100}}},
    {27, 2, 2, {{-250, 100, 1200}, {250, 40, -150}}},
    {27, 2, 2, {{250, 100, 1200}, {-250, 40, -150}}},
    {28, 2, 3, {{0, 150, 1200}, {0, 80, 300}, {0, 0, -150}}},
    {29, 3, 4, {{-150, 60, -120}, {-60, 20, 250}, {60, 20, 900}, {150, 60, -80}}},
    {29, 3, 4, {{150, 60, -120}, {60, 20, 250}, {-60, 20, 900}, {-150, 60, -80}}},
    {30, 2, 2, {{-200, 50, 1200}, {-200, 50, -100}}},
    {30, 2, 2, {{-100, 80, 1200}, {-100, 80, -100}}},
    {30, 2, 2, {{0, 110, 1200}, {0, 110, -100}}},
    {30, 2, 2, {{100, 80, 1200}, {100, 80, -100}}},
    {30, 2, 2, {{200, 50, 1200}, {200, 50, -100}}},
    {31, 3, 3, {{-120, 100, 1200}, {0, 40, 600}, {120, 100, -150}}},
    {31, 3, 3, {{120, 100, 1200}, {0, 40, 600}, {-120, 100, -150}}},
};

const WaveTable kWaveTableA{kTableA, static_cast<int>(std::size(kTableA)), kTableASteps};
const WaveTable kWaveTableB{kTableB, static_cast<int>(std::size(kTableB)), kTableBSteps};

// One step every 1.2 s; a step runs at most once per call and restarts the
// timer, so a long frame never runs two steps.
int RunWaveTable(EnemyGenerator_Derive* generator, const WaveTable* table, Event_CreateEnemy* event) {
    WaveState* s = StateOf(event);
    if (s->done) return 1;
    if (s->timer >= kWaveStepInterval) {
        if (s->step < static_cast<uint32_t>(table->steps)) {
            for (int i = 0; i < table->fairyCount; ++i) {
                const TableFairy& f = table->fairies[i];
                if (f.step == static_cast<int>(s->step)) SpawnFairy(generator, f.points, f.count, kPathSpeed, f.attackType);
            }
        } else {
            s->done = true;
        }
        s->timer = 0.0f;
        s->step += 1;
    }
    s->timer += FrameTime();
    return 0;
}

// The stage cue: the stage scene's hook, once.
int RunStageCue(EnemyGenerator_Derive* generator, Event_CreateEnemy*) {
    if (IActionScene* scene = generator->stageScene) scene->OnStageCue();
    return 1;
}

// ---------------------------------------------------------------------------
// Stage 2: ticks of 0.1 s.

// One fairy of a tick's group: the tick, the number of waypoints and the
// waypoints. The rows of one tick form one small group of two to four.
struct TickFairy {
    int tick;
    int count;
    Offset points[3];
};

const TickFairy kTickFairies[] = {
    {0, 2, {{-100, 50, 1200}, {-100, 80, -100}}},
    {0, 2, {{100, 50, 1200}, {100, 80, -100}}},
    {10, 3, {{-200, 100, 1000}, {-50, 30, 400}, {-150, 60, -120}}},
    {10, 3, {{-120, 140, 1000}, {30, 70, 400}, {-70, 100, -120}}},
    {15, 3, {{200, 100, 1000}, {50, 30, 400}, {150, 60, -120}}},
    {15, 3, {{120, 140, 1000}, {-30, 70, 400}, {70, 100, -120}}},
    {25, 2, {{-40, 120, 1200}, {-40, 20, -150}}},
    {25, 2, {{40, 120, 1200}, {40, 20, -150}}},
    {35, 2, {{-250, 40, 900}, {0, 90, -100}}},
    {35, 2, {{-180, 80, 900}, {70, 130, -100}}},
    {40, 2, {{250, 40, 900}, {0, 90, -100}}},
    {40, 2, {{180, 80, 900}, {-70, 130, -100}}},
    {45, 3, {{0, 150, 1200}, {0, 40, 500}, {0, 100, -150}}},
    {45, 3, {{-100, 150, 1200}, {-100, 40, 500}, {-100, 100, -150}}},
    {45, 3, {{100, 150, 1200}, {100, 40, 500}, {100, 100, -150}}},
    {65, 2, {{-160, 70, 1100}, {-160, 70, -80}}},
    {65, 2, {{-80, 70, 1100}, {-80, 70, -80}}},
    {70, 2, {{0, 70, 1100}, {0, 70, -80}}},
    {70, 2, {{0, 110, 1100}, {0, 110, -80}}},
    {75, 2, {{80, 70, 1100}, {80, 70, -80}}},
    {75, 2, {{160, 70, 1100}, {160, 70, -80}}},
    {100, 3, {{-220, 20, 1200}, {-80, 110, 300}, {-220, 140, -150}}},
    {100, 3, {{220, 20, 1200}, {80, 110, 300}, {220, 140, -150}}},
    {110, 2, {{-120, 90, 1000}, {120, 30, -120}}},
    {110, 2, {{120, 90, 1000}, {-120, 30, -120}}},
    {170, 2, {{-200, 60, 1200}, {-200, 60, -100}}},
    {170, 2, {{-100, 100, 1200}, {-100, 100, -100}}},
    {180, 2, {{0, 130, 1200}, {0, 130, -100}}},
    {180, 2, {{0, 30, 1200}, {0, 30, -100}}},
    {190, 2, {{100, 100, 1200}, {100, 100, -100}}},
    {190, 2, {{200, 60, 1200}, {200, 60, -100}}},
    {200, 3, {{-60, 0, 900}, {-150, 80, 400}, {-60, 150, -150}}},
    {200, 3, {{60, 0, 900}, {150, 80, 400}, {60, 150, -150}}},
    {250, 2, {{-230, 110, 1200}, {-100, 40, -150}}},
    {250, 2, {{230, 110, 1200}, {100, 40, -150}}},
    {270, 3, {{0, 100, 1200}, {-120, 50, 500}, {0, 20, -150}}},
    {270, 3, {{-120, 100, 1200}, {-240, 50, 500}, {-120, 20, -150}}},
    {280, 3, {{0, 100, 1200}, {120, 50, 500}, {0, 20, -150}}},
    {280, 3, {{120, 100, 1200}, {240, 50, 500}, {120, 20, -150}}},
};

struct TickFighter {
    int tick;
    Offset points[2];
};

const TickFighter kTickFighters[] = {
    {160, {{-150, 80, 1200}, {150, 40, -100}}},
    {240, {{150, 80, 1200}, {-150, 40, -100}}},
};

void RunTick(EnemyGenerator_Derive* generator, int tick) {
    for (const TickFairy& f : kTickFairies)
        if (f.tick == tick) SpawnFairy(generator, f.points, f.count, kPathSpeed, Enemy_Fighter2::kAimedBursts);
    for (const TickFighter& f : kTickFighters)
        if (f.tick == tick) SpawnFighter(generator, f.points, kPathSpeed);
}

// Runs every tick that is due (several in a long frame); at `end` the event
// is done.
template <class Tick>
int RunTicks(Event_CreateEnemy* event, uint32_t end, float interval, Tick tick) {
    WaveState* s = StateOf(event);
    while (!s->done && s->timer >= interval - kTickSlack) {
        if (s->step >= end) {
            s->done = true;
            break;
        }
        tick(s->step);
        s->step += 1;
        s->timer -= interval;
    }
    if (s->done) return 1;
    s->timer += FrameTime();
    return 0;
}

int RunTickTable(EnemyGenerator_Derive* generator, Event_CreateEnemy* event) {
    return RunTicks(event, kTickTableEnd, kTickInterval,
                    [generator](uint32_t step) { RunTick(generator, static_cast<int>(step)); });
}

// Eighteen fairies fanned across the way ahead, all at the first tick.
int RunFairyBurst(EnemyGenerator_Derive* generator, Event_CreateEnemy* event) {
    return RunTicks(event, kBurstEnd, kTickInterval, [generator](uint32_t step) {
        if (step != 0) return;
        for (int i = 0; i < kBurstFairies; ++i) {
            const float x = -255.0f + 30.0f * static_cast<float>(i);
            const float y = 30.0f + 40.0f * static_cast<float>(i % 3);
            const Offset path[2] = {{x, y, 1200.0f}, {x * 0.5f, y + 40.0f, -150.0f}};
            SpawnFairy(generator, path, 2, kPathSpeed, Enemy_Fighter2::kAimedBursts);
        }
    });
}

struct Stream {
    float interval;
    uint32_t spawns;
};

const Stream kStreams[3] = {{0.15f, 100}, {0.5f, 30}, {0.05f, 140}};

int RunStream(EnemyGenerator_Derive* generator, const Stream* stream, Event_CreateEnemy* event) {
    return RunTicks(event, stream->spawns, stream->interval, [generator](uint32_t) { SpawnStreamFighter(generator); });
}

// ---------------------------------------------------------------------------
// Bosses.

constexpr int kStageEx = 7;

Enemy* LaunchPooledBoss(EnemyGenerator_Derive* generator, int stage) {
    const Quorvex::AreaPos& at = generator->GetAreaPos();
    switch (stage) {
    case 2: return generator->LaunchFesko(at);
    case 3: return generator->LaunchPentra(at.Translated(D3DXVECTOR3(0.0f, 0.0f, 1000.0f)));
    case 4: return generator->LaunchGralle(at.Translated(D3DXVECTOR3(0.0f, 0.0f, 1000.0f)));
    case 5: return generator->LaunchOrsel(at.Translated(D3DXVECTOR3(0.0f, 0.0f, 3000.0f)));
    default: return generator->LaunchToska(at.Translated(D3DXVECTOR3(0.0f, 0.0f, 3000.0f)));
    }
}

// Runs once: 1 after a launch, -1 on an exhausted pool.
int RunBoss(EnemyGenerator_Derive* generator, int stage, Event_CreateEnemy*) {
    if (stage == 1) {
        // The boss joins the object manager, which holds it from then on.
        Quorvex::ObjectManager* objects = generator->GetObjectManager();
        if (!objects) return -1;
        const float x = (Quorvex::RandomFloat() - 0.5f) * 300.0f;
        const float y = (Quorvex::RandomFloat() - 0.5f) * 200.0f + 150.0f;
        const Quorvex::AreaPos at = generator->GetAreaPos().Translated(D3DXVECTOR3(x, y, 3000.0f));
        auto* boss = new Enemy_Dweli(objects, generator->GetAreaManager(), at, generator);
        boss->AddRef();  // the event's, dropped once the boss is in play
        boss->Initialize(0);
        D3DXQUATERNION facing;
        D3DXQuaternionRotationYawPitchRoll(&facing, D3DX_PI, 0.0f, 0.0f);
        boss->SetOrientation(facing);
        boss->Launch(at);
        boss->Release();
        AddEnemiesAppeared(1);
        return 1;
    }
    Enemy* boss = LaunchPooledBoss(generator, stage);
    if (!boss) return -1;
    // The pool and the object manager hold their own references; keeping the
    // launch one would stop the pool from ever destroying the boss.
    boss->Release();
    AddEnemiesAppeared(1);
    return 1;
}

void AddBoss(EnemyGenerator_Derive* generator, int stage, float delay) {
    if (!generator) return;
    generator->AddEvent(Event_CreateEnemy(boost::bind(&RunBoss, generator, stage, _1), delay));
}

void AddStream(EnemyGenerator_Derive* generator, int stream, float delay) {
    generator->AddEvent(Event_CreateEnemy(boost::bind(&RunStream, generator, &kStreams[stream], _1), delay));
}

// ---------------------------------------------------------------------------
// Spawn routines: -1 when the pool is exhausted, else 0 (the tables go on
// either way).

int SpawnFairy(EnemyGenerator_Derive* generator, const Offset* waypoints, int count, float speed, int attackType) {
    if (!generator || !waypoints || count <= 0 || count > 4) return -1;
    D3DXVECTOR3 points[4];
    ToVectors(waypoints, count, points);
    if (!generator->LaunchFighter2OnPath(points, count, speed, attackType)) return -1;
    AddEnemiesAppeared(1);
    return 0;
}

int SpawnFighter(EnemyGenerator_Derive* generator, const Offset* waypoints, float speed) {
    if (!generator || !waypoints) return -1;
    Enemy_Fighter3* fighter = generator->LaunchFighter3(SpawnPoint(generator, waypoints[0]));
    if (!fighter) return -1;
    D3DXVECTOR3 points[2];
    ToVectors(waypoints, 2, points);
    fighter->GetMoveParam()->SetPath(points, 2, speed);
    fighter->Release();
    AddEnemiesAppeared(1);
    return 0;
}

int SpawnStreamFighter(EnemyGenerator_Derive* generator) {
    if (!generator) return -1;
    auto r = [] { return Quorvex::RandomFloat(); };
    Offset path[2];
    path[0].x = (r() - 0.5f) * 500.0f;
    path[0].y = (r() - 0.25f) * 200.0f;
    path[0].z = 1200.0f;
    path[1].x = (r() - 0.5f) * 500.0f;
    path[1].y = (r() - 0.25f) * 200.0f;
    path[1].z = -50.0f;
    Enemy_Fighter4* fighter = generator->LaunchFighter4(SpawnPoint(generator, path[0]));
    if (!fighter) return -1;
    D3DXVECTOR3 points[2];
    ToVectors(path, 2, points);
    fighter->GetMoveParam()->SetPath(points, 2, kPathSpeed);
    // The pool and the object manager keep their own references; holding the
    // launch one would keep every stream fighter alive past its pool.
    fighter->Release();
    AddEnemiesAppeared(1);
    return 0;
}

}  // namespace

void AddEvent_Stage1Waves1(EnemyGenerator_Derive* generator) {
    if (!generator) return;
    generator->AddEvent(Event_CreateEnemy(boost::bind(&RunWaveTable, generator, &kWaveTableA, _1), 0.0f));
    generator->AddEvent(Event_CreateEnemy(boost::bind(&RunStageCue, generator, _1), kStageCueDelay));
}

void AddEvent_Stage1Boss(EnemyGenerator_Derive* generator) { AddBoss(generator, 1, 0.0f); }

void AddEvent_Stage1Waves2(EnemyGenerator_Derive* generator) {
    if (!generator) return;
    generator->AddEvent(Event_CreateEnemy(boost::bind(&RunWaveTable, generator, &kWaveTableB, _1), 2.0f));
}

void AddEvent_Stage1BossLate(EnemyGenerator_Derive* generator) { AddBoss(generator, 1, 2.0f); }

void AddEvent_Stage2Waves1(EnemyGenerator_Derive* generator) {
    if (!generator) return;
    generator->AddEvent(Event_CreateEnemy(boost::bind(&RunTickTable, generator, _1), 0.0f));
}

void AddEvent_Stage2Waves2(EnemyGenerator_Derive* generator) {
    if (!generator) return;
    AddStream(generator, 0, 0.0f);
    generator->AddEvent(Event_CreateEnemy(boost::bind(&RunFairyBurst, generator, _1), 17.0f));
}

void AddEvent_Stage2Boss(EnemyGenerator_Derive* generator) { AddBoss(generator, 2, 0.0f); }

void AddEvent_Stage2Waves3(EnemyGenerator_Derive* generator) {
    if (!generator) return;
    generator->AddEvent(Event_CreateEnemy(boost::bind(&RunTickTable, generator, _1), 2.0f));
    AddStream(generator, 1, 5.0f);
    AddStream(generator, 2, 34.0f);
}

void AddEvent_Stage3Boss(EnemyGenerator_Derive* generator) { AddBoss(generator, 3, 0.0f); }
void AddEvent_Stage4Boss(EnemyGenerator_Derive* generator) { AddBoss(generator, 4, 0.0f); }
void AddEvent_Stage5Boss(EnemyGenerator_Derive* generator) { AddBoss(generator, 5, 0.0f); }
void AddEvent_Stage6Boss(EnemyGenerator_Derive* generator) { AddBoss(generator, 6, 0.0f); }
void AddEvent_StageExBoss(EnemyGenerator_Derive* generator) { AddBoss(generator, kStageEx, 0.0f); }
