// The plug-in library as the protocols manager finds it: it loads with every
// symbol bound, exports exactly the three entry points by their plain names
// and describes the six flavours.

#include "PluginExports.h"
#include "ProtocolRecords.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

TEST(JabberPluginLibrary, LoadsWithEverySymbolBoundAndDescribesSixFlavours) {
    void* library = dlopen(YOL_JABBER_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto info = reinterpret_cast<Protocols::GetProtocolInfoFuncPtr>(dlsym(library, "GetProtocolInfoFunc"));
    EXPECT_NE(dlsym(library, "CreateAccountFunc"), nullptr);
    EXPECT_NE(dlsym(library, "DestroyAccountFunc"), nullptr);
    // Everything else stays inside the library.
    EXPECT_EQ(dlsym(library, "_ZN14CJabberAccount10SendStanzaERK7XmlNode"), nullptr);
    ASSERT_NE(info, nullptr);
    CYolArray<Protocols::ProtocolInfo> protocols;
    info(nullptr, protocols);
    EXPECT_EQ(protocols.Count(), 6);
    dlclose(library);
}

}  // namespace
