// ZELSerial's transmission: whole blocks, or one byte at a time with a
// pause after each.
#include "ZELSerial.h"
#include "ZELSerialSites.h"
#include "platform/base/Thread.h"

namespace {

unsigned __stdcall PutDelayThreadProc(void* pDelay) {
  Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(pDelay)));
  return 0;
}

}  // namespace

void ZELSerial::DelayTimerProc(HWND, UINT, UINT, DWORD) { s_bDelayTimerOccur = 1; }

// One write through m_AsynchWrite, waited for; the Win32 code is left as
// the last error when it fails.
BOOL ZELSerial::WriteOne(const unsigned char* data, DWORD length) {
  DWORD written = 0;
  HANDLE comm = Comm();
  if (WriteFile(comm, data, length, &written, &m_AsynchWrite)) return TRUE;
  if (GetLastError() != ERROR_IO_PENDING) return FALSE;
  return GetOverlappedResult(comm, &m_AsynchWrite, &written, TRUE);
}

int ZELSerial::Put(unsigned char* data, int length) {
  if (Comm() == NULL) return FALSE;
  if (length < 0) {
    Report(kSitePut, ERROR_INVALID_PARAMETER, L"ZELSerial::Put");
    return FALSE;
  }
  if (WriteOne(data, static_cast<DWORD>(length))) return TRUE;
  Report(kSitePut, GetLastError(), L"ZELSerial::Put");
  return FALSE;
}

int ZELSerial::PutDelay(unsigned char* data, int length, unsigned int delay) {
  if (Comm() == NULL) return FALSE;
  if (length <= 0) return TRUE;
  if (data == NULL) {
    Report(kSitePutDelay, ERROR_INVALID_PARAMETER, L"ZELSerial::PutDelay");
    return FALSE;
  }
  for (int i = 0; i < length; ++i) {
    unsigned char one = data[i];
    if (!WriteOne(&one, 1)) {
      Report(kSitePutDelay, GetLastError(), L"ZELSerial::PutDelay");
      return FALSE;
    }
    // The pause is a thread that only sleeps, waited for without pumping
    // messages: the caller is held for the whole pause and nothing else.
    HANDLE pause = reinterpret_cast<HANDLE>(
        _beginthreadex(NULL, 0, PutDelayThreadProc, reinterpret_cast<void*>(static_cast<uintptr_t>(delay)), 0, NULL));
    if (pause) {
      WaitForSingleObject(pause, INFINITE);
      CloseHandle(pause);
    } else {
      Sleep(delay);  // no thread to spare: the pause is still owed
    }
  }
  return TRUE;
}
