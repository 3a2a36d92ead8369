#pragma once
// A small test harness for the Windows-side tests, which run under Wine where GoogleTest
// is not built: named cases, checks that report file and line, and the closing tally.
#include <sstream>
#include <string>
#include <type_traits>

namespace MorlaventMenu {
namespace WinTest {

using TestFunction = void (*)();

struct Registration {
  Registration(const char* name, TestFunction function);
};

void Fail(const char* file, int line, const std::string& what);

std::string Show(const std::wstring& text);
std::string Show(const wchar_t* text);
template <typename T>
std::string Show(const T& value) {
  std::ostringstream out;
  if constexpr (std::is_enum<T>::value) {
    out << static_cast<long long>(value);
  } else {
    out << value;
  }
  return out.str();
}

template <typename A, typename B>
void CheckEqual(const A& actual, const B& expected, const char* actual_text,
                const char* expected_text, const char* file, int line) {
  if (actual == expected) return;
  std::ostringstream what;
  what << actual_text << " == " << expected_text << "\n    actual:   " << Show(actual)
       << "\n    expected: " << Show(expected);
  Fail(file, line, what.str());
}

}  // namespace WinTest
}  // namespace MorlaventMenu

#define WIN_TEST_JOIN2(a, b) a##b
#define WIN_TEST_JOIN(a, b) WIN_TEST_JOIN2(a, b)

#define WIN_TEST(name)                                                                           \
  static void name();                                                                            \
  static ::MorlaventMenu::WinTest::Registration WIN_TEST_JOIN(name, _registration)(#name, name); \
  static void name()

#define CHECK(condition) \
  ((condition) ? (void)0 : ::MorlaventMenu::WinTest::Fail(__FILE__, __LINE__, #condition))

#define CHECK_EQ(actual, expected) \
  ::MorlaventMenu::WinTest::CheckEqual((actual), (expected), #actual, #expected, __FILE__, __LINE__)
