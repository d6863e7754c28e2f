// A fresh document for each test, in an apartment as callers must be.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/msxml/MsXml.h"

class DomTest : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(NULL);
    ASSERT_EQ(S_OK, doc.CreateInstance(CLSID_DOMDocument30));
  }
  void TearDown() override {
    doc = NULL;
    CoUninitialize();
  }
  void Load(const wchar_t* xml) { ASSERT_EQ(VARIANT_TRUE, doc->loadXML(xml)) << Narrow(doc->GetparseErrorReason()); }
  static std::string Narrow(const _bstr_t& s) { return static_cast<const char*>(s); }
  std::string Xml(IXMLDOMNode* n) { return Narrow(n->Getxml()); }

  IXMLDOMDocument2Ptr doc;
};
