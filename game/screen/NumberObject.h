// The seconds left in a boss phase: five digit sprites moved as one group,
// their cells "hud0" .. "hud9" registered by the HUD manager.
#pragma once
#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/core/ReferCounter.h"

namespace Quorvex {
class IResourceManager;
class ObjectManager;
}  // namespace Quorvex

class NumberObject : public IUnknown, public Quorvex::ReferCounter {
public:
    static constexpr int kDigits = 5;
    // Layout pixels: the step from one digit to the next, and the digit cell
    // (64 texels at half size).
    static constexpr float kPitch = 24.0f;
    static constexpr float kCellSize = 32.0f;

    // Digit k (0 the units digit) stands 24 layout pixels left of digit
    // k - 1; every digit white on "hud0", drawn in "Sprite2D".
    NumberObject(Quorvex::IResourceManager* resources, Quorvex::ObjectManager* manager);
    ~NumberObject() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    // Below 0 hides every digit; else the last five decimal digits without
    // leading zeros ("0" for 0). Nothing when the value is the one shown.
    void SetNumber(int value);

    // The units digit's top-left corner to (x, y) of the 2D layout.
    void SetPosition(float x, float y);

    Quorvex::RenderObjectSpr2DGroup* GetGroup() const { return m_group; }
    int GetShownValue() const { return m_value; }

private:
    void SetDigit(Quorvex::RenderObjectSpr2D* sprite, int digit);

    Quorvex::IResourceManager* m_resources;
    Quorvex::RenderObjectSpr2DGroup* m_group = nullptr;
    Quorvex::RenderObjectSpr2D* m_digits[kDigits] = {};
    // -100 so that the first value always applies.
    int m_value = -100;
};
