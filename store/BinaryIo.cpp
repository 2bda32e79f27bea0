#include "store/BinaryIo.h"

#include <cstring>

namespace kelup {

bool ByteReader::Bytes(std::size_t n, std::string_view& out) {
    if (!ok()) return false;
    if (n > remaining()) {
        pos_ = data_.size();
        return Fail(Error::Truncated);
    }
    out = data_.substr(pos_, n);
    pos_ += n;
    return true;
}

bool ByteReader::Int32(std::int32_t& v) {
    std::string_view b;
    if (!Bytes(4, b)) return false;
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(b[std::size_t(i)]);
    v = static_cast<std::int32_t>(u);
    return true;
}

bool ByteReader::Double(double& v) {
    std::string_view b;
    if (!Bytes(8, b)) return false;
    std::uint64_t u = 0;
    for (int i = 7; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(b[std::size_t(i)]);
    std::memcpy(&v, &u, sizeof v);
    return true;
}

bool ByteReader::Str(std::string& text, std::size_t maxN) {
    std::int32_t n = 0;
    if (!Int32(n)) return false;
    if (n < 0 || std::size_t(n) > maxN) return Fail(Error::BadLength);
    std::string_view b;
    if (!Bytes(std::size_t(n), b)) return false;
    text.assign(b.substr(0, b.find('\0')));
    return true;
}

void ByteWriter::Int32(std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out_ += static_cast<char>((u >> (8 * i)) & 0xFF);
}

void ByteWriter::Double(double v) {
    std::uint64_t u = 0;
    std::memcpy(&u, &v, sizeof u);
    for (int i = 0; i < 8; ++i) out_ += static_cast<char>((u >> (8 * i)) & 0xFF);
}

void ByteWriter::Str(std::string_view bytes) {
    Int32(static_cast<std::int32_t>(bytes.size() + 1));
    out_.append(bytes);
    out_ += '\0';
}

}  // namespace kelup
