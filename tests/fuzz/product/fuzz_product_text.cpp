// Drives the texts the installed product reads: the book list that Pagix.exe shows, the
// uninstaller's arguments and the uninstall command it compares, and its removal report. Outputs
// live in heap buffers of exactly their promised size, so ASan sees any byte written past them.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "product/pagix/book_list.h"
#include "product/uninstall/command_line.h"
#include "product/uninstall/removal.h"
#include "shell/uninstall_entry.h"

namespace {

void Check(bool condition) {
  if (!condition) abort();
}

bool Terminated(const char* text, size_t size) { return memchr(text, '\0', size) != nullptr; }

void CheckBookList(const char* data, size_t size) {
  const int capacity = 1 + static_cast<int>(size % 7);
  BookEntry* books =
      static_cast<BookEntry*>(malloc(sizeof(BookEntry) * static_cast<size_t>(capacity)));
  const int count = ParseBookList(data, size, books, capacity);
  Check(count >= 0 && count <= capacity);
  for (int i = 0; i < count; ++i) {
    Check(Terminated(books[i].Title, kBookTitleSize) && books[i].Title[0] != '\0');
    Check(Terminated(books[i].Author, kBookAuthorSize) && Terminated(books[i].Year, kBookYearSize));
    for (const char* field : {books[i].Title, books[i].Author, books[i].Year}) {
      for (const char* c = field; *c; ++c)
        Check(static_cast<unsigned char>(*c) >= 0x20 && *c != 0x7F);
    }
    const size_t line_size = 1 + size % 200;
    char* line = static_cast<char*>(malloc(line_size));
    FormatBookLine(&books[i], line, line_size);
    Check(Terminated(line, line_size));
    free(line);
  }
  free(books);
}

void CheckArguments(const std::string& text) {
  UninstallArguments parsed;
  ParseUninstallArguments(text.c_str(), &parsed);
  if (parsed.Mode != kUninstallTemporaryCopy) return;
  Check(parsed.OriginalProcess != 0 && parsed.Folder[0] != '\0');
  Check(Terminated(parsed.Folder, sizeof parsed.Folder));
  // What the copy's command line carries comes back unchanged.
  char line[2 * kPathBufferSize + 64];
  Check(FormatCopyCommandLine(line, sizeof line, "C:\\T\\c.exe", parsed.OriginalProcess,
                              parsed.Folder) == 1);
  UninstallArguments again;
  ParseUninstallArguments(strchr(line + 1, '"') + 1, &again);
  Check(again.Mode == kUninstallTemporaryCopy && again.OriginalProcess == parsed.OriginalProcess &&
        strcmp(again.Folder, parsed.Folder) == 0);
}

void CheckReport(const std::string& what) {
  static RemovalReport report;
  StartRemovalReport(&report);
  for (int i = 0; i < 3; ++i) AddRemovalFailure(&report, what.c_str(), kRemovalInUse + i, 5);
  Check(report.FailureCount == 3 && report.ListedCount <= 3);
  Check(report.Length < sizeof report.Lines && report.Lines[report.Length] == '\0');
  const size_t size = 1 + what.size() % 300;
  char* message = static_cast<char*>(malloc(size));
  FormatRemovalReport(&report, message, size);
  Check(Terminated(message, size));
  free(message);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  CheckBookList(text, size);
  const std::string whole(text, size);
  const std::string terminated = whole.substr(0, whole.find('\0'));
  CheckArguments(terminated);
  char folder[260];
  if (UninstallCommandFolder(terminated.c_str(), folder, sizeof folder))
    Check(strlen(folder) < sizeof folder);
  IsTemporaryCopyName(terminated.c_str());
  CheckReport(terminated);
  return 0;
}
