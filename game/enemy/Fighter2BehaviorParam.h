// Behaviour state that a fairy in its doll look keeps for the boss patterns
// that steer it; each block is reset on its own.
#pragma once
#include <cstdint>

#include "engine/core/AreaPos.h"
#include "platform/d3dx9/d3dx9.h"

class EnemyEx;

class Fighter2BehaviorParam {
public:
    struct Block1 {
        int32_t value0, value1, value2;
        Quorvex::AreaPos position;
        D3DXVECTOR3 vector;
        float scale;
        int32_t value3, value4;
        float value5, value6, value7;
        float scale2;
    };
    struct Block2 {
        int32_t value0, value1;
        Quorvex::AreaPos position;
        float value2, value3, value4;
        float scale;
        float value5, value6, value7, value8;
    };
    struct Block3 {
        int32_t state;
        int32_t values[5];
        float scale;
        int32_t tail[3];
    };
    struct Block4 {
        int32_t state;
        int32_t value0;
        int32_t values[4];
        float scale;
        int32_t tail[3];
        EnemyEx* held;  // not owned
    };

    Fighter2BehaviorParam();
    virtual ~Fighter2BehaviorParam() = default;

    void InitBlock1();
    void ResetBlock1() { InitBlock1(); }
    void ResetBlock2();
    void ResetBlock3();
    void ResetBlock4();

    Block1 block1;
    Block2 block2;
    Block3 block3;
    Block4 block4;
    int32_t counter = 0;
    uint8_t flag = 0;
};
