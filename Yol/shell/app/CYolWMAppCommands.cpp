// What a later start of the program may ask of the running one, one line
// each, through the single-instance socket (private to the user):
//
//   raise                   the window comes forward           -> OK
//   state                   -> OK running | OK starting
//   wait-ready [MS]         returns once start-up is done and the contact
//                           list is shown (at most MS ms)       -> OK | ERR timeout
//   wait-online LOGIN [MS]  returns once the contact list shows a contact
//                           of that login online (at most MS ms, 60000 by
//                           default)                            -> OK | ERR timeout
//   rows                    the grouped view's rows, as "kind:text" joined
//                           by " | " (kind c: an online contact, o: an
//                           offline one, -: anything else)  -> OK ...
//   screenshot PATH         the main window as a PNG file       -> OK | ERR ...
//   dialog                  the window in front when it is neither the main
//                           window nor the splash: -> OK its title | ERR none
//   close                   the program ends as by "Quit"       -> OK
//   wait MS COMMAND...      asks COMMAND again at every change the
//                           program sees until it answers OK (at most MS
//                           ms)                           -> its answer | ERR timeout
//
// Any other line goes to the message windows, which answer their own
// commands (the program's list them).
//
// The answers run on the listener's thread; what touches a window is done
// on the UI thread and waited for.

#include "AppServices.h"
#include "Backends/Backend.h"
#include "CYolWMApp.h"
#include "CYol_CLItemKinds.h"
#include "CYol_CLRootItem.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Messages.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"

#include <chrono>
#include <sstream>

