// A ZELXml in an apartment, with readers of what it logged.
#pragma once

#include <optional>

#include <gtest/gtest.h>

#include "ZELXml.h"

inline void PrintTo(const CString& s, std::ostream* os) { *os << '"' << s.ToUtf8() << '"'; }

class XmlTest : public ::testing::Test {
protected:
  void SetUp() override { CoInitialize(NULL); }
  void TearDown() override { CoUninitialize(); }

  // New document whose element is name.
  void NewRoot(const wchar_t* name = L"root") {
    ASSERT_TRUE(x.New());
    _bstr_t n(name);
    ASSERT_TRUE(x.CreateRoot(n));
  }
  void Load(const wchar_t* xml) { ASSERT_TRUE(x.Load2(xml)); }
  CString Markup(const wchar_t* path, long order = 0) {
    CString out;
    x.GetNodeXML2(path, out, order);
    return out;
  }
  int Warnings(const wchar_t* detail) const {
    int n = 0;
    for (int i = 0; i < x.GetLogCount(); ++i) n += x.GetLog(i).bWarning && x.GetLog(i).strDetail == detail;
    return n;
  }
  // The newest error report of what, if there is one.
  std::optional<ZEL_LOG_RECORD> Report(const wchar_t* what) const {
    for (int i = x.GetLogCount() - 1; i >= 0; --i) {
      ZEL_LOG_RECORD r = x.GetLog(i);
      if (!r.bWarning && r.strDetail == what) return r;
    }
    return std::nullopt;
  }
  void ExpectReport(const wchar_t* what, const wchar_t* function, int line) const {
    std::optional<ZEL_LOG_RECORD> r = Report(what);
    ASSERT_TRUE(r.has_value()) << CString(what).ToUtf8();
    EXPECT_EQ(3, r->nType);
    EXPECT_EQ(CString(function), r->strFunction);
    EXPECT_EQ(CString(L".\\ZELXml"), r->strSource);
    EXPECT_EQ(line, r->nLine);
  }

  ZELXml x;
};
