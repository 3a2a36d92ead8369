// The menu source reader that MenuGroups.Load uses.
#include <cstdio>

#include "SimTest.h"
#include "sim/MenuSource.h"

namespace MorlaventMenu::Sim::Testing {
namespace {

MenuGroup Read(const std::string& bytes) {
  MenuGroup group;
  std::wstring problem;
  EXPECT_TRUE(ReadMenuSource(bytes, group, problem)) << ToUtf8(problem);
  return group;
}

TEST(MenuSource, ReadsGroupPopupMenusAndToolbars) {
  MenuGroup group = Read(
      "\xEF\xBB\xBF//\r\n"
      "//  A comment with [brackets] and ***POP9 in it\r\n"
      "***MENUGROUP=MORLAVENT\r\n"
      "\r\n"
      "***BUTTONS1\r\n"
      "[Not a menu]\r\n"
      "***POP1\r\n"
      "**MORLAVENT\r\n"
      "ID_Morlavent      [&Morlavent]\r\n"
      "ID_MvDuct         [&Duct run]^C^C_MV_DUCT\r\n"
      "                  [--]\r\n"
      "***POP2\r\n"
      "// the title may come without an alias line\r\n"
      "ID_Second [Se&cond &&more]\r\n"
      "***TOOLBARS\r\n"
      "**TB_MORLAVENT\r\n"
      "ID_TbMorlavent    [_Toolbar(\"Morlavent\", _Top, _Hide, 10, 0, 1)]\r\n"
      "ID_TbMvDuct       [_Button(\"Duct run\", ICON_16, ICON_32)]^C^C_MV_DUCT\r\n"
      "**TB_SHOWN\r\n"
      "ID_TbShown [_toolbar(\"Shown one\", _Floating, _Show, 200, 100, 1)]\n"
      "***HELPSTRINGS\r\n"
      "ID_MvDuct [Draws a run of duct]\r\n");
  EXPECT_EQ(group.name, L"MORLAVENT");
  ASSERT_EQ(group.menus.size(), 2u);
  EXPECT_EQ(group.menus[0].name, L"Morlavent");
  EXPECT_EQ(group.menus[1].name, L"Second more");
  ASSERT_EQ(group.toolbars.size(), 2u);
  EXPECT_EQ(group.toolbars[0].name, L"Morlavent");
  EXPECT_FALSE(group.toolbars[0].visible);
  EXPECT_EQ(group.toolbars[1].name, L"Shown one");
  EXPECT_TRUE(group.toolbars[1].visible);
}

TEST(MenuSource, KeepsTheCaseOfNames) {
  MenuGroup group = Read("***menugroup=Morlavent\n***pop1\nID_M [&MORLAVENT]\n");
  EXPECT_EQ(group.name, L"Morlavent");
  ASSERT_EQ(group.menus.size(), 1u);
  EXPECT_EQ(group.menus[0].name, L"MORLAVENT");
}

TEST(MenuSource, DecodesUtf8AndFallsBackToOneBytePerCharacter) {
  EXPECT_EQ(Read("***MENUGROUP=MEN\xC3\x9A\n").name, L"MEN\u00da");
  EXPECT_EQ(Read("***MENUGROUP=MEN\xDA\n").name, L"MEN\u00da");
}

TEST(MenuSource, ASourceWithoutAGroupNameIsRefused) {
  for (const char* source :
       {"", "***POP1\nID_M [&Morlavent]\n", "***MENUGROUP=\n", "// ***MENUGROUP=MORLAVENT\n"}) {
    MenuGroup group;
    std::wstring problem;
    EXPECT_FALSE(ReadMenuSource(source, group, problem)) << source;
    EXPECT_FALSE(problem.empty());
  }
}

TEST(MenuSource, TheProductsMenuFilesDefineWhatTheLauncherLooksFor) {
  for (const char* edition : {"64", "32"}) {
    std::string path = std::string(MENU_SOURCE_DIR) + "/Morlavent_" + edition + ".mns";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr) << path;
    std::string bytes;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
      bytes.append(buffer, got);
    }
    std::fclose(file);
    MenuGroup group = Read(bytes);
    EXPECT_EQ(group.name, L"MORLAVENT") << path;
    ASSERT_EQ(group.menus.size(), 1u) << path;
    EXPECT_EQ(group.menus[0].name, L"Morlavent") << path;
    ASSERT_EQ(group.toolbars.size(), 1u) << path;
    EXPECT_EQ(group.toolbars[0].name, L"Morlavent") << path;
  }
}

}  // namespace
}  // namespace MorlaventMenu::Sim::Testing
