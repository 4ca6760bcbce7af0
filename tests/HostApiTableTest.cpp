#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/HostApiTable.h"
#include "standin/StandInHost.h"

TEST(HostApiTable, NamesTheHostEntriesInBindingOrder)
{
    std::set<std::string> names(CHostApiTable::kEntryNames,
                                CHostApiTable::kEntryNames + CHostApiTable::kEntryCount);
    EXPECT_EQ(54u, names.size()) << "every name once";
    EXPECT_STREQ("BKA_GetVersion", CHostApiTable::kEntryNames[0]);
    EXPECT_STREQ("BKA_GetWindowHandles", CHostApiTable::kEntryNames[2]);
    EXPECT_STREQ("BKA_GetDataFolder", CHostApiTable::kEntryNames[5]);
    EXPECT_STREQ("BKA_Connect", CHostApiTable::kEntryNames[53]);
}

TEST(HostApiTable, BindsEveryEntryOfTheHost)
{
    CHostApiTable table;
    ASSERT_EQ(1, table.Bind());
    EXPECT_EQ(GetModuleHandleA(nullptr), table.m_hostModule);
    for (int slot = 0; slot < CHostApiTable::kEntryCount; ++slot)
        EXPECT_NE(nullptr, table.m_entries[slot]) << CHostApiTable::kEntryNames[slot];

    standin::SetDataFolder("D:\\Mail\\");
    EXPECT_STREQ("D:\\Mail\\", table.GetDataFolder()());
    HWND main = nullptr;
    HWND others[3] = {};
    standin::SetMainWindow(GetDesktopWindow());
    table.GetWindowHandles()(&main, &others[0], &others[1], &others[2]);
    EXPECT_EQ(GetDesktopWindow(), main);
    standin::SetMainWindow(nullptr);
}

TEST(HostApiTable, SecondBindLooksNothingUp)
{
    CHostApiTable table;
    ASSERT_EQ(1, table.Bind());
    table.m_entries[0] = nullptr;
    EXPECT_EQ(1, table.Bind());
    EXPECT_EQ(nullptr, table.m_entries[0]);
}

TEST(HostApiTable, GetHostApiMakesOneTable)
{
    CHostApiTable* first = GetHostApi();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, GetHostApi());
    EXPECT_EQ(1, BindHostApi());
}
