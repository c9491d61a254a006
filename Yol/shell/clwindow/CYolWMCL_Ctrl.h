#pragma once
// UI_CL::CYolWMCL_Ctrl: the contact-list window. It shows one view tree of
// the view set, paints it double-buffered through CYolWMCL_DrawContext,
// scrolls it, turns keys, taps and drags into selection changes and item
// activations, opens item menus and carries out the item commands.
//
// Threads: the window and everything it does run on the UI thread (the
// thread that called Create). The trees change on the events-queue thread,
// which calls Invalidate and the blink timer calls while it holds the view
// set's lock: those are posted to the window and carried out here. The
// window takes the lock around every paint, hit test, key, menu build and
// menu choice; a nested message loop inside a choice (a dialog) paints under
// the lock the choice already holds.

#include "CYol_CLRootItem.h"
#include "MYolWMCL_CLCtrlObserver.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace Skins {
class CYolWMSkins_ImageManager;
}

namespace UI_CL {

inline constexpr char16_t kCLWindowClass[] = u"Contact List Wnd Class";

// Timer ids of the window.
inline constexpr std::uintptr_t kBlinkTimer = 1;
inline constexpr std::uintptr_t kSelectionTimer = 2;
inline constexpr std::uintptr_t kKeepAwakeTimer = 3;

class CYolWMCL_Ctrl : public CL::CYol_CLCtrlBase {
public:
    // Shows the grouped view until ShowView picks another.
    CYolWMCL_Ctrl(CL::CYol_CLRootItem& views, MYolWMCL_CLCtrlObserver* observer, MYolWMCL_CtrlHost& host,
                  Skins::CYolWMSkins_ImageManager& images);
    ~CYolWMCL_Ctrl() override;

    // False only when the window class cannot be registered.
    bool Create(std::uint32_t style, const RECT& rect, HWND parent);
    HWND GetWindow() const { return window.load(); }
    void ShowView(CL::CYol_CLItem* viewRoot);

    void SetFont(const LOGFONTW& font);
    void SetItemsPerRow(int n);
    // Call with the view set locked (every window handler does).
    void SetSelection(CL::CYol_CLItem* item, bool rememberColumn);
    void UpdateScrollRange();
    void ShowItemMenu(const RECT& bounds, POINT anchor, int align);
    int ScrollPos() const;
    int RowHeight() const { return rowHeight; }

    // --- the control interface the trees and item menus call ---
    void Invalidate(bool relayout) override;
    void StartBlinkTimer() override;
    void StopBlinkTimer() override;
    void OnItemRemoving(CL::CYol_CLItem* item) override;
    void EditAccount(unsigned int account) override;
    void NewGroup(unsigned int account) override;
    void RenameGroup(unsigned int group) override;
    void DeleteGroup(unsigned int group) override;
    void ActivateItem(unsigned int id, const Protocols::ContactStatusInfo& status) override;
    void CopyLogin(unsigned int contact) override;
    void AddContact(unsigned int account, unsigned int group) override;
    void AddContactToGroup(unsigned int account, unsigned int contact) override;
    void MoveContact(unsigned int contact) override;
    void RenameItem(unsigned int id) override;
    void ShowContactDetails(unsigned int contact) override;
    void DeleteContact(unsigned int id) override;
    void ActivateItem2(unsigned int id) override;
    void SendFile(unsigned int contact) override;
    void ShowHistory(unsigned int contact) override;
    void PostCommand(unsigned int contact, bool) override;

private:
    // Takes the view set's lock unless this thread's handler already holds it.
    class Held {
    public:
        explicit Held(CYolWMCL_Ctrl& ctrl);
        ~Held();
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        CYolWMCL_Ctrl& ctrl;
        std::unique_lock<std::mutex> lock;
    };

    static LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnUiThread() const;
    // True when the call is not for now: without a window it is dropped, off
    // the UI thread it is posted to the window as that message.
    bool Deferred(UINT message, WPARAM wParam);
    int ClientWidth() const;
    int ClientHeight() const;
    void ScrollTo(int position);
    void Paint();
    void OnKey(unsigned int key);
    void OnPenDown(int x, int y);
    void OnPenMove(WPARAM flags, int y);
    void OnPenUp(int x);
    void OnContactOnline(unsigned int contact);
    void RestartSelectionTimer();

    CL::CYol_CLRootItem& views;
    MYolWMCL_CLCtrlObserver* observer;
    MYolWMCL_CtrlHost& host;
    Skins::CYolWMSkins_ImageManager& images;
    // Read by the queue thread's calls, which post to it; null once the
    // window is gone.
    std::atomic<HWND> window{nullptr};
    std::thread::id uiThread;
    bool uiHoldsLock = false;

    LOGFONTW font{};
    HFONT fontHandle = nullptr;
    int rowHeight = 0;
    int penDownX = 0;
    int lastPenY = 0;
    int penDownY = 0;
    bool penDown = false;
    bool menuShown = false;
    bool blinking = false;
    // The item whose menu is up; cleared when the trees remove it meanwhile.
    CL::CYol_CLItem* menuItem = nullptr;
};

}  // namespace UI_CL
