// CYolString against std::u16string doing the same work in the same run:
// copying, comparing, appending, and UTF-8 conversion both ways (the UTF-8
// references are the standard library's wstring_convert and glibc iconv).

#include "CYolString.h"

#include <benchmark/benchmark.h>

#include <codecvt>
#include <cstdlib>
#include <iconv.h>
#include <locale>
#include <string>

namespace {

// A typical chat message: Cyrillic and Latin mixed, some punctuation.
const char kMessageUtf8[] =
    "Привет! Как дела? I'll be online after 18:00 — давай созвонимся, если будет время. "
    "Заодно пришли, пожалуйста, ссылку на тот файл (report-2024.pdf), который ты упоминал вчера. ";

std::string MessageUtf8(int repeat) {
    std::string text;
    for (int i = 0; i < repeat; ++i)
        text += kMessageUtf8;
    return text;
}

// --------------------------------------------------------------- copy

void BM_Copy_CYolString(benchmark::State& state) {
    CYolString text = CYolString::FromUtf8(MessageUtf8(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        CYolString copy = text;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_Copy_CYolString)->Arg(1)->Arg(16);

void BM_Copy_U16String(benchmark::State& state) {
    std::u16string text = CYolString::FromUtf8(MessageUtf8(static_cast<int>(state.range(0)))).ToU16();
    for (auto _ : state) {
        std::u16string copy = text;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_Copy_U16String)->Arg(1)->Arg(16);

// ------------------------------------------------------------ compare

// Equal texts in separate buffers: the full length has to be compared.
void BM_CompareEqual_CYolString(benchmark::State& state) {
    std::u16string units = CYolString::FromUtf8(MessageUtf8(1)).ToU16();
    CYolString a(units.data(), static_cast<int>(units.size())), b(units.data(), static_cast<int>(units.size()));
    for (auto _ : state) {
        benchmark::DoNotOptimize(a == b);
        benchmark::DoNotOptimize(a < b);
    }
}
BENCHMARK(BM_CompareEqual_CYolString);

void BM_CompareEqual_U16String(benchmark::State& state) {
    std::u16string a = CYolString::FromUtf8(MessageUtf8(1)).ToU16(), b = a;
    for (auto _ : state) {
        benchmark::DoNotOptimize(a == b);
        benchmark::DoNotOptimize(a < b);
    }
}
BENCHMARK(BM_CompareEqual_U16String);

// Texts that differ half-way.
void BM_CompareUnequal_CYolString(benchmark::State& state) {
    std::u16string units = CYolString::FromUtf8(MessageUtf8(1)).ToU16();
    std::u16string other = units;
    other[other.size() / 2] ^= 1;
    CYolString a(units.data(), static_cast<int>(units.size())), b(other.data(), static_cast<int>(other.size()));
    for (auto _ : state) {
        benchmark::DoNotOptimize(a == b);
        benchmark::DoNotOptimize(a < b);
    }
}
BENCHMARK(BM_CompareUnequal_CYolString);

void BM_CompareUnequal_U16String(benchmark::State& state) {
    std::u16string a = CYolString::FromUtf8(MessageUtf8(1)).ToU16(), b = a;
    b[b.size() / 2] ^= 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(a == b);
        benchmark::DoNotOptimize(a < b);
    }
}
BENCHMARK(BM_CompareUnequal_U16String);

void BM_CompareCaseless_CYolString(benchmark::State& state) {
    CYolString a = CYolString::FromUtf8(MessageUtf8(1)), b = a;
    b.ToLower();
    for (auto _ : state)
        benchmark::DoNotOptimize(a.Compare(b));
}
BENCHMARK(BM_CompareCaseless_CYolString);

// ------------------------------------------------------ concatenation

// Builds a text of state.range(0) short pieces, as a message body grows.
void BM_Append_CYolString(benchmark::State& state) {
    const CYolString piece(u"word, ");
    for (auto _ : state) {
        CYolString text;
        for (int64_t i = 0; i < state.range(0); ++i)
            text += piece;
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Append_CYolString)->Arg(100)->Arg(10000);

void BM_Append_U16String(benchmark::State& state) {
    const std::u16string piece(u"word, ");
    for (auto _ : state) {
        std::u16string text;
        for (int64_t i = 0; i < state.range(0); ++i)
            text += piece;
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Append_U16String)->Arg(100)->Arg(10000);

// ------------------------------------------------------------- UTF-8

void BM_Utf8Decode_CYolString(benchmark::State& state) {
    std::string utf8 = MessageUtf8(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CYolString text(utf8.data(), static_cast<int>(utf8.size()), YOL_CP_UTF8);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}
BENCHMARK(BM_Utf8Decode_CYolString)->Arg(1)->Arg(64);

void BM_Utf8Encode_CYolString(benchmark::State& state) {
    std::string utf8 = MessageUtf8(static_cast<int>(state.range(0)));
    CYolString text = CYolString::FromUtf8(utf8);
    for (auto _ : state) {
        int length = 0;
        char* bytes = CYolString::Convert(text, YOL_CP_UTF8, &length);
        benchmark::DoNotOptimize(bytes);
        std::free(bytes);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}
BENCHMARK(BM_Utf8Encode_CYolString)->Arg(1)->Arg(64);

#if defined(__clang__) || defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
using Utf8Converter = std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t>;

void BM_Utf8Decode_WstringConvert(benchmark::State& state) {
    std::string utf8 = MessageUtf8(static_cast<int>(state.range(0)));
    Utf8Converter converter;
    for (auto _ : state) {
        std::u16string text = converter.from_bytes(utf8);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}
BENCHMARK(BM_Utf8Decode_WstringConvert)->Arg(1)->Arg(64);

void BM_Utf8Encode_WstringConvert(benchmark::State& state) {
    std::string utf8 = MessageUtf8(static_cast<int>(state.range(0)));
    Utf8Converter converter;
    std::u16string text = converter.from_bytes(utf8);
    for (auto _ : state) {
        std::string bytes = converter.to_bytes(text);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}
BENCHMARK(BM_Utf8Encode_WstringConvert)->Arg(1)->Arg(64);
#if defined(__clang__) || defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// glibc iconv with a descriptor opened once, output into a u16string.
void BM_Utf8Decode_Iconv(benchmark::State& state) {
    std::string utf8 = MessageUtf8(static_cast<int>(state.range(0)));
    iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    for (auto _ : state) {
        std::u16string text(utf8.size(), u'\0');
        char* in = utf8.data();
        size_t inLeft = utf8.size();
        char* out = reinterpret_cast<char*>(text.data());
        size_t outLeft = text.size() * 2;
        iconv(cd, &in, &inLeft, &out, &outLeft);
        text.resize(text.size() - outLeft / 2);
        benchmark::DoNotOptimize(text);
    }
    iconv_close(cd);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}
BENCHMARK(BM_Utf8Decode_Iconv)->Arg(1)->Arg(64);

void BM_Utf8Encode_Iconv(benchmark::State& state) {
    std::string utf8 = MessageUtf8(static_cast<int>(state.range(0)));
    std::u16string text = CYolString::FromUtf8(utf8).ToU16();
    iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
    for (auto _ : state) {
        std::string bytes(text.size() * 3, '\0');
        char* in = reinterpret_cast<char*>(text.data());
        size_t inLeft = text.size() * 2;
        char* out = bytes.data();
        size_t outLeft = bytes.size();
        iconv(cd, &in, &inLeft, &out, &outLeft);
        bytes.resize(bytes.size() - outLeft);
        benchmark::DoNotOptimize(bytes);
    }
    iconv_close(cd);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}
BENCHMARK(BM_Utf8Encode_Iconv)->Arg(1)->Arg(64);

}  // namespace
