// The three exports of the XMPP plug-in library.

#include "JabberPlugin.h"
#include "JabberProtocolInfo.h"
#include "PluginExports.h"

YOL_DEFINE_PLUGIN_EXPORTS(GetJabberProtocols, JabberPlugin::NewAccount);
