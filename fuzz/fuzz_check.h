#pragma once
// What every fuzz target shares: a property that does not hold stops the run with the input's
// story on standard error, so libFuzzer (or the corpus replayer) reports it as a crash.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace brimalox::fuzz {

// The text with its control and non-ASCII bytes escaped, shortened: enough to see the input.
inline std::string shown(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < 200; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    if (text.size() > 200) out += "...";
    return out;
}

[[noreturn]] inline void fail(std::string_view what, std::string_view detail) {
    std::fprintf(stderr, "fuzz property broken: %.*s\n  %.*s\n", static_cast<int>(what.size()), what.data(),
                 static_cast<int>(detail.size()), detail.data());
    std::abort();
}

inline void require(bool holds, std::string_view what, std::string_view detail = {}) {
    if (!holds) fail(what, detail);
}

// Takes bytes from the front of the input: the fuzzer mutates these as it likes, and a short input
// reads as zeros.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // A length byte, 255 meaning two more bytes of length (up to 65,535), then that many bytes.
    std::string text() {
        std::size_t length = byte();
        if (length == 255) length = static_cast<std::size_t>(byte()) << 8 | byte();
        if (length > size_ - pos_) length = size_ - pos_;
        std::string out(reinterpret_cast<const char*>(data_ + pos_), length);
        pos_ += length;
        return out;
    }
    template <typename T>
    T raw() {
        unsigned char buffer[sizeof(T)] = {};
        for (auto& b : buffer)
            b = byte();
        T value;
        __builtin_memcpy(&value, buffer, sizeof(T));
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace brimalox::fuzz
