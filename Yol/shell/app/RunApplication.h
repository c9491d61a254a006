#pragma once
// The program's run: the application object made, its window created, its
// message loop run and the object deleted again.

#include "AppPorts.h"
#include "CYolString.h"
#include "CYolWMAppBase.h"

namespace Services {
class CServicesManagerImpl;
}

namespace UI {

// The exit code: the quit message's, or 1 when the program did not start
// (a wake-up start, another copy running, no window).
int RunApplication(TYolWMStartRecord& start, const CYolString& commandLine, const TYolWMAppPorts& ports,
                   Services::CServicesManagerImpl& services);

}  // namespace UI
