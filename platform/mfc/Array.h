// CArray: the framework's ordered, growable array, over std::vector.
// Indexes out of range throw std::out_of_range rather than corrupting memory.
#pragma once

#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/base/WinTypes.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
  CArray() = default;
  virtual ~CArray() = default;
  CArray(const CArray&) = default;
  CArray& operator=(const CArray&) = default;
  CArray(CArray&&) noexcept = default;
  CArray& operator=(CArray&&) noexcept = default;

  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }
  BOOL IsEmpty() const { return m_data.empty(); }
  void SetSize(INT_PTR nNewSize, INT_PTR /*nGrowBy*/ = -1) { m_data.resize(static_cast<size_t>(nNewSize < 0 ? 0 : nNewSize)); }
  void FreeExtra() { m_data.shrink_to_fit(); }
  void RemoveAll() { m_data.clear(); }

  const TYPE& GetAt(INT_PTR i) const { return m_data.at(Index(i)); }
  TYPE& GetAt(INT_PTR i) { return m_data.at(Index(i)); }
  void SetAt(INT_PTR i, ARG_TYPE e) { m_data.at(Index(i)) = e; }
  TYPE& ElementAt(INT_PTR i) { return m_data.at(Index(i)); }
  const TYPE& ElementAt(INT_PTR i) const { return m_data.at(Index(i)); }
  TYPE& operator[](INT_PTR i) { return m_data.at(Index(i)); }
  const TYPE& operator[](INT_PTR i) const { return m_data.at(Index(i)); }
  TYPE* GetData() { return m_data.data(); }
  const TYPE* GetData() const { return m_data.data(); }

  INT_PTR Add(ARG_TYPE e) { m_data.push_back(e); return GetSize() - 1; }
  void SetAtGrow(INT_PTR i, ARG_TYPE e) {
    if (i < 0) throw std::out_of_range("CArray index");
    if (i >= GetSize()) m_data.resize(static_cast<size_t>(i) + 1);
    m_data[static_cast<size_t>(i)] = e;
  }
  INT_PTR Append(const CArray& src) {
    INT_PTR old = GetSize();
    m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
    return old;
  }
  void Copy(const CArray& src) { m_data = src.m_data; }
  void InsertAt(INT_PTR i, ARG_TYPE e, INT_PTR nCount = 1) {
    if (i < 0 || nCount < 0) throw std::out_of_range("CArray index");
    if (i > GetSize()) m_data.resize(static_cast<size_t>(i));
    m_data.insert(m_data.begin() + i, static_cast<size_t>(nCount), e);
  }
  void RemoveAt(INT_PTR i, INT_PTR nCount = 1) {
    if (i < 0 || nCount < 0 || i + nCount > GetSize()) throw std::out_of_range("CArray index");
    m_data.erase(m_data.begin() + i, m_data.begin() + i + nCount);
  }

  typename std::vector<TYPE>::iterator begin() { return m_data.begin(); }
  typename std::vector<TYPE>::iterator end() { return m_data.end(); }
  typename std::vector<TYPE>::const_iterator begin() const { return m_data.begin(); }
  typename std::vector<TYPE>::const_iterator end() const { return m_data.end(); }

private:
  static size_t Index(INT_PTR i) {
    if (i < 0) throw std::out_of_range("CArray index");
    return static_cast<size_t>(i);
  }
  std::vector<TYPE> m_data;
};
