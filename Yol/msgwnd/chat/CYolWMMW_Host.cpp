#include "CYolWMMW_Host.h"

#include "DialogStrings.h"

namespace MW {

namespace {
bool g_fullScreen = false;
}

CYolString MessageWindowText(int id) { return UI::DialogString(id); }

bool MessageWindowFullScreen() { return g_fullScreen; }

void SetMessageWindowFullScreen(bool fullScreen) { g_fullScreen = fullScreen; }

} // namespace MW
