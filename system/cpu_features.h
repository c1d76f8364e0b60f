#pragma once
// What the processor offers beyond the instructions every build may use. The loops
// that move every byte come in builds for some of these as well, and choose by this
// one answer.

namespace kelvano {

struct CpuFeatures {
  bool ssse3 = false;
  bool sse41 = false;
  bool pclmul = false;  // carry-less multiplication
  bool bmi1 = false;
  bool bmi2 = false;
  bool sha = false;  // the SHA extensions
};

// This processor's features, asked once. All false where the build cannot ask: on
// other processors than x86, or with another compiler than GCC or clang.
const CpuFeatures& ThisCpu();

}  // namespace kelvano
