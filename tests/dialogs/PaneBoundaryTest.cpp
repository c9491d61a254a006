// A plug-in's pages in the program's tabbed dialog, through a real plug-in
// library loaded the way the program loads one: the library and the
// account stay while a dialog shows the pages, even when the program lets
// go of both meanwhile, and leave once the dialog closes; a page that
// refuses its field keeps the dialog open on that field and tells the user.

#include "DialogsTestSupport.h"
#include "PluginExportTypes.h"
#include "PluginTestSupport.h"
#include "TestProto/TestProtoProbe.h"

#include "CYolWMUI_SettingsControllerDlg.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace dialogs_test;
namespace C = Protocols::AccountCommand;

namespace {

// The program's side: a settings dialog whose pages come from one account.
class AccountPagesDlg : public UI::CYolWMUI_SettingsControllerDlg {
public:
    AccountPagesDlg(Services::CServicesManager& services, unsigned int key) : services(services), key(key) {}
    void GetPans(YolTabDlg::CDlgInfo& info) override {
        services.SendEvent(key, ProtocolsManagerGuid, C::CreateSettingsPanes,
                           new Services::CEventArg_Data<YolTabDlg::CDlgInfo*>(&info), nullptr, true);
    }

private:
    Services::CServicesManager& services;
    unsigned int key;
};

class PaneBoundary : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        library = dlopen(TEST_PROTO_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        create = Bind<Protocols::CreateAccountFuncPtr>(Protocols::CreateAccountFuncName);
        destroy = Bind<Protocols::DestroyAccountFuncPtr>(Protocols::DestroyAccountFuncName);
        read = Bind<TestProtoReadFunc>("TestProto_Read");
        key = create(TestProtoGuid, &rig.services, 0x10000001, rig.managerKey);
        ASSERT_NE(key, 0u);
    }
    void TearDown() override {
        if (library != nullptr) {
            destroy(key);
            dlclose(library);
        }
        DialogTest::TearDown();
    }
    template <typename F>
    F Bind(const char* name) {
        return reinterpret_cast<F>(dlsym(library, name));
    }
    TestProtoProbe Probe() {
        TestProtoProbe probe{};
        read(&probe);
        return probe;
    }
    // The window of the dialog's first page.
    static HWND Page(UI::CYolWMUI_TabDlg& d) { return d.GetTab(d.TabIdAt(0))->pan->Handle(); }
    static bool Loaded() {
        void* still = dlopen(TEST_PROTO_PATH, RTLD_NOW | RTLD_NOLOAD);
        if (still != nullptr)
            dlclose(still);
        return still != nullptr;
    }

    PluginRig rig;
    void* library = nullptr;
    unsigned int key = 0;
    Protocols::CreateAccountFuncPtr create = nullptr;
    Protocols::DestroyAccountFuncPtr destroy = nullptr;
    TestProtoReadFunc read = nullptr;
};

TEST_F(PaneBoundary, TheLibraryAndTheAccountStayUntilTheDialogLetsGoOfThePages) {
    auto dialog = std::make_unique<Scripted<AccountPagesDlg>>(rig.services, key);
    dialog->script = [&](auto& d) {
        ASSERT_EQ(d.TabCount(), 1);
        EXPECT_EQ(d.GetTab(d.TabIdAt(0))->caption.ToUtf8(), "Test page");
        EXPECT_EQ(d.GetTab(d.TabIdAt(0))->images.Count(), 0);
        SaveGallery(d, "plugin_page");
        // The program deletes the account and unloads the library, as it
        // does when the account is removed while a dialog shows its page.
        destroy(key);
        dlclose(library);
        EXPECT_TRUE(Loaded());
        EXPECT_EQ(Probe().registered, 0u);
        EXPECT_EQ(Probe().liveAccounts, 1);
        // The page still works: its code and its account are there.
        TypeInto(Page(d), TestProtoPaneEditId, u"443");
        SoftKey(d, UI::CYolWMUI_BigDlg::ELeft);
    };
    EXPECT_EQ(dialog->Run(parent), 1);
    EXPECT_EQ(Probe().lastPaneNumber, 443u);
    EXPECT_EQ(Probe().livePanes, 1);
    EXPECT_TRUE(Loaded());
    // Deleting the dialog deletes the page, the page the account, and the
    // dialog's hold on the library was the last one.
    dialog.reset();
    library = nullptr;
    EXPECT_FALSE(Loaded());
}

TEST_F(PaneBoundary, ClosingTheDialogLeavesTheAccountAndItsLibraryAlone) {
    {
        Scripted<AccountPagesDlg> dialog(rig.services, key);
        dialog.script = [&](auto& d) {
            EXPECT_EQ(Probe().livePanes, 1);
            SoftKey(d, UI::CYolWMUI_BigDlg::ERight);
        };
        EXPECT_EQ(dialog.Run(parent), 2);
    }
    EXPECT_EQ(Probe().livePanes, 0);
    EXPECT_EQ(Probe().liveAccounts, 1);
    EXPECT_EQ(Probe().registered, 1u);
    EXPECT_TRUE(Loaded());
}

TEST_F(PaneBoundary, ANumberFieldRefusesWhatIsNotANumberInRangeAndKeepsTheDialogOnIt) {
    const struct {
        const char16_t* typed;
        bool accepted;
    } cases[] = {{u"abc", false}, {u"0", false}, {u"65536", false}, {u"", false},
                 {u"99999999999", false}, {u"12a", false}, {u"1", true}, {u"65535", true}};
    for (const auto& c : cases) {
        Scripted<AccountPagesDlg> dialog(rig.services, key);
        const std::string typed = CYolString(c.typed).ToUtf8();
        bool stayed = false;
        dialog.script = [&](auto& d) {
            SetDlgItemText(Page(d), TestProtoPaneEditId, u"");
            TypeInto(Page(d), TestProtoPaneEditId, c.typed);
            // What the "OK" soft key does; 0 when the dialog stays open.
            stayed = d.EndDialog(1) == 0;
            if (!stayed)
                return;
            EXPECT_EQ(GetDlgCtrlID(GetFocus()), TestProtoPaneEditId) << typed;
            SoftKey(d, UI::CYolWMUI_BigDlg::ERight);
        };
        const std::intptr_t result = dialog.Run(parent);
        EXPECT_EQ(result, c.accepted ? 1 : 2) << typed;
        EXPECT_EQ(stayed, !c.accepted) << typed;
    }
    // Each refusal told the user why, through the program.
    ASSERT_TRUE(rig.manager.WaitFor(6));
    int told = 0;
    for (const ReceivedEvent& e : rig.manager.Events())
        told += e.event == Protocols::AccountEvent::ShowText && e.text.ToUtf8() == "A number from 1 to 65535";
    EXPECT_EQ(told, 6);
    EXPECT_EQ(Probe().lastPaneNumber, 65535u);
}

} // namespace
