// Native driver of the archive core for the benchmark and the interop tests:
//   arccli lha|zip|unzip "COMMAND TEXT"   runs a command text in the current directory
//   arccli list lha|zip ARCHIVE           prints one line per entry and the total
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "listing.h"
#include "names.h"
#include "ops.h"

int main(int argc, char** argv) {
  if (argc == 4 && strcmp(argv[1], "list") == 0) {
    arc::HandleBlock* h = arc::OpenListing(argv[3], strcmp(argv[2], "lha") == 0, malloc);
    if (!h) {
      fprintf(stderr, "cannot list %s\n", argv[3]);
      return 2;
    }
    arc::IndividualInfo info;
    for (int r = arc::FindFirst(h, "*.*", &info); r == 0; r = arc::FindNext(h, &info))
      printf("%s\t%u\t%u\t%s\n", info.fileName, info.originalSize, info.compressedSize, info.mode);
    printf("total\t%u\n", arc::FoundOriginalSize(h));
    free(h);
    return 0;
  }
  if (argc != 3) {
    fprintf(stderr, "usage: arccli lha|zip|unzip \"COMMAND\" | arccli list lha|zip ARCHIVE\n");
    return 2;
  }
  arc::Str log;
  int r;
  if (strcmp(argv[1], "lha") == 0) r = arc::RunLhaCommand(argv[2], arc::ShiftJisLead, &log);
  else if (strcmp(argv[1], "zip") == 0) r = arc::RunZipCommand(argv[2], arc::ShiftJisLead, &log);
  else if (strcmp(argv[1], "unzip") == 0) r = arc::RunUnzipCommand(argv[2], arc::ShiftJisLead, &log);
  else return 2;
  fputs(log.c_str(), stdout);
  if (r != 0) fprintf(stderr, "result 0x%X\n", r);
  return r == 0 ? 0 : 1;
}
