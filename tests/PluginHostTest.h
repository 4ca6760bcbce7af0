#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/PluginHost.h"
#include "tests/TestSupport.h"

namespace testing_support {

// A host with a fresh data folder and its main window, into which the test loads the plug-in
// as the host does, from a folder of its own (tools\).
class CPluginHostTest : public ::testing::Test {
protected:
    CPluginHostTest();
    ~CPluginHostTest() override;

    // The plug-in copied to tools\ under the name and loaded; an earlier one goes first.
    void Load(const std::string& name = "Tolvanix.dll");
    // The same, with the settings file holding the text.
    void LoadWithSettings(const std::string& settings);
    // Where the plug-in keeps its settings: the data folder's Plugins\TITLE.ini.
    std::string SettingsPath(const std::string& title = "Tolvanix") const;
    // The setup export as the host calls it (it answers 1), while a user plays the script in the
    // dialog it shows; an exit's ending dialogs are no setup. Whether a dialog appeared.
    bool Setup(const CDialogDriver::Script& script);

    CTempFolder m_temp;
    CHostWindow m_host;
    std::unique_ptr<CLoadedPlugin> m_plugin;
};

// A table row's name, its first member, as the name of the row's test.
template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row)
{
    return row.param.name;
}

}  // namespace testing_support
