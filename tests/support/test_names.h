// Turns a table row's description into a test name GoogleTest accepts (letters, digits and "_").
#pragma once

#include <cctype>
#include <string>

namespace test_support {

inline std::string TestNameFrom(std::string text) {
  for (char& c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return text;
}

// For INSTANTIATE_TEST_SUITE_P over rows with a `name` member.
struct RowName {
  template <typename Info>
  std::string operator()(const Info& info) const {
    return TestNameFrom(info.param.name);
  }
};

}  // namespace test_support
