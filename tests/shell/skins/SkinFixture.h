#pragma once
// A program folder of its own with one skin in it, and an image manager
// reading from that skin.

#include "CYolPath.h"
#include "CYolWMSkins_ImageManager.h"
#include "PngFixtures.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

class SkinFolderTest : public TempFolderTest {
protected:
    SkinFolderTest() { CYolPath::SetAppDir(W(folder)); }
    ~SkinFolderTest() override { CYolPath::SetAppDir(CYolString()); }

    std::string SkinFile(const std::string& name) const { return "Skins/" + skin + "/" + name; }
    // Writes a PNG into the skin and answers its path.
    std::string PutPng(const std::string& name, const PngFixture::Image& image) {
        const std::string path = Put(SkinFile(name));
        EXPECT_TRUE(PngFixture::Write(path, image));
        return path;
    }

    std::string skin = "Test skin";
    Skins::CYolWMSkins_ImageManager images{[this] { return W(skin); }};
};
