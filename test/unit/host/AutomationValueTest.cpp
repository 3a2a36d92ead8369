#include <cmath>
#include <limits>

#include "host/AutomationValue.h"
#include "support/LauncherTest.h"

namespace MorlaventMenu::Testing {
namespace {

using Testing::operator<<;

struct TextRow {
  const char* name;
  AutomationValue value;
  bool converts;
  std::wstring text;
};

class ToTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(ToTextTest, FollowsAutomationRules) {
  std::wstring out = L"sentinel";
  EXPECT_EQ(GetParam().value.ToText(out), GetParam().converts);
  EXPECT_EQ(out, GetParam().converts ? GetParam().text : L"sentinel");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToTextTest,
    ::testing::Values(TextRow{"EmptyIsEmptyText", AutomationValue(), true, L""},
                      TextRow{"Text", AutomationValue::Text(L"21.0s"), true, L"21.0s"},
                      TextRow{"EmbeddedNulKept", AutomationValue::Text(std::wstring(L"a\0b", 3)),
                              true, std::wstring(L"a\0b", 3)},
                      TextRow{"NegativeI2", AutomationValue::Int16(-5), true, L"-5"},
                      TextRow{"I4", AutomationValue::Int32(2017), true, L"2017"},
                      TextRow{"Double", AutomationValue::Double(21.5), true, L"21.5"},
                      TextRow{"WholeDouble", AutomationValue::Double(21), true, L"21"},
                      TextRow{"BoolTrue", AutomationValue::Bool(true), true, L"True"},
                      TextRow{"NullFails", AutomationValue::Null(), false, L""},
                      TextRow{"ObjectFails", AutomationValue::Object(nullptr), false, L""},
                      TextRow{"OtherFails", AutomationValue::Other(L"ARRAY"), false, L""},
                      TextRow{"InfinityFails",
                              AutomationValue::Double(std::numeric_limits<double>::infinity()),
                              false, L""}),
    [](const auto& info) { return std::string(info.param.name); });

struct Int16Row {
  const char* name;
  AutomationValue value;
  bool converts;
  int16_t number;
};

class ToInt16Test : public ::testing::TestWithParam<Int16Row> {};

TEST_P(ToInt16Test, RoundsHalfToEvenAndChecksRange) {
  int16_t out = 1234;  // sentinel
  EXPECT_EQ(GetParam().value.ToInt16(out), GetParam().converts);
  EXPECT_EQ(out, GetParam().converts ? GetParam().number : 1234);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToInt16Test,
    ::testing::Values(Int16Row{"EmptyIsZero", AutomationValue(), true, 0},
                      Int16Row{"I4InRange", AutomationValue::Int32(32767), true, 32767},
                      Int16Row{"I4Overflows", AutomationValue::Int32(32768), false, 0},
                      Int16Row{"I4MinimumFits", AutomationValue::Int32(-32768), true, -32768},
                      Int16Row{"HalfRoundsToEvenDown", AutomationValue::Double(2.5), true, 2},
                      Int16Row{"HalfRoundsToEvenUp", AutomationValue::Double(3.5), true, 4},
                      Int16Row{"NegativeHalf", AutomationValue::Double(-0.5), true, 0},
                      Int16Row{"NumericText", AutomationValue::Text(L" 12 "), true, 12},
                      Int16Row{"ExponentText", AutomationValue::Text(L"1e2"), true, 100},
                      Int16Row{"WordText", AutomationValue::Text(L"abc"), false, 0},
                      Int16Row{"EmptyText", AutomationValue::Text(L""), false, 0},
                      Int16Row{"TrailingJunk", AutomationValue::Text(L"12x"), false, 0},
                      Int16Row{"HugeDouble", AutomationValue::Double(1e300), false, 0},
                      Int16Row{"NaN", AutomationValue::Double(std::nan("")), false, 0},
                      Int16Row{"BoolTrueIsMinusOne", AutomationValue::Bool(true), true, -1},
                      Int16Row{"Null", AutomationValue::Null(), false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AutomationValueTest, ObjectReferenceTakenOnlyFromObjects) {
  ObjectRef out;
  EXPECT_FALSE(AutomationValue::Text(L"x").ToObject(out));
  EXPECT_FALSE(AutomationValue().ToObject(out));
  EXPECT_TRUE(AutomationValue::Object(nullptr).ToObject(out));
  EXPECT_EQ(out, nullptr);
}

TEST(AutomationValueTest, ByReferenceValueReadsTheCallersCounter) {
  int16_t counter = 7;
  AutomationValue value = AutomationValue::Int16Ref(&counter);
  counter = 9;  // a change after the value was made is seen through it
  int16_t out = 0;
  ASSERT_TRUE(value.ToInt16(out));
  EXPECT_EQ(out, 9);
  EXPECT_STREQ(value.KindName(), L"I2|BYREF");
}

TEST(AutomationValueTest, ConversionFailureTellsOverflowFromMismatch) {
  EXPECT_EQ(ConversionFailure(AutomationValue::Int32(40000), ValueKind::Int16), kOverflow);
  EXPECT_EQ(ConversionFailure(AutomationValue::Text(L"abc"), ValueKind::Int16), kTypeMismatch);
  EXPECT_EQ(ConversionFailure(AutomationValue::Null(), ValueKind::Text), kTypeMismatch);
}

}  // namespace
}  // namespace MorlaventMenu::Testing
