#include "game/state/SoundTable.h"

#include <iterator>

#include "engine/assets/devices/SoundManager.h"
#include "game/state/Environment2.h"

const SoundTableEntry g_SoundTable[] = {
    {L"exp_s1", L"./data/sound/effect/exp01.wav", true, 32},
    {L"exp_s2", L"./data/sound/effect/exp02.wav", true, 32},
    {L"exp_m1", L"./data/sound/effect/expb01.wav", true, 32},
    {L"exp_m2", L"./data/sound/effect/bom26_a.wav", true, 32},
    {L"exp_m3", L"./data/sound/effect/bom31_a.wav", true, 32},
    {L"exp_l1", L"./data/sound/effect/bom35.wav", true, 32},
    {L"val2", L"./data/sound/effect2/shot_02.wav", true, 48},
    {L"val3", L"./data/sound/effect2/shot_02.wav", true, 32},
    {L"valheavy", L"./data/sound/effect2/shot_02.wav", true, 48},
    {L"misl", L"./data/sound/effect2/missile.wav", true, 0},
    {L"lockon", L"./data/sound/effect2/lockon.wav", false, 0},
    {L"wind_jet", L"./data/sound/wind.wav", true, 100},
    {L"deadend", L"./data/sound/deadend.wav", false, 0},
    {L"ray", L"./data/sound/ray.wav", true, 0},
    {L"zenkstart", L"./data/sound/zenk.wav", false, 0},
    {L"zenkready", L"./data/sound/zenkready.wav", false, 0},
    {L"nuke_launch", L"./data/sound/nuke_launch.wav", true, 0},
    {L"spell", L"./data/sound/spell.wav", false, 0},
    {L"scr_cnt", L"./data/sound/score1.wav", false, 0},
    {L"scr_dcd", L"./data/sound/score2.wav", false, 0},
    {L"mu1", L"./data/music/mu1.wav", false, 500, true},
    {L"mu2", L"./data/music/mu2.wav", false, 500, true},
    {L"mu3", L"./data/music/mu3.wav", false, 500, true},
    {L"mu4", L"./data/music/mu4.wav", false, 500, true},
    {L"mu5", L"./data/music/mu5.wav", false, 500, true},
    {L"mu6", L"./data/music/mu6.wav", false, 500, true},
    {L"mu7", L"./data/music/mu7.wav", false, 500, true},
    {L"mu8", L"./data/music/mu8.wav", false, 500, true},
};
const size_t g_SoundTableSize = std::size(g_SoundTable);

void RegisterSounds(Quorvex::SoundManager* manager, DWORD key) {
    if (!manager) return;
    manager->SetVolume(1.0f);
    for (const SoundTableEntry& entry : g_SoundTable) {
        manager->LoadSound(entry.id, entry.path, entry.is3D, 1.0f, entry.interval, key);
        if (entry.music) manager->MarkAsMusic(entry.id);
    }
}

void ApplyVolumeSettings(Quorvex::SoundManager* manager) {
    if (!manager || !g_pEnvironment2) return;
    manager->SetVolume(g_pEnvironment2->soundEffectVolume);
    manager->SetMusicVolume(g_pEnvironment2->musicVolume);
}
