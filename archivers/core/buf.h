// A string and a growable array on malloc/realloc/free, so the libraries carry no
// C++ runtime. Neither throws: an allocation that fails leaves the object as it was
// and is counted; a job keeps an AllocWatch from its start and, once it has lost memory,
// writes nothing more and reports kErrDiskSpace, the libraries' out-of-memory code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

namespace arc {

// How many allocations have failed in this process so far.
unsigned AllocFailures();
void NoteAllocFailure();

// Whether an allocation has failed since it was made. A job keeps one from its start and asks
// it before each thing it writes: what was built while memory ran out may be wrong.
class AllocWatch {
 public:
  bool Lost() const { return AllocFailures() != at_; }

 private:
  unsigned at_ = AllocFailures();
};

template <typename T>
class Vec {
 public:
  Vec() = default;
  Vec(const T* first, const T* last) { assign(first, last); }
  Vec(const Vec& o) { assign(o.begin(), o.end()); }
  Vec(Vec&& o) noexcept : p_(o.p_), n_(o.n_), cap_(o.cap_) { o.p_ = nullptr, o.n_ = o.cap_ = 0; }
  ~Vec() {
    clear();
    free(p_);
  }
  Vec& operator=(const Vec& o) {
    if (this != &o) assign(o.begin(), o.end());
    return *this;
  }
  Vec& operator=(Vec&& o) noexcept {
    if (this != &o) {
      clear();
      free(p_);
      p_ = o.p_, n_ = o.n_, cap_ = o.cap_;
      o.p_ = nullptr, o.n_ = o.cap_ = 0;
    }
    return *this;
  }

  size_t size() const { return n_; }
  bool empty() const { return n_ == 0; }
  T* data() { return p_; }
  const T* data() const { return p_; }
  T* begin() { return p_; }
  T* end() { return p_ + n_; }
  const T* begin() const { return p_; }
  const T* end() const { return p_ + n_; }
  T& operator[](size_t i) { return p_[i]; }
  const T& operator[](size_t i) const { return p_[i]; }
  T& back() { return p_[n_ - 1]; }
  const T& back() const { return p_[n_ - 1]; }

  // False when memory ran out; the array is then unchanged.
  bool reserve(size_t want) {
    if (want <= cap_) return true;
    if (want > SIZE_MAX / sizeof(T)) return Failed();
    T* q = static_cast<T*>(malloc(want * sizeof(T)));
    if (!q) return Failed();
    for (size_t i = 0; i < n_; ++i) {
      new (q + i) T(std::move(p_[i]));
      p_[i].~T();
    }
    free(p_);
    p_ = q;
    cap_ = want;
    return true;
  }
  // New elements are value-initialised (zero for numbers).
  bool resize(size_t n) {
    if (n > n_ && !reserve(n)) return false;
    while (n_ < n) new (p_ + n_++) T();
    while (n_ > n) p_[--n_].~T();
    return true;
  }
  bool push_back(const T& x) {
    if constexpr (std::is_trivially_copyable_v<T>) {
      if (n_ == cap_) {
        T copy(x);  // x may live in this array
        if (!Grow(n_ + 1)) return false;
        new (p_ + n_++) T(copy);
        return true;
      }
      new (p_ + n_++) T(x);
      return true;
    } else {
      // A copy that memory ran out for is incomplete and is not added. Made first, as x may
      // live in this array.
      AllocWatch watch;
      T copy(x);
      return !watch.Lost() && push_back(std::move(copy));
    }
  }
  bool push_back(T&& x) {
    if (n_ == cap_ && !Grow(n_ + 1)) return false;
    new (p_ + n_++) T(std::move(x));
    return true;
  }
  // Appends [first, last), which must not lie in this array; nothing when memory ran out.
  bool append(const T* first, const T* last) {
    size_t k = static_cast<size_t>(last - first);
    if (n_ + k > cap_ && !Grow(n_ + k)) return false;
    if constexpr (std::is_trivially_copyable_v<T>) {
      for (size_t i = 0; i < k; ++i) new (p_ + n_++) T(first[i]);
      return true;
    } else {
      const size_t had = n_;
      AllocWatch watch;
      for (size_t i = 0; i < k; ++i) new (p_ + n_++) T(first[i]);
      if (!watch.Lost()) return true;
      while (n_ > had) p_[--n_].~T();
      return false;
    }
  }
  bool assign(const T* first, const T* last) {
    if (!reserve(static_cast<size_t>(last - first))) return false;
    clear();
    return append(first, last);
  }
  void clear() {
    while (n_) p_[--n_].~T();
  }

 private:
  bool Failed() {
    NoteAllocFailure();
    return false;
  }
  bool Grow(size_t need) {
    size_t c = cap_ < 8 ? 8 : cap_ + cap_ / 2;
    return reserve(c < need ? need : c);
  }

  T* p_ = nullptr;
  size_t n_ = 0;
  size_t cap_ = 0;
};

template <typename T>
bool operator==(const Vec<T>& a, const Vec<T>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!(a[i] == b[i])) return false;
  return true;
}

