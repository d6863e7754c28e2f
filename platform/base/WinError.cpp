#include "platform/base/WinError.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

struct MessageEntry {
  DWORD code;
  const wchar_t* text;
};

// Sorted by code, searched by halves. Only codes the library or its
// callers can meet have a text; everything else, the provider-specific
// interface codes above all, has none on purpose.
const MessageEntry kMessages[] = {
    {0, L"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, L"The function is not valid for this object."},
    {ERROR_FILE_NOT_FOUND, L"The file could not be found."},
    {ERROR_PATH_NOT_FOUND, L"The path could not be found."},
    {ERROR_TOO_MANY_OPEN_FILES, L"Too many files are open."},
    {ERROR_ACCESS_DENIED, L"Access is denied."},
    {ERROR_INVALID_HANDLE, L"The handle is not valid."},
    {ERROR_NOT_ENOUGH_MEMORY, L"There is not enough memory to complete the command."},
    {ERROR_BAD_ENVIRONMENT, L"The environment is not valid."},
    {ERROR_BAD_FORMAT, L"The format of the program or file is not valid."},
    {ERROR_INVALID_ACCESS, L"The access code is not valid."},
    {ERROR_INVALID_DATA, L"The data is not valid."},
    {ERROR_OUTOFMEMORY, L"There is not enough memory to complete the operation."},
    {ERROR_INVALID_DRIVE, L"The drive could not be found."},
    {ERROR_CURRENT_DIRECTORY, L"The current directory cannot be removed."},
    {ERROR_NOT_SAME_DEVICE, L"The file cannot be moved to another disk drive."},
    {ERROR_NO_MORE_FILES, L"There are no more files."},
    {ERROR_WRITE_PROTECT, L"The medium is write protected."},
    {ERROR_BAD_UNIT, L"The device could not be found."},
    {ERROR_NOT_READY, L"The device is not ready."},
    {ERROR_BAD_COMMAND, L"The device does not recognise the command."},
    {ERROR_CRC, L"Data error (cyclic redundancy check)."},
    {ERROR_BAD_LENGTH, L"The command was given with a wrong length."},
    {ERROR_SEEK, L"The requested area or track of the disk cannot be found."},
    {ERROR_WRITE_FAULT, L"The device cannot be written to."},
    {ERROR_READ_FAULT, L"The device cannot be read from."},
    {ERROR_GEN_FAILURE, L"A device attached to the system is not working."},
    {ERROR_SHARING_VIOLATION, L"The file is in use by another process and cannot be accessed."},
    {ERROR_LOCK_VIOLATION, L"Another process has locked a part of the file."},
    {ERROR_HANDLE_EOF, L"The end of the file has been reached."},
    {ERROR_HANDLE_DISK_FULL, L"The disk is full."},
    {ERROR_NOT_SUPPORTED, L"The request is not supported."},
    {ERROR_BAD_NETPATH, L"The network path could not be found."},
    {ERROR_NETWORK_BUSY, L"The network is busy."},
    {ERROR_DEV_NOT_EXIST, L"The network resource or device is no longer available."},
    {ERROR_UNEXP_NET_ERR, L"An unexpected network error occurred."},
    {ERROR_NETNAME_DELETED, L"The network name is no longer available."},
    {ERROR_BAD_NET_NAME, L"The network name cannot be found."},
    {ERROR_FILE_EXISTS, L"The file exists."},
    {ERROR_CANNOT_MAKE, L"The directory or file cannot be created."},
    {ERROR_INVALID_PASSWORD, L"The network password is not correct."},
    {ERROR_INVALID_PARAMETER, L"The parameter is not correct."},
    {ERROR_NET_WRITE_FAULT, L"A write fault occurred on the network."},
    {ERROR_BROKEN_PIPE, L"The pipe has been ended."},
    {ERROR_OPEN_FAILED, L"The system cannot open the device or file specified."},
    {ERROR_BUFFER_OVERFLOW, L"The file name is too long."},
    {ERROR_DISK_FULL, L"There is not enough space on the disk."},
    {ERROR_CALL_NOT_IMPLEMENTED, L"This function is not supported on this system."},
    {ERROR_SEM_TIMEOUT, L"The semaphore timeout period has expired."},
    {ERROR_INSUFFICIENT_BUFFER, L"The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, L"The file name, directory name, or volume label syntax is not correct."},
    {ERROR_MOD_NOT_FOUND, L"The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, L"The specified procedure could not be found."},
    {ERROR_WAIT_NO_CHILDREN, L"There are no child processes to wait for."},
    {ERROR_NEGATIVE_SEEK, L"An attempt was made to move the file pointer before the beginning of the file."},
    {ERROR_DIR_NOT_EMPTY, L"The directory is not empty."},
    {ERROR_BAD_ARGUMENTS, L"One or more arguments are not correct."},
    {ERROR_BAD_PATHNAME, L"The specified path is not valid."},
    {ERROR_BUSY, L"The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, L"Cannot create a file when that file already exists."},
    {ERROR_FILENAME_EXCED_RANGE, L"The file name or extension is too long."},
    {ERROR_FILE_TOO_LARGE, L"The file size exceeds the limit allowed and cannot be saved."},
    {ERROR_BAD_PIPE, L"The pipe state is not valid."},
    {ERROR_PIPE_BUSY, L"All pipe instances are busy."},
    {ERROR_NO_DATA, L"The pipe is being closed."},
    {ERROR_MORE_DATA, L"More data is available."},
    {WAIT_TIMEOUT, L"The wait operation timed out."},
    {ERROR_NO_MORE_ITEMS, L"No more data is available."},
    {ERROR_DIRECTORY, L"The directory name is not valid."},
    {ERROR_NOT_OWNER, L"The caller does not own the mutex it tried to release."},
    {ERROR_TOO_MANY_POSTS, L"Too many posts were made to a semaphore."},
    {ERROR_MR_MID_NOT_FOUND, L"The system cannot find message text for the message number."},
    {ERROR_INVALID_ADDRESS, L"The address given is not valid."},
    {ERROR_OPERATION_ABORTED, L"The I/O operation was aborted because of a thread exit or an application request."},
    {ERROR_IO_INCOMPLETE, L"The overlapped I/O event is not in a signalled state."},
    {ERROR_IO_PENDING, L"An overlapped I/O operation is in progress."},
    {ERROR_NOACCESS, L"The memory location given is not valid for access."},
    {ERROR_NO_UNICODE_TRANSLATION, L"No mapping for the Unicode character exists in the target code page."},
    {ERROR_POSSIBLE_DEADLOCK, L"A possible deadlock was detected."},
    {ERROR_DEVICE_NOT_CONNECTED, L"The device is not connected."},
    {ERROR_NOT_FOUND, L"The element was not found."},
    {ERROR_CANCELLED, L"The operation was cancelled by the user."},
    {ERROR_CONNECTION_REFUSED, L"The remote computer refused the network connection."},
    {ERROR_NETWORK_UNREACHABLE, L"The network location cannot be reached."},
    {ERROR_HOST_UNREACHABLE, L"The remote host cannot be reached."},
    {ERROR_CONNECTION_ABORTED, L"The network connection was aborted by the local system."},
    {ERROR_INVALID_WINDOW_HANDLE, L"The window handle is not valid."},
    {ERROR_INVALID_THREAD_ID, L"The thread identifier is not valid."},
    {ERROR_TIMEOUT, L"This operation returned because the timeout period expired."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, L"The resource language could not be found in the image file."},
    {ERROR_INTERNET_TIMEOUT, L"The operation timed out."},
};

// Result codes with a text of their own (codes of the Win32 facility take
// the text of their Win32 code instead). Sorted as unsigned numbers.
const MessageEntry kResultMessages[] = {
    {0x8000000A, L"The data needed to complete this operation is not yet available."},
    {0x80004001, L"Not implemented."},
    {0x80004002, L"No such interface is supported."},
    {0x80004003, L"The pointer is not valid."},
    {0x80004004, L"The operation was aborted."},
    {0x80004005, L"Unspecified error."},
    {0x8000FFFF, L"A failure that should not happen occurred."},
    {0x80010106, L"The thread mode cannot be changed after it has been set."},
    {0x80010119, L"The security settings must be set before any other call."},
    {0x80020001, L"Unknown interface."},
    {0x80020003, L"Member not found."},
    {0x80020004, L"Parameter not found."},
    {0x80020005, L"Type mismatch."},
    {0x80020006, L"Unknown name."},
    {0x80020007, L"No named arguments."},
    {0x80020008, L"Bad variable type."},
    {0x80020009, L"Exception occurred."},
    {0x8002000A, L"Out of present range."},
    {0x8002000B, L"Invalid index."},
    {0x8002000C, L"Unknown language."},
    {0x8002000D, L"Memory is locked."},
    {0x8002000E, L"Invalid number of parameters."},
    {0x8002000F, L"Parameter not optional."},
    {0x80020010, L"Invalid callee."},
    {0x80020011, L"Does not support a collection."},
    {0x80020012, L"Division by zero."},
    {0x80040110, L"The class does not support aggregation."},
    {0x80040154, L"The class is not registered."},
    {0x800401F0, L"The thread has not initialised COM."},
    {0x800401F1, L"The thread has already initialised COM."},
};

template <size_t N>
const wchar_t* Lookup(const MessageEntry (&table)[N], DWORD code) {
  auto it = std::lower_bound(std::begin(table), std::end(table), code,
                             [](const MessageEntry& e, DWORD c) { return e.code < c; });
  return it != std::end(table) && it->code == code ? it->text : nullptr;
}

const wchar_t* SystemText(DWORD code) {
  if ((code & 0xFFFF0000u) == 0x80070000u) return Lookup(kMessages, code & 0xFFFFu);
  if (code & 0x80000000u) return Lookup(kResultMessages, code);
  return Lookup(kMessages, code);
}

}  // namespace

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

DWORD ZelWin32FromErrno(int err) {
  switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP: return ERROR_PATH_NOT_FOUND;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;  // opening a folder as a file
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ESPIPE: return ERROR_SEEK;
    case EIO: return ERROR_GEN_FAILURE;
    case EBUSY:
    case EAGAIN: return ERROR_BUSY;
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case ENOLCK: return ERROR_LOCK_VIOLATION;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case EINVAL:
    case E2BIG: return ERROR_INVALID_PARAMETER;
    case ERANGE: return ERROR_INSUFFICIENT_BUFFER;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case ECANCELED:
    case EINTR: return ERROR_OPERATION_ABORTED;
    case ENXIO:
    case ENODEV: return ERROR_DEVICE_NOT_CONNECTED;
    case EOPNOTSUPP: return ERROR_NOT_SUPPORTED;
    case ENOSYS: return ERROR_CALL_NOT_IMPLEMENTED;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case ECONNREFUSED: return ERROR_CONNECTION_REFUSED;
    case ECONNABORTED: return ERROR_CONNECTION_ABORTED;
    case ECONNRESET: return ERROR_NETNAME_DELETED;
    case ENETUNREACH: return ERROR_NETWORK_UNREACHABLE;
    case EHOSTUNREACH: return ERROR_HOST_UNREACHABLE;
    case EILSEQ: return ERROR_NO_UNICODE_TRANSLATION;
    case EFAULT: return ERROR_NOACCESS;
    case EDEADLK: return ERROR_POSSIBLE_DEADLOCK;
    default: return ERROR_GEN_FAILURE;
  }
}

void ZelSetLastErrorFromErrno(int err) { SetLastError(ZelWin32FromErrno(err)); }

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  void* p = (uFlags & LMEM_ZEROINIT) ? std::calloc(1, uBytes ? uBytes : 1) : std::malloc(uBytes ? uBytes : 1);
  if (!p) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return p;
}

HLOCAL LocalFree(HLOCAL hMem) {
  std::free(hMem);
  return NULL;
}

DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer,
                     DWORD nSize, va_list* Arguments) {
  (void)dwLanguageId;  // one language only
  (void)Arguments;     // our texts have no inserts
  std::wstring text;
  if (dwFlags & FORMAT_MESSAGE_FROM_STRING) {
    if (!lpSource) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    text = static_cast<const wchar_t*>(lpSource);
  } else if ((dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) ||
             ((dwFlags & FORMAT_MESSAGE_FROM_HMODULE) && lpSource == NULL)) {
    const wchar_t* found = SystemText(dwMessageId);
    if (!found) {
      SetLastError(ERROR_MR_MID_NOT_FOUND);
      return 0;
    }
    text = found;
    // The full width mask asks for the text without its line break.
    if ((dwFlags & FORMAT_MESSAGE_MAX_WIDTH_MASK) != FORMAT_MESSAGE_MAX_WIDTH_MASK) text += L"\r\n";
  } else {
    // No module's table can be read here.
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  if (!lpBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD n = static_cast<DWORD>(text.size());
  if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    SIZE_T count = std::max<SIZE_T>(n + 1, nSize);
    auto* buf = static_cast<wchar_t*>(LocalAlloc(LMEM_FIXED, count * sizeof(wchar_t)));
    if (!buf) return 0;
    std::wmemcpy(buf, text.c_str(), n + 1);
    *reinterpret_cast<LPWSTR*>(lpBuffer) = buf;
    return n;
  }
  if (nSize < n + 1) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::wmemcpy(lpBuffer, text.c_str(), n + 1);
  return n;
}

std::wstring ZelSystemMessage(DWORD code) {
  const wchar_t* found = SystemText(code);
  return found ? std::wstring(found) : std::wstring();
}
