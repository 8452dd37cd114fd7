// The stages' enemy timetables: each entry point adds the timed events of one
// stage section to the enemy generator. Stages 1 and 2 place their common
// enemies from tables written here; every stage places its boss through a
// boss event. Call EnemyGenerator::ClearEvents before an entry point and set
// the generator's stageScene after it.
#pragma once

class EnemyGenerator_Derive;

// Stage-1 wave table A at 0 s and the stage cue at 70 s.
void AddEvent_Stage1Waves1(EnemyGenerator_Derive* generator);
// The stage-1 boss at 0 s.
void AddEvent_Stage1Boss(EnemyGenerator_Derive* generator);
// Stage-1 wave table B at 2 s.
void AddEvent_Stage1Waves2(EnemyGenerator_Derive* generator);
// The stage-1 boss at 2 s.
void AddEvent_Stage1BossLate(EnemyGenerator_Derive* generator);
// The stage-2 tick table at 0 s.
void AddEvent_Stage2Waves1(EnemyGenerator_Derive* generator);
// Fighter stream 1 at 0 s and the fairy burst at 17 s.
void AddEvent_Stage2Waves2(EnemyGenerator_Derive* generator);
// The stage-2 boss at 0 s.
void AddEvent_Stage2Boss(EnemyGenerator_Derive* generator);
// The tick table at 2 s, fighter stream 2 at 5 s and stream 3 at 34 s.
void AddEvent_Stage2Waves3(EnemyGenerator_Derive* generator);
// The boss of stage 3, 4, 5, 6 or the extra stage at 0 s.
void AddEvent_Stage3Boss(EnemyGenerator_Derive* generator);
void AddEvent_Stage4Boss(EnemyGenerator_Derive* generator);
void AddEvent_Stage5Boss(EnemyGenerator_Derive* generator);
void AddEvent_Stage6Boss(EnemyGenerator_Derive* generator);
void AddEvent_StageExBoss(EnemyGenerator_Derive* generator);
