#pragma once
// The requests of a file transfer that a peer sends us: the file offer
// (stream initiation), the SOCKS5 stream-host offer and the in-band
// stream's open, data and close. Each hands its request to the account's
// transfers (XmppFileTransfer), which answers it. They run on the account's
// queue thread.

#include "JabberIq.h"
#include "XmppFileTransfer.h"

class XmppSiResponder final : public XmppIqResponder {
public:
    explicit XmppSiResponder(XmppFileTransfer& transfers) : transfers(transfers) {}
    void OnRequest(const XmlNode& stanza, IqRequest& request) override { transfers.OnSiRequest(stanza, request); }

private:
    XmppFileTransfer& transfers;
};

class XmppStreamHostResponder final : public XmppIqResponder {
public:
    explicit XmppStreamHostResponder(XmppFileTransfer& transfers) : transfers(transfers) {}
    void OnRequest(const XmlNode& stanza, IqRequest& request) override {
        transfers.OnStreamHostOffer(stanza, request);
    }

private:
    XmppFileTransfer& transfers;
};

class XmppIbbResponder final : public XmppIqResponder {
public:
    explicit XmppIbbResponder(XmppFileTransfer& transfers) : transfers(transfers) {}
    void OnRequest(const XmlNode& stanza, IqRequest& request) override { transfers.OnIbbRequest(stanza, request); }

private:
    XmppFileTransfer& transfers;
};
