// The exception of the internet classes, thrown as a pointer and freed by
// the catcher with Delete(), as the framework's exceptions are.
#pragma once

#include "platform/inet/InetTypes.h"
#include "platform/mfc/File.h"

class ZEL_EXPORT CInternetException : public CException {
public:
  explicit CInternetException(DWORD dwError, const CString& strText = CString())
      : m_dwError(dwError), m_strText(strText) {}

  using CException::GetErrorMessage;
  // The server's reply for a refusal, else our words for the code.
  CString GetErrorMessage() const override;
  long GetErrorCode() const override { return static_cast<long>(m_dwError); }

  DWORD m_dwError;
  DWORD_PTR m_dwContext = 1;

private:
  CString m_strText;
};

// Throws a new CInternetException; an empty text takes the code's own.
[[noreturn]] void ZelThrowInternet(DWORD dwError, const std::string& text = std::string());
