#pragma once
// Little-endian items of the binary files: Int32, Double and the
// length-prefixed string Str (Int32 N, then N bytes: the text and one zero
// byte). Reading never goes past the end of the input and never takes a
// string longer than the limit it is given.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelup {

// The buffer both sides use for a Str: 255 bytes of text and the zero byte.
inline constexpr std::size_t kStrBuffer = 256;

class ByteReader {
public:
    enum class Error { None, Truncated, BadLength };

    explicit ByteReader(std::string_view data) : data_(data) {}

    // Each returns false, and leaves the value alone, when the item cannot be
    // read; the first failure is kept in error() and every later read fails.
    bool Int32(std::int32_t& v);
    bool Double(double& v);
    bool Bytes(std::size_t n, std::string_view& out);
    // The text is the bytes before the first zero byte (all N bytes when
    // there is none). N below 0 or above maxN is BadLength.
    bool Str(std::string& text, std::size_t maxN = kStrBuffer);

    Error error() const { return error_; }
    bool ok() const { return error_ == Error::None; }
    std::size_t pos() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool AtEnd() const { return pos_ == data_.size(); }

private:
    bool Fail(Error e) {
        if (error_ == Error::None) error_ = e;
        return false;
    }

    std::string_view data_;
    std::size_t pos_ = 0;
    Error error_ = Error::None;
};

class ByteWriter {
public:
    void Int32(std::int32_t v);
    void Double(double v);
    // Writes N = size + 1, the bytes and a zero byte. The caller keeps the
    // text within its limit (CutForStr); the bytes hold no zero byte.
    void Str(std::string_view bytes);

    const std::string& data() const { return out_; }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

}  // namespace kelup
