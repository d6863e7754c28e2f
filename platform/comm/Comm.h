// Serial communication calls over Linux terminals.
//
// CreateFileW opens a COM port ("\\.\COM3" or "COM3") for exclusive use:
// the device a DefineDosDeviceW definition of the name gives, else
// /dev/ttyS<n-1>; a name starting with '/' is opened as that terminal.
// Other files are not opened here. A second open of a port that is in use
// (in this or another process that honours advisory locks) answers
// ERROR_ACCESS_DENIED.
//
// Overlapped reads, writes and event waits complete within the call: the
// call answers TRUE, the record's event is set, and GetOverlappedResult
// reads the outcome. A device that has gone (a pulled adapter, a
// pseudo-terminal whose other side closed) fails reads and writes with
// ERROR_DEVICE_NOT_CONNECTED; a wait on it fails once and then waits for
// the mask to change, so a watch loop never spins on a dead device.
#pragma once

#include "ZELExport.h"
#include "platform/base/DosDevice.h"
#include "platform/base/Handle.h"
#include "platform/base/WinTypes.h"

#ifndef MAXDWORD
#define MAXDWORD 0xFFFFFFFFu
#endif
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_FLAG_OVERLAPPED 0x40000000u

typedef struct _OVERLAPPED {
  ULONG_PTR Internal;      // the completion's Win32 code
  ULONG_PTR InternalHigh;  // bytes transferred
  union {
    struct {
      DWORD Offset;
      DWORD OffsetHigh;
    };
    LPVOID Pointer;
  };
  HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

// The device settings, in the Windows field layout (28 bytes).
typedef struct _DCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD fBinary : 1;
  DWORD fParity : 1;
  DWORD fOutxCtsFlow : 1;
  DWORD fOutxDsrFlow : 1;
  DWORD fDtrControl : 2;
  DWORD fDsrSensitivity : 1;
  DWORD fTXContinueOnXoff : 1;
  DWORD fOutX : 1;
  DWORD fInX : 1;
  DWORD fErrorChar : 1;
  DWORD fNull : 1;
  DWORD fRtsControl : 2;
  DWORD fAbortOnError : 1;
  DWORD fDummy2 : 17;
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;
  BYTE Parity;
  BYTE StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
} DCB, *LPDCB;
static_assert(sizeof(DCB) == 28, "DCB keeps the Windows layout");

typedef struct _COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
} COMMTIMEOUTS, *LPCOMMTIMEOUTS;

typedef struct _COMSTAT {
  DWORD fCtsHold : 1;
  DWORD fDsrHold : 1;
  DWORD fRlsdHold : 1;
  DWORD fXoffHold : 1;
  DWORD fXoffSent : 1;
  DWORD fEof : 1;
  DWORD fTxim : 1;
  DWORD fReserved : 25;
  DWORD cbInQue;
  DWORD cbOutQue;
} COMSTAT, *LPCOMSTAT;

#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define MARKPARITY 3
#define SPACEPARITY 4
#define ONESTOPBIT 0
#define ONE5STOPBITS 1
#define TWOSTOPBITS 2
#define DTR_CONTROL_DISABLE 0
#define DTR_CONTROL_ENABLE 1
#define DTR_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_DISABLE 0
#define RTS_CONTROL_ENABLE 1
#define RTS_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_TOGGLE 3
#define CBR_9600 9600
#define CBR_19200 19200
#define CBR_38400 38400
#define CBR_57600 57600
#define CBR_115200 115200

#define EV_RXCHAR 0x0001
#define EV_RXFLAG 0x0002
#define EV_TXEMPTY 0x0004
#define EV_CTS 0x0008
#define EV_DSR 0x0010
#define EV_RLSD 0x0020
#define EV_BREAK 0x0040
#define EV_ERR 0x0080
#define EV_RING 0x0100

#define PURGE_TXABORT 0x0001
#define PURGE_RXABORT 0x0002
#define PURGE_TXCLEAR 0x0004
#define PURGE_RXCLEAR 0x0008

#define SETXOFF 1
#define SETXON 2
#define SETRTS 3
#define CLRRTS 4
#define SETDTR 5
#define CLRDTR 6
#define SETBREAK 8
#define CLRBREAK 9

#define CE_RXOVER 0x0001
#define CE_OVERRUN 0x0002
#define CE_RXPARITY 0x0004
#define CE_FRAME 0x0008
#define CE_BREAK 0x0010

// INVALID_HANDLE_VALUE on failure: ERROR_FILE_NOT_FOUND for a missing
// device or a name that is no port, ERROR_ACCESS_DENIED for a port in use
// or not permitted, ERROR_NOT_SUPPORTED for a file that is no terminal.
ZEL_EXPORT HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                              LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                              DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// The kernel keeps its own queues; the sizes are accepted and kept.
ZEL_EXPORT BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue);
// Changing the mask ends a wait in progress, which reports mask 0.
ZEL_EXPORT BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask);
ZEL_EXPORT BOOL GetCommMask(HANDLE hFile, LPDWORD lpEvtMask);
// Waits for EV_RXCHAR (characters waiting) or a change of the mask; other
// events are accepted in the mask but never reported.
ZEL_EXPORT BOOL WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped);
ZEL_EXPORT BOOL ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat);
ZEL_EXPORT BOOL PurgeComm(HANDLE hFile, DWORD dwFlags);
ZEL_EXPORT BOOL SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts);
ZEL_EXPORT BOOL GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts);
// FALSE with ERROR_NOT_SUPPORTED on a device without modem lines.
ZEL_EXPORT BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc);
// What the device holds now: the line settings as the driver took them,
// and the handshake fields last set (Linux keeps no place for them).
ZEL_EXPORT BOOL GetCommState(HANDLE hFile, LPDCB lpDCB);
// FALSE with ERROR_INVALID_PARAMETER for settings Linux cannot express
// (4 data bits, one and a half stop bits, RTS toggling, a zero rate) or
// that the device did not take; the device then holds what it took.
ZEL_EXPORT BOOL SetCommState(HANDLE hFile, LPDCB lpDCB);

ZEL_EXPORT BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                         LPOVERLAPPED lpOverlapped);
ZEL_EXPORT BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                          LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
ZEL_EXPORT BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped, LPDWORD lpNumberOfBytesTransferred,
                                    BOOL bWait);
