// Fixed-capacity arrays indexed from 1, as the program's tables are numbered, and
// blank-padded fixed-length character fields.
//
// Array1<T, N>: elements 1..N, `a(i)`.
// Array2<T, N1, N2>: elements (1..N1, 1..N2), first index fastest, so that a column
// (all i for one j) is contiguous. Solvent coordinates use it with the molecule index
// first, which keeps the per-site pair loops vectorisable.
// Chars<N>: N characters, blank padded, compared with text as if that text were padded
// to N characters as well.
//
// Bounds are checked with assert(), i.e. in the debug and sanitizer builds.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <string>
#include <string_view>

namespace veka {

template <class T, int N>
struct Array1 {
  static_assert(N > 0);
  std::array<T, N> v{};

  constexpr T& operator()(int i) {
    assert(i >= 1 && i <= N);
    return v[static_cast<std::size_t>(i - 1)];
  }
  constexpr const T& operator()(int i) const {
    assert(i >= 1 && i <= N);
    return v[static_cast<std::size_t>(i - 1)];
  }
  // Pointer to element 1; element i is data()[i - 1].
  constexpr T* data() { return v.data(); }
  constexpr const T* data() const { return v.data(); }
  constexpr void fill(const T& x) { v.fill(x); }
  constexpr auto begin() { return v.begin(); }
  constexpr auto end() { return v.end(); }
  constexpr auto begin() const { return v.begin(); }
  constexpr auto end() const { return v.end(); }
};

template <class T, int N1, int N2>
struct Array2 {
  static_assert(N1 > 0 && N2 > 0);
  std::array<T, static_cast<std::size_t>(N1) * N2> v{};

  constexpr T& operator()(int i, int j) {
    assert(i >= 1 && i <= N1 && j >= 1 && j <= N2);
    return v[static_cast<std::size_t>(j - 1) * N1 + static_cast<std::size_t>(i - 1)];
  }
  constexpr const T& operator()(int i, int j) const {
    assert(i >= 1 && i <= N1 && j >= 1 && j <= N2);
    return v[static_cast<std::size_t>(j - 1) * N1 + static_cast<std::size_t>(i - 1)];
  }
  // Pointer to element (1, j): the contiguous column j.
  constexpr T* column(int j) {
    assert(j >= 1 && j <= N2);
    return v.data() + static_cast<std::size_t>(j - 1) * N1;
  }
  constexpr const T* column(int j) const {
    assert(j >= 1 && j <= N2);
    return v.data() + static_cast<std::size_t>(j - 1) * N1;
  }
  constexpr void fill(const T& x) { v.fill(x); }
};

template <int N>
struct Chars {
  static_assert(N > 0);
  std::array<char, N> c;

  constexpr Chars() { c.fill(' '); }
  constexpr Chars(std::string_view s) { assign(s); }  // NOLINT: implicit by design
  constexpr Chars(const char* s) : Chars(std::string_view(s)) {}

  constexpr void assign(std::string_view s) {
    c.fill(' ');
    std::copy_n(s.begin(), std::min<std::size_t>(s.size(), N), c.begin());
  }
  constexpr std::string_view view() const { return {c.data(), static_cast<std::size_t>(N)}; }
  // The characters without trailing blanks.
  constexpr std::string_view trimmed() const {
    std::size_t n = N;
    while (n > 0 && c[n - 1] == ' ') --n;
    return {c.data(), n};
  }
  std::string str() const { return std::string(view()); }
  constexpr bool blank() const { return trimmed().empty(); }
  constexpr char& operator[](int i) { return c[static_cast<std::size_t>(i)]; }
  constexpr char operator[](int i) const { return c[static_cast<std::size_t>(i)]; }

  // Equal when s, padded with blanks (or cut) to N characters, equals this field.
  constexpr bool operator==(std::string_view s) const {
    for (std::size_t i = 0; i < static_cast<std::size_t>(N); ++i) {
      const char o = i < s.size() ? s[i] : ' ';
      if (c[i] != o) return false;
    }
    return s.size() <= static_cast<std::size_t>(N) ||
           s.substr(N).find_first_not_of(' ') == std::string_view::npos;
  }
  constexpr bool operator==(const char* s) const { return *this == std::string_view(s); }
  constexpr bool operator==(const Chars& o) const { return c == o.c; }
};

}  // namespace veka
