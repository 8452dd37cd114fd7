// The two groups that bracket the 3D part of every frame. "Begin" (key 1000)
// switches to one of a ping-pong pair of off-screen targets and clears it;
// everything up to "End" (key 7000) draws into the pair; "End" then runs the
// post-processing passes, each reading the target written last and writing
// the other, the last one (the radial blur) into the target that was current
// before "Begin" (normally the back buffer), where the 2D sprites follow.
#pragma once
#include <vector>

#include "engine/assets/shaders/RenderTargetSet.h"
#include "engine/core/render/RenderGroup.h"

namespace Quorvex {

class RenderGroup_Begin : public RenderGroup {
public:
    static constexpr int OrderKey = 1000;
    // Prepare's answer when a post shader fails to load.
    static constexpr int ShaderLoadFailed = -100;

    RenderGroup_Begin();
    // Releases the saved target; stops being the current Begin group.
    ~RenderGroup_Begin() override;

    // Becomes the current Begin group, creates the pair at the back-buffer
    // size and format, and makes sure the shader manager holds the post
    // shaders ("ExpandBlur2D" reset when present, "Bloom", and "ToneMapping"
    // when the switch is on). Answers 0, a device error, or ShaderLoadFailed.
    int Prepare(int argument) override;
    // Saves render target 0, advances the pair, sets the new target and clears
    // it and the depth buffer to the fog colour (opaque); then its own objects.
    void Draw() override;
    int GetOrderKey() const override { return OrderKey; }

    // The group whose pair the other groups of the frame use; null when none.
    static RenderGroup_Begin* GetCurrent();

    // The target being written.
    int GetIndex() const { return m_index; }
    // index = (index + 1) mod 2: the target just written becomes the next one.
    void Advance() { m_index = (m_index + 1) % 2; }
    const RenderTargetSet& GetTarget(int index) const { return m_targets[index]; }
    // The target that is not being written.
    const RenderTargetSet& GetNextTarget() const { return m_targets[(m_index + 1) % 2]; }
    // The target saved by Draw, held until "End" restores it; null otherwise.
    IDirect3DSurface9* GetSavedTarget() const { return m_pSavedTarget; }
    // "End" restored the saved target: the reference is let go.
    void ReleaseSavedTarget();

    bool IsToneMapping() const { return m_toneMapping; }
    void SetToneMapping(bool on) { m_toneMapping = on; }

private:
    std::vector<RenderTargetSet> m_targets;
    int m_index = 0;
    IDirect3DSurface9* m_pSavedTarget = nullptr;  // counted
    bool m_toneMapping = false;
};

class RenderGroup_End : public RenderGroup {
public:
    static constexpr int OrderKey = 7000;

    // Holds a reference to the Begin group it closes.
    explicit RenderGroup_End(RenderGroup_Begin* begin);
    ~RenderGroup_End() override;

    // Fog off; tone mapping when switched on; bloom from the target written
    // last into the other; the radial blur from there into the target saved
    // by "Begin". A failed target switch ends the frame's passes there.
    void Draw() override;
    int GetOrderKey() const override { return OrderKey; }

    RenderGroup_Begin* GetBegin() const { return m_pBegin; }

private:
    RenderGroup_Begin* m_pBegin;  // counted
};

}  // namespace Quorvex
