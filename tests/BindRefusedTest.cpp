// This program's host lacks BKA_Connect, the last name the plug-in binds.
#include <gtest/gtest.h>

#include "host/HostApiTable.h"
#include "tests/TestSupport.h"

TEST(BindRefused, TableStaysUnboundAfter53Names)
{
    CHostApiTable table;
    EXPECT_EQ(0, table.Bind());
    EXPECT_EQ(nullptr, table.m_hostModule);
    for (int slot = 0; slot < CHostApiTable::kEntryCount - 1; ++slot)
        EXPECT_NE(nullptr, table.m_entries[slot]) << CHostApiTable::kEntryNames[slot];
    EXPECT_EQ(0, table.Bind()) << "a later bind starts again and fails again";
}

TEST(BindRefused, ThePluginRefusesToLoad)
{
    HMODULE plugin = LoadLibraryA(testing_support::PluginDllPath().c_str());
    EXPECT_EQ(nullptr, plugin);
    if (plugin)
        FreeLibrary(plugin);
}
