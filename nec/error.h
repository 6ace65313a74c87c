#pragma once

#include <stdexcept>

namespace brimalox::nec {

// Every way a simulation can fail, with a message meant for the user.
class NecError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A design NEC-2 cannot model faithfully (a feed gap shorter than the conductor is thick): said
// instead of figures that would mean nothing. A NecError, so every front-end reports it as a failed
// model in the user's words; thrown while the model is built, before nec2c runs.
class CannotModel : public NecError {
public:
    using NecError::NecError;
};

// A run ended by a signal to this process (the child-process engine's, defined with it); the caller
// should end as that signal would have. Signal 0: the caller cancelled the run itself.
class Interrupted : public NecError {
public:
    explicit Interrupted(int signal);
    int signal() const { return signal_; }

private:
    int signal_;
};

}  // namespace brimalox::nec
