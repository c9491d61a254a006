#pragma once
// RuvContactCommands: what the contact menus ask of a signed-on session.
// It reads a contact's entry in the server's list for the menus (waiting
// for authorization, status, group, extended status, privacy lists),
// asks the server whether an unlisted or unauthorized contact is online
// and shows its answer, and asks a contact's client for the text of its
// extended status. It owns nothing; runs on the account's queue thread.

#include "RuvMenus.h"
#include "RuvPacketSink.h"
#include "RuvServerList.h"

#include <functional>
#include <optional>

class RuvContactCommands {
public:
    RuvContactCommands(RuvPacketSink& sink, CRuvServerList& list, RuvListModel& model,
                       std::function<void(const CYolString&)> showText)
        : sink(sink), list(list), model(model), showText(std::move(showText)) {}

    std::optional<MRuvMenusOwner::Entry> Entry(unsigned int contact);
    bool OnPrivacyList(unsigned int contact, RuvPrivacyList which);
    // Asks the server for the contact's user information.
    void CheckStatus(unsigned int contact);
    // Asks an online contact for its extended status, when its
    // capabilities name one; false when nothing was sent.
    bool RequestXStatus(unsigned int contact, const CYolString& ownLogin);
    // The server's user information (02/06): the contact's alias and the
    // status it reports.
    void OnUserInfo(const uint8_t* frame, size_t size);

    // The extended status a contact's capabilities name (0: none).
    static int XStatusOf(const CRuvListItem& item);

private:
    CRuvListItem* BuddyOf(unsigned int contact);

    RuvPacketSink& sink;
    CRuvServerList& list;
    RuvListModel& model;
    std::function<void(const CYolString&)> showText;
};