namespace UI {

namespace {

constexpr int kDefaultWaitMs = 60000;
constexpr int kLongestWaitMs = 600000;

// The first contact row below `item` that is online and of that login.
bool FindOnline(CL::CYol_CLItem* item, CL::CContactList& model, const CYolString& login) {
    for (CL::CYol_CLItem* child = item->FirstChild(); child != nullptr; child = child->next) {
        if (auto* contact = dynamic_cast<CL::CYol_CLContactItem*>(child)) {
            CYolString own;
            if (contact->IsOnline() && model.GetItemString(contact->modelId, CYolString(u"SrvLogName"), own) &&
                own == login)
                return true;
        }
        if (FindOnline(child, model, login))
            return true;
    }
    return false;
}

void DescribeRows(CL::CYol_CLItem* item, std::string& out) {
    for (CL::CYol_CLItem* child = item->FirstChild(); child != nullptr; child = child->next) {
        auto* contact = dynamic_cast<CL::CYol_CLContactItem*>(child);
        out += std::string(" | ") + (contact == nullptr ? "-" : contact->IsOnline() ? "c" : "o") + ":" +
               child->GetText().ToUtf8();
        DescribeRows(child, out);
    }
}

}  // namespace

void CYolWMApp::NotifyCommandWaiters() {
    {
        std::lock_guard<std::mutex> hold(commandLock);
        ++changes;
    }
    commandWake.notify_all();
}

void CYolWMApp::ReleaseCommandWaiters() {
    {
        std::lock_guard<std::mutex> hold(commandLock);
        commandsReleased = true;
        uiJobs.clear();
    }
    commandWake.notify_all();
}

bool CYolWMApp::ContactShownOnline(const CYolString& login) {
    CL::CContactList* model = ModelOf(services);
    if (model == nullptr || !views)
        return false;
    auto held = views->Lock();
    return FindOnline(views->grouped, *model, login);
}

// Runs `job` on the UI thread and waits for it; false when there is no
// window yet (the socket listens before it is made) or it went first.
bool CYolWMApp::RunOnUiAndWait(std::function<void()> job) {
    auto done = std::make_shared<bool>(false);
    const bool queued = OnUi([this, job = std::move(job), done] {
        job();
        {
            std::lock_guard<std::mutex> hold(commandLock);
            *done = true;
        }
        commandWake.notify_all();
    });
    if (!queued)
        return false;
    std::unique_lock<std::mutex> hold(commandLock);
    commandWake.wait(hold, [&] { return *done || commandsReleased; });
    return *done;
}

std::string CYolWMApp::WaitForAnswer(const std::string& asked, int ms) {
    if (asked.empty() || asked.rfind("wait ", 0) == 0)
        return "ERR nothing to wait for";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock<std::mutex> hold(commandLock);
    for (;;) {
        unsigned long long seen = changes;
        hold.unlock();
        std::string answer = OnInstanceCommand(asked);
        hold.lock();
        if (answer.rfind("OK", 0) == 0)
            return answer;
        if (!commandWake.wait_until(hold, deadline, [&] { return changes != seen || commandsReleased; }))
            return "ERR timeout";
        if (commandsReleased)
            return "ERR closing";
    }
}

std::string CYolWMApp::OnInstanceCommand(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "raise")
        return CYolWMAppBase::OnInstanceCommand(line);
    if (command == "state")
        return running.load() ? "OK running" : "OK starting";
    if (command == "wait-ready") {
        int ms = kDefaultWaitMs;
        words >> ms;
        ms = std::clamp(ms, 0, kLongestWaitMs);
        std::unique_lock<std::mutex> hold(commandLock);
        if (!commandWake.wait_for(hold, std::chrono::milliseconds(ms),
                                  [&] { return running.load() || commandsReleased; }))
            return "ERR timeout";
        return running.load() ? "OK" : "ERR closing";
    }
    if (command == "rows") {
        std::string rows;
        if (views) {
            auto held = views->Lock();
            DescribeRows(views->grouped, rows);
        }
        return "OK" + rows;
    }
    if (command == "close") {
        Post(WM_CLOSE, 0, 0);
        return "OK";
    }
    if (command == "screenshot") {
        std::string path;
        std::getline(words >> std::ws, path);
        if (path.empty())
            return "ERR no path";
        bool saved = false;
        if (!RunOnUiAndWait([&] { saved = Platform::SaveWindowPng(GetWindow(), path.c_str()); }) || !saved)
            return "ERR not saved";
        return "OK";
    }
    if (command == "dialog") {
        std::string title;
        bool front = false;
        if (!RunOnUiAndWait([&] {
                HWND active = GetActiveWindow();
                HWND splash = ports.splashTray != nullptr ? ports.splashTray->SplashWindow() : nullptr;
                front = active != nullptr && active != GetWindow() && active != splash;
                char16_t text[256] = {};
                if (front && GetWindowText(active, text, 256) > 0)
                    title = CYolString(text).ToUtf8();
            }))
            return "ERR none";
        return front ? "OK " + title : "ERR none";
    }
    if (command == "wait-online") {
        std::string login;
        int ms = kDefaultWaitMs;
        words >> login >> ms;
        ms = std::clamp(ms, 0, kLongestWaitMs);
        CYolString wanted = CYolString::FromUtf8(login);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        std::unique_lock<std::mutex> hold(commandLock);
        for (;;) {
            unsigned long long seen = changes;
            hold.unlock();
            bool online = ContactShownOnline(wanted);
            hold.lock();
            if (online)
                return "OK";
            if (!commandWake.wait_until(hold, deadline, [&] { return changes != seen || commandsReleased; }))
                return "ERR timeout";
            if (commandsReleased)
                return "ERR closing";
        }
    }
    if (command == "wait") {
        int ms = kDefaultWaitMs;
        words >> ms;
        std::string asked;
        std::getline(words >> std::ws, asked);
        return WaitForAnswer(asked, std::clamp(ms, 0, kLongestWaitMs));
    }
    // Only once the windows are up: before that no job reaches the UI thread
    // and the listener would wait for nothing.
    if (ports.messageWindows != nullptr && running.load() && uiWindow.load() != nullptr) {
        std::string answer;
        if (RunOnUiAndWait([&] { answer = ports.messageWindows->Command(line); }) && !answer.empty())
            return answer;
    }
    return "ERR unknown command";
}

}  // namespace UI
