#include "Drawing/Gdi.h"
#include "CSkinManagerImpl.h"
#include "RecordingServicesManager.h"
#include "TestSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using Skins::CSkinImageStoreModel;
using Skins::CSkinManagerImpl;

namespace {

// Hands out numbered images and records what was freed.
class CountingLoader final : public Skins::CSkinImageLoader {
public:
    std::vector<std::string> loaded;
    std::vector<void*> freed;
    void* Load(const CYolString& fileName) override {
        loaded.push_back(fileName.ToUtf8());
        if (fileName == W("missing.png"))
            return nullptr;
        return reinterpret_cast<void*>(static_cast<uintptr_t>(0x1000 + loaded.size()));
    }
    void Free(void* image) override { freed.push_back(image); }
};

struct SkinService : ::testing::Test {
    CountingLoader loader;
    CSkinImageStoreModel images{{W("online.png"), W("offline.png")}, &loader};
    Skins::CLanguageHolder language;
    Skins::CSkinColourHolder colours;
    RecordingServicesManager services;
};

TEST_F(SkinService, RegistersAsSkinManagerAndUnregistersOnDestruction) {
    {
        CSkinManagerImpl skins(&services, images, language, colours);
        ASSERT_EQ(services.registered.size(), 1u);
        EXPECT_EQ(services.registered[0].id, SkinManagerGuid);
        EXPECT_EQ(services.registered[0].service, &skins);
    }
    EXPECT_EQ(services.unregistered, std::vector<unsigned int>{0x10000001});
}

TEST_F(SkinService, SameNameKeepsItsIdAndTwoReleasesFreeTheImage) {
    CSkinManagerImpl skins(&services, images, language, colours);
    int first = skins.RegisterImage(W("Clients/qip.png"));
    int second = skins.RegisterImage(W("Clients/qip.png"));
    EXPECT_EQ(first, 2);  // after the two built-in images
    EXPECT_EQ(second, first);
    EXPECT_EQ(images.GetRefCount(first), 2);
    EXPECT_EQ(loader.loaded.size(), 3u);  // loaded once

    skins.ReleaseImage(first);
    EXPECT_TRUE(images.IsLoaded(first));
    void* image = images.GetImage(first);
    skins.ReleaseImage(first);
    EXPECT_FALSE(images.IsLoaded(first));
    EXPECT_EQ(loader.freed, std::vector<void*>{image});

    // The entry stays: the name comes back under its old id, loaded anew.
    EXPECT_EQ(images.Count(), 3);
    EXPECT_EQ(skins.RegisterImage(W("Clients/qip.png")), first);
    EXPECT_TRUE(images.IsLoaded(first));
    EXPECT_EQ(skins.RegisterImage(W("Clients/icq.png")), 3);
}

TEST_F(SkinService, BuiltInNamesKeepTheirIdsAndTheProgramsReference) {
    CSkinManagerImpl skins(&services, images, language, colours);
    EXPECT_EQ(skins.RegisterImage(W("offline.png")), 1);
    EXPECT_EQ(images.GetRefCount(1), 2);
    skins.ReleaseImage(1);
    skins.ReleaseImage(1);  // one more than the plug-in took
    skins.ReleaseImage(1);
    EXPECT_EQ(images.GetRefCount(1), 0);
    EXPECT_EQ(loader.freed.size(), 1u);
    // Names that differ only in letter case are different images.
    EXPECT_EQ(skins.RegisterImage(W("Offline.png")), 2);
}

TEST_F(SkinService, ReleasingUnknownIdsChangesNothing) {
    CSkinManagerImpl skins(&services, images, language, colours);
    for (int id : {-1, 2, 1000})
        skins.ReleaseImage(id);
    EXPECT_EQ(images.Count(), 2);
    EXPECT_EQ(images.GetRefCount(0), 1);
    EXPECT_EQ(images.GetRefCount(1), 1);
}

TEST_F(SkinService, ImageThatCannotBeLoadedStillGetsAnId) {
    CSkinManagerImpl skins(&services, images, language, colours);
    int id = skins.RegisterImage(W("missing.png"));
    EXPECT_EQ(id, 2);
    EXPECT_FALSE(images.IsLoaded(id));
    EXPECT_EQ(images.GetRefCount(id), 1);
    skins.ReleaseImage(id);
    EXPECT_TRUE(loader.freed.empty());
}

TEST_F(SkinService, WindowlessStoreCountsReferencesFromManyThreads) {
    CSkinImageStoreModel plain;
    CSkinManagerImpl skins(nullptr, plain, language, colours);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i)
                skins.ReleaseImage(skins.RegisterImage(CYolString(static_cast<unsigned int>(i % 10), false)));
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(plain.Count(), 10);
    for (int id = 0; id < 10; ++id) {
        EXPECT_EQ(plain.GetRefCount(id), 0);
        EXPECT_FALSE(plain.IsLoaded(id));
    }
}

TEST_F(SkinService, ForwardsLanguageAndColours) {
    CSkinManagerImpl skins(&services, images, language, colours);
    CYolString out = W("before");
    EXPECT_EQ(&skins.GetLanguage(out), &out);
    EXPECT_EQ(out, W("English"));
    language.SetLanguageName(W("Russian"));
    EXPECT_EQ(skins.GetLanguage(out), W("Russian"));

    EXPECT_EQ(skins.GetBkBrush(), nullptr);
    EXPECT_EQ(skins.GetTextColor(), 0u);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    colours.SetBackgroundBrush(brush);
    colours.SetTextColour(Skins::MakeColour(0x11, 0x22, 0x33));
    EXPECT_EQ(skins.GetBkBrush(), brush);
    DeleteObject(brush);
    EXPECT_EQ(skins.GetTextColor(), 0x00332211u);
}

TEST(SkinServiceDefaults, StartWithEnglishAndAnEmptyStore) {
    CSkinManagerImpl skins(nullptr);
    CYolString out;
    EXPECT_EQ(skins.GetLanguage(out), W("English"));
    EXPECT_EQ(&CSkinManagerImpl::DefaultLanguage(), &CSkinManagerImpl::DefaultLanguage());
    int id = skins.RegisterImage(W("defaults-test.png"));
    EXPECT_EQ(CSkinManagerImpl::DefaultImages().GetName(id), W("defaults-test.png"));
    skins.ReleaseImage(id);
}

}  // namespace
