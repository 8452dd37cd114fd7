#include "engine/core/render/FactoryAdapter.h"

namespace Quorvex {

int FactoryProductAdapter::ApplySetParam(ISetParam*) { return 0; }

void FactoryProductAdapter::ReturnToFactory() {
    if (m_factory) m_factory->ReleaseProduct(this);
}

void FactoryProductAdapter::SetFactory(FactoryAdapter* factory) { m_factory = factory; }

FactoryAdapter* FactoryProductAdapter::GetFactory() const { return m_factory; }

FactoryAdapter::~FactoryAdapter() {
    // Virtual calls from a destructor reach this class's own version.
    FactoryAdapter::ClearProducts(m_free);
    FactoryAdapter::ClearProducts(m_inUse);
}

int FactoryAdapter::ApplyParam(IFactoryProduct* product, IFactoryProduct::ISetParam* param) {
    return product->ApplySetParam(param);
}

IFactoryProduct* FactoryAdapter::AcquireProduct(IFactoryProduct::ISetParam* param) {
    IFactoryProduct* product = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_free.empty()) {
            product = *m_free.begin();
            m_free.erase(m_free.begin());
        } else if (m_maxCount > 0 &&
                   static_cast<int>(m_inUse.size()) + m_reserved >= m_maxCount) {
            return nullptr;
        }
        // The slot counts against the maximum until the product is in use, so
        // two threads cannot both pass the test for the last slot.
        ++m_reserved;
    }
    if (!product) {
        product = CreateProduct();
        if (!product) {
            std::lock_guard<std::mutex> lock(m_lock);
            --m_reserved;
            return nullptr;
        }
        product->SetFactory(this);
    }
    product->AddRef();
    ApplyParam(product, param);
    std::lock_guard<std::mutex> lock(m_lock);
    --m_reserved;
    m_inUse.insert(product);
    return product;
}

void FactoryAdapter::ReleaseProduct(IFactoryProduct* product) {
    if (!product) return;
    std::lock_guard<std::mutex> lock(m_lock);
    m_inUse.erase(product);
    m_free.insert(product);
}

void FactoryAdapter::ClearProducts(ProductSet& set) {
    // Releasing may destroy a product, whose teardown can reach this pool
    // again: empty the set first and work on the taken copy.
    ProductSet taken;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        taken.swap(set);
    }
    for (IFactoryProduct* product : taken) {
        product->SetFactory(nullptr);
        product->Release();
    }
}

int FactoryAdapter::GetFreeCount() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return static_cast<int>(m_free.size());
}

int FactoryAdapter::GetInUseCount() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return static_cast<int>(m_inUse.size());
}

}  // namespace Quorvex
