#include <vector>

#include "support/LauncherTest.h"

namespace MorlaventMenu::Testing {
namespace {

using Testing::operator<<;

enum class Kernel { Answers, Fails, Lacks };

struct BitnessRow {
  const char* name;
  int edition;
  Kernel kernel;
  int32_t wow64;  // what IsWow64Process stores when it answers
  const wchar_t* language;
  const wchar_t* message;  // nullptr: the launch goes on past the edition rule
};

const BitnessRow kRows[] = {
    {"Edition64On64BitWindows", 64, Kernel::Answers, 1, L"en", nullptr},
    {"Edition64On32BitWindows", 64, Kernel::Answers, 0, L"en",
     L"Please, run Morlavent CAD 2017 32 Bits"},
    {"Edition64KernelLacksIsWow64Process", 64, Kernel::Lacks, 1, L"en",
     L"Please, run Morlavent CAD 2017 32 Bits"},
    {"Edition64IsWow64ProcessFailsUntouchedFlag", 64, Kernel::Fails, 1, L"en",
     L"Please, run Morlavent CAD 2017 32 Bits"},
    {"Edition64Spanish", 64, Kernel::Answers, 0, L"es",
     L"Por favor, ejecute Morlavent CAD 2017 32 Bits"},
    {"Edition64UpperCaseEsIsEnglish", 64, Kernel::Answers, 0, L"ES",
     L"Please, run Morlavent CAD 2017 32 Bits"},
    {"Edition64EmptyLanguageIsEnglish", 64, Kernel::Answers, 0, L"",
     L"Please, run Morlavent CAD 2017 32 Bits"},
    {"Edition32On32BitWindows", 32, Kernel::Answers, 0, L"en", nullptr},
    {"Edition32KernelLacksIsWow64Process", 32, Kernel::Lacks, 1, L"en", nullptr},
    {"Edition32IsWow64ProcessFails", 32, Kernel::Fails, 1, L"en", nullptr},
    {"Edition32On64BitWindows", 32, Kernel::Answers, 1, L"en",
     L"Please, run Morlavent CAD 2017 64 Bits"},
    {"Edition32Spanish", 32, Kernel::Answers, 1, L"es",
     L"Por favor, ejecute Morlavent CAD 2017 64 Bits"},
    {"Edition32UpperCaseEsIsEnglish", 32, Kernel::Answers, 1, L"ES",
     L"Please, run Morlavent CAD 2017 64 Bits"},
    {"Edition32EmptyLanguageIsEnglish", 32, Kernel::Answers, 1, L"",
     L"Please, run Morlavent CAD 2017 64 Bits"},
};

// Each test binary carries one edition; it runs the rows of that edition.
std::vector<BitnessRow> RowsOfThisEdition() {
  std::vector<BitnessRow> rows;
  for (const BitnessRow& row : kRows) {
    if (row.edition == EditionBits) rows.push_back(row);
  }
  return rows;
}

using BitnessTest = LauncherTableTest<BitnessRow>;

TEST_P(BitnessTest, EditionRuleGoesOnOrStopsWithItsMessage) {
  const BitnessRow& row = GetParam();
  platform.has_is_wow64_process = row.kernel != Kernel::Lacks;
  platform.is_wow64_process_fails = row.kernel == Kernel::Fails;
  platform.is_wow64_answer = row.wow64;
  Language = row.language;

  const int status = RunLaunch();

  if (row.message == nullptr) {
    // Past the rule the launch tries AutoCAD; with none to be had it stops there.
    EXPECT_EQ(status, kExitNoConnection);
    ASSERT_FALSE(platform.automation_calls.empty());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].title, L"Morlavent Message");
  } else {
    EXPECT_EQ(status, kExitWrongBitness);
    EXPECT_TRUE(platform.automation_calls.empty()) << "AutoCAD must not be contacted";
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, row.message);
    EXPECT_EQ(platform.messages[0].title, L"Morlavent Message");
    EXPECT_EQ(platform.messages[0].style, 16u);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, BitnessTest, ::testing::ValuesIn(RowsOfThisEdition()),
                         [](const auto& info) { return std::string(info.param.name); });

struct KernelRow {
  const char* name;
  Kernel kernel;
  int32_t stored;
  int16_t expected;
  std::vector<std::string> calls;
};

using IsWow64Test = LauncherTableTest<KernelRow>;

TEST_P(IsWow64Test, LooksUpIsWow64ProcessAtRunTimeAndAnswersLow16Bits) {
  const KernelRow& row = GetParam();
  platform.has_is_wow64_process = row.kernel != Kernel::Lacks;
  platform.is_wow64_process_fails = row.kernel == Kernel::Fails;
  platform.is_wow64_answer = row.stored;

  EXPECT_EQ(IsWow64(), row.expected);
  EXPECT_EQ(platform.kernel_calls, row.calls);
}

const std::vector<std::string> kFullCalls = {"GetModuleHandleA kernel32",
                                             "GetProcAddress kernel32 IsWow64Process",
                                             "GetCurrentProcess", "IsWow64Process"};
const std::vector<std::string> kLookUpOnly = {"GetModuleHandleA kernel32",
                                              "GetProcAddress kernel32 IsWow64Process"};

INSTANTIATE_TEST_SUITE_P(
    Rows, IsWow64Test,
    ::testing::Values(KernelRow{"UnderWow64", Kernel::Answers, 1, 1, kFullCalls},
                      KernelRow{"NotUnderWow64", Kernel::Answers, 0, 0, kFullCalls},
                      // Only the low 16 bits are returned, not normalised.
                      KernelRow{"HighBitsOnlyGiveZero", Kernel::Answers, 0x10000, 0, kFullCalls},
                      KernelRow{"FailingCallLeavesFlagZero", Kernel::Fails, 1, 0, kFullCalls},
                      // IsWow64Process must not be called when the look-up gives null.
                      KernelRow{"KernelWithoutIsWow64Process", Kernel::Lacks, 1, 0, kLookUpOnly}),
    [](const auto& info) { return std::string(info.param.name); });

// Main writes the four edition texts before anything else, in this order of values.
TEST_F(LauncherTest, MainSetsEditionTextsBeforeAsking) {
  ReleaseMajor = ReleaseNumber = ReleaseYear = Language = L"sentinel";
  std::vector<std::wstring> seen;
  platform.is_wow64_answer = EditionBits == 64 ? 0 : 1;  // stop at the bitness message
  platform.on_message = [&](const SimulatedPlatform::Message&) {
    seen = {ReleaseMajor, ReleaseNumber, ReleaseYear, Language};
  };
  EXPECT_EQ(Main(), kExitWrongBitness);
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"21", L"21.0", L"2017", L"en"}));
}

}  // namespace
}  // namespace MorlaventMenu::Testing
