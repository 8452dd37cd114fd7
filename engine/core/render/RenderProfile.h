// An optional observer of the render pipeline's time, for benchmarks: the
// time the job records spend writing commands and the time the commands take
// to replay on the device, summed over every stage, a call before and
// after each render group is drawn and one after each post pass. None is installed in the game.
#pragma once

namespace Quorvex {

class RenderGroup;

class RenderProfile {
public:
    virtual ~RenderProfile() = default;
    // Around RenderGroup::Draw, in draw order.
    virtual void BeforeGroup(RenderGroup&) {}
    virtual void AfterGroup(RenderGroup&) {}
    // After each full-screen post pass has been drawn, inside its group.
    virtual void AfterPass(const char* /*name*/) {}

    double writeSeconds = 0.0;   // sorting and command writing on the job records
    double replaySeconds = 0.0;  // buffer copies and device calls of the replay
};

// Null unless a benchmark installed one; the caller keeps it alive.
RenderProfile* GetRenderProfile();
void SetRenderProfile(RenderProfile* profile);
// Tells the installed observer, if any, that the named post pass was drawn.
void ProfilePass(const char* name);

}  // namespace Quorvex
