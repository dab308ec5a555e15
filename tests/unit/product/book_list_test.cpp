// The installed book list as Pagix.exe reads it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "product/pagix/book_list.h"

namespace {

struct Book {
  std::string Title, Author, Year;
};

std::vector<Book> Parse(const std::string& text, int capacity = 16) {
  std::vector<BookEntry> entries(static_cast<size_t>(capacity));
  const int count = ParseBookList(text.data(), text.size(), entries.data(), capacity);
  std::vector<Book> books;
  for (int i = 0; i < count; ++i) {
    books.push_back({entries[static_cast<size_t>(i)].Title, entries[static_cast<size_t>(i)].Author,
                     entries[static_cast<size_t>(i)].Year});
  }
  return books;
}

struct ParseCase {
  const char* Name;
  std::string Text;
  std::vector<Book> Expected;
};

class BookListParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(BookListParse, ReadsTheBooks) {
  const ParseCase& c = GetParam();
  std::vector<Book> books = Parse(c.Text);
  ASSERT_EQ(books.size(), c.Expected.size());
  for (size_t i = 0; i < books.size(); ++i) {
    EXPECT_EQ(books[i].Title, c.Expected[i].Title) << i;
    EXPECT_EQ(books[i].Author, c.Expected[i].Author) << i;
    EXPECT_EQ(books[i].Year, c.Expected[i].Year) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BookListParse,
    ::testing::Values(
        ParseCase{"Plain", "A | B | 1900\n", {{"A", "B", "1900"}}},
        ParseCase{"CrLfAndNoFinalNewline",
                  "One | X | 1\r\nTwo | Y | 2",
                  {{"One", "X", "1"}, {"Two", "Y", "2"}}},
        ParseCase{"NotesAndBlankLines",
                  "# note | a | b\n; also a note\n\n   \t\r\nReal | R | 3\n",
                  {{"Real", "R", "3"}}},
        ParseCase{"MissingFields",
                  "Only a title\nTitled | Someone\n",
                  {{"Only a title", "", ""}, {"Titled", "Someone", ""}}},
        ParseCase{"NoTitleSkipped", " | Nobody | 1901\n|\nKept||1902\n", {{"Kept", "", "1902"}}},
        ParseCase{"ExtraFieldsIgnored", "T | A | 1903 | extra | more\n", {{"T", "A", "1903"}}},
        ParseCase{"TabsAroundFields", "\tTabbed\t|\tA\t|\t1905\t\n", {{"Tabbed", "A", "1905"}}},
        ParseCase{"ControlBytesNeverEndAField",
                  std::string("Nul\0Title | A\tB | 19\x01"
                              "04\n",
                              25),
                  {{"Nul Title", "A B", "19 04"}}},
        ParseCase{"EmptyText", "", {}}),
    [](const ::testing::TestParamInfo<ParseCase>& p) { return p.param.Name; });

TEST(BookList, LongFieldsAreCutAndTerminated) {
  const std::string title(300, 't'), author(300, 'a'), year(30, '9');
  std::vector<Book> books = Parse(title + "|" + author + "|" + year + "\n");
  ASSERT_EQ(books.size(), 1u);
  EXPECT_EQ(books[0].Title, std::string(kBookTitleSize - 1, 't'));
  EXPECT_EQ(books[0].Author, std::string(kBookAuthorSize - 1, 'a'));
  EXPECT_EQ(books[0].Year, std::string(kBookYearSize - 1, '9'));
}

TEST(BookList, StopsAtCapacityWithoutWritingBeyond) {
  BookEntry entries[3];
  memset(&entries[2], 0x5A, sizeof entries[2]);
  const std::string text = "A\nB\nC\nD\n";
  EXPECT_EQ(ParseBookList(text.data(), text.size(), entries, 2), 2);
  EXPECT_STREQ(entries[1].Title, "B");
  EXPECT_EQ(static_cast<unsigned char>(entries[2].Title[0]), 0x5Au);
}

TEST(BookList, ReadsOnlyTheGivenBytes) {
  const std::string text = "First | A | 1\nSecond | B | 2\n";
  std::vector<Book> books = Parse(text.substr(0, 9));  // "First | A"
  ASSERT_EQ(books.size(), 1u);
  EXPECT_EQ(books[0].Title, "First");
  EXPECT_EQ(books[0].Author, "A");
  EXPECT_EQ(books[0].Year, "");
}

TEST(BookList, TheShippedListHasItsFiveBooks) {
  std::ifstream in(PAGIX_SOURCE_ROOT "/product/files/PGN/Pagix_books.def", std::ios::binary);
  ASSERT_TRUE(in) << "cannot read the shipped book list";
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Book> books = Parse(text, 64);
  ASSERT_EQ(books.size(), 5u);
  for (const Book& book : books) {
    EXPECT_FALSE(book.Author.empty()) << book.Title;
    EXPECT_EQ(book.Year.size(), 4u) << book.Title;
  }
}

struct LineCase {
  const char* Title;
  const char* Author;
  const char* Year;
  const char* Expected;
};

TEST(BookList, FormatsOneLinePerBookLeavingOutWhatIsEmpty) {
  const LineCase cases[] = {
      {"T", "A", "1900", "T - A (1900)"},
      {"T", "A", "", "T - A"},
      {"T", "", "1900", "T (1900)"},
      {"T", "", "", "T"},
  };
  for (const LineCase& c : cases) {
    BookEntry book = {};
    strcpy(book.Title, c.Title);
    strcpy(book.Author, c.Author);
    strcpy(book.Year, c.Year);
    char line[64];
    FormatBookLine(&book, line, sizeof line);
    EXPECT_STREQ(line, c.Expected);
  }
}

TEST(BookList, FormattedLineIsCutToItsBuffer) {
  BookEntry book = {};
  strcpy(book.Title, "A rather long title");
  strcpy(book.Author, "Somebody");
  char line[8];
  memset(line, 'x', sizeof line);
  FormatBookLine(&book, line, sizeof line);
  EXPECT_STREQ(line, "A rathe");
}

}  // namespace
