#include "system/cpu_features.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define KELVANO_CPUID 1
#endif

namespace kelvano {
namespace {

CpuFeatures AskProcessor() {
  CpuFeatures features;
#if KELVANO_CPUID
  // The helpers say no for a leaf the processor does not have (and, on i386, for a
  // processor without cpuid).
  unsigned a, b, c, d;
  if (__get_cpuid(1, &a, &b, &c, &d)) {
    features.ssse3 = (c & bit_SSSE3) != 0;
    features.sse41 = (c & bit_SSE4_1) != 0;
    features.pclmul = (c & bit_PCLMUL) != 0;
  }
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
    features.bmi1 = (b & bit_BMI) != 0;
    features.bmi2 = (b & bit_BMI2) != 0;
    features.sha = (b & bit_SHA) != 0;
  }
#endif
  return features;
}

}  // namespace

const CpuFeatures& ThisCpu() {
  static const CpuFeatures features = AskProcessor();
  return features;
}

}  // namespace kelvano
