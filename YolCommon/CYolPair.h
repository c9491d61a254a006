#pragma once

template <typename A, typename B>
struct CYolPair {
    A first{};
    B second{};

    CYolPair() = default;
    CYolPair(const A& a, const B& b) : first(a), second(b) {}
};
