#include "CWorkQueue.h"

#include "JabberContacts.h"

void CWorkQueue::Register(XmppIqResponder& responder, int types, int fields, const char* xmlns,
                          const char* element) {
    registry.push_back(Entry{&responder, types, fields, xmlns ? CYolString::FromUtf8(xmlns) : CYolString(),
                             element ? CYolString::FromUtf8(element) : CYolString(), xmlns == nullptr,
                             element == nullptr});
}

bool CWorkQueue::Offer(const XmlNode& iq, int type) {
    const XmlNode* query = iq.GetFirstChild();
    CYolString queryName = query ? CYolString::FromUtf8(query->Name()) : CYolString();
    const CYolString* queryXmlns = query ? query->GetAttr("xmlns") : nullptr;

    IqRequest request;
    request.type = type;
    request.query = query;
    request.elementName = queryName;
    request.xmlns = queryXmlns;
    request.id = iq.GetAttr("id");
    const CYolString* from = iq.GetAttr("from");

    bool taken = false;
    for (const Entry& entry : registry) {
        if ((entry.types & type) == 0)
            continue;
        if (!entry.anyXmlns && (!queryXmlns || *queryXmlns != entry.xmlns))
            continue;
        if (!entry.anyElement && (!query || queryName != entry.element))
            continue;
        if (entry.fields & IqField::From)
            request.from = from;
        if (entry.fields & IqField::To)
            request.to = iq.GetAttr("to");
        if ((entry.fields & (IqField::From | IqField::Contact)) && from && request.contact == 0 && contactOf)
            request.contact = contactOf(BareJidCopy(*from));
        entry.responder->OnRequest(iq, request);
        taken = true;
    }
    return taken;
}
