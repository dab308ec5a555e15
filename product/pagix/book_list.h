// The installed book list (PGN/Pagix_books.def): one book per line, "title | author | year";
// lines starting with "#" or ";" are notes and empty lines are skipped. Platform-free.
#pragma once

#include <stddef.h>

enum { kBookTitleSize = 96, kBookAuthorSize = 64, kBookYearSize = 8 };

struct BookEntry {
  char Title[kBookTitleSize];
  char Author[kBookAuthorSize];
  char Year[kBookYearSize];
};

// Reads the books of text[0..size) into books[0..capacity). Fields are trimmed of spaces and
// tabs and cut to their buffers; anything after a third "|" is ignored; a missing author or year
// stays empty, a line without a title is skipped. Carriage returns, zero bytes and other control
// characters never reach a field. Returns the number of books stored (at most capacity).
int ParseBookList(const char* text, size_t size, BookEntry* books, int capacity);

// One line for the list box: "Title - Author (Year)", leaving out what is empty.
void FormatBookLine(const BookEntry* book, char* out, size_t size);
