// CoordinateFromText on arbitrary bytes. Besides the shape of the result (reading.h), checks the
// rules that relate one text to another, each of which a wrong scanner breaks on some input:
// blanks are removed wherever they stand, a comma never continues a number, and a minus sign
// before an unsigned number negates it exactly.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/reading.h"

namespace {

using fuzzing::Fail;
using fuzzing::Read;
using fuzzing::Reading;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// (memcpy rather than std::bit_cast, which GCC 10's C++ library lacks.)
bool SameBits(double a, double b) {
  std::uint64_t bitsA = 0;
  std::uint64_t bitsB = 0;
  std::memcpy(&bitsA, &a, sizeof a);
  std::memcpy(&bitsB, &b, sizeof b);
  return bitsA == bitsB;
}

bool Same(const Reading& a, const Reading& b) {
  return a.overflow == b.overflow && SameBits(a.value, b.value);
}

// The text with a space, a tab or a line feed after every character, in turn.
std::string WithBlanksBetween(std::string_view text) {
  constexpr char kBlanks[] = {' ', '\t', '\n'};
  std::string spread;
  spread.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    spread += text[i];
    spread += kBlanks[i % 3];
  }
  return spread;
}

// Whether the text, blanks aside, starts with a number without a sign: a digit, or a period and a
// digit. A text without a digit reads 0 whatever sign stands before it.
bool StartsUnsigned(std::string_view text) {
  std::string compact;
  for (const char c : text) {
    if (!IsBlank(c)) compact += c;
    if (compact.size() == 2) break;
  }
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (compact.empty()) return false;
  return digit(compact[0]) || (compact[0] == '.' && compact.size() == 2 && digit(compact[1]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Reading reading = Read(text);

  if (!Same(Read(WithBlanksBetween(text)), reading)) {
    Fail("blanks between the characters changed the reading");
  }
  if (!Same(Read(text + ","), reading)) Fail("a comma after the text changed the reading");

  if (StartsUnsigned(text)) {
    const Reading negated = Read("-" + text);
    if (negated.overflow != reading.overflow ||
        (!reading.overflow && !SameBits(negated.value, -reading.value))) {
      Fail("a minus sign did not negate the number exactly");
    }
  }
  return 0;
}
