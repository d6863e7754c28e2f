// ZELGF: file, path and string helpers of the common services.
//
// Paths follow Linux rules: '/' separates names; a name is 1 to 255 bytes of
// UTF-8 without '/' or NUL; a path is non-empty, at most 4095 bytes, without
// NUL, and none of its names is longer than 255 bytes. MakePath(NULL, name)
// puts the name under the current working folder.
#pragma once

#include "ZELExport.h"

#include "platform/mfc/String.h"
#include "platform/mfc/Window.h"

class ZEL_EXPORT ZELGF {
public:
  // The system's text for a Win32 error code or an HRESULT, without the
  // trailing line break; an empty text when the system has none.
  static CString FormatMsg(DWORD dwCode, HMODULE hModule = NULL);

  static BOOL IsFile(const wchar_t* path);
  static BOOL IsDir(const wchar_t* path);
  static BOOL IsEmpty(const wchar_t* text);  // NULL, empty or only white space
  static BOOL IsValidPathName(const wchar_t* path);
  static BOOL IsValidFileName(const wchar_t* name);

  static CString MakePath(const wchar_t* dir, const wchar_t* name);
  // bExtension 0 drops the extension of the last name; 1 keeps it.
  static CString ExtractName(const wchar_t* path, int bExtension = 1);
  static CString ExtractDir(const wchar_t* path);

  // 0 when the folder exists afterwards (made with its missing parents),
  // else a negative result code.
  static int CreateDir(const wchar_t* dir);
  // Makes the file's folder when bMakeDir, and empties an existing file
  // when bTruncate; 0 on success, else a negative result code.
  static int CreateFileW(const wchar_t* path, int bMakeDir = 1, int bTruncate = 1);
  // Size in bytes, -1 when the path is no readable file. nFlag is unused.
  static LONGLONG GetFileSize(const wchar_t* path, int nFlag = 0);
  // Total bytes of the plain files of a folder; their full paths are
  // appended to pFiles, and those of sub-folders to pDirs. With bRecursive
  // the sub-folders are walked too. Counts go to pnFiles and pnDirs.
  static LONGLONG GetDirInfo(const wchar_t* dir, LONGLONG* pnFiles, LONGLONG* pnDirs, CStringArray* pFiles,
                             int bRecursive, CStringArray* pDirs);

  // Cuts text at each occurrence of sep. bSkipEmpty 0 keeps empty parts
  // ("a//b" gives "a", "", "b"); 1 drops them. Answers the number of parts.
  static int SplitText(const wchar_t* text, const wchar_t* sep, int bSkipEmpty, CStringArray& parts);
  static CString& Trim(CString& text);

  // Dispatches the window messages pending for the calling thread.
  static void PeekMsg(MSG* pMsg);

  // UTF-8 to wide. With no buffer: the count needed, terminator included;
  // else fills at most nCount characters (terminated) and answers the count
  // written without the terminator.
  static int MultiToWide(const char* text, wchar_t* buffer, int nCount);
};
