// CArray: the framework's ordered, growable array.
// Indexes out of range throw std::out_of_range rather than corrupting memory.
//
// The array is one pointer: its size and capacity sit in a header before the
// elements, and an empty array owns no block. Trees keep an array (or two)
// in every node, most of them empty or short, so the empty case costs a
// pointer and nothing more, and SetSizePacked puts a short array that will
// not grow into an exact block of the small-block pool (SmallPool.h).
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

#include "platform/base/SmallPool.h"
#include "platform/base/WinTypes.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
  CArray() = default;
  ~CArray() { Free(); }
  CArray(const CArray& src) { Copy(src); }
  CArray& operator=(const CArray& src) {
    if (this != &src) Copy(src);
    return *this;
  }
  CArray(CArray&& src) noexcept : m_p(src.m_p) { src.m_p = nullptr; }
  CArray& operator=(CArray&& src) noexcept {
    if (this != &src) {
      Free();
      std::swap(m_p, src.m_p);
    }
    return *this;
  }

  INT_PTR GetSize() const { return m_p ? Head()->size : 0; }
  INT_PTR GetCount() const { return GetSize(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }
  BOOL IsEmpty() const { return GetSize() == 0; }
  void SetSize(INT_PTR nNewSize, INT_PTR /*nGrowBy*/ = -1) {
    size_t n = nNewSize < 0 ? 0 : static_cast<size_t>(nNewSize);
    size_t old = Size();
    if (n < old) {
      std::destroy(m_p + n, m_p + old);
    } else if (n > old) {
      Reserve(n, n);
      for (size_t i = old; i < n; ++i) new (m_p + i) TYPE();
    }
    if (m_p) Head()->size = n;
  }
  void FreeExtra() {
    if (!m_p || Head()->size == Cap()) return;
    if (Head()->size == 0) return Free();
    Reallocate(Head()->size);
  }
  // Exactly n elements (kept, or made as by SetSize) in an exact block:
  // from the small-block pool when it fits there. For arrays made by the
  // million that seldom change; growing it later moves it to a heap block.
  void SetSizePacked(INT_PTR nNewSize) {
    size_t n = nNewSize < 0 ? 0 : static_cast<size_t>(nNewSize);
    if (n == 0) return Free();
    size_t keep = std::min(n, Size());
    if (m_p && Head()->packed && n == Size()) return;
    size_t bytes = sizeof(Header) + n * sizeof(TYPE);
    bool pooled = bytes <= kZelPoolLargest && alignof(TYPE) <= 8;
    Header* h = static_cast<Header*>(pooled ? ZelPoolAlloc(bytes) : ::operator new(bytes));
    TYPE* p = reinterpret_cast<TYPE*>(h + 1);
    if (m_p) std::uninitialized_move(m_p, m_p + keep, p);
    for (size_t i = keep; i < n; ++i) new (p + i) TYPE();
    Free();
    h->size = n;
    h->capacity = n;
    h->packed = pooled;
    m_p = p;
  }
  void RemoveAll() {
    if (!m_p) return;
    std::destroy(m_p, m_p + Head()->size);
    Head()->size = 0;
  }

  const TYPE& GetAt(INT_PTR i) const { return m_p[Index(i)]; }
  TYPE& GetAt(INT_PTR i) { return m_p[Index(i)]; }
  void SetAt(INT_PTR i, ARG_TYPE e) { m_p[Index(i)] = e; }
  TYPE& ElementAt(INT_PTR i) { return m_p[Index(i)]; }
  const TYPE& ElementAt(INT_PTR i) const { return m_p[Index(i)]; }
  TYPE& operator[](INT_PTR i) { return m_p[Index(i)]; }
  const TYPE& operator[](INT_PTR i) const { return m_p[Index(i)]; }
  TYPE* GetData() { return m_p; }
  const TYPE* GetData() const { return m_p; }

  INT_PTR Add(ARG_TYPE e) {
    size_t n = Size();
    if (m_p && n < Cap()) {
      new (m_p + n) TYPE(e);
    } else {
      TYPE copy(e);  // e may be one of our own elements
      Reserve(n + 1, Grown(n + 1));
      new (m_p + n) TYPE(std::move(copy));
    }
    Head()->size = n + 1;
    return static_cast<INT_PTR>(n);
  }
  void SetAtGrow(INT_PTR i, ARG_TYPE e) {
    if (i < 0) throw std::out_of_range("CArray index");
    if (i >= GetSize()) {
      TYPE copy(e);
      SetSize(i + 1);
      m_p[i] = std::move(copy);
      return;
    }
    m_p[i] = e;
  }
  INT_PTR Append(const CArray& src) {
    INT_PTR old = GetSize();
    if (&src == this) {
      CArray copy(src);
      return Append(copy);
    }
    size_t n = src.Size();
    if (n == 0) return old;
    Reserve(Size() + n, Grown(Size() + n));
    std::uninitialized_copy(src.m_p, src.m_p + n, m_p + Size());
    Head()->size += n;
    return old;
  }
  void Copy(const CArray& src) {
    if (&src == this) return;
    CArray fresh;
    if (size_t n = src.Size()) {
      fresh.Reserve(n, n);
      std::uninitialized_copy(src.m_p, src.m_p + n, fresh.m_p);
      fresh.Head()->size = n;
    }
    std::swap(m_p, fresh.m_p);
  }
  // The copies go to the end and are rotated into place.
  void InsertAt(INT_PTR i, ARG_TYPE e, INT_PTR nCount = 1) {
    if (i < 0 || nCount < 0) throw std::out_of_range("CArray index");
    TYPE copy(e);
    if (i > GetSize()) SetSize(i);
    if (nCount == 0) return;
    size_t old = Size(), n = static_cast<size_t>(nCount);
    Reserve(old + n, Grown(old + n));
    for (size_t k = 0; k < n; ++k) {
      new (m_p + old + k) TYPE(copy);
      Head()->size = old + k + 1;
    }
    std::rotate(m_p + i, m_p + old, m_p + old + n);
  }
  void RemoveAt(INT_PTR i, INT_PTR nCount = 1) {
    if (i < 0 || nCount < 0 || i + nCount > GetSize()) throw std::out_of_range("CArray index");
    if (nCount == 0) return;
    TYPE* end = std::move(m_p + i + nCount, m_p + Size(), m_p + i);
    std::destroy(end, m_p + Size());
    Head()->size -= static_cast<size_t>(nCount);
  }

  TYPE* begin() { return m_p; }
  TYPE* end() { return m_p + Size(); }
  const TYPE* begin() const { return m_p; }
  const TYPE* end() const { return m_p + Size(); }

private:
  struct Header {
    size_t size;
    size_t capacity : 63;
    size_t packed : 1;  // the block is from the small-block pool
  };
  size_t Cap() const { return Head()->capacity; }
  Header* Head() const { return reinterpret_cast<Header*>(m_p) - 1; }
  size_t Size() const { return m_p ? Head()->size : 0; }
  size_t Index(INT_PTR i) const {
    if (i < 0 || i >= GetSize()) throw std::out_of_range("CArray index");
    return static_cast<size_t>(i);
  }
  size_t Grown(size_t need) const {
    size_t cap = m_p ? Cap() : 0;
    return std::max<size_t>(need, cap < 4 ? 4 : cap + cap / 2);
  }
  // Room for at least need elements; a new block gets capacity cap.
  void Reserve(size_t need, size_t cap) {
    if (m_p && Cap() >= need) return;
    Reallocate(cap);
  }
  void Reallocate(size_t cap) {
    static_assert(alignof(TYPE) <= sizeof(Header), "elements follow a 16-byte header");
    if (cap > (SIZE_MAX - sizeof(Header)) / sizeof(TYPE)) throw std::length_error("CArray too long");
    Header* h = static_cast<Header*>(::operator new(sizeof(Header) + cap * sizeof(TYPE)));
    TYPE* p = reinterpret_cast<TYPE*>(h + 1);
    size_t n = Size();
    if (m_p) {
      std::uninitialized_move(m_p, m_p + n, p);
      Free();
    }
    h->size = n;
    h->capacity = cap;
    h->packed = 0;
    m_p = p;
  }
  void Free() {
    if (!m_p) return;
    std::destroy(m_p, m_p + Head()->size);
    if (Head()->packed) ZelPoolFree(Head());
    else ::operator delete(Head());
    m_p = nullptr;
  }

  TYPE* m_p = nullptr;
};
