#pragma once
// CL::CYol_CLModelFollower: keeps the view set in step with the contact-list
// model. It receives the model's broadcasts and the protocols manager's
// account broadcasts on its events-queue thread and applies each to the
// view set, which locks the trees for the length of the change. It asks the
// model only for an item's account and parent, as the events carry ids.
//
// CL::CYol_CLPostingCtrl: the control side that runs on the queue thread:
// what would touch the window (repaint, blink timer, the contact-online
// alert) is posted to the control's window and carried out on the UI thread.

#include "CEventsClient.h"
#include "CYol_CLRootItem.h"
#include "PlatformTypes.h"

#include <atomic>

namespace Services {
class CServicesManager;
}

namespace CL {

class CYol_CLModelFollower : public Services::CEventsClient {
public:
    explicit CYol_CLModelFollower(CYol_CLRootItem& views);
    ~CYol_CLModelFollower();

    // Registers as an events client named "CLViews" and subscribes.
    void Attach(Services::CServicesManager& services);
    void Detach();
    unsigned int ClientId() const { return clientId; }
    // Groups and meta groups added from now on show offline contacts or not.
    void SetShowOffline(bool show) { showOffline.store(show); }

    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) override;

private:
    void OnModelEvent(int event, Services::CEventArg* arg, Services::CEventArg* extra);

    CYol_CLRootItem& views;
    Services::CServicesManager* services = nullptr;
    unsigned int clientId = 0;
    std::atomic<bool> showOffline{true};
};

// Private messages of the contact-list window.
inline constexpr UINT kCLMsgContactOnline = 0x0400 + 104;  // wParam contact id
inline constexpr UINT kCLMsgInvalidate = 0x0400 + 105;     // wParam 1: relayout
inline constexpr UINT kCLMsgBlink = 0x0400 + 106;          // wParam 1: start, 0: stop

class CYol_CLPostingCtrl : public CYol_CLCtrlBase {
public:
    CYol_CLPostingCtrl(CYol_CLItem* root, HWND window) : CYol_CLCtrlBase(root), window(window) {}
    void Invalidate(bool relayout) override;
    void StartBlinkTimer() override;
    void StopBlinkTimer() override;
    void PostCommand(unsigned int id, bool) override;

private:
    HWND window;
};

}  // namespace CL
