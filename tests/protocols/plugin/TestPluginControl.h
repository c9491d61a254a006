#pragma once
// The test plug-in's control block, shared by the plug-in (which fills it)
// and the tests (which read and script it). The plug-in exports it as
// TestPlugin_Control; a test finds it with dlsym on the loaded library.
//
// Every event an account of the plug-in receives is recorded with a
// reference on each argument, so a test reads the values the manager sent
// after the fact; Clear gives the references back. Answers are scripted per
// event number (0 unless set); GetStatus answers the account's scripted
// status, GetLogin writes its scripted login, GetStatusInfo fills
// {status, "S<status>"}, GetAccountObject writes the account's address.

#include "CEventArg.h"
#include "CYolString.h"
#include "YOL_GUID.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace TestPlugin {

struct Received {
    unsigned int accountId = 0;
    YOL_GUID channel{};
    int event = 0;
    Services::CEventArg* arg = nullptr;
    Services::CEventArg* extra = nullptr;
    std::thread::id thread;
};

struct LifeEvent {
    enum Kind { Created, Destroyed, TimerFired };
    Kind kind = Created;
    unsigned int accountId = 0;
    // Destroyed: the account's events client was already gone when the
    // plug-in was asked to destroy the object.
    bool eventsStopped = false;
    std::thread::id thread;
};

class Control {
public:
    ~Control() { Clear(); }

    // --- what the tests read ------------------------------------------------

    std::vector<Received> Events() {
        std::lock_guard<std::mutex> guard(lock);
        return received;
    }
    std::vector<Received> EventsOf(unsigned int account) {
        std::vector<Received> of;
        for (const Received& r : Events())
            if (r.accountId == account)
                of.push_back(r);
        return of;
    }
    std::vector<LifeEvent> Life() {
        std::lock_guard<std::mutex> guard(lock);
        return life;
    }
    // True once `done` holds (it is checked under the control's lock).
    template <typename Pred>
    bool WaitUntil(Pred done, int timeoutMs = 10000) {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return done(received, life); });
    }
    bool WaitForEvents(size_t count, int timeoutMs = 10000) {
        return WaitUntil([&](const std::vector<Received>& r, const std::vector<LifeEvent>&) { return r.size() >= count; },
                         timeoutMs);
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock);
        for (Received& r : received) {
            if (r.arg != nullptr)
                r.arg->Release();
            if (r.extra != nullptr)
                r.extra->Release();
        }
        received.clear();
        life.clear();
    }

    // --- scripting -------------------------------------------------------------

    void SetAnswer(int event, int result) {
        std::lock_guard<std::mutex> guard(lock);
        answers[event] = result;
    }
    void SetStatus(unsigned int account, int status) {
        std::lock_guard<std::mutex> guard(lock);
        statuses[account] = status;
    }
    void SetLogin(unsigned int account, const CYolString& login) {
        std::lock_guard<std::mutex> guard(lock);
        logins[account] = login;
    }
    // While held, every handler waits after recording its event. Letting go
    // returns once no handler is waiting any more, so a hold that follows at
    // once cannot catch a handler of the one before.
    void Hold(bool on) {
        std::unique_lock<std::mutex> guard(lock);
        held = on;
        changed.notify_all();
        if (!on)
            changed.wait(guard, [&] { return waiting == 0; });
    }

    // --- sends of the plug-in's own making, set by the plug-in ------------------------

    // An AccountEvent with a CYolString second argument made by the plug-in.
    int (*postText)(unsigned int account, int event, const CYolString& text) = nullptr;
    // AccountEvent::StatusChanged with a StatusInfo made by the plug-in.
    int (*postStatus)(unsigned int account, int status) = nullptr;
    // AccountEvent::SetTimer for the plug-in's timer call-back, due at the
    // given Unix time; KillTimer for it.
    int (*postTimer)(unsigned int account, unsigned int fireUnix) = nullptr;
    int (*postKillTimer)(unsigned int account) = nullptr;

    // --- the plug-in's side --------------------------------------------------------

    // Records the event (adding a reference to each argument), waits while
    // held, and answers the scripted result.
    int Record(const Received& event) {
        std::unique_lock<std::mutex> guard(lock);
        if (event.arg != nullptr)
            event.arg->AddRef(1);
        if (event.extra != nullptr)
            event.extra->AddRef(1);
        received.push_back(event);
        changed.notify_all();
        ++waiting;
        changed.wait(guard, [&] { return !held; });
        --waiting;
        changed.notify_all();
        auto answer = answers.find(event.event);
        return answer != answers.end() ? answer->second : 0;
    }
    void Note(const LifeEvent& event) {
        {
            std::lock_guard<std::mutex> guard(lock);
            life.push_back(event);
        }
        changed.notify_all();
    }
    int StatusOf(unsigned int account) {
        std::lock_guard<std::mutex> guard(lock);
        auto found = statuses.find(account);
        return found != statuses.end() ? found->second : 0;
    }
    CYolString LoginOf(unsigned int account) {
        std::lock_guard<std::mutex> guard(lock);
        auto found = logins.find(account);
        return found != logins.end() ? found->second : CYolString();
    }

private:
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Received> received;
    std::vector<LifeEvent> life;
    std::map<int, int> answers;
    std::map<unsigned int, int> statuses;
    std::map<unsigned int, CYolString> logins;
    bool held = false;
    int waiting = 0;
};

}  // namespace TestPlugin

// The name under which the plug-in exports its control block.
inline constexpr const char* kTestPluginControlExport = "TestPlugin_Control";
using TestPluginControlFunc = TestPlugin::Control* (*)();
