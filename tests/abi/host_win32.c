/* A point-of-sale program in miniature, for the binary interface of
 * OstrelZOLTDLL.dll. Run from its own station folder, which holds the DLL and
 * the settings file OstrelZOLTDLL.dta (laid out by run_station.cmake), it
 * loads the library by name, binds both exports by name and by ordinal,
 * reads the DLL's export table and version resource, and calls both exports
 * through __stdcall pointers from an assembly thunk that checks the stack
 * pointer and the callee-saved registers around every call.
 *
 * Prints one line per check; the exit code is the number of failed checks.
 * Only cases without a blocking message box are called, except the missing
 * settings file: its box is closed by a watcher thread when a display shows
 * it (without a display Wine refuses the box and the call goes on at once). */
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

typedef int32_t(__stdcall* ZoltResultFn)(int32_t, int32_t, int32_t, char*);
typedef int32_t(__stdcall* SoldOutFn)(int32_t, int32_t, int32_t);

static int failures;

static void Check(int ok, const char* what) {
  printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

/* ---- Calls measured by an assembly thunk ------------------------------ */

/* int32_t CallMeasured(fn, args, argc, esp_delta, regs_kept): pushes argc
 * 32-bit arguments (args[0] last, so it ends on top), calls fn, and reports
 * the stack pointer after the call minus the one before the arguments were
 * pushed (0 when the callee removed exactly its arguments, as __stdcall
 * does) and whether EBX and EDI still hold the values loaded before the
 * call. The caller's stack is restored whatever the callee did. */
int32_t CallMeasured(const void* fn, const int32_t* args, int32_t argc,
                     int32_t* esp_delta, int32_t* regs_kept);
__asm__(
    ".text\n"
    ".globl _CallMeasured\n"
    "_CallMeasured:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl %esp, %esi\n"
    "  movl 12(%ebp), %edx\n"
    "  movl 16(%ebp), %ecx\n"
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  decl %ecx\n"
    "  pushl (%edx,%ecx,4)\n"
    "  jmp 1b\n"
    "2:\n"
    "  movl $0x5EB1A5ED, %ebx\n"
    "  movl $0x0D15EA5E, %edi\n"
    "  call *8(%ebp)\n"
    "  movl %esp, %ecx\n"
    "  subl %esi, %ecx\n"
    "  movl %esi, %esp\n"
    "  movl 20(%ebp), %edx\n"
    "  movl %ecx, (%edx)\n"
    "  xorl %ecx, %ecx\n"
    "  cmpl $0x5EB1A5ED, %ebx\n"
    "  jne 3f\n"
    "  cmpl $0x0D15EA5E, %edi\n"
    "  jne 3f\n"
    "  incl %ecx\n"
    "3:\n"
    "  movl 24(%ebp), %edx\n"
    "  movl %ecx, (%edx)\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");

static FARPROC zolt_result;
static FARPROC sold_out;

static int calls_measured;
static int calls_unbalanced;

/* Reports only calls that went wrong; a summary line counts all of them. */
static void CheckStack(const char* name, int32_t delta, int32_t kept) {
  ++calls_measured;
  if (delta == 0 && kept == 1) return;
  ++calls_unbalanced;
  printf("      %s moved ESP by %ld (EBX/EDI kept: %ld)\n", name, (long)delta,
         (long)kept);
}

static int32_t __cdecl CdeclProbe(int32_t a, int32_t b, int32_t c) {
  return a + b + c;
}

/* The thunk must see what a wrong calling convention does to the stack:
 * a __cdecl callee leaves its 12 bytes of arguments behind. */
static void CheckThunk(void) {
  int32_t args[3] = {1, 2, 3}, delta = 0, kept = 0;
  int32_t r = CallMeasured((const void*)CdeclProbe, args, 3, &delta, &kept);
  Check(r == 6 && delta == -12 && kept == 1,
        "thunk sees a __cdecl callee leave 12 bytes on the stack");
}

static int32_t ZoltResultChecked(int32_t vendor, int32_t location,
                                 int32_t size, char* expiry) {
  int32_t args[4], delta = -1, kept = 0, r;
  args[0] = vendor;
  args[1] = location;
  args[2] = size;
  args[3] = (int32_t)(intptr_t)expiry;
  r = CallMeasured((const void*)zolt_result, args, 4, &delta, &kept);
  CheckStack("ZoltResult", delta, kept);
  return r;
}

static int32_t SoldOutChecked(int32_t vendor, int32_t location, int32_t size) {
  int32_t args[3], delta = -1, kept = 0, r;
  args[0] = vendor;
  args[1] = location;
  args[2] = size;
  r = CallMeasured((const void*)sold_out, args, 3, &delta, &kept);
  CheckStack("check_SoldOut_Condition", delta, kept);
  return r;
}

/* ---- The export table and the version resource ------------------------ */

static void CheckExportTable(HMODULE module) {
  const BYTE* base = (const BYTE*)module;
  const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
  const IMAGE_NT_HEADERS32* nt =
      (const IMAGE_NT_HEADERS32*)(base + dos->e_lfanew);
  IMAGE_DATA_DIRECTORY dir =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  const IMAGE_EXPORT_DIRECTORY* ex;
  const DWORD* names;
  const WORD* ordinals;

  Check(nt->FileHeader.Machine == IMAGE_FILE_MACHINE_I386, "DLL is i386");
  Check(dir.VirtualAddress != 0, "DLL has an export table");
  if (dir.VirtualAddress == 0) return;
  ex = (const IMAGE_EXPORT_DIRECTORY*)(base + dir.VirtualAddress);
  names = (const DWORD*)(base + ex->AddressOfNames);
  ordinals = (const WORD*)(base + ex->AddressOfNameOrdinals);
  Check(ex->Base == 1, "ordinal base is 1");
  Check(ex->NumberOfFunctions == 2, "exactly two exported functions");
  Check(ex->NumberOfNames == 2, "exactly two exported names");
  if (ex->NumberOfNames != 2) return;
  /* Names are sorted by byte value: "ZoltResult" before "check_...". */
  Check(strcmp((const char*)(base + names[0]), "ZoltResult") == 0 &&
            ordinals[0] == 0,
        "export name \"ZoltResult\" is ordinal 1, undecorated");
  Check(strcmp((const char*)(base + names[1]), "check_SoldOut_Condition") ==
                0 &&
            ordinals[1] == 1,
        "export name \"check_SoldOut_Condition\" is ordinal 2, undecorated");
  Check(_stricmp((const char*)(base + ex->Name), "OstrelZOLTDLL.dll") == 0,
        "export table names the module OstrelZOLTDLL.dll");
}

static int VersionString(const void* info, const char* name, const char* want) {
  char query[128];
  char* value = NULL;
  UINT len = 0;
  sprintf(query, "\\StringFileInfo\\040904E4\\%s", name);
  if (!VerQueryValueA(info, query, (void**)&value, &len) || value == NULL) {
    printf("      %s: missing\n", name);
    return 0;
  }
  if (strcmp(value, want) != 0) printf("      %s: \"%s\"\n", name, value);
  return strcmp(value, want) == 0;
}

static void CheckVersion(HMODULE module) {
  char path[MAX_PATH];
  static char info[8192];
  DWORD handle = 0, size;
  VS_FIXEDFILEINFO* fixed = NULL;
  UINT len = 0;
  GetModuleFileNameA(module, path, sizeof(path));
  size = GetFileVersionInfoSizeA(path, &handle);
  Check(size > 0 && size <= sizeof(info), "DLL has a version resource");
  if (size == 0 || size > sizeof(info)) return;
  if (!GetFileVersionInfoA(path, 0, size, info)) {
    Check(0, "version resource can be read");
    return;
  }
  if (VerQueryValueA(info, "\\", (void**)&fixed, &len) && fixed != NULL) {
    Check(fixed->dwFileVersionMS == MAKELONG(0, 20) &&
              fixed->dwFileVersionLS == 0,
          "file version 20.0.0.0");
    Check(fixed->dwProductVersionMS == MAKELONG(0, 20) &&
              fixed->dwProductVersionLS == 0,
          "product version 20.0.0.0");
  } else {
    Check(0, "fixed version information present");
  }
  Check(VersionString(info, "FileVersion", "20.0.0.0") &&
            VersionString(info, "ProductVersion", "20.0.0.0") &&
            VersionString(info, "ProductName", "OstrelZOLTDLL") &&
            VersionString(info, "OriginalFilename", "OstrelZOLTDLL.dll"),
        "version strings FileVersion, ProductVersion, ProductName, "
        "OriginalFilename");
}

/* ---- Message boxes ------------------------------------------------------ */

static volatile LONG watching;
static char box_caption[256];
static char box_text[1024];
static int boxes_seen;

/* Closes this process's message boxes once they are shown, noting what the
 * last one said. */
static BOOL CALLBACK CloseIfOurBox(HWND window, LPARAM unused) {
  DWORD pid = 0;
  char cls[64];
  DWORD_PTR result;
  (void)unused;
  GetWindowThreadProcessId(window, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  if (!GetClassNameA(window, cls, sizeof(cls)) || strcmp(cls, "#32770") != 0) {
    return TRUE;
  }
  box_caption[0] = box_text[0] = '\0';
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof(box_caption),
                      (LPARAM)box_caption, SMTO_ABORTIFHUNG, 2000, &result);
  GetDlgItemTextA(window, 0xFFFF, box_text, sizeof(box_text));
  ++boxes_seen;
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

static DWORD WINAPI WatchBoxes(LPVOID unused) {
  (void)unused;
  while (watching) {
    EnumWindows(CloseIfOurBox, 0);
    Sleep(50);
  }
  return 0;
}

/* Ends a run that hangs (a box nobody closes) instead of blocking ctest. */
static DWORD WINAPI Watchdog(LPVOID unused) {
  (void)unused;
  Sleep(120000);
  printf("FAIL: the host did not finish within 120 s\n");
  fflush(stdout);
  ExitProcess(100);
  return 0;
}

/* ---- The station ------------------------------------------------------- */

static char station[MAX_PATH]; /* the host's folder, with its last '\' */
static char settings[MAX_PATH];

static int FileThere(const char* path) {
  DWORD attrs = GetFileAttributesA(path);
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

static int Untouched(const char* buffer, size_t size) {
  size_t i;
  for (i = 0; i < size; ++i) {
    if (buffer[i] != 'Z') return 0;
  }
  return 1;
}

/* The minute of the day now: the newest free slot moves with it. */
static int MinuteNow(void) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wDay * 1440 + now.wHour * 60 + now.wMinute;
}

/* Answers that are compared with each other, all read within one minute of
 * the clock (read again, at most three times, when the minute turned). */
struct Answers {
  int32_t core;      /* check_SoldOut_Condition, size 1 */
  int32_t ignored;   /* the same with other vendor and location arguments */
  int32_t typed;     /* the same through the typed __stdcall pointer */
  int32_t sale;      /* ZoltResult, size 1 */
  int32_t after;     /* check_SoldOut_Condition, size 1, after the sale */
  int32_t medium;    /* check_SoldOut_Condition, size 2 */
  char expiry[16];   /* ZoltResult's buffer, filled with 'Z' before */
};

static void ReadAnswers(struct Answers* a) {
  int tries, minute;
  for (tries = 0; tries < 3; ++tries) {
    minute = MinuteNow();
    a->core = SoldOutChecked(190, 1, 1);
    a->ignored = SoldOutChecked(-5, 99999, 1);
    a->typed = ((SoldOutFn)sold_out)(0, 0, 1);
    memset(a->expiry, 'Z', sizeof(a->expiry));
    a->sale = ZoltResultChecked(190, 1, 1, a->expiry);
    a->after = SoldOutChecked(190, 1, 1);
    a->medium = SoldOutChecked(190, 1, 2);
    if (MinuteNow() == minute) return;
  }
}

static void CheckCalls(void) {
  char expiry[16];
  char data[MAX_PATH], table[MAX_PATH], what[200];
  SYSTEMTIME now;
  struct Answers a;
  int in_year_window;

  GetLocalTime(&now);
  in_year_window = now.wYear >= 2001 && now.wYear <= 2015;
  GetPrivateProfileStringA("Preferences", "Pathtopintable", "", data,
                           sizeof(data), settings);

  ReadAnswers(&a);
  sprintf(what, "check_SoldOut_Condition(size 1) gives a PIN core (%ld)",
          (long)a.core);
  Check(a.core > 0 && a.core <= 65535, what);
  sprintf(table, "%s\\PINTable.dat", data);
  Check(FileThere(table), "PINTable.dat built in the data folder");
  sprintf(table, "%s\\DLLPINTable.dat", data);
  Check(FileThere(table), "DLLPINTable.dat built in the data folder");
  Check(a.ignored == a.core, "vendor and location arguments are not read");
  Check(a.typed == a.core, "typed __stdcall pointer call agrees");

  if (!in_year_window) {
    sprintf(what, "ZoltResult in year %u gives -111 (%ld)", now.wYear,
            (long)a.sale);
    Check(a.sale == -111, what);
    Check(Untouched(a.expiry, sizeof(a.expiry)), "expiry buffer untouched");
    Check(a.after == a.core, "the refused sale took no slot");
    sprintf(what, "size 2 core is larger by PINcrypt 7 (%ld)", (long)a.medium);
    Check(a.medium == a.core + 7, what);
  } else {
    sprintf(what, "ZoltResult in year %u gives a PIN 4xxxxx (%ld)",
            now.wYear, (long)a.sale);
    Check(a.sale >= 400000 && a.sale <= 499999 &&
              a.sale % 100000 == a.core,
          what);
    Check(memchr(a.expiry, '\0', 12) != NULL && Untouched(a.expiry + 12, 4),
          "expiry text ends within 12 bytes");
  }

  {
    static const int32_t kBadSizes[] = {0, 4, -1};
    size_t i;
    for (i = 0; i < sizeof(kBadSizes) / sizeof(kBadSizes[0]); ++i) {
      memset(expiry, 'Z', sizeof(expiry));
      sprintf(what, "basket size %ld gives -105 from both, buffer untouched",
              (long)kBadSizes[i]);
      Check(SoldOutChecked(190, 1, kBadSizes[i]) == -105 &&
                ZoltResultChecked(190, 1, kBadSizes[i], expiry) == -105 &&
                Untouched(expiry, sizeof(expiry)),
            what);
    }
  }
}

static void CheckMissingSettings(void) {
  char away[MAX_PATH + 8], expected_text[MAX_PATH + 32], expiry[16];
  HANDLE watcher;
  int32_t q, z;

  sprintf(away, "%s.away", settings);
  if (!MoveFileA(settings, away)) {
    Check(0, "settings file can be moved away");
    return;
  }
  watching = 1;
  watcher = CreateThread(NULL, 0, WatchBoxes, NULL, 0, NULL);
  memset(expiry, 'Z', sizeof(expiry));
  q = SoldOutChecked(190, 1, 1);
  z = ZoltResultChecked(190, 1, 1, expiry);
  watching = 0;
  WaitForSingleObject(watcher, INFINITE);
  CloseHandle(watcher);
  MoveFileA(away, settings);

  Check(q == -400 && z == -400, "missing settings file gives -400 from both");
  Check(Untouched(expiry, sizeof(expiry)), "expiry buffer untouched");
  if (boxes_seen > 0) {
    /* The folder with its last backslash, then "\OstrelZOLTDLL.dta". */
    sprintf(expected_text, "%s\\OstrelZOLTDLL.dta", station);
    printf("      %d box(es) shown: \"%s\" / \"%s\"\n", boxes_seen,
           box_caption, box_text);
    Check(strcmp(box_caption, "Expecting OstrelZOLTDLL.dta In Path Below") ==
                  0 &&
              strcmp(box_text, expected_text) == 0,
          "the box names the expected file and its path");
  } else {
    printf("      (no display: the boxes could not be shown)\n");
  }
  Check(SoldOutChecked(190, 1, 1) > 0, "restored settings work again");
}

int main(void) {
  HMODULE module;
  char* slash;

  CloseHandle(CreateThread(NULL, 0, Watchdog, NULL, 0, NULL));
  GetModuleFileNameA(NULL, station, sizeof(station));
  slash = strrchr(station, '\\');
  if (slash != NULL) slash[1] = '\0';
  sprintf(settings, "%sOstrelZOLTDLL.dta", station);
  printf("station %s\n", station);
  Check(FileThere(settings), "settings file beside the host");

  module = LoadLibraryA("OstrelZOLTDLL.dll");
  Check(module != NULL, "LoadLibraryA(\"OstrelZOLTDLL.dll\")");
  if (module == NULL) return failures;

  zolt_result = GetProcAddress(module, "ZoltResult");
  sold_out = GetProcAddress(module, "check_SoldOut_Condition");
  Check(zolt_result != NULL, "GetProcAddress \"ZoltResult\"");
  Check(sold_out != NULL, "GetProcAddress \"check_SoldOut_Condition\"");
  if (zolt_result == NULL || sold_out == NULL) return failures;
  Check(GetProcAddress(module, MAKEINTRESOURCEA(1)) == zolt_result,
        "ordinal 1 is ZoltResult");
  Check(GetProcAddress(module, MAKEINTRESOURCEA(2)) == sold_out,
        "ordinal 2 is check_SoldOut_Condition");
  Check(GetProcAddress(module, "_ZoltResult@16") == NULL &&
            GetProcAddress(module, "ZoltResult@16") == NULL &&
            GetProcAddress(module, "check_SoldOut_Condition@12") == NULL,
        "no decorated names exported");
  CheckExportTable(module);
  CheckVersion(module);

  CheckThunk();
  CheckCalls();
  CheckMissingSettings();
  {
    char what[160];
    sprintf(what, "all %d calls left ESP where it was and kept EBX/EDI",
            calls_measured);
    Check(calls_measured > 0 && calls_unbalanced == 0, what);
  }

  FreeLibrary(module);
  printf("%d failure(s)\n", failures);
  return failures;
}
