#pragma once
// Everything the user sets about message windows, kept by the message-window
// controller for as long as it lives: read from the preferences section of
// the settings file when made, edited in place by the settings dialog, and
// written back when destroyed. The five font handles are made by the
// controller from the font records and deleted here; they are not stored.
//
// UI thread only.

#include "CYolArray.h"
#include "CYolString.h"
#include "Drawing/Font.h"

namespace Services {
class CServicesManager;
}

namespace MW {

struct TYolWMMWSettings {
    // The two soft keys' actions.
    enum TSoftKeyAction : int {
        ESend = 0, ESmilies = 1, EMenu = 2, EMinimize = 3, ECloseTab = 4, EClose = 5, EActionCount = 6
    };
    static constexpr int kMaxLineMin = 1;
    static constexpr int kMaxLineMax = 5;
    static constexpr int kSmiliesNumMax = 99;
    // The language strings of the three replies a fresh record offers.
    static constexpr int kDefaultReplyStrings[] = {175, 176, 177};

    // Reads the settings through `services`; null: the process's services
    // manager.
    explicit TYolWMMWSettings(Services::CServicesManager* services = nullptr);
    // Deletes the fonts, then writes every setting back.
    ~TYolWMMWSettings();
    TYolWMMWSettings(const TYolWMMWSettings&) = delete;
    TYolWMMWSettings& operator=(const TYolWMMWSettings&) = delete;

    // A key that is missing or unreadable takes its default, and so does
    // every key without a settings database.
    void Load();
    // Without a settings database nothing is written.
    void Save() const;
    // The three replies in the current language.
    void LoadDefaultReplies();
    void DeleteFonts();

    HFONT headFont = nullptr;
    HFONT head2Font = nullptr;
    HFONT textFont = nullptr;
    HFONT linkFont = nullptr;
    HFONT editFont = nullptr;

    // History paragraphs.
    bool showNames = true;
    bool showTime = false;
    bool msgFromNewl = false;
    CYolString yourName;
    LOGFONTW headLogFont;
    LOGFONTW head2LogFont;
    LOGFONTW textLogFont;

    // Editor.
    int maxLine = 3;
    bool showSB = true;
    bool sendOnEnter = true;
    bool typingNotify = true;
    LOGFONTW editLogFont;

    // Smileys and the toolbar.
    int smiliesNum = 10;
    bool dlgCompactMode = true;
    bool showTB = true;
    bool showTBSmaily = true;
    bool showTBSend = false;

    // Replies.
    bool sendRepliesImmediately = false;
    bool repliesInContextMenu = true;
    CYolArray<CYolString> replies;

    // Controlling.
    bool caretLeftRight = true;
    bool caretUpDown = true;
    bool volumeForScroll = true;
    int leftSK = EMinimize;
    int rightSK = EMenu;

    // The built-in font of a key ("MWHeadFont", "MWHead2Font", "MWTextFont",
    // "MWEditFont"): Tahoma of the record's height and weight.
    static LOGFONTW DefaultFont(int height, int weight);

private:
    Services::CServicesManager* m_services;
};

} // namespace MW
