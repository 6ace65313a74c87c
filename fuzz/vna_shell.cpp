// The NanoVNA shell's parser on any bytes (what a broken analyser or a wrong device may send).
#include "fuzz/vna.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    brimalox::fuzz::feedAnalyser(brimalox::vna::shellConversation(brimalox::fuzz::kFuzzPlan),
                                 {reinterpret_cast<const char*>(data), size});
    return 0;
}
