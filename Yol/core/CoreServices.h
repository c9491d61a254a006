#pragma once
// The core services: six objects made once, in a fixed order, before the
// windows need them, and destroyed in a fixed order when the program ends.
// Each registers itself with the services manager, through which the rest of
// the program (plug-ins included) finds it; the pointers below are the
// core's own handles, null until made and again once destroyed.
//
// Made in this order, each stored before the next is made: the settings
// database (every later object may read settings in its constructor), the
// skin service, the sockets service, the server store, the contact-list
// model, the protocols manager (plug-ins found, accounts loaded). Beside them
// the core makes the plug-ins' timer service (after the manager, whose timer
// broadcasts it listens to) and the links between manager, store and model.
// An object that cannot be made leaves its pointer null and the rest are
// still made.
//
// Destroyed in the opposite order of the services' dependencies: model,
// protocols manager, server store, sockets service (its connection settings
// go into the database), skin service, database (the settings file is
// written), then every events queue still running is stopped.

namespace Database {
class CYolDatabaseImpl;
}
namespace Skins {
class CSkinManagerImpl;
}
namespace Sockets {
class CSocketsManagerImpl;
}
namespace CL {
class CContactListImpl;
}
namespace Protocols {
class CProtocolsManagerImpl;
}
namespace Services {
class CServicesManager;
class CServicesManagerImpl;
class CTimerService;
}  // namespace Services
class CServerStore;

namespace Core {

extern Database::CYolDatabaseImpl* g_database;
extern Skins::CSkinManagerImpl* g_skinManager;
extern Sockets::CSocketsManagerImpl* g_socketsManager;
extern CServerStore* g_serverStore;
extern CL::CContactListImpl* g_contactList;
extern Protocols::CProtocolsManagerImpl* g_protocolsManager;
// Not one of the six: the plug-ins' timers.
extern Services::CTimerService* g_timerService;

// On the process's services manager. Called once each: while the main
// window is being made, once the main windows exist (sends the
// services-started event and returns when every subscriber has handled it),
// and from the application object's destructor.
void CreateServices();
void StartServices();
void DestroyServices();

// The same with a manager of the caller's (tests). The objects register with
// `services`; `manager` sends the start-up event and stops the queues at the
// end, and is what `services` hands its events to.
void CreateServices(Services::CServicesManager& services);
void StartServices(Services::CServicesManagerImpl& manager);
void DestroyServices(Services::CServicesManagerImpl& manager);

}  // namespace Core
