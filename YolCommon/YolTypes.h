#pragma once
// Basic definitions shared by every module that links against YolCommon.

#include <cstdint>
#include <cstddef>

#if defined(YOLCOMMON_BUILD)
#define YOL_API __attribute__((visibility("default")))
#else
#define YOL_API __attribute__((visibility("default")))
#endif

// Symbols a plug-in or language pack exports for the program to find by name.
#define YOL_EXPORT_C extern "C" __attribute__((visibility("default")))

// Code pages the system converts text with.
enum : unsigned int {
    YOL_CP_ACP = 0,          // the device's default 8-bit code page: Windows-1251 here
    YOL_CP_1251 = 1251,
    YOL_CP_UTF8 = 65001,
    YOL_CP_UTF16LE = 0xFFFF  // raw UTF-16 code units, two bytes each, little-endian
};
