#include "CYolWMMW_HistCtrl.h"

#include "TYolWMMWSettings.h"
#include "UiHelpers.h"

#include <algorithm>
#include <memory>

namespace MW {

namespace {

constexpr int kGrowStep = 10;
// Room a paragraph gets beyond its three texts: icon, spaces, header end.
constexpr int kParagraphSlack = 10;
constexpr char16_t kHeaderEnd[] = u": ";

// The run kinds of a message's header and text, by direction.
struct TMessageKinds {
    int name;
    int time;
    int text;
};

constexpr TMessageKinds kIncomingKinds{CYolWMMW_HistCtrl::EInName, CYolWMMW_HistCtrl::EInTime,
                                       CYolWMMW_HistCtrl::EInText};
constexpr TMessageKinds kOutgoingKinds{CYolWMMW_HistCtrl::EOutName, CYolWMMW_HistCtrl::EOutTime,
                                       CYolWMMW_HistCtrl::EOutText};

void AppendString(RTE::CYolWMRTE_Para& para, const CYolString& text, int kind)
{
    para.AppendText(text.c_str(), text.Length(), kind);
}

// Takes a string the control made with new[].
CYolString Adopt(char16_t* text)
{
    std::unique_ptr<char16_t[]> owned(text);
    return owned ? CYolString(owned.get()) : CYolString();
}

} // namespace

CYolWMMW_HistCtrl::CYolWMMW_HistCtrl(MHistCtrlObserver* observer, RTE::MTextMeasurer* measurer)
    : RTE::CYolWMRTE_Ctrl(this, measurer), m_observer(observer)
{
    m_icons.SetGrowStep(kGrowStep);
    m_smileys.SetGrowStep(kGrowStep);
}

CYolWMMW_HistCtrl::~CYolWMMW_HistCtrl()
{
    DeletePictures();
}

CYolWMMW_HistCtrl* CYolWMMW_HistCtrl::Create(HWND parent, const RECT& rect, MHistCtrlObserver* observer,
                                             RTE::MTextMeasurer* measurer)
{
    auto view = std::make_unique<CYolWMMW_HistCtrl>(observer, measurer);
    if (!view->RTE::CYolWMRTE_Ctrl::Create(nullptr, parent, WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect))
        return nullptr;
    return view.release();
}

TYolWMMWSettings* CYolWMMW_HistCtrl::Settings() const
{
    return m_observer != nullptr ? m_observer->GetSettings() : nullptr;
}

void CYolWMMW_HistCtrl::AddMessage(const TYolWMMWMsg& msg)
{
    FormatMessage(msg, false);
    const int reverted = TrimSmileys();
    ShowEnd(reverted >= 0 ? ParaCount() - reverted : 1);
}

void CYolWMMW_HistCtrl::AddMessages(const CYolArray<TYolWMMWMsg>& msgs, bool noParse)
{
    const int before = ParaCount();
    for (const TYolWMMWMsg& msg : msgs)
        FormatMessage(msg, noParse);
    const int added = ParaCount() - before;
    const int reverted = noParse ? -1 : TrimSmileys();
    ShowEnd(std::max(added, reverted >= 0 ? ParaCount() - reverted : 0));
}

void CYolWMMW_HistCtrl::ShowEnd(int laidOut)
{
    if (laidOut > 0)
        OnParagraphsAdded(laidOut);
    MoveCaret(RTE::CYolWMRTE_TextView::EMoveTextEnd, false);
    Redraw(EPaintFull);
}

void CYolWMMW_HistCtrl::FormatMessage(const TYolWMMWMsg& msg, bool noParse)
{
    if (msg.direction == TYolWMMWMsg::ESeparator) {
        // A view shows one separator: the one between the history loaded
        // when its tab opened and what came after.
        if (m_separator != nullptr)
            return;
        m_separator = new CHistSep();
        RTE::CYolWMRTE_Para para(1);
        para.AppendPicture(m_separator);
        AddParagraph(para.Text(), para.Formats());
        return;
    }
    if (msg.direction > TYolWMMWMsg::EOther)
        return;
    RTE::CYolWMRTE_Para para(msg.name.Length() + msg.time.Length() + msg.text.Length() + kParagraphSlack);
    m_icons.Add(new CMsgIcon(msg.iconId, msg.messageId));
    para.AppendPicture(m_icons[m_icons.Count() - 1]);
    if (msg.direction == TYolWMMWMsg::EOther) {
        para.AppendChar(u' ', EEventFirst);
        AppendString(para, msg.name, EEventFirst);
        para.AppendChar(u' ', EEventSecond);
        AppendString(para, msg.time, EEventSecond);
    } else {
        const TMessageKinds& kinds = msg.direction == TYolWMMWMsg::EIncoming ? kIncomingKinds : kOutgoingKinds;
        const TYolWMMWSettings* settings = Settings();
        int last = kinds.text;
        if (settings == nullptr || settings->showNames) {
            para.AppendChar(u' ', kinds.name);
            AppendString(para, msg.name, kinds.name);
            last = kinds.name;
        }
        if (settings != nullptr && settings->showTime) {
            para.AppendChar(u' ', kinds.time);
            AppendString(para, msg.time, kinds.time);
            last = kinds.time;
        }
        if (settings != nullptr && settings->msgFromNewl)
            para.AppendChar(RTE::kLineSeparator, last);
        else
            para.AppendText(kHeaderEnd, 2, last);
        AppendText(para, msg.text, kinds.text, noParse);
    }
    AddParagraph(para.Text(), para.Formats());
}

void CYolWMMW_HistCtrl::AppendText(RTE::CYolWMRTE_Para& para, const CYolString& text, int kind, bool noParse)
{
    CYolArray<TParseItem> runs;
    if (!noParse) {
        const TYolWMMWSettings* settings = Settings();
        ParseText(text, settings != nullptr ? settings->smiliesNum : 0, runs);
    }
    const char16_t* chars = text.c_str();
    int at = 0;
    for (const TParseItem& run : runs) {
        para.AppendText(chars + at, run.start - at, kind);
        if (run.kind == TParseItem::ELinkRun) {
            para.AppendText(chars + run.start, run.length, ELink);
        } else {
            auto* picture = new CSmilePicture(run.smile, run.code, this);
            m_smileys.Add(TSmileInText{picture, ParaCount(), kind});
            para.AppendPicture(picture);
        }
        at = run.start + run.length;
    }
    para.AppendText(chars + at, text.Length() - at, kind);
}

int CYolWMMW_HistCtrl::TrimSmileys()
{
    const TYolWMMWSettings* settings = Settings();
    const int limit = std::max(settings != nullptr ? settings->smiliesNum : 0, 0);
    const int excess = m_smileys.Count() - limit;
    if (excess <= 0)
        return -1;
    const int oldest = m_smileys[0].paragraph;
    for (int i = 0; i < excess; ++i)
        RevertSmiley(m_smileys[i]);
    for (int i = 0; i < excess; ++i)
        m_smileys.RemoveAt(0);
    return oldest;
}

// The picture gives way to the code it stood for, in the kind of the text
// around it, and is deleted once no paragraph shows it.
void CYolWMMW_HistCtrl::RevertSmiley(const TSmileInText& entry)
{
    const CYolString code(entry.picture->GetText());
    ReplacePicture(entry.paragraph, entry.picture, code.c_str(), code.Length(), entry.kind);
    delete entry.picture;
}

void CYolWMMW_HistCtrl::ReloadSmiles()
{
    if (m_smileys.Count() == 0)
        return;
    for (const TSmileInText& entry : m_smileys)
        RevertSmiley(entry);
    m_smileys.Clear();
    Redraw(EPaintFull);
}

void CYolWMMW_HistCtrl::UpdateMsgIcon(unsigned int msgId, unsigned int iconId)
{
    for (int i = m_icons.Count() - 1; i >= 0; --i) {
        if (m_icons[i]->msgId == msgId) {
            m_icons[i]->iconId = iconId;
            Redraw(EPaintFull);
            return;
        }
    }
}

void CYolWMMW_HistCtrl::DeletePictures()
{
    for (CMsgIcon* icon : m_icons)
        delete icon;
    m_icons.Clear();
    for (const TSmileInText& entry : m_smileys)
        delete entry.picture;
    m_smileys.Clear();
    delete m_separator;
    m_separator = nullptr;
}

void CYolWMMW_HistCtrl::Clear()
{
    RTE::CYolWMRTE_Ctrl::Clear();
    DeletePictures();
}

bool CYolWMMW_HistCtrl::HasSelection() const
{
    const RTE::CYolWMRTE_TextView* view = ActiveView();
    return view != nullptr && view->HasSelection();
}

void CYolWMMW_HistCtrl::CopySelection()
{
    const CYolString text = Adopt(GetSelectedText(false));
    if (text.Length() > 0)
        SetClipboardText(text.c_str(), text.Length());
}

void CYolWMMW_HistCtrl::QuoteSelection()
{
    const CYolString text = Adopt(GetSelectedText(true));
    if (text.Length() > 0 && m_observer != nullptr)
        m_observer->InsertText(text);
}

void CYolWMMW_HistCtrl::QuoteLast()
{
    const CYolString text = Adopt(GetLastParaText(true));
    if (text.Length() > 0 && m_observer != nullptr)
        m_observer->InsertText(text);
}

void CYolWMMW_HistCtrl::EditCommand(int command)
{
    switch (command) {
    case ECopy:
        CopySelection();
        break;
    case EQuote:
        QuoteSelection();
        break;
    case EQuoteLast:
        QuoteLast();
        break;
    case EClear:
        Clear();
        break;
    default:
        break;
    }
}

void CYolWMMW_HistCtrl::GetPartFont(RTE::TPartFont& part, int kind)
{
    if (m_observer != nullptr)
        m_observer->GetPartFont(part, kind);
}

void CYolWMMW_HistCtrl::GetColors(COLORREF& selectedText, COLORREF& selectionBackground)
{
    if (m_observer != nullptr)
        m_observer->GetColors(selectedText, selectionBackground);
}

int CYolWMMW_HistCtrl::GetTextHeight()
{
    const TYolWMMWSettings* settings = Settings();
    return settings != nullptr ? settings->textLogFont.lfHeight : 0;
}

bool CYolWMMW_HistCtrl::IsCaretMoveEnabled(bool vertical)
{
    const TYolWMMWSettings* settings = Settings();
    if (settings == nullptr)
        return true;
    return vertical ? settings->caretUpDown : settings->caretLeftRight;
}

void CYolWMMW_HistCtrl::OnFrameChanged(Smile::CYolWMSmile_Anim* picture)
{
    for (const TSmileInText& entry : m_smileys) {
        if (&entry.picture->anim == picture) {
            RTE::CYolWMRTE_Ctrl::OnFrameChanged(entry.paragraph, entry.picture);
            return;
        }
    }
}

} // namespace MW
