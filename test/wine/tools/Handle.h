#pragma once
#include <windows.h>

#include <memory>
#include <type_traits>

namespace MorlaventMenu::WineTest {

// Owns a kernel handle and closes it once.
struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

}  // namespace MorlaventMenu::WineTest
