#pragma once
#include <cstdint>
#include <string>

namespace MorlaventMenu {

// The automation layer's failure report: 0 and empty texts when nothing failed.
struct AutomationError {
  int32_t Number = 0;
  std::wstring Description;
  std::wstring Source;

  void Clear() { *this = AutomationError{}; }
  bool Failed() const { return Number != 0; }
};

// Failure numbers the layer raises itself (HRESULTs as signed numbers).
constexpr int32_t kTypeMismatch = static_cast<int32_t>(0x80020005);    // DISP_E_TYPEMISMATCH
constexpr int32_t kOverflow = static_cast<int32_t>(0x8002000A);        // DISP_E_OVERFLOW
constexpr int32_t kInvalidPointer = static_cast<int32_t>(0x80004003);  // E_POINTER
constexpr int32_t kException = static_cast<int32_t>(0x80020009);       // DISP_E_EXCEPTION
constexpr int32_t kMemberNotFound = static_cast<int32_t>(0x80020003);  // DISP_E_MEMBERNOTFOUND
constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006);     // DISP_E_UNKNOWNNAME
constexpr int32_t kCallRejected = static_cast<int32_t>(0x80010001);    // RPC_E_CALL_REJECTED
constexpr int32_t kRetryLater = static_cast<int32_t>(0x8001010A);    // RPC_E_SERVERCALL_RETRYLATER
constexpr int32_t kDisconnected = static_cast<int32_t>(0x80010108);  // RPC_E_DISCONNECTED
constexpr int32_t kServerUnavailable =
    static_cast<int32_t>(0x800706BA);                               // RPC_S_SERVER_UNAVAILABLE
constexpr int32_t kUnavailable = static_cast<int32_t>(0x800401E3);  // MK_E_UNAVAILABLE
constexpr int32_t kClassString = static_cast<int32_t>(0x800401F3);  // CO_E_CLASSSTRING

// The number the connection reports as a failure to load the host's type library.
constexpr int32_t kTypeLibraryFailure = 48;

}  // namespace MorlaventMenu
