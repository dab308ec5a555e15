#include "product/pagix/book_list.h"

#include <string.h>

#include "app/text_format.h"

namespace {

int IsBlank(char c) { return c == ' ' || c == '\t'; }

// Copies text[begin..end) without the blanks at either end into out, cut to size - 1 bytes;
// control characters become spaces.
void CopyField(const char* text, size_t begin, size_t end, char* out, size_t size) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
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
  while (first < end && (IsBlank(text[first]) || text[first] == '\r')) ++first;
  if (first == end || text[first] == '#' || text[first] == ';') return 0;
  char* fields[3] = {book->Title, book->Author, book->Year};
  const size_t sizes[3] = {kBookTitleSize, kBookAuthorSize, kBookYearSize};
  size_t field_begin = begin;
  for (int field = 0; field < 3; ++field) {
    if (field_begin > end) {
      fields[field][0] = '\0';
      continue;
    }
    size_t field_end = field_begin;
    while (field_end < end && text[field_end] != '|') ++field_end;
    CopyField(text, field_begin, field_end, fields[field], sizes[field]);
    field_begin = field_end + 1;
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
  size_t line_begin = 0;
  while (line_begin < size && count < capacity) {
    size_t line_end = line_begin;
    while (line_end < size && text[line_end] != '\n') ++line_end;
    if (ParseLine(text, line_begin, line_end, &books[count])) ++count;
    line_begin = line_end + 1;
  }
  return count;
}

void FormatBookLine(const BookEntry* book, char* out, size_t size) {
  const int has_author = book->Author[0] != '\0';
  const int has_year = book->Year[0] != '\0';
  if (has_author && has_year) {
    FormatText(out, size, "%s - %s (%s)", book->Title, book->Author, book->Year);
  } else if (has_author) {
    FormatText(out, size, "%s - %s", book->Title, book->Author);
  } else if (has_year) {
    FormatText(out, size, "%s (%s)", book->Title, book->Year);
  } else {
    CopyText(out, size, book->Title);
  }
}
