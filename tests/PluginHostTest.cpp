#include "tests/PluginHostTest.h"

#include "standin/StandInHost.h"

namespace testing_support {

CPluginHostTest::CPluginHostTest()
{
    standin::SetDataFolder(m_temp.Path("data\\").c_str());
}

CPluginHostTest::~CPluginHostTest()
{
    m_plugin.reset();
    standin::SetDataFolder("C:\\");
}

void CPluginHostTest::Load(const std::string& name)
{
    m_plugin.reset();
    MakeFolders(m_temp.Path("tools"));
    m_plugin.reset(new CLoadedPlugin(m_temp.Path("tools\\" + name)));
    ASSERT_NE(nullptr, m_plugin->Module()) << "the plug-in did not load";
}

void CPluginHostTest::LoadWithSettings(const std::string& settings)
{
    m_plugin.reset();
    MakeFolders(m_temp.Path("data\\Plugins"));
    WriteFileText(SettingsPath(), settings);
    Load();
}

std::string CPluginHostTest::SettingsPath(const std::string& title) const
{
    return m_temp.Path("data\\Plugins\\" + title + ".ini");
}

bool CPluginHostTest::Setup(const CDialogDriver::Script& script)
{
    CDialogDriver user(script, EndingDialogs());
    EXPECT_EQ(1, m_plugin->OnPlugInSetup());
    return user.Found();
}

}  // namespace testing_support
