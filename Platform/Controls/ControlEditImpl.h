#pragma once
// The edit control's state and its layout: lines, positions and painting.

#include "ControlEdit.h"
#include "ControlImpl.h"

#include <string>
#include <vector>

namespace Platform::Controls {

struct EditLine {
    std::size_t start = 0;
    // Units shown on the line, without the line break.
    std::size_t length = 0;
};

struct EditState {
    static inline const char key = 0;
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    std::u16string text;
    std::size_t anchor = 0;
    std::size_t caret = 0;
    std::size_t limit = EDIT_DEFAULT_LIMIT;
    char16_t password = 0;
    bool modified = false;
    bool focused = false;
    bool created = false;
    std::vector<EditLine> lines;
    int firstLine = 0;
    int scrollX = 0;
    // Where up / down try to keep the caret across lines (-1: not set).
    int goalX = -1;
    int lineHeight = 1;
    bool canUndo = false;
    std::u16string undoText;
    std::size_t undoAnchor = 0;
    std::size_t undoCaret = 0;

    bool Multi() const;
    std::size_t SelMin() const { return std::min(anchor, caret); }
    std::size_t SelMax() const { return std::max(anchor, caret); }
    // The text as shown: the password character in place of each unit.
    std::u16string Shown() const;
};

// Text area inside the client rectangle.
RECT EditTextRect(const EditState& s);
int EditVisibleLines(const EditState& s);
// Breaks the text into lines for the current width and font.
void EditLayout(EditState& s);
int EditLineFromChar(const EditState& s, std::size_t pos);
// Width of the shown text from the start of the line to pos.
int EditWidthInLine(const EditState& s, int line, std::size_t pos);
POINT EditPosFromChar(const EditState& s, std::size_t pos);
std::size_t EditCharFromPoint(const EditState& s, POINT p, int* lineOut);
// Scrolls so that the caret shows; moves the caret, updates the window's bar.
void EditScrollToCaret(EditState& s);
void EditUpdateCaret(const EditState& s);
void EditUpdateScrollBar(const EditState& s);
void EditPaint(EditState& s);

} // namespace Platform::Controls
