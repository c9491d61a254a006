#include "CWorkQueue.h"

#include "CJabberAccount.h"
#include "CYolClock.h"

#include <chrono>

CWorkQueue::~CWorkQueue() {
    {
        std::lock_guard lock(wakeLock);
        stopFlag.store(true);
    }
    wake.notify_all();
    if (worker.joinable())
        worker.join();
}

void CWorkQueue::Register(IqRequestHandler handler, int types, int fields, const char* xmlns, const char* element) {
    CYolCriticalSection::Guard guard(section);
    registry.push_back(Entry{handler, types, fields, xmlns ? CYolString::FromUtf8(xmlns) : CYolString(),
                             element ? CYolString::FromUtf8(element) : CYolString(), xmlns == nullptr,
                             element == nullptr});
}

int CWorkQueue::RegisteredCount() const {
    CYolCriticalSection::Guard guard(section);
    return static_cast<int>(registry.size());
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
    CYolCriticalSection::Guard guard(section);
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
        if ((entry.fields & (IqField::From | IqField::Contact)) && from && request.contact == 0)
            request.contact = owner->ContactIdOf(BareJidCopy(*from));
        (owner->*entry.handler)(iq, request);
        taken = true;
    }
    return taken;
}

void CWorkQueue::Defer(const DeferredCall& call) {
    CYolCriticalSection::Guard guard(section);
    calls.push_back(call);
}

void CWorkQueue::Start() {
    if (worker.joinable() || stopFlag.load())
        return;
    worker = std::thread([this] { Run(); });
}

bool CWorkQueue::TakeDue(DeferredCall& out) {
    CYolCriticalSection::Guard guard(section);
    uint32_t now = CYolClock::Current().TickCount();
    for (auto it = calls.begin(); it != calls.end(); ++it) {
        if (now - it->time > it->delay) {
            out = *it;
            calls.erase(it);
            return true;
        }
    }
    return false;
}

void CWorkQueue::Run() {
    while (!stopFlag.load()) {
        DeferredCall call;
        if (TakeDue(call)) {
            CYolCriticalSection::Guard guard(section);
            (owner->*call.handler)(XmlNode(), call.request);
            continue;
        }
        // Nothing due: look again in 50 ms, waking at once for Stop.
        std::unique_lock lock(wakeLock);
        wake.wait_for(lock, std::chrono::milliseconds(50), [this] { return stopFlag.load(); });
    }
}

void CWorkQueue::Flush() {
    std::vector<DeferredCall> due;
    {
        CYolCriticalSection::Guard guard(section);
        due.swap(calls);
    }
    for (DeferredCall& call : due) {
        CYolCriticalSection::Guard guard(section);
        (owner->*call.handler)(XmlNode(), call.request);
    }
}

void CWorkQueue::Stop() {
    if (stopFlag.load() || !worker.joinable())
        return;
    {
        std::lock_guard lock(wakeLock);
        stopFlag.store(true);
    }
    wake.notify_all();
    worker.join();
}
