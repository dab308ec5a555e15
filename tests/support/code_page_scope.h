// The lead-byte tables of the double-byte code pages the host tests read text under, as the
// system gives them, the superscript digits of 1252, and a scope that uses one code page and goes
// back to a single-byte code page without superscript digits after.
#pragma once

#include <cstring>
#include <iterator>
#include <vector>

#include "base/code_page.h"

namespace pagix_test {

// 0 is a single-byte code page without superscript digits; 1252 Western European (B9, B2, B3
// are the superscript one, two and three); 932 Japanese, 936 Simplified and 950 Traditional
// Chinese (none).
constexpr int kCodePages[] = {0, 1252, 932, 936, 950};

// The code pages a table row is read under: its own, or every one for a row of single-byte text,
// whose results must not depend on the code page.
inline std::vector<int> CodePagesOf(int codePage) {
  if (codePage != 0) return {codePage};
  return std::vector<int>(std::begin(kCodePages), std::end(kCodePages));
}

class CodePageScope {
 public:
  explicit CodePageScope(int codePage) {
    static const unsigned char kJapanese[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    static const unsigned char kChinese[] = {0x81, 0xFE, 0, 0};  // 936 and 950 alike
    if (codePage == 932) {
      SetLeadByteRanges(kJapanese, sizeof kJapanese);
    } else if (codePage == 936 || codePage == 950) {
      SetLeadByteRanges(kChinese, sizeof kChinese);
    } else {
      SetLeadByteRanges(nullptr, 0);
    }
    static const char kWestern[3][3] = {"\xB9", "\xB2", "\xB3"};
    static const char kNone[3][3] = {};
    std::memcpy(g_SuperscriptDigits, codePage == 1252 ? kWestern : kNone,
                sizeof g_SuperscriptDigits);
  }
  ~CodePageScope() {
    SetLeadByteRanges(nullptr, 0);
    std::memset(g_SuperscriptDigits, 0, sizeof g_SuperscriptDigits);
  }
  CodePageScope(const CodePageScope&) = delete;
  CodePageScope& operator=(const CodePageScope&) = delete;
};

}  // namespace pagix_test

// Characters whose second byte is "\" (0x5C) or "|" (0x7C), and a few plain ones, as bytes to
// paste into literals. Japanese (932): ソ, 表, ポ, フト, 一覧.
#define CP932_SO "\x83\x5C"
#define CP932_HYO "\x95\x5C"
#define CP932_PO "\x83\x7C"
#define CP932_FUTO "\x83\x74\x83\x67"
#define CP932_ICHIRAN "\x88\xEA\x97\x97"
// Simplified Chinese (936): 乗, 亅. Traditional Chinese (950): 功, 育, 能, 教.
#define CP936_JOU "\x81\x5C"
#define CP936_JUE "\x81\x7C"
#define CP950_GONG "\xA5\x5C"
#define CP950_YU "\xA8\x7C"
#define CP950_NENG "\xAF\xE0"
#define CP950_JIAO "\xB1\xD0"
