#include <gtest/gtest.h>

#include "platform/FailureNumber.h"

namespace MorlaventMenu {
namespace {

struct NumberCase {
  const char* what;
  uint32_t result;
  int32_t reported;
};

class FailureNumberMapping : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FailureNumberMapping, ReportsTheNumber) {
  EXPECT_EQ(FailureNumber(static_cast<int32_t>(GetParam().result)), GetParam().reported)
      << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, FailureNumberMapping,
    ::testing::Values(
        // Every way in which a type library fails to load is the one number 48.
        NumberCase{"TYPE_E_CANTLOADLIBRARY", 0x80029C4Au, 48},
        NumberCase{"TYPE_E_LIBNOTREGISTERED", 0x8002801Du, 48},
        NumberCase{"ERROR_MOD_NOT_FOUND as HRESULT", 0x8007007Eu, 48},
        NumberCase{"ERROR_DLL_NOT_FOUND as HRESULT", 0x80070485u, 48},
        // Everything else, neighbours of those included, passes unchanged.
        NumberCase{"nothing failed", 0u, 0}, NumberCase{"48 itself", 48u, 48},
        NumberCase{"ERROR_MOD_NOT_FOUND as a plain code", 126u, 126},
        NumberCase{"TYPE_E_REGISTRYACCESS", 0x8002801Cu, static_cast<int32_t>(0x8002801Cu)},
        NumberCase{"TYPE_E_INVALIDSTATE", 0x80029C83u, static_cast<int32_t>(0x80029C83u)},
        NumberCase{"ERROR_FILE_NOT_FOUND as HRESULT", 0x80070002u,
                   static_cast<int32_t>(0x80070002u)},
        NumberCase{"DISP_E_TYPEMISMATCH", 0x80020005u, kTypeMismatch},
        NumberCase{"MK_E_UNAVAILABLE", 0x800401E3u, kUnavailable},
        NumberCase{"REGDB_E_CLASSNOTREG", 0x80040154u, static_cast<int32_t>(0x80040154u)},
        NumberCase{"a small code from an exception", 1004u, 1004}));

}  // namespace
}  // namespace MorlaventMenu
