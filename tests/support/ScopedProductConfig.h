#pragma once

#include "model/ProductConfig.h"

namespace tovr::test {

// Runs a test as another product: replaces the running product and puts the previous one
// back when the scope ends, so no test leaks its product into the next.
class ScopedProductConfig {
public:
    explicit ScopedProductConfig(ProductConfig config) : previous_(ProductConfig::current()) {
        ProductConfig::setCurrent(std::move(config));
    }
    ~ScopedProductConfig() { ProductConfig::setCurrent(std::move(previous_)); }

    ScopedProductConfig(const ScopedProductConfig&) = delete;
    ScopedProductConfig& operator=(const ScopedProductConfig&) = delete;

private:
    ProductConfig previous_;
};

} // namespace tovr::test
