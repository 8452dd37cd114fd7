// Where start-up time goes: the time spent in each kind of loading work,
// summed over every thread, read by the start-up benchmark. A timer opened
// inside another on the same thread pauses the outer one, so each moment
// counts for one phase only (a mesh's own textures count as image decoding,
// not as mesh import).
#pragma once
#include <cstdint>

namespace orv {

// The first seven are loading work; the last two are spans of the main thread
// (its wait for the loader thread, and setting up the title), which overlap
// loading work done on other threads.
enum class Phase {
    FileRead,
    Descramble,
    ImageDecode,
    MeshImport,
    SoundRegistration,
    ShaderCompile,
    FirstFrame,
    LoaderWait,
    TitleSetUp,
    Count
};

class PhaseTimer {
public:
    explicit PhaseTimer(Phase phase);
    ~PhaseTimer();
    PhaseTimer(const PhaseTimer&) = delete;
    PhaseTimer& operator=(const PhaseTimer&) = delete;

private:
    void Pause(int64_t now);

    Phase m_phase;
    int64_t m_start;
    PhaseTimer* m_outer;
};

// Nanoseconds spent in the phase so far.
int64_t PhaseNanoseconds(Phase phase);

}  // namespace orv
