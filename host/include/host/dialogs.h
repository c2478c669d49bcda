// The common file dialogs: the open and save questions of the standard chooser, with the record, flags and
// error query the framework's file choosers use.
//
// With a display and the "zenity" program on the path, the question is asked with zenity's file selection; while
// it is open the calling thread keeps dispatching due WM_TIMER messages, so the program's timers go on firing.
// Without either (or headless) no dialog can be shown: the call answers FALSE and CommDlgExtendedError reports
// CDERR_INITIALIZATION, so callers can ask on the console instead. In tests, answers queued through the test
// seam (host/testing.h) are given first.
#pragma once

#include "host/types.h"

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;  // pairs of a description and a pattern, each NUL-ended, the list ended by a second NUL
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;  // in: the proposed name (may be empty); out: the full path chosen
  DWORD nMaxFile;   // bytes of lpstrFile, the terminator included
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  void* lpfnHook;
  LPCSTR lpTemplateName;
};
using LPOPENFILENAMEA = OPENFILENAMEA*;

#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u
#define OFN_NOREADONLYRETURN 0x00008000u

// CommDlgExtendedError codes: 0 after a cancel.
#define CDERR_STRUCTSIZE 0x0001u
#define CDERR_INITIALIZATION 0x0002u
#define FNERR_BUFFERTOOSMALL 0x3003u

BOOL GetOpenFileNameA(LPOPENFILENAMEA record);
BOOL GetSaveFileNameA(LPOPENFILENAMEA record);
DWORD CommDlgExtendedError();
