#include "game/enemy/Fighter2BehaviorParam.h"

Fighter2BehaviorParam::Fighter2BehaviorParam() {
    InitBlock1();
    ResetBlock2();
    ResetBlock3();
    ResetBlock4();
}

void Fighter2BehaviorParam::InitBlock1() {
    block1 = Block1{};
    block1.position = Quorvex::AreaPos();
    block1.vector = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    block1.scale = 1.0f;
    block1.scale2 = 1.0f;
}

void Fighter2BehaviorParam::ResetBlock2() {
    block2 = Block2{};
    block2.position = Quorvex::AreaPos();
    block2.scale = 1.0f;
}

void Fighter2BehaviorParam::ResetBlock3() {
    block3 = Block3{};
    block3.scale = 1.0f;
}

void Fighter2BehaviorParam::ResetBlock4() {
    block4 = Block4{};
    block4.scale = 1.0f;
    block4.held = nullptr;
}
