#pragma once
#include <cstdint>

#include "host/AutomationError.h"

namespace MorlaventMenu {

// Failures to load a type library, or a library that one needs. Written out here so that
// the mapping below builds and is tested without the platform's headers.
constexpr int32_t kCannotLoadTypeLibrary =
    static_cast<int32_t>(0x80029C4A);  // TYPE_E_CANTLOADLIBRARY
constexpr int32_t kTypeLibraryNotRegistered =
    static_cast<int32_t>(0x8002801D);  // TYPE_E_LIBNOTREGISTERED
constexpr int32_t kModuleNotFound =
    static_cast<int32_t>(0x8007007E);  // HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)
constexpr int32_t kDllNotFound =
    static_cast<int32_t>(0x80070485);  // HRESULT_FROM_WIN32(ERROR_DLL_NOT_FOUND)

// The number a failure is reported with. Every way in which the host's type library fails
// to load is reported as the one number the connection explains as such; all other
// numbers pass unchanged.
constexpr int32_t FailureNumber(int32_t result) {
  switch (result) {
    case kCannotLoadTypeLibrary:
    case kTypeLibraryNotRegistered:
    case kModuleNotFound:
    case kDllNotFound:
      return kTypeLibraryFailure;
    default:
      return result;
  }
}

}  // namespace MorlaventMenu
