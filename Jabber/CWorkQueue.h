#pragma once
// CWorkQueue: the request-handler registry of one XMPP account, and the
// account's queue of deferred calls with the worker thread that runs them
// when they come due. The registry is filled when the account starts and
// read by the router for every incoming get or set.
//
// The worker thread lives from the first connection to the first
// disconnection; it stops cooperatively (a stop flag it looks at between
// short sleeps) and is always joined, never killed.

#include "CYolCriticalSection.h"
#include "CYolString.h"
#include "JabberIq.h"
#include "XmlNode.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class CJabberAccount;

class CWorkQueue {
public:
    // A call to make later on the worker thread (with a null stanza).
    struct DeferredCall {
        IqRequestHandler handler = nullptr;
        uint32_t time = 0;   // tick count when it was queued
        uint32_t delay = 0;  // milliseconds after `time`
        IqRequest request;
    };

    explicit CWorkQueue(CJabberAccount* owner) : owner(owner) {}
    CWorkQueue(const CWorkQueue&) = delete;
    CWorkQueue& operator=(const CWorkQueue&) = delete;
    ~CWorkQueue();

    // Appends a handler for requests of `types` (IqType bits) whose first
    // child has the namespace `xmlns` and the name `element` (null: any).
    void Register(IqRequestHandler handler, int types, int fields, const char* xmlns, const char* element);
    int RegisteredCount() const;

    // Offers a get or set to the registry: every matching handler is called,
    // in registration order, with one shared request. True when one matched.
    bool Offer(const XmlNode& iq, int type);

    void Defer(const DeferredCall& call);
    // Starts the worker unless it runs or the queue was stopped for good.
    void Start();
    // Runs every deferred call at once on the calling thread.
    void Flush();
    // Stops and joins a running worker; later Starts start nothing.
    void Stop();
    bool IsRunning() const { return worker.joinable(); }
    bool IsStopped() const { return stopFlag.load(); }

private:
    struct Entry {
        IqRequestHandler handler;
        int types;
        int fields;
        CYolString xmlns;  // empty: any
        CYolString element;  // empty: any
        bool anyXmlns;
        bool anyElement;
    };

    void Run();
    bool TakeDue(DeferredCall& out);

    CJabberAccount* owner;
    mutable CYolCriticalSection section;
    std::vector<Entry> registry;
    std::vector<DeferredCall> calls;
    std::thread worker;
    std::atomic<bool> stopFlag{false};
    std::mutex wakeLock;
    std::condition_variable wake;
};
