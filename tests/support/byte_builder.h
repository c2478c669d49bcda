// Files written out byte by byte in a test, field after field as their layout gives them: big-endian numbers,
// strings after a length byte or a 16-bit length, and strings under the scenario's string shift (byte n of the
// text, counting from 1, moved up or down by n modulo 256). Nothing here calls the game's own writers, so a
// misreading of a layout shared by the game's reader and writer shows against these bytes.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace test_support {

class ByteBuilder {
 public:
  ByteBuilder& Byte(int64_t value) {
    bytes_.push_back(static_cast<uint8_t>(value & 0xFF));
    return *this;
  }
  ByteBuilder& Int16(int64_t value) { return Byte(value >> 8).Byte(value); }
  ByteBuilder& Int32(int64_t value) { return Int16(value >> 16).Int16(value); }
  ByteBuilder& Text(std::string_view text) {
    for (char c : text) Byte(static_cast<uint8_t>(c));
    return *this;
  }
  ByteBuilder& ShortString(std::string_view text) { return Byte(static_cast<int64_t>(text.size())).Text(text); }
  ByteBuilder& LongString(std::string_view text) { return Int16(static_cast<int64_t>(text.size())).Text(text); }
  // Shifted strings: up adds n to byte n of the text, down subtracts it.
  ByteBuilder& ShiftedShortString(std::string_view text, bool up) {
    Byte(static_cast<int64_t>(text.size()));
    return Shifted(text, up);
  }
  ByteBuilder& ShiftedLongString(std::string_view text, bool up) {
    Int16(static_cast<int64_t>(text.size()));
    return Shifted(text, up);
  }
  ByteBuilder& Append(const std::vector<uint8_t>& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  // Zero bytes up to the given size.
  ByteBuilder& PadTo(size_t size) {
    if (bytes_.size() < size) bytes_.resize(size, 0);
    return *this;
  }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  size_t Size() const { return bytes_.size(); }

 private:
  ByteBuilder& Shifted(std::string_view text, bool up) {
    int64_t n = 1;
    for (char c : text) {
      const int64_t byte = static_cast<uint8_t>(c);
      Byte(up ? byte + n : byte - n);
      n = (n + 1) & 0xFF;
    }
    return *this;
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace test_support
