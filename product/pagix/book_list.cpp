#include "product/pagix/book_list.h"

#include <string.h>

#include "base/text_characters.h"
#include "base/text_format.h"

namespace {

// Copies text[begin..end) without the blanks at either end into out, cut to size - 1 bytes;
// control characters become spaces.
void CopyField(const char* text, size_t begin, size_t end, char* out, size_t size) {
  while (begin < end && IsBlankOrTab(text[begin])) ++begin;
  while (end > begin && IsBlankOrTab(text[end - 1])) --end;
  size_t length = 0;
  for (size_t i = begin; i < end && length + 1 < size; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    out[length++] = c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c);
  }
  out[length] = '\0';
}

// Reads the fields of one line text[begin..end) into book; returns 1 when it names a title.
int ParseLine(const char* text, size_t begin, size_t end, BookEntry* book) {
  size_t first = begin;
  while (first < end && (IsBlankOrTab(text[first]) || text[first] == '\r')) ++first;
  if (first == end || text[first] == '#' || text[first] == ';') return 0;
  char* fields[3] = {book->Title, book->Author, book->Year};
  const size_t sizes[3] = {kBookTitleSize, kBookAuthorSize, kBookYearSize};
  size_t fieldBegin = begin;
  for (int field = 0; field < 3; ++field) {
    if (fieldBegin > end) {
      fields[field][0] = '\0';
      continue;
    }
    size_t fieldEnd = fieldBegin;
    while (fieldEnd < end && text[fieldEnd] != '|') ++fieldEnd;
    CopyField(text, fieldBegin, fieldEnd, fields[field], sizes[field]);
    fieldBegin = fieldEnd + 1;
  }
  // A carriage return before the line feed ends up as a trailing space; trim it off.
  for (int field = 0; field < 3; ++field) {
    size_t length = strlen(fields[field]);
    while (length > 0 && fields[field][length - 1] == ' ') fields[field][--length] = '\0';
  }
  return book->Title[0] != '\0';
}

}  // namespace

int ParseBookList(const char* text, size_t size, BookEntry* books, int capacity) {
  int count = 0;
  size_t lineBegin = 0;
  while (lineBegin < size && count < capacity) {
    size_t lineEnd = lineBegin;
    while (lineEnd < size && text[lineEnd] != '\n') ++lineEnd;
    if (ParseLine(text, lineBegin, lineEnd, &books[count])) ++count;
    lineBegin = lineEnd + 1;
  }
  return count;
}

void FormatBookLine(const BookEntry* book, char* out, size_t size) {
  const int hasAuthor = book->Author[0] != '\0';
  const int hasYear = book->Year[0] != '\0';
  if (hasAuthor && hasYear) {
    FormatText(out, size, "%s - %s (%s)", book->Title, book->Author, book->Year);
  } else if (hasAuthor) {
    FormatText(out, size, "%s - %s", book->Title, book->Author);
  } else if (hasYear) {
    FormatText(out, size, "%s (%s)", book->Title, book->Year);
  } else {
    CopyText(out, size, book->Title);
  }
}
