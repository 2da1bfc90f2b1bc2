// Entry points of our archiver libraries, for the programs that bind them.
#pragma once
#include <windows.h>

#pragma pack(push, 1)
typedef struct {
  DWORD dwOriginalSize;
  DWORD dwCompressedSize;
  DWORD dwCRC;
  UINT uFlag;
  UINT uOSType;
  WORD wRatio;
  WORD wDate;
  WORD wTime;
  char szFileName[513];
  char dummy1[3];
  char szAttribute[8];
  char szMode[8];
} INDIVIDUALINFO;
#pragma pack(pop)

typedef HGLOBAL HARC;

#ifdef __cplusplus
extern "C" {
#endif

int WINAPI Unlha(HWND owner, LPCSTR command, LPSTR output, DWORD outputSize);
WORD WINAPI UnlhaGetVersion(void);
BOOL WINAPI UnlhaGetRunning(void);
HARC WINAPI UnlhaOpenArchive(HWND owner, LPCSTR path, DWORD mode);
int WINAPI UnlhaCloseArchive(HARC archive);
int WINAPI UnlhaFindFirst(HARC archive, LPCSTR wildcard, INDIVIDUALINFO* info);
int WINAPI UnlhaFindNext(HARC archive, INDIVIDUALINFO* info);
DWORD WINAPI UnlhaGetArcOriginalSize(HARC archive);

int WINAPI Zip(HWND owner, LPCSTR command, LPSTR output, DWORD outputSize);
WORD WINAPI ZipGetVersion(void);
BOOL WINAPI ZipGetRunning(void);

int WINAPI UnZip(HWND owner, LPCSTR command, LPSTR output, DWORD outputSize);
WORD WINAPI UnZipGetVersion(void);
BOOL WINAPI UnZipGetRunning(void);
HARC WINAPI UnZipOpenArchive(HWND owner, LPCSTR path, DWORD mode);
int WINAPI UnZipCloseArchive(HARC archive);
int WINAPI UnZipFindFirst(HARC archive, LPCSTR wildcard, INDIVIDUALINFO* info);
int WINAPI UnZipFindNext(HARC archive, INDIVIDUALINFO* info);
DWORD WINAPI UnZipGetArcOriginalSize(HARC archive);

#ifdef __cplusplus
}
#endif
