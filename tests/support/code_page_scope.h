// The lead-byte tables of the double-byte code pages the host tests read text under, as the
// system gives them, and a scope that uses one and goes back to a single-byte code page after.
#pragma once

#include <iterator>
#include <vector>

#include "base/code_page.h"

namespace pagix_test {

// 0 is any single-byte code page; 932 Japanese, 936 Simplified and 950 Traditional Chinese.
constexpr int kCodePages[] = {0, 932, 936, 950};

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
  }
  ~CodePageScope() { SetLeadByteRanges(nullptr, 0); }
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
