// The V2's register and FIFO parser on any bytes.
#include "fuzz/vna.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    brimalox::fuzz::feedAnalyser(brimalox::vna::binaryConversation(brimalox::fuzz::kFuzzPlan),
                                 {reinterpret_cast<const char*>(data), size});
    return 0;
}
