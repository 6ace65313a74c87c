#pragma once
// Whether nec2c can be run here, asked of the engine the command line uses: the tests that run the
// model are skipped without it.

#include <string>

#include "nec/error.h"
#include "nec/native/runner.h"

namespace brimalox::nec::testing {

inline bool nec2cInstalled() {
    static const bool installed = [] {
        try {
            runNec2c("CE\nEN\n");
            return true;
        } catch (const NecError& e) {
            return std::string(e.what()).find("not found") == std::string::npos;
        }
    }();
    return installed;
}

}  // namespace brimalox::nec::testing
