#pragma once
// Names for the cases of a parameterised test, so that test lists and ctest show what each
// case is rather than the bytes of its parameter.

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace velloran::testing {

// Letters and digits kept, everything else turned into '_': a name gtest accepts.
inline std::string caseName(const std::string& words) {
  std::string name;
  for (const unsigned char c : words) name += std::isalnum(c) ? static_cast<char>(c) : '_';
  return name;
}

// Names a case by its `what`.
struct NamedByWhat {
  template <class Info>
  std::string operator()(const Info& info) const {
    return caseName(info.param.what);
  }
};

}  // namespace velloran::testing
