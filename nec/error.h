#pragma once

#include <stdexcept>

namespace brimalox::nec {

// Every way a simulation can fail, with a message meant for the user.
class NecError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace brimalox::nec
