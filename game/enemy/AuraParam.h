// The live aura sprites of one enemy. The sprites belong to the effect pool;
// each ends through RemoveSprite, and a record destroyed first detaches the
// sprites so they finish on their own. The record holds a reference on each
// sprite so that a pool torn down first leaves nothing dangling here.
#pragma once
#include <set>

class Effect_GeneralPurpose;

class AuraParam {
public:
    AuraParam() = default;
    AuraParam(const AuraParam&) = delete;
    AuraParam& operator=(const AuraParam&) = delete;
    virtual ~AuraParam();

    // Bound as the end callback of each emitted sprite.
    void RemoveSprite(void* sprite);
    void AddSprite(Effect_GeneralPurpose* sprite);

    std::set<Effect_GeneralPurpose*> sprites;  // counted
    float emitTime = 0.0f;
    float intensity = 0.0f;
};
