#include "host/Connection.h"
#include "host/ReleaseCheck.h"
#include "support/LauncherTest.h"

namespace MorlaventMenu::Testing {
namespace {

using Testing::operator<<;

struct MessageRow {
  const char* name;
  const wchar_t* language;
  int32_t number;
  const wchar_t* description;
  const wchar_t* source;
  const wchar_t* expected;
};

const MessageRow kConnectionRows[] = {
    {"OpeningEnglish", L"en", -2147221005, L"Invalid class string", L"ole32",
     L"Error opening AutoCAD. Try again or...\r\n"
     L"Check if 2017 is installed in your computer.\r\n"
     L"Check if Morlavent CAD has privileges to launch other applications (AutoCAD) or try to "
     L"run it as Administrator.\r\n"
     L"You can install Morlavent Menu manually.\r\n"
     L"Or you can try to run first AutoCAD and then Morlavent CAD.\r\n"
     L"-2147221005\r\n"
     L"(Invalid class string) de ole32"},
    {"OpeningSpanishHasEmptySecondLine", L"es", 429, L"No se puede crear", L"VB",
     L"Error al abrir AutoCAD.\r\n"
     L"\r\n"
     L"Compruebe que tiene instalada la version correcta de AutoCAD para esta version de "
     L"Morlavent CAD (2017).\r\n"
     L"Compruebe que el programa tiene los permisos necesarios para lanzar otras aplicaciones "
     L"(AutoCAD) o si lo esta ejecutando desde la cuenta de Administrador.\r\n"
     L"Puede instalar el menu manualmente de acuerdo al Manual.\r\n"
     L"O pruebe a abrir primero AutoCAD y despues ejecutar Morlavent para instalar el Menu.\r\n"
     L"429\r\n"
     L"(No se puede crear) de VB"},
    {"UpperCaseEsIsEnglish", L"ES", 5, L"d", L"s",
     L"Error opening AutoCAD. Try again or...\r\n"
     L"Check if 2017 is installed in your computer.\r\n"
     L"Check if Morlavent CAD has privileges to launch other applications (AutoCAD) or try to "
     L"run it as Administrator.\r\n"
     L"You can install Morlavent Menu manually.\r\n"
     L"Or you can try to run first AutoCAD and then Morlavent CAD.\r\n"
     L"5\r\n"
     L"(d) de s"},
    {"EmptyDescriptionAndSource", L"", 7, L"", L"",
     L"Error opening AutoCAD. Try again or...\r\n"
     L"Check if 2017 is installed in your computer.\r\n"
     L"Check if Morlavent CAD has privileges to launch other applications (AutoCAD) or try to "
     L"run it as Administrator.\r\n"
     L"You can install Morlavent Menu manually.\r\n"
     L"Or you can try to run first AutoCAD and then Morlavent CAD.\r\n"
     L"7\r\n"
     L"() de "},
    {"TypeLibraryEnglish", L"en", 48, L"not shown", L"not shown",
     L"Error loading AutoCAD type library.\r\n"
     L"Check if AutoCAD 2017 is installed in your computer."},
    {"TypeLibrarySpanish", L"es", 48, L"not shown", L"not shown",
     L"Error al cargar la biblioteca de tipos de AutoCAD.\r\n"
     L"Compruebe que tiene instalada la version correcta de AutoCAD para esta version de "
     L"Morlavent CAD ( AutoCAD 2017)."},
    {"NegativeFortyEightIsNotTypeLibrary", L"en", -48, L"x", L"y",
     L"Error opening AutoCAD. Try again or...\r\n"
     L"Check if 2017 is installed in your computer.\r\n"
     L"Check if Morlavent CAD has privileges to launch other applications (AutoCAD) or try to "
     L"run it as Administrator.\r\n"
     L"You can install Morlavent Menu manually.\r\n"
     L"Or you can try to run first AutoCAD and then Morlavent CAD.\r\n"
     L"-48\r\n"
     L"(x) de y"},
};

using ConnectionMessageTest = LauncherTableTest<MessageRow>;

TEST_P(ConnectionMessageTest, IsExactToTheByte) {
  const MessageRow& row = GetParam();
  Language = row.language;
  EXPECT_EQ(ConnectionFailureMessage(row.number, row.description, row.source), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ConnectionMessageTest, ::testing::ValuesIn(kConnectionRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReleaseRow {
  const char* name;
  const wchar_t* prefix;
  const wchar_t* year;
};

using ReleaseTableTest = LauncherTableTest<ReleaseRow>;

TEST_P(ReleaseTableTest, PrefixGivesItsYear) {
  EXPECT_EQ(ReleaseYearOf(GetParam().prefix), GetParam().year);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReleaseTableTest,
    ::testing::Values(ReleaseRow{"R16_0", L"16.0", L"2004"}, ReleaseRow{"R16_1", L"16.1", L"2005"},
                      ReleaseRow{"R16_2", L"16.2", L"2006"}, ReleaseRow{"R17_0", L"17.0", L"2007"},
                      ReleaseRow{"R17_1", L"17.1", L"2008"}, ReleaseRow{"R17_2", L"17.2", L"2009"},
                      ReleaseRow{"R18_0", L"18.0", L"2010"}, ReleaseRow{"R18_1", L"18.1", L"2011"},
                      ReleaseRow{"R18_2", L"18.2", L"2012"}, ReleaseRow{"R19_0", L"19.0", L"2013"},
                      ReleaseRow{"R19_1", L"19.1", L"2014"}, ReleaseRow{"R20_0", L"20.0", L"2015"},
                      ReleaseRow{"R20_1", L"20.1", L"2016"}, ReleaseRow{"R21_0", L"21.0", L"2017"},
                      ReleaseRow{"Newer", L"22.0", L""}, ReleaseRow{"Older", L"15.0", L""},
                      ReleaseRow{"Short", L"20", L""}, ReleaseRow{"LeadingSpace", L" 20.", L""},
                      ReleaseRow{"Empty", L"", L""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LauncherTest, ReleaseMessageEnglishNamesDetectedAndEditionYears) {
  EXPECT_EQ(ReleaseMismatchMessage(L"2015"),
            L"You can not run Morlavent CAD for AutoCAD 2015 with AutoCAD 2017\r\n"
            L"Must download and install Morlavent CAD for AutoCAD 2017\r\n"
            L"Morlavent Menu was not added.");
}

TEST_F(LauncherTest, ReleaseMessageSpanishWithUnknownYearHasTwoSpaces) {
  Language = L"es";
  EXPECT_EQ(ReleaseMismatchMessage(L""),
            L"No puedes usar Morlavent CAD para AutoCAD  en AutoCAD 2017\r\n"
            L"Debes descargar e instalar Morlavent CAD para AutoCAD 2017\r\n"
            L"El menu de Morlavent no se ha insertado.");
}

}  // namespace
}  // namespace MorlaventMenu::Testing