// Bytes with a terminating zero after them.
class Str {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);

  Str() = default;
  Str(const char* s) { append(s, strlen(s)); }
  Str(const char* s, size_t n) { append(s, n); }
  Str(size_t n, char c) {
    if (Reserve(n)) {
      memset(p_, c, n);
      SetSize(n);
    }
  }
  explicit Str(std::string_view v) { append(v.data(), v.size()); }
  Str(const Str& o) { append(o.data(), o.size()); }
  Str(Str&& o) noexcept : p_(o.p_), n_(o.n_), cap_(o.cap_) { o.p_ = nullptr, o.n_ = o.cap_ = 0; }
  ~Str() { free(p_); }
  Str& operator=(const Str& o) {
    if (this != &o) assign(o.data(), o.size());
    return *this;
  }
  Str& operator=(Str&& o) noexcept {
    if (this != &o) {
      free(p_);
      p_ = o.p_, n_ = o.n_, cap_ = o.cap_;
      o.p_ = nullptr, o.n_ = o.cap_ = 0;
    }
    return *this;
  }
  Str& operator=(const char* s) { return assign(s, strlen(s)); }

  size_t size() const { return n_; }
  bool empty() const { return n_ == 0; }
  const char* data() const { return p_ ? p_ : ""; }
  const char* c_str() const { return data(); }
  char* begin() { return p_; }
  char* end() { return p_ + n_; }
  const char* begin() const { return data(); }
  const char* end() const { return data() + n_; }
  char& operator[](size_t i) { return p_[i]; }
  char operator[](size_t i) const { return data()[i]; }
  char back() const { return p_[n_ - 1]; }
  operator std::string_view() const { return std::string_view(data(), n_); }

  Str& assign(const char* s, size_t n) {
    if (s >= data() && s < data() + n_) {  // a part of itself
      Str copy(s, n);
      return *this = std::move(copy);
    }
    if (n && !Reserve(n)) return *this;  // left as it was
    clear();
    return append(s, n);
  }
  // Appends nothing when memory runs out (counted by AllocFailures).
  Str& append(const char* s, size_t n) {
    if (n == 0) return *this;
    if (n_ + n + 1 > cap_) {
      // A part of itself moves with the bytes.
      size_t inside = p_ && s >= p_ && s < p_ + n_ ? static_cast<size_t>(s - p_) : npos;
      size_t room = cap_ < 16 ? 15 : cap_ + cap_ / 2;
      if (!Reserve(room < n_ + n ? n_ + n : room)) return *this;
      if (inside != npos) s = p_ + inside;
    }
    memcpy(p_ + n_, s, n);
    SetSize(n_ + n);
    return *this;
  }
  Str& operator+=(const Str& s) { return append(s.data(), s.size()); }
  Str& operator+=(std::string_view s) { return append(s.data(), s.size()); }
  Str& operator+=(const char* s) { return append(s, strlen(s)); }
  Str& operator+=(char c) { return append(&c, 1); }
  void push_back(char c) { append(&c, 1); }
  // Room for `n` bytes, so that appends up to that size ask for no memory.
  bool reserve(size_t n) { return Reserve(n); }
  void clear() {
    n_ = 0;
    if (p_) p_[0] = 0;
  }

  // The part from `pos` (at most the end) of at most `n` bytes.
  Str substr(size_t pos, size_t n = npos) const {
    if (pos > n_) pos = n_;
    if (n > n_ - pos) n = n_ - pos;
    return Str(data() + pos, n);
  }
  size_t find(char c, size_t from = 0) const {
    for (size_t i = from; i < n_; ++i)
      if (p_[i] == c) return i;
    return npos;
  }

 private:
  // Room for n bytes and the zero.
  bool Reserve(size_t n) {
    if (n + 1 <= cap_) return true;
    if (n >= SIZE_MAX / 2) {
      NoteAllocFailure();
      return false;
    }
    char* q = static_cast<char*>(realloc(p_, n + 1));
    if (!q) {
      NoteAllocFailure();
      return false;
    }
    p_ = q;
    cap_ = n + 1;
    return true;
  }
  void SetSize(size_t n) {
    n_ = n;
    p_[n] = 0;
  }

  char* p_ = nullptr;
  size_t n_ = 0;
  size_t cap_ = 0;
};

inline bool operator==(const Str& a, const Str& b) {
  return a.size() == b.size() && memcmp(a.data(), b.data(), a.size()) == 0;
}
inline bool operator==(const Str& a, const char* b) { return std::string_view(a) == std::string_view(b); }
inline bool operator==(const char* a, const Str& b) { return b == a; }
inline bool operator!=(const Str& a, const Str& b) { return !(a == b); }
inline bool operator!=(const Str& a, const char* b) { return !(a == b); }
inline Str operator+(Str a, std::string_view b) { return std::move(a += b); }
inline Str operator+(Str a, const Str& b) { return std::move(a += b); }
inline Str operator+(Str a, const char* b) { return std::move(a += b); }
inline Str operator+(Str a, char c) { return std::move(a += c); }
inline Str operator+(const char* a, const Str& b) { return Str(a) += b; }

// One object on the heap, for the codecs' large state. Empty when memory ran out.
template <typename T>
class Owned {
 public:
  template <typename... Args>
  explicit Owned(Args&&... args) {
    void* m = malloc(sizeof(T));
    if (m)
      p_ = new (m) T(std::forward<Args>(args)...);
    else
      NoteAllocFailure();
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() {
    if (p_) {
      p_->~T();
      free(p_);
    }
  }
  explicit operator bool() const { return p_ != nullptr; }
  T* operator->() { return p_; }
  T* get() { return p_; }

 private:
  T* p_ = nullptr;
};

// The decimal digits of `n`.
Str Decimal(uint64_t n);

}  // namespace arc
