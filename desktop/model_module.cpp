// The module's one entry point, found by name when the program loads it.
#include "desktop/model_windows.h"

extern "C" __attribute__((visibility("default"))) brimalox::ModelWindows* brimalox_model_windows(
    const brimalox::ModelHost* host) {
    return brimalox::makeModelWindows(*host).release();
}
