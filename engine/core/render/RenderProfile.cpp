#include "engine/core/render/RenderProfile.h"

namespace Quorvex {

namespace {
RenderProfile* g_profile = nullptr;
}  // namespace

RenderProfile* GetRenderProfile() { return g_profile; }
void SetRenderProfile(RenderProfile* profile) { g_profile = profile; }

void ProfilePass(const char* name) {
    if (g_profile) g_profile->AfterPass(name);
}

}  // namespace Quorvex
