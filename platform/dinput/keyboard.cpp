// The system keyboard: the 256-byte key table the pump keeps.
#include <cstring>
#include <new>

#include "platform/dinput/device_base.h"

namespace orv::dinput::detail {

namespace {

class Keyboard final : public DeviceBase {
public:
    explicit Keyboard(IUnknown* owner) : DeviceBase(owner, &c_dfDIKeyboard, DI8DEVTYPE_KEYBOARD) {}

protected:
    std::vector<Object> Objects() const override {
        std::vector<Object> objects;
        for (int key = 1; key < 256; ++key) {
            const SDL_Scancode scancode = ScancodeOfKey(key);
            if (scancode == SDL_SCANCODE_UNKNOWN) continue;
            objects.push_back({&GUID_Key, static_cast<DWORD>(key), DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(key),
                               SDL_GetScancodeName(scancode)});
        }
        return objects;
    }

    void ReadState(void* data) override {
        BYTE keys[256];
        CopyKeyTable(keys);
        std::memcpy(data, keys, sizeof(keys));
    }
};

}  // namespace

IDirectInputDevice8W* NewKeyboard(IUnknown* owner) { return new (std::nothrow) Keyboard(owner); }

}  // namespace orv::dinput::detail
