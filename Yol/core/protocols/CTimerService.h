#pragma once
// Services::CTimerService: keeps the timers that plug-in accounts ask for and
// tells each account when one comes due. The call-back never runs here: the
// service posts TimerEvent::Fire on TimerServiceGuid, with a copy of the
// request, to the events client the request names, so the plug-in's code runs
// on its account's own queue thread.
//
// Requests arrive as the protocols manager's broadcasts SetTimer (account id,
// TimerRequest) and KillTimer (account id, TimerInfo, or nothing: every timer
// of the account), so the service is made after the protocols manager that
// registers them. The shell may also call SetTimer/KillTimer directly.
//
// Fire times are wall-clock times of CYolClock::Current(), whole seconds. A
// worker thread waits for the earliest one; it also wakes whenever the
// current clock jumps (a test's manual clock fires its timers at once), and
// looks at the system clock at least every kPollMs, since the system clock's
// wall time may be set without notice.

#include "CEventsClient.h"
#include "CServicesManager.h"
#include "CYolClock.h"
#include "ProtocolRecords.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace Services {

class CTimerService final : public CEventsClient, private MYolClockObserver {
public:
    static constexpr int kPollMs = 200;

    // Registers the events client "Timers" and subscribes it to the protocols
    // manager's timer broadcasts.
    explicit CTimerService(CServicesManager* services);
    // Stops listening and the worker; pending timers are dropped.
    ~CTimerService();
    CTimerService(const CTimerService&) = delete;
    CTimerService& operator=(const CTimerService&) = delete;

    void SetTimer(unsigned int account, const Protocols::TimerRequest& request);
    // The first kept timer of the account with that call-back and context;
    // with null info every timer of the account.
    void KillTimer(unsigned int account, const Protocols::TimerInfo* info);
    // Timers kept and not yet come due.
    size_t Pending() const;
    // Returns once the worker has looked at the clock since its last jump
    // and handed on every timer that was due then: a timer that has not
    // fired by now does not come due at this time.
    void WaitUntilCaughtUp() const;

    int OnEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) override;

private:
    struct Timer {
        unsigned int account;
        int64_t due;  // Unix seconds
        Protocols::TimerRequest request;
    };

    void OnClockChanged() override;
    void Run();
    void Fire(const Protocols::TimerRequest& request);

    CServicesManager* services;
    unsigned int clientKey = 0;

    mutable std::mutex lock;
    std::condition_variable wake;
    std::vector<Timer> timers;  // in the order they were set
    bool stopping = false;
    bool changed = false;
    bool idle = false;  // the worker sleeps until the next fire time or jump
    mutable std::condition_variable idleChanged;
    std::thread worker;
};

}  // namespace Services
