// A protocol plug-in reduced to what the framework's tests need: two
// flavours, an account that counts what reaches it and notices events that
// arrive while it is being destroyed, and a few extra exports to read that.

#include "CAccount.h"
#include "CAccountSetsPan.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlStatic.h"
#include "PluginHelpers.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/Window.h"
#include "YolTabDlg.h"
#include "CYolMenuInfo.h"
#include "PluginExports.h"
#include "TestProtoProbe.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace {

std::atomic<int> liveAccounts{0};
std::atomic<int> handled{0};
std::atomic<int> handledWhileDying{0};
std::atomic<int> setStatusCalls{0};
std::atomic<int> lastStatus{-1};
std::atomic<size_t> lastStatusThread{0};
std::atomic<size_t> initThread{0};

std::atomic<int> livePanes{0};
std::atomic<unsigned int> lastPaneNumber{0};

std::mutex gateLock;
std::condition_variable gateChanged;
bool gateOpen = false;

size_t ThisThread() { return std::hash<std::thread::id>()(std::this_thread::get_id()); }

// The page's template lives in this library and goes with it.
struct PaneTemplate {
    PaneTemplate() {
        DialogTemplate t;
        t.style = WS_CHILD | DS_SETFONT | DS_CONTROL;
        t.cx = 150;
        t.cy = 60;
        t.items = {{WC_STATIC, 1000, 4, 4, 140, 10, WS_VISIBLE, u""},
                   {WC_EDIT, TestProtoPaneEditId, 4, 16, 140, 13, WS_VISIBLE | WS_TABSTOP | WS_BORDER, u""}};
        RegisterDialogTemplate(Protocols::GetPluginModule(), TestProtoPaneTemplateId, t);
    }
    ~PaneTemplate() { UnregisterDialogTemplate(Protocols::GetPluginModule(), TestProtoPaneTemplateId); }
};

// A page with one number field from 1 to 65535.
class CTestProtoPan final : public CAccountSetsPan {
public:
    explicit CTestProtoPan(Protocols::CAccount* account) : CAccountSetsPan(account) {
        static const PaneTemplate registered;
        ++livePanes;
    }
    ~CTestProtoPan() override { --livePanes; }

    CYolString GetCaption() override { return PaneString(0); }
    YolTabDlg::TDlgTemplate GetDlgTemplate() override { return PluginTemplate(TestProtoPaneTemplateId); }
    int DoDataExchange(int save) override {
        if (save == 0) {
            SetLabels(kLabels, 1);
            SetItemText(TestProtoPaneEditId, CYolString::FromUtf8("5222"));
            return 1;
        }
        unsigned int number = 0;
        if (!ReadNumber(TestProtoPaneEditId, 1, 65535, CYolString::FromUtf8("A number from 1 to 65535"), number))
            return 0;
        lastPaneNumber = number;
        return 1;
    }

protected:
    CYolString PaneString(int) override { return CYolString::FromUtf8("Test page"); }

private:
    static constexpr TLabel kLabels[] = {{1000, 0}};
};

class CTestProtoAccount final : public Protocols::CAccount {
public:
    CTestProtoAccount(Services::CServicesManager* manager, unsigned int accountId, unsigned int managerClientId)
        : CAccount(manager, accountId, managerClientId) {
        ++liveAccounts;
    }

    // Lingers, so that an event let in during destruction would be seen.
    ~CTestProtoAccount() override {
        dying = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        --liveAccounts;
    }

    CYolString GetProtocolName() override { return CYolString::FromUtf8("TestProto"); }

protected:
    void Note() {
        ++handled;
        if (dying)
            ++handledWhileDying;
    }

    int OnInit() override {
        Note();
        initThread = ThisThread();
        return 0;
    }
    int SetStatus(Protocols::Status s) override {
        Note();
        status = s;
        lastStatus = s;
        lastStatusThread = ThisThread();
        ++setStatusCalls;
        return 0;
    }
    int GetStatus() override {
        Note();
        return status;
    }
    int OnNotify84(unsigned int value) override {
        Note();
        if (value == TestProtoGateValue) {
            std::unique_lock<std::mutex> hold(gateLock);
            gateChanged.wait(hold, [] { return gateOpen; });
        }
        return 0;
    }
    // Answers with a text event, so the program ends up holding an argument
    // this account sent.
    int RequestContactInfo(unsigned int contact) override {
        Note();
        SendAccountEvent(Protocols::AccountEvent::ShowText,
                         NewStringEventArg(CYolString::FromUtf8("info " + std::to_string(contact))));
        return 0;
    }

    int CreateSettingsPanes(YolTabDlg::CDlgInfo* panes) override {
        Note();
        if (panes != nullptr)
            panes->Add(new CTestProtoPan(this));
        return 0;
    }

private:
    std::atomic<bool> dying{false};
    Protocols::Status status = Protocols::Offline;
};

void DescribeProtocols(Services::CServicesManager*, CYolArray<Protocols::ProtocolInfo>& out) {
    Protocols::ProtocolInfo full;
    full.id = TestProtoGuid;
    full.iconFile = CYolString::FromUtf8("test.png");
    full.name = CYolString::FromUtf8("Test");
    full.displayName = CYolString::FromUtf8("Test protocol");
    full.pluginName = CYolString::FromUtf8("TestProto");
    out.Add(full);

    Protocols::ProtocolInfo lite = full;
    lite.id = TestProtoLiteGuid;
    lite.displayName = CYolString::FromUtf8("Test lite");
    lite.loginSuffixes.Add(CYolString::FromUtf8("@lite.example"));
    out.Add(lite);
}

Protocols::CAccount* NewAccount(const YOL_GUID& protocol, Services::CServicesManager* manager, unsigned int accountId,
                                unsigned int managerClientId) {
    if (protocol != TestProtoGuid && protocol != TestProtoLiteGuid)
        return nullptr;
    return new CTestProtoAccount(manager, accountId, managerClientId);
}

}  // namespace

YOL_DEFINE_PLUGIN_EXPORTS(DescribeProtocols, NewAccount);

YOL_EXPORT_C void TestProto_Read(TestProtoProbe* out) {
    out->liveAccounts = liveAccounts;
    out->handled = handled;
    out->handledWhileDying = handledWhileDying;
    out->setStatusCalls = setStatusCalls;
    out->lastStatus = lastStatus;
    out->lastStatusThread = lastStatusThread;
    out->initThread = initThread;
    out->registered = Protocols::AccountRegistry().Count();
    out->livePanes = livePanes;
    out->lastPaneNumber = lastPaneNumber;
}

YOL_EXPORT_C void TestProto_OpenGate() {
    {
        std::lock_guard<std::mutex> hold(gateLock);
        gateOpen = true;
    }
    gateChanged.notify_all();
}

YOL_EXPORT_C void TestProto_StatusMenu(unsigned int accountId, unsigned int status) {
    Protocols::StatusMenuCallback(accountId, YolMenuContext(status));
}
