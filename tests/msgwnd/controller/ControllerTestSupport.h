#pragma once
// The message window made for real over a recording window, with an owner
// that records every call and answers sends as a test sets.

#include "MsgWndTestSupport.h"

#include "CYolWMMW_Controller.h"
#include "MYolWMMW_Observer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mw_test {

class RecordingOwner : public UI::MYolWMMW_Observer {
public:
    int OnSendMessage(MW::CYolWMMW_Controller*, unsigned int tab, const CYolString& text) override {
        calls.push_back("send " + std::to_string(tab) + " " + text.ToUtf8());
        return acceptSends;
    }
    int OnSendFile(MW::CYolWMMW_Controller*, unsigned int tab, const CYolString& path) override {
        calls.push_back("file " + std::to_string(tab) + " " + path.ToUtf8());
        return 1;
    }
    int OnFillMenu(MW::CYolWMMW_Controller*, unsigned int, CYolMenuInfo* menu) override {
        for (const std::string& entry : ownEntries)
            menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, -1, CYolFormatString(CYolString::FromUtf8(entry)), 100,
                                       nullptr, nullptr, false));
        return 1;
    }
    void GetSubContacts(MW::CYolWMMW_Controller*, unsigned int, CYolArray<unsigned int>& ids,
                        CYolArray<CYolString>& names, CYolArray<CYolArray<unsigned int>>& icons) override {
        for (unsigned int id : subContacts) {
            ids.Add(id);
            names.Add(CYolString::FromUtf8("sub" + std::to_string(id)));
            icons.Add(CYolArray<unsigned int>());
        }
    }
    void OnTabActivated(MW::CYolWMMW_Controller*, unsigned int tab) override {
        calls.push_back("activated " + std::to_string(tab));
    }
    void OnShowContactDetails(MW::CYolWMMW_Controller*, unsigned int contact) override {
        calls.push_back("details " + std::to_string(contact));
    }
    int OnTypingNotify(MW::CYolWMMW_Controller*, unsigned int tab, int state) override {
        calls.push_back("typing " + std::to_string(tab) + " " + std::to_string(state));
        return 1;
    }
    int OnTabSelected(MW::CYolWMMW_Controller*, unsigned int tab) override {
        calls.push_back("selected " + std::to_string(tab));
        return 1;
    }
    void OnTabClosedUnread(MW::CYolWMMW_Controller*, unsigned int tab,
                           const CYolArray<MW::TYolWMMWMsg>& lines) override {
        std::string texts;
        for (int i = 0; i < lines.Count(); ++i)
            texts += (i > 0 ? "," : "") + lines[i].text.ToUtf8();
        calls.push_back("closed-unread " + std::to_string(tab) + " " + texts);
    }
    // The calls since the last look.
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(calls);
        return out;
    }

    std::vector<std::string> calls;
    int acceptSends = 1;
    std::vector<std::string> ownEntries;
    std::vector<unsigned int> subContacts;
};

class ControllerTest : public MessageWindowTest {
protected:
    void SetUp() override {
        MessageWindowTest::SetUp();
        controller.reset(MW::CYolWMMW_Controller::Create(&owner, app));
        ASSERT_NE(controller, nullptr);
    }
    void TearDown() override {
        controller.reset();
        MessageWindowTest::TearDown();
    }

public:
    // Steps of the tables act on the fixture.
    static MW::TYolWMMWMsg Incoming(const std::string& text, unsigned int icon = 27, unsigned int id = 1) {
        MW::TYolWMMWMsg line;
        line.direction = MW::TYolWMMWMsg::EIncoming;
        line.messageId = id;
        line.iconId = icon;
        line.name = u"Bob";
        line.time = u"(now)";
        line.text = CYolString::FromUtf8(text);
        return line;
    }
    void Open(unsigned int tab, const char16_t* title = u"Bob") {
        CYolArray<unsigned int> icons;
        icons.Add(2);
        controller->OpenTab(tab, CYolString(title), icons);
    }

    RecordingOwner owner;
    std::unique_ptr<MW::CYolWMMW_Controller> controller;
};

} // namespace mw_test
