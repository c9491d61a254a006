#pragma once
// The history of a conversation as rich text: one paragraph per message,
// made of the message's icon, the sender and the time in the header fonts
// and the text, in which web links become activatable runs and smiley codes
// animated pictures. It owns every picture its paragraphs show and asks its
// owner (a chat tab or the history dialog) for fonts, colours and the
// message-window settings.
//
// UI thread only.

#include "CRTEPicture.h"
#include "CYolWMRTE_Ctrl.h"
#include "CYolWMSmile_Anim.h"
#include "TYolWMMWMsg.h"

#include <functional>

namespace MW {

struct TYolWMMWSettings;

class CYolWMMW_HistCtrl : public RTE::CYolWMRTE_Ctrl,
                          public RTE::CYolWMRTE_Ctrl::MRTEObserver,
                          public Smile::MYolWMSmile_AnimObserver {
public:
    class MHistCtrlObserver {
    public:
        virtual void GetPartFont(RTE::TPartFont& part, int kind) = 0;
        virtual void GetColors(COLORREF& selectedText, COLORREF& selectionBackground) = 0;
        virtual TYolWMMWSettings* GetSettings() = 0;
        // Text for the editor, at its caret.
        virtual void InsertText(const CYolString& text) = 0;

    protected:
        ~MHistCtrlObserver() = default;
    };

    // The run kinds of a paragraph; the owner gives each a font and colour.
    enum TPartKind : int {
        EInName = 1, EOutName = 2, EInTime = 3, EOutTime = 4, EEventFirst = 5, EEventSecond = 6,
        EInText = 7, EOutText = 8, ELink = 9
    };
    // What EditCommand takes.
    enum TEditCommand : int { ECopy = 0, EQuote = 2, EQuoteLast = 3, EClear = 4 };

    // The message's icon: a skin image, replaced when the message is marked.
    class CMsgIcon final : public RTE::CRTEPicture {
    public:
        CMsgIcon(unsigned int iconId, unsigned int msgId) : iconId(iconId), msgId(msgId) {}
        void GetSize(SIZE* size) override;
        void Draw(HDC hdc, POINT topLeft) override;
        const char16_t* GetText() override { return u""; }

        unsigned int iconId;
        unsigned int msgId;
    };

    // The dashed line between loaded history and new messages.
    class CHistSep final : public RTE::CRTEPicture {
    public:
        void GetSize(SIZE* size) override;
        void Draw(HDC hdc, POINT topLeft) override;
        const char16_t* GetText() override { return u""; }
    };

    // A smiley of the current set, standing for one of its codes.
    class CSmilePicture final : public RTE::CRTEPicture {
    public:
        CSmilePicture(int smile, int code, Smile::MYolWMSmile_AnimObserver* observer)
            : anim(smile, observer), code(code) {}
        void GetSize(SIZE* size) override;
        void Draw(HDC hdc, POINT topLeft) override;
        // The code in the current set; "" when the set has none there.
        const char16_t* GetText() override;

        Smile::CYolWMSmile_Anim anim;
        int code;

    private:
        CYolString m_text;
    };

    struct TSmileInText {
        CSmilePicture* picture = nullptr;
        int paragraph = 0;
        int kind = 0;
    };

    // One recognised run of a message's text.
    struct TParseItem {
        enum TKind : int { ESmile = 0, ELinkRun = 1 };
        int kind = ESmile;
        int start = 0;
        int length = 0;
        int smile = -1;
        int code = -1;
    };

    // Without a measurer the layouts measure on the screen.
    explicit CYolWMMW_HistCtrl(MHistCtrlObserver* observer, RTE::MTextMeasurer* measurer = nullptr);
    ~CYolWMMW_HistCtrl() override;
    CYolWMMW_HistCtrl(const CYolWMMW_HistCtrl&) = delete;
    CYolWMMW_HistCtrl& operator=(const CYolWMMW_HistCtrl&) = delete;

    // A visible child of the parent; null when the window cannot be made.
    static CYolWMMW_HistCtrl* Create(HWND parent, const RECT& rect, MHistCtrlObserver* observer,
                                     RTE::MTextMeasurer* measurer = nullptr);

    void AddMessage(const TYolWMMWMsg& msg);
    // One layout and one redraw for the whole block; noParse keeps links and
    // smiley codes as plain text.
    void AddMessages(const CYolArray<TYolWMMWMsg>& msgs, bool noParse);
    // The newest icon of the message.
    void UpdateMsgIcon(unsigned int msgId, unsigned int iconId);
    // The smiley set was rebuilt: every picture goes back to its code.
    void ReloadSmiles();
    void Clear();

    void CopySelection();
    void QuoteSelection();
    void QuoteLast();
    bool HasSelection() const;
    bool IsEmpty() const { return ParaCount() == 0; }
    void EditCommand(int command);

    // Recognised links and smiley codes, sorted by start, none overlapping;
    // at most `smileLimit` smileys, none unless the current smiley set is loaded.
    static void ParseText(const CYolString& text, int smileLimit, CYolArray<TParseItem>& runs);

    const CYolArray<CMsgIcon*>& Icons() const { return m_icons; }
    const CYolArray<TSmileInText>& Smileys() const { return m_smileys; }
    const CHistSep* Separator() const { return m_separator; }

    // How a link is opened (the desktop's browser unless a test says else).
    using LinkOpener = std::function<bool(const CYolString&)>;
    static void SetLinkOpener(LinkOpener opener);
    // The pop-up menus' full-screen option (the preference "GlobFullScreen").
    static void SetFullScreenMenus(bool fullScreen);

    // The rich-text control's owner.
    void GetPartFont(RTE::TPartFont& part, int kind) override;
    void GetColors(COLORREF& selectedText, COLORREF& selectionBackground) override;
    int GetTextHeight() override;
    int OnLinkActivated(const char16_t* text, int length) override;
    bool IsCaretMoveEnabled(bool vertical) override;
    // An animated smiley shows its next frame.
    void OnFrameChanged(Smile::CYolWMSmile_Anim* picture) override;

    void OnChar(char16_t character, long data) override;
    void OnContextMenu(POINT point) override;

    using RTE::CYolWMRTE_Ctrl::GetPartFont;
    using RTE::CYolWMRTE_Ctrl::OnFrameChanged;

private:

    void FormatMessage(const TYolWMMWMsg& msg, bool noParse);
    void AppendText(RTE::CYolWMRTE_Para& para, const CYolString& text, int kind, bool noParse);
    // Answers the paragraph of the oldest picture turned back into text, or
    // -1 when none was.
    int TrimSmileys();
    void RevertSmiley(const TSmileInText& entry);
    void DeletePictures();
    void ShowEnd(int laidOut);
    TYolWMMWSettings* Settings() const;

    MHistCtrlObserver* m_observer;
    CYolArray<CMsgIcon*> m_icons;
    CYolArray<TSmileInText> m_smileys;
    CHistSep* m_separator = nullptr;
};

} // namespace MW
