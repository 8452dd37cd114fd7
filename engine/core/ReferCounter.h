// Reference counting shared by every engine and game class.
#pragma once
#include <atomic>

#include "platform/win32/win32.h"

namespace Quorvex {

// Second base of every counted class. A new object starts at 0 and its creator
// calls AddRef once; Release destroys the object when the count is 0 or 1.
// The count is atomic because pools, loaders and job threads take and drop
// references from more than one thread.
class ReferCounter {
public:
    ReferCounter() noexcept = default;
    ReferCounter(const ReferCounter&) = delete;
    ReferCounter& operator=(const ReferCounter&) = delete;
    virtual ~ReferCounter() = default;

    // Count + 1; answers the new count.
    ULONG IncrementReference() noexcept;
    // Destroys the object through its virtual destructor and answers 0 when the
    // count is below 2; else count - 1 and answers the new count. Calls that
    // reach an object whose destruction has begun do nothing and answer 0.
    ULONG DecrementReference() noexcept;
    // The current count (-1 while the object is being destroyed).
    int GetReferenceCount() const noexcept;

private:
    std::atomic<LONG> m_refCount{0};
};

}  // namespace Quorvex

// The three IUnknown operations of a class deriving from ReferCounter.
// QueryInterface ignores the id and answers the object itself.
#define QUORVEX_IUNKNOWN_BY_REFER_COUNTER                                              \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {         \
        if (object) *object = this;                                                   \
        return S_OK;                                                                  \
    }                                                                                 \
    ULONG STDMETHODCALLTYPE AddRef() override { return IncrementReference(); }        \
    ULONG STDMETHODCALLTYPE Release() override { return DecrementReference(); }
