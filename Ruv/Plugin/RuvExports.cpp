// The three exports of the OSCAR plug-in library.

#include "PluginExports.h"
#include "RuvPlugin.h"

YOL_DEFINE_PLUGIN_EXPORTS(RuvPlugin::DescribeProtocols, RuvPlugin::NewAccount);
