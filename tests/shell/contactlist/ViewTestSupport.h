#pragma once
// What the view suites share: English strings for the rows and menus, a
// control that records what the trees tell it, a draw context that records
// the rows it is asked to draw, a plain indented dump of a tree, and a
// fixture that puts the four views behind the real contact-list model.

#include "CYol_CLEnvironment.h"
#include "CYol_CLModelFollower.h"
#include "CYol_CLRootItem.h"
#include "ClTestSupport.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace ViewTest {

class EnglishStrings final : public CL::MYol_CLStrings {
public:
    CYolString GetString(int id) override {
        static const std::map<int, const char*> texts = {
            {28, "Account"},        {32, "Network settings"},   {33, "Group"},
            {34, "Open groups"},    {35, "Close groups"},       {36, "Create new group"},
            {37, "Rename group"},   {38, "Delete group"},       {39, "Move up"},
            {40, "Move down"},      {41, "Contact"},            {42, "Send message"},
            {43, "Send file"},      {44, "Contact details"},    {45, "Message history"},
            {46, "Copy contact name"}, {47, "Add contact"},     {48, "Add to contact list"},
            {49, "Rename contact"}, {50, "Delete contact"},     {51, "Move to group"},
            {52, "Move to metacontact"}, {192, "Online"},       {193, "Offline"},
            {194, "Not in list"}};
        auto it = texts.find(id);
        return it != texts.end() ? CYolString::FromUtf8(it->second) : CYolString();
    }
};

// The calls a recording double was asked for, one readable line each.
struct CallLog {
    std::vector<std::string> calls;

    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(calls);
        return out;
    }
    void Call(const char* name, unsigned int a) { calls.push_back(std::string(name) + " " + ClTest::Hex(a)); }
    void Call(const char* name, unsigned int a, unsigned int b) {
        calls.push_back(std::string(name) + " " + ClTest::Hex(a) + " " + ClTest::Hex(b));
    }
};

// Records every call the trees and the menus make of a control.
class RecordingCtrl final : public CL::CYol_CLCtrlBase, public CallLog {
public:
    using CL::CYol_CLCtrlBase::CYol_CLCtrlBase;

    void Invalidate(bool relayout) override { calls.push_back(relayout ? "Invalidate relayout" : "Invalidate"); }
    void StartBlinkTimer() override { calls.push_back("StartBlink"); }
    void StopBlinkTimer() override { calls.push_back("StopBlink"); }
    void EditAccount(unsigned int id) override { Call("EditAccount", id); }
    void NewGroup(unsigned int id) override { Call("NewGroup", id); }
    void RenameGroup(unsigned int id) override { Call("RenameGroup", id); }
    void DeleteGroup(unsigned int id) override { Call("DeleteGroup", id); }
    void CopyLogin(unsigned int id) override { Call("CopyLogin", id); }
    void AddContact(unsigned int a, unsigned int b) override { Call("AddContact", a, b); }
    void AddContactToGroup(unsigned int a, unsigned int b) override { Call("AddContactToGroup", a, b); }
    void MoveContact(unsigned int id) override { Call("MoveContact", id); }
    void RenameItem(unsigned int id) override { Call("RenameItem", id); }
    void ShowContactDetails(unsigned int id) override { Call("ShowContactDetails", id); }
    void DeleteContact(unsigned int id) override { Call("DeleteContact", id); }
    void ActivateItem2(unsigned int id) override { Call("ActivateItem2", id); }
    void SendFile(unsigned int id) override { Call("SendFile", id); }
    void ShowHistory(unsigned int id) override { Call("ShowHistory", id); }
    void PostCommand(unsigned int id, bool) override { Call("CameOnline", id); }
    void ReservedC(unsigned int id) override { Call("WentOffline", id); }
};

// Records the rows drawn: "<kind> <top> <left> <bottom> <right> <caption>".
class RecordingDrawContext final : public CL::CYol_CLDrawContext {
public:
    std::vector<std::string> rows;

    void DrawSelection(int top, int left, int bottom, int right) override { Add("selection", top, left, bottom, right, ""); }
    void DrawAccountRow(int top, int left, int bottom, int right, bool, int, const CYolString& caption,
                        bool) override {
        Add("account", top, left, bottom, right, caption.ToUtf8());
    }
    void DrawGroupRow(int top, int left, int bottom, int right, bool, const CYolString& caption, bool, int online,
                      int total) override {
        Add("group", top, left, bottom, right,
            caption.ToUtf8() + " " + std::to_string(online) + "/" + std::to_string(total));
    }
    void DrawContactRow(int top, int left, int bottom, int right, const CL::CYol_CLContactRow& row) override {
        Add("contact", top, left, bottom, right, row.name.ToUtf8());
    }

private:
    void Add(const char* kind, int top, int left, int bottom, int right, const std::string& text) {
        std::ostringstream line;
        line << kind << " " << top << " " << left << " " << bottom << " " << right;
        if (!text.empty())
            line << " " << text;
        rows.push_back(line.str());
    }
};

