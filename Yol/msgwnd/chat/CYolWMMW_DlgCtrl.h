#pragma once
// One chat tab of the message window: the conversation's history view on
// top and, below it, an editor that grows with its text up to the set
// number of lines, with an optional send button to its right. The tab
// handles the editor's keys (arrows leave it at its edges, Enter may send),
// its context menu (replies, quoting, clipboard), the typing notices (typing
// at every change, a pause 3 s after the last one or when the editor loses
// the focus) and the edit commands of the chat menu.
//
// UI thread only.

#include "CYolWMMW_HistCtrl.h"
#include "CYolWMUI_Button.h"
#include "CYolMenuInfo.h"
#include "CYolWMUI_TabPan.h"

namespace MW {

struct TYolWMMWSettings;

class CYolWMMW_DlgCtrl : public UI::CYolWMUI_TabPan, public CYolWMMW_HistCtrl::MHistCtrlObserver {
public:
    class MDlgCtrlObserver {
    public:
        virtual void OnSend(CYolWMMW_DlgCtrl* pane) = 0;
        // 0: the user types; 1: typing stopped.
        virtual int OnTyping(CYolWMMW_DlgCtrl* pane, int state) = 0;
        virtual void GetPartFont(RTE::TPartFont& part, int kind) = 0;
        virtual void GetColors(COLORREF& selectedText, COLORREF& selectionBackground) = 0;

    protected:
        ~MDlgCtrlObserver() = default;
    };

    // The edit commands of the chat menu.
    enum TEditCommand : int { ECut = 0, ECopy = 1, EPaste = 2, EQuote = 3, EQuoteLast = 4, EClearDialog = 5 };

    static constexpr int kTypingTimerId = 5000;
    static constexpr unsigned int kTypingPause = 3000;
    static constexpr int kButtonWidth = 40;
    // The history keeps at least this much of the pane.
    static constexpr int kHistoryMinimum = 20;

    // A hidden pane on `parent`; null when the window could not be made.
    static CYolWMMW_DlgCtrl* Create(HWND parent, TYolWMMWSettings* settings, MDlgCtrlObserver* observer);

    CYolWMMW_DlgCtrl(TYolWMMWSettings* settings, MDlgCtrlObserver* observer);
    ~CYolWMMW_DlgCtrl() override;
    CYolWMMW_DlgCtrl(const CYolWMMW_DlgCtrl&) = delete;
    CYolWMMW_DlgCtrl& operator=(const CYolWMMW_DlgCtrl&) = delete;

    // False, and nothing written, for an empty editor; a trailing line
    // break is dropped.
    bool GetText(CYolString& text) const;
    void ClearText();
    // Replaces the editor's selection.
    void InsertText(const CYolString& text) override;
    // The smiley's first code; nothing for a smiley without one.
    void InsertSmile(int smile);
    bool CanEdit(int command) const;
    void EditCommand(int command);
    // After the settings changed: 0 the history's fonts, 1 the editor's.
    void ApplySettings(int paneId);
    // Tells the pause now when the user was typing.
    void StopTyping();
    bool IsTyping() const { return typing; }
    // The editor's context menu at a screen point.
    void ShowEditMenu(POINT screen);
    // What the editor's context menu holds now; its choice.
    void BuildEditMenu(CYolMenuInfo& menu) const;
    void OnEditMenuChoice(int command);

    CYolWMMW_HistCtrl* History() const { return history; }
    HWND Editor() const { return editor; }
    UI::CYolWMUI_Button* SendButton() const { return sendButton; }
    int EditHeight() const { return editHeight; }
    int LineHeight() const { return lineHeight; }
    int LineCount() const { return lineCount; }
    int MaxLines() const { return maxLines; }
    // Whether the editor shows a scroll bar.
    bool EditorScrolls() const { return scrolls; }

    void OnInitDialog() override;
    void OnWindowPosChanged(WINDOWPOS* pos) override;
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    void OnTimer(int id, TIMERPROC proc) override;
    void OnChar(char16_t character, long data) override;
    void OnSetFocus(HWND other) override;
    HBRUSH OnCtlColor(HDC hdc, HWND control) override;

    // MHistCtrlObserver
    void GetPartFont(RTE::TPartFont& part, int kind) override;
    void GetColors(COLORREF& selectedText, COLORREF& selectionBackground) override;
    TYolWMMWSettings* GetSettings() override { return settings; }

private:
    static LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Answers true when the key was used.
    bool OnEditorKey(unsigned int key);

    void ApplyEditFont();
    void LayoutEditor();
    void LayoutPane();
    int ButtonWidth() const;
    void Typing();
    void TypingStopped();
    void NextControl(bool backwards);
    void Paste();

    CYolWMMW_HistCtrl* history = nullptr;
    UI::CYolWMUI_Button* sendButton = nullptr;
    HWND editor = nullptr;
    int editHeight = 0;
    int lineHeight = 0;
    int lineCount = 1;
    int maxLines = 1;
    bool scrolls = false;
    bool typing = false;
    TYolWMMWSettings* settings;
    MDlgCtrlObserver* observer;
    // The edit class's own procedure, shared by every editor.
    static inline WNDPROC s_editProc = nullptr;
};

} // namespace MW
