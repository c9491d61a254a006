#include "RunApplication.h"

#include "CYolWMApp.h"

#include <memory>

namespace UI {

int RunApplication(TYolWMStartRecord& start, const CYolString& commandLine, const TYolWMAppPorts& ports,
                   Services::CServicesManagerImpl& services) {
    auto app = std::make_unique<CYolWMApp>(&start, ports, services);
    if (!app->InitInstance(commandLine))
        return 1;
    int code = app->RunMessageLoop();
    app.reset();
    return code;
}

}  // namespace UI