inline std::string Flags(const CL::CYol_CLItem& item) {
    std::string flags;
    if (!item.visible)
        flags += " hidden";
    if (!item.expanded && item.firstChild != nullptr)
        flags += " closed";
    return flags;
}

// One line per item, two spaces per level, hidden items included.
inline void DumpItem(const CL::CYol_CLItem& item, int depth, std::ostringstream& out) {
    out << std::string(static_cast<size_t>(depth) * 2, ' ');
    if (auto* account = dynamic_cast<const CL::CYol_CLAccountItem*>(&item)) {
        out << "account " << account->login.ToUtf8();
    } else if (auto* header = dynamic_cast<const CL::CYol_CLStatusItem*>(&item)) {
        out << "header \"" << header->Caption().ToUtf8() << "\"";
    } else if (auto* group = dynamic_cast<const CL::CYol_CLGroupItem*>(&item)) {
        out << (dynamic_cast<const CL::CYol_CLMetagroupItem*>(&item) ? "metagroup" : "group") << " \""
            << group->caption.ToUtf8() << "\"";
        if (group->modelId != 0)
            out << " #" << group->groupIndex;
    } else if (auto* contact = dynamic_cast<const CL::CYol_CLContactItem*>(&item)) {
        out << (dynamic_cast<const CL::CYol_CLMetacontactItem*>(&item) ? "meta" : "contact") << " \""
            << contact->name.ToUtf8() << "\" status " << contact->status.status;
        if (contact->pending.Count() > 0)
            out << " unread " << contact->pending.Count();
        if (contact->typingMark)
            out << " typing";
    } else {
        out << "view";
    }
    out << Flags(item) << "\n";
    for (const CL::CYol_CLItem* child = item.firstChild; child != nullptr; child = child->next)
        DumpItem(*child, depth + 1, out);
}

inline std::string Dump(CL::CYol_CLRootItem& views) {
    auto held = views.Lock();
    std::ostringstream out;
    const char* names[] = {"grouped", "flat", "grouped meta", "flat meta"};
    CL::CYol_CLItem* roots[] = {views.grouped, views.flat, views.groupedMeta, views.flatMeta};
    for (int i = 0; i < 4; ++i) {
        out << "== " << names[i] << "\n";
        for (const CL::CYol_CLItem* child = roots[i]->firstChild; child != nullptr; child = child->next)
            DumpItem(*child, 0, out);
    }
    return out.str();
}

// Compares with golden/<name>.txt; YOL_UPDATE_GOLDEN=1 writes the file instead.
inline void ExpectGolden(const std::string& name, const std::string& text) {
    std::string path = std::string(YOL_GOLDEN_DIR) + "/" + name + ".txt";
    if (const char* update = std::getenv("YOL_UPDATE_GOLDEN"); update != nullptr && std::string(update) == "1") {
        std::ofstream(path) << text;
        return;
    }
    std::ifstream in(path);
    ASSERT_TRUE(in.good()) << "missing " << path;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(expected.str(), text) << "golden " << path;
}

// The four views following the real model through its broadcasts.
class ViewsTest : public ClTest::ModelTest {
protected:
    void SetUp() override {
        ClTest::ModelTest::SetUp();
        CL::CYol_CLEnvironment::Set(&services, &strings);
        follower.Attach(services);
    }
    void TearDown() override {
        follower.Detach();
        ClTest::ModelTest::TearDown();
        CL::CYol_CLEnvironment::Set(nullptr, nullptr);
    }
    // The model's queue, then the views' queue, have carried out everything.
    void Settle() {
        Flush();
        services.SendEvent(follower.ClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
        Flush();
        services.SendEvent(follower.ClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
    }
    void AddAccounts() {
        for (unsigned int account : {ClTest::kAccountA, ClTest::kAccountB})
            ManagerEvent(Protocols::ProtocolsManagerEvent::AccountAdded, account);
        Settle();
    }
    unsigned int NamedGroup(unsigned int account, const std::string& name) {
        unsigned int id = model->AddGroup(account);
        model->SetItemString(id, W("SrvLogName"), W(name));
        model->SetItemString(id, W("CL Alias"), W(name));
        model->NotifyGroupAdded(id);
        return id;
    }
    void SetStatus(unsigned int contact, unsigned int status) { model->SetContactStatus(contact, ClTest::Status(status)); }

    EnglishStrings strings;
    // The rows read their captions when they are made, the views' own rows
    // included.
    struct Environment {
        Environment(Services::CServicesManager* services, CL::MYol_CLStrings* strings) {
            CL::CYol_CLEnvironment::Set(services, strings);
        }
    } environment{&services, &strings};
    CL::CYol_CLRootItem views;
    CL::CYol_CLModelFollower follower{views};
};

}  // namespace ViewTest
