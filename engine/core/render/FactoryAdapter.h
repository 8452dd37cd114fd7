// Object pools: a pool keeps finished products and hands them out again, so
// bullets, particles and terrain pieces are not created and destroyed one by one.
#pragma once
#include <mutex>
#include <set>
#include <utility>

#include "platform/win32/win32.h"

namespace Quorvex {

class FactoryAdapter;

// The product side of a pool.
class IFactoryProduct : public virtual IUnknown {
public:
    // Base of every launch record: a caller fills a record on its own stack
    // and hands it to AcquireProduct; the pool keeps no copy.
    struct ISetParam {
        virtual ~ISetParam() = default;
    };
    struct SetParam : public ISetParam {};

    ~IFactoryProduct() override = default;

    // Takes over the launch parameters; answers 0.
    virtual int ApplySetParam(ISetParam* param) = 0;
    // Hands the product back to its pool (nothing without a pool).
    virtual void ReturnToFactory() = 0;
    virtual void SetFactory(FactoryAdapter* factory) = 0;
    virtual FactoryAdapter* GetFactory() const = 0;
};

// Default product side: remembers its pool (not counted).
class FactoryProductAdapter : public IFactoryProduct {
public:
    int ApplySetParam(ISetParam* param) override;
    void ReturnToFactory() override;
    void SetFactory(FactoryAdapter* factory) override;
    FactoryAdapter* GetFactory() const override;
    ~FactoryProductAdapter() override = default;

private:
    FactoryAdapter* m_factory = nullptr;
};

// Pool base. A pool usually also derives from Object, sharing the IUnknown
// virtual base. The free and in-use sets are ordered by address; both hold the
// pool's own reference of each product (taken at creation). Products are taken
// and returned from job threads, so the sets are guarded by the pool's lock.
class FactoryAdapter : public virtual IUnknown {
public:
    typedef std::set<IFactoryProduct*> ProductSet;

    FactoryAdapter() = default;
    FactoryAdapter(const FactoryAdapter&) = delete;
    FactoryAdapter& operator=(const FactoryAdapter&) = delete;
    // Clears the free set, then the in-use set.
    ~FactoryAdapter() override;

    // Makes one product with the pool's reference (count 1) and its Initialize
    // run, or answers null. Each pool defines it, usually with NewProduct.
    virtual IFactoryProduct* CreateProduct() = 0;
    // Default: the product's ApplySetParam(record).
    virtual int ApplyParam(IFactoryProduct* product, IFactoryProduct::ISetParam* param);
    // Reuses the free product of the lowest address, else creates one unless
    // the in-use count has reached the maximum (null); then takes the caller's
    // reference, applies the record and moves the product into the in-use set.
    virtual IFactoryProduct* AcquireProduct(IFactoryProduct::ISetParam* param);
    // Moves the product into the free set; its count is not touched.
    virtual void ReleaseProduct(IFactoryProduct* product);
    // Every product of the set forgets the pool and loses the pool's reference.
    virtual void ClearProducts(ProductSet& set);

    void SetMaxCount(int count) { m_maxCount = count; }
    int GetMaxCount() const { return m_maxCount; }
    int GetFreeCount() const;
    int GetInUseCount() const;
    // Calls fn(product) for every product in use, in address order, under the
    // pool's lock (fn must not take or return products of this pool).
    template <class Fn>
    void ForEachInUse(Fn&& fn) const {
        std::lock_guard<std::mutex> lock(m_lock);
        for (IFactoryProduct* product : m_inUse) fn(product);
    }

    // The usual body of CreateProduct: constructs T, takes the pool's
    // reference and runs Initialize(initParam). On failure the object also
    // asks to leave its object manager (it may have registered itself when it
    // was constructed, and must not be updated half made) and is released.
    template <class T, class... Args>
    static T* NewProduct(int initParam, Args&&... args) {
        T* product = new T(std::forward<Args>(args)...);
        product->AddRef();
        if (product->Initialize(initParam) < 0) {
            product->RequestRemove(true);
            product->Release();
            return nullptr;
        }
        return product;
    }

protected:
    ProductSet m_free;
    ProductSet m_inUse;
    int m_maxCount = 0;  // 0: no limit

private:
    mutable std::mutex m_lock;
    int m_reserved = 0;  // products being handed out, counted against the maximum
};

}  // namespace Quorvex
