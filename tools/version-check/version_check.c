/* Reads the version resource of a module back through the system's own
 * calls (GetFileVersionInfoA, VerQueryValueA) and checks it against the
 * release's version:
 *
 *   version_check.exe MODULE VERSION        e.g. Tollex.dll 0.1.0
 *
 * The fixed file and product versions are VERSION padded with zeros to four
 * parts; the texts FileVersion and ProductVersion are VERSION itself;
 * OriginalFilename is "Tollex.dll"; ProductName is "Tollex";
 * FileDescription is not empty and LegalCopyright starts with "Copyright".
 * Prints each finding and "Version check of MODULE: N passed, M failed";
 * status 1 on any failure. A Windows program: the release stage runs it
 * under Wine. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

static int passed, failed;

static void finding(int ok, const char* what, const char* found) {
  if (ok) passed++;
  else failed++;
  printf("  %s %s: %s\n", ok ? "ok    " : "FAILED", what, found);
}

/* The text NAME of the first translation the resource lists, or NULL. */
static const char* text_of(const void* info, const char* name) {
  struct {
    WORD language, codePage;
  } * translation;
  UINT size = 0;
  char path[128];
  char* text = NULL;
  if (!VerQueryValueA(info, "\\VarFileInfo\\Translation", (void**)&translation, &size) || size < 4) return NULL;
  snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage, name);
  if (!VerQueryValueA(info, path, (void**)&text, &size) || size == 0) return NULL;
  return text;
}

/* How a text must read: exactly want, starting with want, or (want NULL) not
 * empty. */
enum match { EXACT, PREFIX };

static void check_text(const void* info, const char* name, const char* want, enum match match) {
  const char* text = text_of(info, name);
  int ok = text != NULL && text[0] != 0;
  if (ok && want != NULL) ok = match == EXACT ? strcmp(text, want) == 0 : strncmp(text, want, strlen(want)) == 0;
  char what[160];
  snprintf(what, sizeof what, "%s %s%s", name,
           want == NULL     ? "is not empty"
           : match == EXACT ? "is "
                            : "starts with ",
           want == NULL ? "" : want);
  finding(ok, what, text != NULL ? text : "(missing)");
}

static void check_fixed(const VS_FIXEDFILEINFO* fixed, const char* version) {
  unsigned part[4] = {0, 0, 0, 0};
  char want[64], file[64], product[64];
  sscanf(version, "%u.%u.%u.%u", &part[0], &part[1], &part[2], &part[3]);
  snprintf(want, sizeof want, "%u.%u.%u.%u", part[0], part[1], part[2], part[3]);
  snprintf(file, sizeof file, "%u.%u.%u.%u", (unsigned)HIWORD(fixed->dwFileVersionMS),
           (unsigned)LOWORD(fixed->dwFileVersionMS), (unsigned)HIWORD(fixed->dwFileVersionLS),
           (unsigned)LOWORD(fixed->dwFileVersionLS));
  snprintf(product, sizeof product, "%u.%u.%u.%u", (unsigned)HIWORD(fixed->dwProductVersionMS),
           (unsigned)LOWORD(fixed->dwProductVersionMS), (unsigned)HIWORD(fixed->dwProductVersionLS),
           (unsigned)LOWORD(fixed->dwProductVersionLS));
  finding(strcmp(file, want) == 0, "fixed file version", file);
  finding(strcmp(product, want) == 0, "fixed product version", product);
  finding(fixed->dwFileType == VFT_DLL, "file type is a DLL", fixed->dwFileType == VFT_DLL ? "DLL" : "other");
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: version_check MODULE VERSION\n");
    return 2;
  }
  const char* module = argv[1];
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(module, &handle);
  static char info[65536];
  VS_FIXEDFILEINFO* fixed = NULL;
  UINT fixedSize = 0;
  if (size == 0 || size > sizeof info || !GetFileVersionInfoA(module, 0, size, info) ||
      !VerQueryValueA(info, "\\", (void**)&fixed, &fixedSize) || fixedSize < sizeof *fixed) {
    finding(0, "a version resource", "none that the system can read");
  } else {
    check_fixed(fixed, argv[2]);
    check_text(info, "FileVersion", argv[2], EXACT);
    check_text(info, "ProductVersion", argv[2], EXACT);
    check_text(info, "OriginalFilename", "Tollex.dll", EXACT);
    check_text(info, "ProductName", "Tollex", EXACT);
    check_text(info, "FileDescription", NULL, EXACT);
    check_text(info, "LegalCopyright", "Copyright", PREFIX);
  }
  printf("Version check of %s: %d passed, %d failed\n", module, passed, failed);
  return failed ? 1 : 0;
}
